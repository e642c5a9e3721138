#include "CreateTuningDialog.hpp"

#include "TuningModel.hpp"
#include "TuningSettingsDialog.hpp"
#include "YMessageBox.hpp"
#include "resource.h"

namespace {

constexpr WPARAM Backspace = 8;
// The simple beep of the loudspeaker.
constexpr UINT SimpleBeep = 0xFFFFFFFF;

WNDPROC PreviousProcedure(HWND edit) { return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(edit, GWLP_USERDATA)); }

}  // namespace

LRESULT CALLBACK NameFilterProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CHAR && wParam != Backspace && !IsTuningNameCharacter(static_cast<int>(wParam))) {
        MessageBeep(SimpleBeep);
        return 0;
    }
    return CallWindowProcA(PreviousProcedure(edit), edit, message, wParam, lParam);
}

CreateTuningDialog::CreateTuningDialog() {
    SetTemplate(IDD_CREATE_TUNING);
    SetParentHandle(GetActiveWindow());
}

INT_PTR CreateTuningDialog::HandleMessage(HWND, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: Initialize(); break;
    case WM_COMMAND: Command(LOWORD(wParam), HIWORD(wParam)); break;
    case WM_CLOSE: EndCancel(); break;
    case WM_DESTROY: {
        HWND edit = GetControl(IDC_TUNING_NAME);
        if (WNDPROC previous = PreviousProcedure(edit)) SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        break;
    }
    }
    // Also for WM_INITDIALOG: the focus is set already.
    return FALSE;
}

void CreateTuningDialog::Initialize() {
    CenterWindow(GetHandle());
    EnableControl(IDOK, false);
    HWND edit = GetControl(IDC_TUNING_NAME);
    SetWindowLongPtrA(edit, GWLP_USERDATA, GetWindowLongPtrA(edit, GWLP_WNDPROC));
    SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(NameFilterProc));
    LimitControlText(IDC_TUNING_NAME, MaxTuningNameLength);
    FocusControl(IDC_TUNING_NAME);
}

void CreateTuningDialog::Command(int id, int notification) {
    if (id == IDC_TUNING_NAME && notification == EN_CHANGE) {
        YString name;
        GetControlText(IDC_TUNING_NAME, name);
        EnableControl(IDOK, !name.IsEmpty());
        return;
    }
    if (notification != BN_CLICKED) return;
    if (id == IDOK) Confirm();
    if (id == IDCANCEL) EndCancel();
}

void CreateTuningDialog::Confirm() {
    GetControlText(IDC_TUNING_NAME, newName);
    if (!IsValidTuningName(newName)) {
        MessageBeep(SimpleBeep);
        return;
    }
    if (ownerDialog && ownerDialog->FindLiveRecord(newName) != -1) {
        ErrorBox(IDS_ERROR_TITLE, IDS_TUNING_EXISTS);
        return;
    }
    EndOk();
}
