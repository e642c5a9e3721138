#pragma once

#include <windows.h>

#include "YGuiDialogBase.hpp"

// A dialog created from a dialog template of the program module. Every dialog of the program
// derives from it: its constructor sets the template (and, for secondary dialogs, the owner), and
// its HandleMessage ends the dialog with EndOk or EndCancel.
class YGuiDialog : public YGuiDialogBase {
public:
    static constexpr int LineRunModal = 2130;
    static constexpr int LineCreateModeless = 2146;

    // The end codes of EndOk and EndCancel.
    static constexpr INT_PTR CodeOk = 1;
    static constexpr INT_PTR CodeCancel = 0;

    YGuiDialog() = default;

    void SetTemplate(WORD id) { templateId = id; }

    // Runs the dialog modally and returns the code it was ended with (the system's failure value
    // as it comes). Without a template it throws before any window exists.
    INT_PTR RunModal();
    // Creates the dialog hidden; null when the system cannot create it.
    HWND CreateModeless();

    void EndOk();
    void EndCancel();
    void Show();
    void Hide();
    bool IsVisible() const;
    // The large window icon; the id 0 removes it.
    void SetIcon(int iconId);

private:
    void RequireTemplate(int line) const;

    WORD templateId = 0;
};

// The dialog procedure of every YGuiDialog: binds the object on WM_INITDIALOG and hands it every
// later message except WM_SETFONT.
INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
