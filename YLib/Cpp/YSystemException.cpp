#include "YSystemException.hpp"

#include "YLibText.hpp"
#include "YString.hpp"

YSystemException::YSystemException(int kind, int line, const char* sourceFile)
    : kind(kind), systemError(kind == KindSystem ? LastSystemError() : 0), line(line), sourceFile(sourceFile) {}

YString YSystemException::Message() const {
    YString message;
    switch (kind) {
    case KindNoMemory: message = YLibText(YLIB_TEXT_NO_MEMORY); break;
    case KindSystem:
        message = YLibText(YLIB_TEXT_SYSTEM_ERROR);
        message += '\n';
        message += SystemErrorText(systemError);
        break;
    case KindGui: message = YLibText(YLIB_TEXT_GUI_ERROR); break;
    case KindOutOfRange: message = YLibText(YLIB_TEXT_OUT_OF_RANGE); break;
    case KindIllegalParameter: message = YLibText(YLIB_TEXT_ILLEGAL_PARAMETER); break;
    case KindNullPointer: message = YLibText(YLIB_TEXT_NULL_POINTER); break;
    default: message = YLibText(YLIB_TEXT_UNKNOWN); break;
    }
    message.AppendFormat(YLibText(YLIB_TEXT_LOCATION), sourceFile ? sourceFile : "", line);
    return message;
}
