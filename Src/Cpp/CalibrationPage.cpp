#include "CalibrationPage.hpp"

#include "YModule.hpp"
#include "resource.h"

void CalibrationPage::FillPage(PROPSHEETPAGEA* record) {
    record->dwFlags = PSP_USETITLE;
    record->pszTemplate = MAKEINTRESOURCEA(templateId);
    record->pszTitle = MAKEINTRESOURCEA(IDS_CALIBRATION_TITLE);
}

INT_PTR CalibrationPage::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        picture = static_cast<HBITMAP>(LoadImageA(ModuleInstance(), MAKEINTRESOURCEA(IDB_OSCILLOSCOPE), IMAGE_BITMAP, 0, 0, 0));
        SendDlgItemMessageA(window, IDC_OSCILLOSCOPE, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture));
    }
    INT_PTR result = HandlePageMessage(window, message, wParam, lParam);
    if (message == WM_DESTROY && picture) {
        DeleteObject(picture);
        picture = nullptr;
    }
    return result;
}
