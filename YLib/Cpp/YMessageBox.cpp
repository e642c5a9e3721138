#include "YMessageBox.hpp"

#include <windows.h>

namespace {

constexpr unsigned ErrorStyle = MB_ICONERROR | MB_OK;
constexpr unsigned QuestionStyle = MB_ICONQUESTION | MB_OKCANCEL;

YString Loaded(unsigned id) {
    YString text;
    text.LoadResource(id);
    return text;
}

int Show(const YString& title, const YString& text, unsigned style) {
    return MessageBoxA(GetActiveWindow(), text.CStr(), title.CStr(), style);
}

}  // namespace

int MessageBoxById(unsigned titleId, unsigned textId, unsigned style) { return Show(Loaded(titleId), Loaded(textId), style); }

void ErrorBox(unsigned titleId, unsigned textId) { Show(Loaded(titleId), Loaded(textId), ErrorStyle); }

void ErrorBox(unsigned titleId, const YString& text) { Show(Loaded(titleId), text, ErrorStyle); }

void ErrorBox(const YString& title, const YString& text) { Show(title, text, ErrorStyle); }

int QuestionBox(unsigned titleId, unsigned textId) { return Show(Loaded(titleId), Loaded(textId), QuestionStyle); }

int QuestionBox(const YString& title, const YString& text) { return Show(title, text, QuestionStyle); }
