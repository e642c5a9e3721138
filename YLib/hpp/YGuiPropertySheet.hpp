#pragma once

#include <windows.h>

#include <commctrl.h>
#include <prsht.h>

#include "YGuiPageList.hpp"
#include "YGuiWindow.hpp"

class YGuiPropertyPage;

// A property sheet or wizard run with the system's PropertySheetA. The sheet owns its pages and
// shows them in the order they were added. Its own handler only watches the sheet window (to
// centre it and to note how it was closed); the system's sheet logic runs unchanged.
class YGuiPropertySheet : public YGuiWindow {
public:
    YGuiPropertySheet() = default;

    INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    // Writes the sheet's own members of the system's header record. The flags must include
    // PSH_PROPSHEETPAGE; the library adds PSH_USECALLBACK and fills in the rest.
    virtual void FillHeader(PROPSHEETHEADERA* header) = 0;

    void AddPage(YGuiPropertyPage* page);

    // Shows the sheet modally. True when the last of OK, Cancel and the close box before the sheet
    // closed was OK; false at once, showing nothing, when the sheet has no pages.
    bool Run();

    // The header flags of the last Run.
    DWORD GetHeaderFlags() const { return headerFlags; }

private:
    friend int CALLBACK SheetCallback(HWND window, UINT message, LPARAM lParam);

    YGuiPageList pages;
    bool accepted = false;
    DWORD headerFlags = 0;
    WNDPROC previousProcedure = nullptr;
};

// The sheet's creation callback: binds the sheet window to the sheet that is being started and
// puts SheetDialogProc in place of the window's dialog procedure.
int CALLBACK SheetCallback(HWND window, UINT message, LPARAM lParam);
INT_PTR CALLBACK SheetDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
