// The platform side of YTextFile on Windows.
#include <windows.h>

#include "YTextFile.hpp"

YTextFile::ReplaceResult YTextFile::Replace(const YString& source, const YString& target) {
    DWORD attributes = GetFileAttributesA(target.CStr());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        if (GetLastError() != ERROR_FILE_NOT_FOUND) return ReplaceFailed;
        // Nothing to replace; a file that appeared meanwhile is not overwritten. Write-through makes
        // the call return only when the new name is on the disk.
        return MoveFileExA(source.CStr(), target.CStr(), MOVEFILE_WRITE_THROUGH) ? ReplaceDone : ReplaceFailed;
    }
    // Only a file is replaced (Wine's ReplaceFileA would replace an empty folder).
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return ReplaceFailed;
    // The replaced file's attributes and access rights go to the new one; a read-only file is refused.
    if (ReplaceFileA(target.CStr(), source.CStr(), nullptr, 0, nullptr, nullptr)) return ReplaceDone;
    switch (GetLastError()) {
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT:
        // The old file is gone and the new one still has its own name: it only needs the name, or
        // else the file is written anew in place.
        return MoveFileExA(source.CStr(), target.CStr(), MOVEFILE_WRITE_THROUGH) ? ReplaceDone : ReplaceInUse;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
    case ERROR_UNABLE_TO_REMOVE_REPLACED:
        return ReplaceInUse;
    default:
        return ReplaceFailed;
    }
}

bool YTextFile::IsReadOnly(const YString& name) {
    DWORD attributes = GetFileAttributesA(name.CStr());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}
