// The platform side of YSystemException on Windows: the last error, its text and the report box.
#include <windows.h>

#include "YLibText.hpp"
#include "YString.hpp"
#include "YSystemException.hpp"

unsigned YSystemException::LastSystemError() { return GetLastError(); }

YString YSystemException::SystemErrorText(unsigned code) {
    char* text = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                  reinterpret_cast<char*>(&text), 0, nullptr);
    YString result;
    if (length > 0 && text) result = text;
    LocalFree(text);
    return result;
}

void YSystemException::Report() const {
    YString message = Message();
    MessageBoxA(GetActiveWindow(), message.CStr(), YLibText(YLIB_TEXT_EXCEPTION), MB_ICONERROR | MB_OK);
}
