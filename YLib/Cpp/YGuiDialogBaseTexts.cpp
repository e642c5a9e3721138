// Texts and numbers of statics, edit fields and the dialog title, and field validation, of
// YGuiDialogBase.
#include "YGuiDialogBase.hpp"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "YLibText.hpp"
#include "YSystemException.hpp"

namespace {

// Reads a window's text as one whole number with `parse` (strtol or strtod).
template <class Number, class Parse>
bool ReadWhole(HWND window, Number& value, Parse parse) {
    // Room for one character more than a number may have, to tell a text that is too long.
    char text[YGuiDialogBase::NumberTextLength + 2];
    int length = GetWindowTextA(window, text, sizeof text);
    value = 0;
    // Cut digits or an overflow would make another number of it.
    if (length > YGuiDialogBase::NumberTextLength) return false;
    char* end = nullptr;
    errno = 0;
    Number parsed = parse(text, &end);
    if (*end != '\0' || errno == ERANGE) return false;
    value = parsed;
    return true;
}

}  // namespace

bool YGuiDialogBase::ReadNumber(HWND window, int& value) {
    return ReadWhole(window, value, [](const char* text, char** end) { return static_cast<int>(std::strtol(text, end, 10)); });
}

bool YGuiDialogBase::ReadNumber(HWND window, double& value) {
    return ReadWhole(window, value, [](const char* text, char** end) { return std::strtod(text, end); });
}

void YGuiDialogBase::WriteNumber(HWND window, int value) {
    char text[32];
    wsprintfA(text, "%d", value);
    SetWindowTextA(window, text);
}

void YGuiDialogBase::WriteNumber(HWND window, double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    SetWindowTextA(window, text);
}

void YGuiDialogBase::SetControlInt(int id, int value) { WriteNumber(GetControl(id), value); }

void YGuiDialogBase::SetControlReal(int id, double value) { WriteNumber(GetControl(id), value); }

void YGuiDialogBase::SetControlText(int id, const YString& text) { SetWindowTextA(GetControl(id), text.CStr()); }

void YGuiDialogBase::LimitControlText(int id, int characters) { Send(id, EM_LIMITTEXT, characters); }

bool YGuiDialogBase::GetControlInt(int id, int& value) const { return ReadNumber(GetControl(id), value); }

bool YGuiDialogBase::GetControlReal(int id, double& value) const { return ReadNumber(GetControl(id), value); }

bool YGuiDialogBase::GetControlText(int id, YString& text) const {
    char buffer[TextLength + 1];
    GetWindowTextA(GetControl(id), buffer, sizeof buffer);
    text = buffer;
    return true;
}

template <class Number>
void YGuiDialogBase::Validate(bool& failed, int id, Number& value, Number min, Number max, unsigned rangeMessageId, int notANumberText) {
    if (failed) return;
    Number read = 0;
    bool isNumber = ReadNumber(GetControl(id), read);
    if (isNumber && min <= read && read <= max) {
        value = read;
        return;
    }
    failed = true;
    YString message;
    if (isNumber) message.FormatResource(rangeMessageId, min, max);
    else message = YLibText(notANumberText);
    ReportValidation(failed, id, message);
}

void YGuiDialogBase::ValidateInt(bool& failed, int id, int& value, int min, int max, unsigned rangeMessageId) {
    Validate(failed, id, value, min, max, rangeMessageId, YLIB_TEXT_ILLEGAL_INTEGER);
}

void YGuiDialogBase::ValidateReal(bool& failed, int id, double& value, double min, double max, unsigned rangeMessageId) {
    Validate(failed, id, value, min, max, rangeMessageId, YLIB_TEXT_ILLEGAL_REAL);
}

void YGuiDialogBase::ReportValidation(bool failed, int id, const YString& message) {
    if (!failed) return;
    MessageBoxA(GetHandle(), message.CStr(), YLibText(YLIB_TEXT_ERROR), MB_ICONHAND);
    if (id != -1) FocusControl(id);
}

void SetControlTextF(YGuiDialogBase* dialog, int id, const char* format, ...) {
    HWND target = id == 0 ? dialog->GetHandle() : dialog->GetControl(id);
    if (!target) throw YSystemException(YSystemException::KindGui, YGuiDialogBase::LineSetControlTextF, YGuiDialogBase::SourceFile);
    char text[YGuiDialogBase::FormattedTextLength + 1];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    SetWindowTextA(target, text);
}
