#include "YGuiPropertyPage.hpp"

#include "YGuiPropertySheet.hpp"

void YGuiPropertyPage::SetWizardButtons(DWORD flags) {
    if (sheet) PostMessageA(sheet->GetHandle(), PSM_SETWIZBUTTONS, 0, flags);
}

void YGuiPropertyPage::SelectPageById(int templateId) {
    if (sheet) SendMessageA(sheet->GetHandle(), PSM_SETCURSELID, 0, templateId);
}

INT_PTR CALLBACK PageDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETFONT) return 0;
    if (message == WM_INITDIALOG && lParam) {
        // The page arrives in the parameter of the page record the window was created from.
        auto* page = reinterpret_cast<YGuiPropertyPage*>(reinterpret_cast<const PROPSHEETPAGEA*>(lParam)->lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(page));
        page->SetHandle(window);
    }
    auto* page = reinterpret_cast<YGuiPropertyPage*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!page) return 0;
    return page->Dispatch(window, message, wParam, lParam);
}
