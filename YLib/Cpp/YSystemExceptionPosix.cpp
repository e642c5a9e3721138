// The platform side of YSystemException for the native (POSIX) build of the core.
#include "YSystemException.hpp"

#include <cerrno>
#include <cstring>

#include "YString.hpp"

unsigned YSystemException::LastSystemError() { return static_cast<unsigned>(errno); }

YString YSystemException::SystemErrorText(unsigned code) {
    YString text(std::strerror(static_cast<int>(code)));
    text += '\n';
    return text;
}
