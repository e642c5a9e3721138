#include "YGuiDialog.hpp"

#include "YModule.hpp"
#include "YSystemException.hpp"

INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // The dialog manager passes its font before WM_INITDIALOG and keeps it itself.
    if (message == WM_SETFONT) return 0;
    if (message == WM_INITDIALOG && lParam) {
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        reinterpret_cast<YGuiDialog*>(lParam)->SetHandle(window);
    }
    auto* dialog = reinterpret_cast<YGuiDialog*>(GetWindowLongPtrA(window, DWLP_USER));
    // Messages before WM_INITDIALOG find no object yet.
    if (!dialog) return 0;
    return dialog->Dispatch(window, message, wParam, lParam);
}

void YGuiDialog::RequireTemplate(int line) const {
    if (templateId == 0) throw YSystemException(YSystemException::KindGui, line, SourceFile);
}

INT_PTR YGuiDialog::RunModal() {
    RequireTemplate(LineRunModal);
    return DialogBoxParamA(ModuleInstance(), MAKEINTRESOURCEA(templateId), GetParentHandle(), DialogProc, reinterpret_cast<LPARAM>(this));
}

HWND YGuiDialog::CreateModeless() {
    RequireTemplate(LineCreateModeless);
    return CreateDialogParamA(ModuleInstance(), MAKEINTRESOURCEA(templateId), GetParentHandle(), DialogProc, reinterpret_cast<LPARAM>(this));
}

void YGuiDialog::EndOk() { EndDialog(GetHandle(), CodeOk); }

void YGuiDialog::EndCancel() { EndDialog(GetHandle(), CodeCancel); }

void YGuiDialog::Show() { ShowWindow(GetHandle(), SW_SHOW); }

void YGuiDialog::Hide() { ShowWindow(GetHandle(), SW_HIDE); }

bool YGuiDialog::IsVisible() const { return IsWindowVisible(GetHandle()) == 1; }

void YGuiDialog::SetIcon(int iconId) {
    HICON icon = iconId == 0 ? nullptr : LoadIconA(ModuleInstance(), MAKEINTRESOURCEA(iconId));
    SendMessageA(GetHandle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
}
