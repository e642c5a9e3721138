#pragma once

#include <windows.h>

#include <commctrl.h>
#include <prsht.h>

#include "YGuiDialogBase.hpp"

class YGuiPropertySheet;

// One page of a property sheet or wizard, or of a dialog's tab control. Its window is created by
// the system from the template that FillPage names; the sheet's notifications reach HandleMessage
// as WM_NOTIFY, answered through the result and SetMessageResult.
class YGuiPropertyPage : public YGuiDialogBase {
public:
    YGuiPropertyPage() = default;

    // Writes the page's own members of the system's page record: flags, template, icon, title.
    // The library sets the size, instance, dialog procedure and parameter itself.
    virtual void FillPage(PROPSHEETPAGEA* record) = 0;

    void SetSheet(YGuiPropertySheet* owner) { sheet = owner; }
    YGuiPropertySheet* GetSheet() const { return sheet; }

    // Posted, so the buttons change after the current notification has been answered. Nothing
    // happens on a page without a sheet.
    void SetWizardButtons(DWORD flags);
    void SelectPageById(int templateId);

    YGuiPropertyPage* NextPage() const { return nextPage; }
    void SetNextPage(YGuiPropertyPage* page) { nextPage = page; }

private:
    YGuiPropertySheet* sheet = nullptr;
    YGuiPropertyPage* nextPage = nullptr;
};

// The dialog procedure of every page window, in a sheet or a tab control.
INT_PTR CALLBACK PageDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
