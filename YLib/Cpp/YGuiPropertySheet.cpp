#include "YGuiPropertySheet.hpp"

#include <cstddef>
#include <cstring>

#include "YArray.hpp"
#include "YGuiPropertyPage.hpp"
#include "YModule.hpp"

namespace {

// The records as the library hands them over: the page record up to the header subtitle, the
// whole header with its watermark and header-bitmap members.
constexpr UINT PageRecordSize = offsetof(PROPSHEETPAGEA, pszHeaderSubTitle) + sizeof(LPCSTR);
constexpr UINT HeaderRecordSize = sizeof(PROPSHEETHEADERA);
#ifndef _WIN64
static_assert(PageRecordSize == 48 && HeaderRecordSize == 52, "the records the library gives the system");
#endif

// The sheet between PropertySheetA and its creation callback, which binds it to its window.
YGuiPropertySheet* StartingSheet = nullptr;

}  // namespace

void YGuiPropertySheet::AddPage(YGuiPropertyPage* page) { pages.Add(page); }

bool YGuiPropertySheet::Run() {
    accepted = false;
    int count = pages.Count();
    if (count == 0) return false;

    // The system steps from record to record by their size member, so the records lie packed at
    // that size, shorter than the compiler's full record.
    YArray<BYTE> records;
    records.SetSize(count * static_cast<int>(PageRecordSize));
    int index = count;
    for (YGuiPropertyPage* page = pages.First(); page; page = page->NextPage()) {
        --index;
        PROPSHEETPAGEA record = {};
        page->FillPage(&record);
        record.dwSize = PageRecordSize;
        record.hInstance = ModuleInstance();
        record.pfnDlgProc = PageDialogProc;
        record.lParam = reinterpret_cast<LPARAM>(page);
        record.pfnCallback = nullptr;
        std::memcpy(records.Data() + index * PageRecordSize, &record, PageRecordSize);
    }

    PROPSHEETHEADERA header = {};
    FillHeader(&header);
    header.dwSize = HeaderRecordSize;
    header.dwFlags |= PSH_USECALLBACK;
    header.hwndParent = GetParentHandle();
    header.hInstance = ModuleInstance();
    header.nPages = static_cast<UINT>(count);
    header.ppsp = reinterpret_cast<LPCPROPSHEETPAGEA>(records.Data());
    header.pfnCallback = SheetCallback;
    headerFlags = header.dwFlags;

    StartingSheet = this;
    PropertySheetA(&header);
    // Normally the callback has cleared it already; a sheet that failed to start must not stay.
    StartingSheet = nullptr;
    return accepted;
}

INT_PTR YGuiPropertySheet::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        CenterWindowSized(window, LOWORD(lParam), HIWORD(lParam));
        break;
    case WM_COMMAND:
        if (HIWORD(wParam) == 0) {
            if (LOWORD(wParam) == IDOK) accepted = true;
            else if (LOWORD(wParam) == IDCANCEL) accepted = false;
        }
        break;
    case WM_SYSCOMMAND:
        if (wParam == SC_CLOSE) accepted = false;
        break;
    default:
        break;
    }
    return CallWindowProcA(previousProcedure, window, message, wParam, lParam);
}

int CALLBACK SheetCallback(HWND window, UINT message, LPARAM) {
    if (message == PSCB_INITIALIZED && StartingSheet) {
        YGuiPropertySheet* sheet = StartingSheet;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(sheet));
        sheet->SetHandle(window);
        sheet->previousProcedure = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, DWLP_DLGPROC));
        SetWindowLongPtrA(window, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(SheetDialogProc));
        StartingSheet = nullptr;
    }
    return 0;
}

INT_PTR CALLBACK SheetDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* sheet = reinterpret_cast<YGuiPropertySheet*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!sheet) return 0;
    return sheet->Dispatch(window, message, wParam, lParam);
}
