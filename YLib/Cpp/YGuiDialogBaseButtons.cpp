// Buttons, check boxes, radio groups and control icons of YGuiDialogBase.
#include "YGuiDialogBase.hpp"

#include "YModule.hpp"
#include "YSystemException.hpp"

namespace {

bool IsEnd(const RadioEntry& row) { return row.value == -1 || row.controlId == -1; }

bool IsEnd(const IconEntry& row) { return row.controlId == -1 || row.iconId == -1; }

}  // namespace

HICON YGuiDialogBase::LoadIconSized(int iconId, int size) {
    return static_cast<HICON>(LoadImageA(ModuleInstance(), MAKEINTRESOURCEA(iconId), IMAGE_ICON, size, size, 0));
}

bool YGuiDialogBase::IsChecked(int id) const { return Send(id, BM_GETCHECK) == BST_CHECKED; }

void YGuiDialogBase::SetCheck(int id, bool checked) { Send(id, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED); }

void YGuiDialogBase::Click(int id) { Send(id, BM_CLICK); }

// The icons come from LoadImageA without LR_SHARED: each one is the dialog's own and must be
// destroyed by it.
void YGuiDialogBase::ShowLoadedIcon(int id, int iconId, int size, UINT message) {
    HWND control = GetControl(id);
    // The only step that can fail (no memory for the entry) comes before the icon exists.
    int index = ControlIconIndex(id);
    HICON icon = LoadIconSized(iconId, size);
    if (message == BM_SETIMAGE)
        SendMessageA(control, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
    else
        SendMessageA(control, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    HICON previous = controlIcons[index].icon;
    controlIcons[index].icon = icon;
    if (previous && previous != icon) DestroyIcon(previous);
}

int YGuiDialogBase::ControlIconIndex(int id) {
    for (int i = 0; i < controlIcons.Count(); ++i)
        if (controlIcons[i].controlId == id) return i;
    int index = controlIcons.Add();
    controlIcons[index] = ControlIconEntry{id, nullptr};
    return index;
}

void YGuiDialogBase::SetButtonIcon(int id, int iconId) { ShowLoadedIcon(id, iconId, SmallIconSize, BM_SETIMAGE); }

void YGuiDialogBase::SetButtonIcons(const IconEntry* table) {
    for (; !IsEnd(*table); ++table) SetButtonIcon(table->controlId, table->iconId);
}

void YGuiDialogBase::SetButtonIconLarge(int id, int iconId) { ShowLoadedIcon(id, iconId, LargeIconSize, BM_SETIMAGE); }

void YGuiDialogBase::SetButtonIconsLarge(const IconEntry* table) {
    for (; !IsEnd(*table); ++table) SetButtonIconLarge(table->controlId, table->iconId);
}

void YGuiDialogBase::SetRadioGroup(const RadioEntry* group, int value) {
    for (; !IsEnd(*group); ++group) SetCheck(group->controlId, group->value == value);
}

int YGuiDialogBase::GetRadioGroup(const RadioEntry* group) const {
    for (; !IsEnd(*group); ++group)
        if (IsChecked(group->controlId)) return group->value;
    return -1;
}

bool YGuiDialogBase::IsRadioGroupCommand(const RadioEntry* group, WPARAM wParam) const {
    if (HIWORD(wParam) != 0) return false;
    for (; !IsEnd(*group); ++group)
        if (group->controlId == LOWORD(wParam)) return true;
    return false;
}

void YGuiDialogBase::SetStaticIcon(int id, int iconId) { ShowLoadedIcon(id, iconId, SmallIconSize, STM_SETICON); }

void YGuiDialogBase::DrawControlIcon(int id, int iconId) {
    HWND control = GetControl(id);
    RECT client;
    GetClientRect(control, &client);
    int x = (client.right - client.left - SmallIconSize) / 2;
    int y = (client.bottom - client.top - SmallIconSize) / 2;
    HICON icon = LoadIconSized(iconId, SmallIconSize);
    if (!icon) throw YSystemException(YSystemException::KindGui, LineDrawControlIcon, SourceFile);
    HDC context = GetDC(control);
    DrawIconEx(context, x, y, icon, SmallIconSize, SmallIconSize, 0, nullptr, DI_NORMAL);
    ReleaseDC(control, context);
    DestroyIcon(icon);
}
