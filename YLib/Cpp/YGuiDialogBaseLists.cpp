// Combo boxes, list boxes and list views of YGuiDialogBase.
#include "YGuiDialogBase.hpp"

namespace {

YString Loaded(unsigned textId) {
    YString text;
    text.LoadResource(textId);
    return text;
}

LPARAM TextOf(const YString& text) { return reinterpret_cast<LPARAM>(text.CStr()); }

UINT ItemState(HWND view, int index) {
    LVITEMA item = {};
    item.mask = LVIF_STATE;
    item.iItem = index;
    item.stateMask = static_cast<UINT>(-1);
    SendMessageA(view, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return item.state;
}

void SetSelected(HWND view, int index, bool selected) {
    LVITEMA item = {};
    item.mask = LVIF_STATE;
    item.iItem = index;
    item.stateMask = LVIS_SELECTED;
    item.state = selected ? LVIS_SELECTED : 0;
    SendMessageA(view, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

}  // namespace

void YGuiDialogBase::AddComboString(int id, const YString& text) { Send(id, CB_ADDSTRING, 0, TextOf(text)); }

void YGuiDialogBase::AddComboStringId(int id, unsigned textId) {
    HWND combo = GetControl(id);
    SendMessageA(combo, CB_ADDSTRING, 0, TextOf(Loaded(textId)));
}

void YGuiDialogBase::AddComboStringIds(int id, const int* textIds) {
    HWND combo = GetControl(id);
    for (; *textIds != -1; ++textIds) SendMessageA(combo, CB_ADDSTRING, 0, TextOf(Loaded(*textIds)));
}

void YGuiDialogBase::InsertComboStringId(int id, int index, unsigned textId) {
    HWND combo = GetControl(id);
    SendMessageA(combo, CB_INSERTSTRING, index, TextOf(Loaded(textId)));
}

bool YGuiDialogBase::GetComboText(int id, int index, YString& text) const {
    HWND combo = GetControl(id);
    text.Empty();
    LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, index, 0);
    if (length <= 0) return false;
    text.SetLength(static_cast<int>(length));
    LRESULT copied = SendMessageA(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
    if (copied == CB_ERR) {
        text.Empty();
        return false;
    }
    text.SetLength(static_cast<int>(copied));
    return true;
}

bool YGuiDialogBase::GetComboSelText(int id, YString& text) const { return GetComboText(id, GetComboSel(id), text); }

void YGuiDialogBase::SetComboSel(int id, int index) { Send(id, CB_SETCURSEL, index); }

int YGuiDialogBase::GetComboSel(int id) const { return static_cast<int>(Send(id, CB_GETCURSEL)); }

void YGuiDialogBase::DeleteComboItem(int id, int index) { Send(id, CB_DELETESTRING, index); }

void YGuiDialogBase::ClearCombo(int id) { Send(id, CB_RESETCONTENT); }

void YGuiDialogBase::SetComboData(int id, int index, LPARAM data) { Send(id, CB_SETITEMDATA, index, data); }

LRESULT YGuiDialogBase::GetComboData(int id, int index) const { return Send(id, CB_GETITEMDATA, index); }

void YGuiDialogBase::AddListString(int id, const YString& text) { Send(id, LB_ADDSTRING, 0, TextOf(text)); }

void YGuiDialogBase::AddListStringIds(int id, const int* textIds) {
    HWND list = GetControl(id);
    for (; *textIds != -1; ++textIds) SendMessageA(list, LB_ADDSTRING, 0, TextOf(Loaded(*textIds)));
}

void YGuiDialogBase::AddListStrings(int id, const char* const* texts) {
    HWND list = GetControl(id);
    for (; *texts; ++texts) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(*texts));
}

void YGuiDialogBase::InsertListString(int id, int index, const YString& text) { Send(id, LB_INSERTSTRING, index, TextOf(text)); }

void YGuiDialogBase::DeleteListItem(int id, int index) { Send(id, LB_DELETESTRING, index); }

void YGuiDialogBase::ClearList(int id) { Send(id, LB_RESETCONTENT); }

void YGuiDialogBase::GetListText(int id, int index, YString& text) const {
    HWND list = GetControl(id);
    LRESULT length = SendMessageA(list, LB_GETTEXTLEN, index, 0);
    if (length <= 0) return;
    text.SetLength(static_cast<int>(length));
    text.SetLength(static_cast<int>(SendMessageA(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(&text[0]))));
}

void YGuiDialogBase::SetListSel(int id, int index) { Send(id, LB_SETCURSEL, index); }

int YGuiDialogBase::GetListSel(int id) const { return static_cast<int>(Send(id, LB_GETCURSEL)); }

void YGuiDialogBase::SetListData(int id, int index, LPARAM data) { Send(id, LB_SETITEMDATA, index, data); }

LRESULT YGuiDialogBase::GetListData(int id, int index) const { return Send(id, LB_GETITEMDATA, index); }

int YGuiDialogBase::GetListCount(int id) const { return static_cast<int>(Send(id, LB_GETCOUNT)); }

void YGuiDialogBase::SetListItemHeight(int id, int height) { Send(id, LB_SETITEMHEIGHT, 0, height); }

void YGuiDialogBase::RedrawListItem(int id, int index) {
    HWND list = GetControl(id);
    RECT item;
    SendMessageA(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
    InvalidateRect(list, &item, FALSE);
    UpdateWindow(list);
}

int YGuiDialogBase::ListItemFromPoint(int id, POINT point) const {
    HWND list = GetControl(id);
    int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    RECT client;
    GetClientRect(list, &client);
    // Only the visible items: from the top one down to the first that reaches the bottom edge.
    for (int index = static_cast<int>(SendMessageA(list, LB_GETTOPINDEX, 0, 0)); index < count; ++index) {
        RECT item;
        SendMessageA(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
        if (PtInRect(&item, point)) return index;
        if (item.bottom >= client.bottom) break;
    }
    return -1;
}

void YGuiDialogBase::DisableRedraw(int id) { Send(id, WM_SETREDRAW, FALSE); }

void YGuiDialogBase::EnableRedraw(int id) {
    HWND list = GetControl(id);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

bool YGuiDialogBase::InsertListViewColumn(int id, int index, LVCOLUMNA* column) {
    return Send(id, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(column)) != -1;
}

bool YGuiDialogBase::InsertListViewItem(int id, LVITEMA* item) { return Send(id, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(item)) != -1; }

// These two answer TRUE or FALSE, never -1.
bool YGuiDialogBase::SetListViewItem(int id, LVITEMA* item) { return Send(id, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(item)) != 0; }

bool YGuiDialogBase::GetListViewItem(int id, LVITEMA* item) const { return Send(id, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(item)) != 0; }

bool YGuiDialogBase::DeleteListViewItem(int id, int index) { return Send(id, LVM_DELETEITEM, index) != 0; }

bool YGuiDialogBase::DeleteAllListViewItems(int id) { return Send(id, LVM_DELETEALLITEMS) != 0; }

int YGuiDialogBase::GetListViewCount(int id) const { return static_cast<int>(Send(id, LVM_GETITEMCOUNT)); }

int YGuiDialogBase::GetListViewSel(int id) const {
    HWND view = GetControl(id);
    int count = static_cast<int>(SendMessageA(view, LVM_GETITEMCOUNT, 0, 0));
    for (int index = 0; index < count; ++index)
        if (ItemState(view, index) & LVIS_SELECTED) return index;
    return -1;
}

void YGuiDialogBase::SetListViewSel(int id, int index) {
    HWND view = GetControl(id);
    int count = static_cast<int>(SendMessageA(view, LVM_GETITEMCOUNT, 0, 0));
    for (int item = 0; item < count; ++item) {
        bool selected = (ItemState(view, item) & LVIS_SELECTED) != 0;
        if (selected != (item == index)) SetSelected(view, item, item == index);
    }
}
