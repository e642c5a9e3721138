// The core of YGuiDialogBase: control lookup, subclassing, tooltips, the menu bar and the
// operations that apply to any control. The control families have files of their own
// (YGuiDialogBaseButtons, YGuiDialogBaseTexts, YGuiDialogBaseLists, YGuiDialogBaseRanges) and so
// have the tab-hosted pages (YGuiDialogBasePages).
#include "YGuiDialogBase.hpp"

#include <cstddef>

#include "YModule.hpp"
#include "YSystemException.hpp"

namespace {

// The menu-item record as far as the state, text and bitmap-less members go.
constexpr UINT MenuItemInfoSize = offsetof(MENUITEMINFOA, hbmpItem);
// The tool record up to its parameter.
constexpr UINT ToolInfoSize = offsetof(TTTOOLINFOA, lParam) + sizeof(LPARAM);
#ifndef _WIN64
static_assert(MenuItemInfoSize == 44 && ToolInfoSize == 44, "the records the library gives the system");
#endif

}  // namespace

YGuiDialogBase::~YGuiDialogBase() {
    // The page windows go before their pages: a window being destroyed still talks to its page.
    for (int i = 0; i < pageWindows.Count(); ++i) {
        HWND window = pageWindows[i].window;
        if (window && IsWindow(window)) DestroyWindow(window);
        pageWindows[i].window = nullptr;
    }
    // The icons the dialog loaded for its controls: the object outlives its window, so nothing
    // shows them any more.
    for (int i = 0; i < controlIcons.Count(); ++i)
        if (controlIcons[i].icon) DestroyIcon(controlIcons[i].icon);
}

LRESULT YGuiDialogBase::HandleControlMessage(int, int* handled, HWND, UINT, WPARAM, LPARAM) {
    *handled = 0;
    return 0;
}

HWND YGuiDialogBase::GetControl(int id) const {
    HWND control = GetDlgItem(GetHandle(), id);
    if (!control) throw YSystemException(YSystemException::KindGui, LineGetControl, SourceFile);
    return control;
}

int YGuiDialogBase::GetControlId(HWND control) const {
    int id = GetDlgCtrlID(control);
    if (id == 0) throw YSystemException(YSystemException::KindGui, LineGetControlId, SourceFile);
    return id;
}

void YGuiDialogBase::SetMessageResult(LONG_PTR result) { SetWindowLongPtrA(GetHandle(), DWLP_MSGRESULT, result); }

LRESULT YGuiDialogBase::Send(int id, UINT message, WPARAM wParam, LPARAM lParam) const {
    return SendMessageA(GetControl(id), message, wParam, lParam);
}

int YGuiDialogBase::FindSubclassEntry(HWND control) {
    // A control usually gets many messages in a row: try the entry of the last lookup first.
    if (lastHit >= 0 && lastHit < subclasses.Count() && subclasses[lastHit].control == control) return lastHit;
    for (int i = 0; i < subclasses.Count(); ++i) {
        if (subclasses[i].control == control) {
            lastHit = i;
            return i;
        }
    }
    return -1;
}

void YGuiDialogBase::SubclassControl(int id) {
    HWND control = GetControl(id);
    int index = 0;
    while (index < subclasses.Count() && subclasses[index].controlId != -1) ++index;
    // Growing the table is the only step that can fail; the control is untouched until it worked.
    if (index == subclasses.Count()) subclasses.Add();
    SubclassEntry& entry = subclasses[index];
    entry.control = control;
    entry.controlId = id;
    entry.previousProcedure = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(control, GWLP_WNDPROC));
    SetWindowLongPtrA(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ControlSubclassProc));
}

void YGuiDialogBase::UnsubclassControl(int id) {
    HWND control = GetControl(id);
    int index = FindSubclassEntry(control);
    if (index < 0) return;
    SubclassEntry& entry = subclasses[index];
    SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(entry.previousProcedure));
    SetWindowLongPtrA(control, GWLP_USERDATA, 0);
    entry = SubclassEntry{nullptr, -1, nullptr};
}

LRESULT CALLBACK ControlSubclassProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* dialog = reinterpret_cast<YGuiDialogBase*>(GetWindowLongPtrA(control, GWLP_USERDATA));
    if (!dialog) return 0;
    int index = dialog->FindSubclassEntry(control);
    if (control == dialog->GetHandle() || index < 0) return 0;
    int handled = 0;
    LRESULT result;
    try {
        result = dialog->HandleControlMessage(dialog->subclasses[index].controlId, &handled, control, message, wParam, lParam);
    } catch (const YSystemException& e) {
        // Like the dialog's own handler: the failure costs a message box and this message.
        e.Report();
        return 0;
    }
    if (handled) return result;
    // The handler may have unsubclassed the control meanwhile.
    index = dialog->FindSubclassEntry(control);
    if (index < 0) return 0;
    return CallWindowProcA(dialog->subclasses[index].previousProcedure, control, message, wParam, lParam);
}

bool YGuiDialogBase::CreateToolTips(const ToolTipEntry* table) {
    HWND tips = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, GetHandle(), nullptr, ModuleInstance(), nullptr);
    if (!tips) return false;
    for (; table->controlId != -1; ++table) {
        TTTOOLINFOA tool = {};
        tool.cbSize = ToolInfoSize;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = GetHandle();
        tool.uId = reinterpret_cast<UINT_PTR>(GetControl(table->controlId));
        tool.hinst = ModuleInstance();
        tool.lpszText = LPSTR_TEXTCALLBACKA;
        SendMessageA(tips, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
    return true;
}

void YGuiDialogBase::GetToolTipText(NMTTDISPINFOA* request, const ToolTipEntry* table) const {
    int id = GetDlgCtrlID(reinterpret_cast<HWND>(request->hdr.idFrom));
    for (; table->controlId != -1; ++table) {
        if (table->controlId == id) {
            // With the instance set the tooltip itself resolves a string-table id.
            request->lpszText = const_cast<char*>(table->text);
            request->hinst = ModuleInstance();
            return;
        }
    }
}

UINT YGuiDialogBase::GetMenuItemState(UINT id) const { return GetMenuState(GetMenu(GetHandle()), id, MF_BYCOMMAND); }

void YGuiDialogBase::SetMenuItemState(UINT id, UINT state) {
    MENUITEMINFOA item = {};
    item.fMask = MIIM_STATE;
    item.fState = state;
    WriteMenuItem(id, &item);
}

void YGuiDialogBase::WriteMenuItem(UINT id, MENUITEMINFOA* item) {
    item->cbSize = MenuItemInfoSize;
    SetMenuItemInfoA(GetMenu(GetHandle()), id, FALSE, item);
}

void YGuiDialogBase::ReadMenuItem(UINT id, MENUITEMINFOA* item) const {
    item->cbSize = MenuItemInfoSize;
    GetMenuItemInfoA(GetMenu(GetHandle()), id, FALSE, item);
}

void YGuiDialogBase::CheckMenuRadio(UINT firstId, UINT lastId, UINT checkedId) {
    CheckMenuRadioItem(GetMenu(GetHandle()), firstId, lastId, checkedId, MF_BYCOMMAND);
}

void YGuiDialogBase::ShowControl(int id, bool show) { ShowWindow(GetControl(id), show ? SW_SHOW : SW_HIDE); }

void YGuiDialogBase::ShowControls(const int* ids, bool show) {
    for (; *ids != -1; ++ids) ShowControl(*ids, show);
}

void YGuiDialogBase::EnableControl(int id, bool enable) { EnableWindow(GetControl(id), enable); }

void YGuiDialogBase::EnableControls(const int* ids, bool enable) {
    for (; *ids != -1; ++ids) EnableControl(*ids, enable);
}

void YGuiDialogBase::FocusControl(int id) { SetFocus(GetControl(id)); }

void YGuiDialogBase::RedrawControl(int id, bool erase) {
    HWND control = GetControl(id);
    InvalidateRect(control, nullptr, erase);
    UpdateWindow(control);
}
