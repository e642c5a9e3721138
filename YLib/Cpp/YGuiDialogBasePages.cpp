// Property pages hosted in a tab control of an ordinary dialog (YGuiDialogBase).
#include "YGuiDialogBase.hpp"

#include "YGuiPropertyPage.hpp"
#include "YModule.hpp"
#include "YSystemException.hpp"

namespace {

void NotifyPage(HWND page, HWND tab, int tabId, UINT code) {
    NMHDR header = {tab, static_cast<UINT_PTR>(tabId), code};
    SendMessageA(page, WM_NOTIFY, tabId, reinterpret_cast<LPARAM>(&header));
}

}  // namespace

void YGuiDialogBase::AddPage(YGuiPropertyPage* page) { pages.Add(page); }

void YGuiDialogBase::CreatePageTabs(int tabId) {
    HWND tab = GetControl(tabId);
    currentPage = 0;
    int count = pages.Count();
    if (count == 0) return;
    pageWindows.SetSize(count);
    pageWindows.Fill(PageWindowEntry{nullptr, nullptr, nullptr});

    // The list holds the most recently added page first: walk it from the last index down, and
    // insert every tab in front of those already there, so that tab and index i both belong to
    // the page added i-th.
    int index = count;
    for (YGuiPropertyPage* page = pages.First(); page; page = page->NextPage()) {
        --index;
        PROPSHEETPAGEA record = {};
        page->FillPage(&record);
        TCITEMA item = {};
        YString title;
        if (record.dwFlags & PSP_USETITLE) {
            title.LoadResource(static_cast<unsigned>(reinterpret_cast<UINT_PTR>(record.pszTitle)));
            item.mask = TCIF_TEXT;
            item.pszText = const_cast<char*>(title.CStr());
        }
        SendMessageA(tab, TCM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        pageWindows[index] = PageWindowEntry{nullptr, record.pszTemplate, page};
    }
    SendMessageA(tab, TCM_SETCURSEL, 0, 0);
    ShowPage(tab, tabId, 0);
}

void YGuiDialogBase::ShowPage(HWND tab, int tabId, int index) {
    if (HWND shown = pageWindows[currentPage].window) ShowWindow(shown, SW_HIDE);
    currentPage = index;
    PageWindowEntry& entry = pageWindows[index];
    if (!entry.window) {
        // PageDialogProc finds the page in the record, as in a property sheet.
        PROPSHEETPAGEA record = {};
        record.lParam = reinterpret_cast<LPARAM>(entry.page);
        HWND window = CreateDialogParamA(ModuleInstance(), entry.pageTemplate, tab, PageDialogProc, reinterpret_cast<LPARAM>(&record));
        if (!window) throw YSystemException(YSystemException::KindUnknown, LineCreatePageWindow, SourceFile);
        RECT area;
        GetClientRect(window, &area);
        SendMessageA(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
        SetWindowPos(window, nullptr, area.left, area.top, 0, 0, SWP_NOSIZE);
        entry.window = window;
    }
    NotifyPage(entry.window, tab, tabId, PSN_SETACTIVE);
    ShowWindow(entry.window, SW_SHOW);
}

bool YGuiDialogBase::HandleTabNotify(int tabId, int notifyingId, const NMHDR* header, bool& stop) {
    stop = false;
    if (notifyingId != tabId) return false;
    HWND tab = GetControl(tabId);
    int selection = static_cast<int>(SendMessageA(tab, TCM_GETCURSEL, 0, 0));
    bool inTable = selection >= 0 && selection < pageWindows.Count();
    switch (header->code) {
    case TCN_SELCHANGING:
        if (inTable && pageWindows[selection].window) {
            // The page refuses to be left by answering PSN_KILLACTIVE with a non-zero result.
            HWND page = pageWindows[selection].window;
            SetWindowLongPtrA(page, DWLP_MSGRESULT, 0);
            NotifyPage(page, tab, tabId, PSN_KILLACTIVE);
            stop = GetWindowLongPtrA(page, DWLP_MSGRESULT) != 0;
        }
        return true;
    case TCN_SELCHANGE:
        if (!inTable) return false;
        ShowPage(tab, tabId, selection);
        return true;
    default:
        return false;
    }
}
