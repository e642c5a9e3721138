// The platform side of YTextFile on Windows.
#include <windows.h>

#include "YTextFile.hpp"

// The C library's rename refuses an existing target on Windows; MoveFileEx replaces it in one step.
// Write-through makes the call return only when the new file is on the disk.
bool YTextFile::Replace(const YString& source, const YString& target) {
    return MoveFileExA(source.CStr(), target.CStr(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
