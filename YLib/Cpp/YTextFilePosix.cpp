// The platform side of YTextFile for the native (POSIX) build of the core.
#include "YTextFile.hpp"

#include <cstdio>

// rename replaces an existing target atomically.
bool YTextFile::Replace(const YString& source, const YString& target) { return std::rename(source.CStr(), target.CStr()) == 0; }
