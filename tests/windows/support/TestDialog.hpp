#pragma once

#include <functional>
#include <vector>

#include "YGuiDialog.hpp"

// A dialog of a test template whose behaviour the test supplies. Every message the framework
// hands over is logged and then given to `onMessage` (answered 0 without one); messages of
// subclassed controls go to `onControlMessage` (the library's default without one).
class TestDialog : public YGuiDialog {
public:
    explicit TestDialog(WORD templateId) { SetTemplate(templateId); }
    // A modeless window goes with its object; a modal one is gone already.
    ~TestDialog() override {
        if (IsWindow(GetHandle())) DestroyWindow(GetHandle());
    }

    // Creates the dialog modelessly and shows it in front.
    void Open() {
        CreateModeless();
        Show();
        SetForegroundWindow(GetHandle());
    }

    INT_PTR HandleMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam) override {
        messages.push_back(message);
        return onMessage ? onMessage(message, wParam, lParam) : 0;
    }

    LRESULT HandleControlMessage(int controlId, int* handled, HWND control, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (!onControlMessage) return YGuiDialog::HandleControlMessage(controlId, handled, control, message, wParam, lParam);
        return onControlMessage(controlId, handled, message, wParam, lParam);
    }

    using YGuiDialogBase::SubclassTable;

    std::function<INT_PTR(UINT message, WPARAM wParam, LPARAM lParam)> onMessage;
    std::function<LRESULT(int controlId, int* handled, UINT message, WPARAM wParam, LPARAM lParam)> onControlMessage;
    std::vector<UINT> messages;
};
