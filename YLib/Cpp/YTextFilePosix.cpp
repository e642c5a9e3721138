// The platform side of YTextFile for the native (POSIX) build of the core.
#include "YTextFile.hpp"

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// rename replaces an existing target atomically, but as a new file, with the permission bits the
// process gives new files: the old file's bits go to the new one first.
YTextFile::ReplaceResult YTextFile::Replace(const YString& source, const YString& target) {
    struct stat old;
    if (stat(target.CStr(), &old) == 0) {
        if (chmod(source.CStr(), old.st_mode & 07777) != 0) return ReplaceFailed;
    } else if (errno != ENOENT) {
        return ReplaceFailed;
    }
    return std::rename(source.CStr(), target.CStr()) == 0 ? ReplaceDone : ReplaceFailed;
}

// Root may write any file: a file without any write bit counts as read-only for it as well.
bool YTextFile::IsReadOnly(const YString& name) {
    struct stat status;
    if (stat(name.CStr(), &status) != 0) return false;
    return (status.st_mode & 0222) == 0 || faccessat(AT_FDCWD, name.CStr(), W_OK, AT_EACCESS) != 0;
}
