// Loading a "BINARY" resource of the program module into a YByteBuffer.
#include <windows.h>

#include <cstring>

#include "YByteBuffer.hpp"
#include "YModule.hpp"
#include "YSystemException.hpp"

bool YByteBuffer::LoadResource(unsigned id) {
    HINSTANCE module = ModuleInstance();
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(id), "BINARY");
    if (!resource) Fail(YSystemException::KindUnknown, LineResourceNotFound);
    DWORD bytes = SizeofResource(module, resource);
    if (bytes == 0) Fail(YSystemException::KindUnknown, LineResourceEmpty);
    HGLOBAL loaded = ::LoadResource(module, resource);
    if (!loaded) Fail(YSystemException::KindUnknown, LineResourceNotLoaded);
    const void* content = LockResource(loaded);
    if (!content) {
        FreeResource(loaded);
        Fail(YSystemException::KindUnknown, LineResourceNotLocked);
    }
    SetSize(static_cast<int>(bytes));
    std::memcpy(data, content, bytes);
    FreeResource(loaded);
    return true;
}
