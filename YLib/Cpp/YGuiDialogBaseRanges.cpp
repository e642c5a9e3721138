// Up-down controls, sliders, progress bars and scroll bars of YGuiDialogBase.
#include "YGuiDialogBase.hpp"

#include <type_traits>

namespace {

// -1, 0 or 1 for the arrow that was pressed.
int Direction(const NMUPDOWN* notification) { return (notification->iDelta > 0) - (notification->iDelta < 0); }

// The buddy field of the up-down that sent a position change; null for other notifications and
// for an up-down without a buddy.
HWND BuddyToStep(const NMUPDOWN* notification) {
    if (notification->hdr.code != UDN_DELTAPOS) return nullptr;
    return reinterpret_cast<HWND>(SendMessageA(notification->hdr.hwndFrom, UDM_GETBUDDY, 0, 0));
}

bool IsVertical(HWND slider) { return (GetWindowLongPtrA(slider, GWL_STYLE) & TBS_VERT) != 0; }

// A vertical slider's own position grows downwards; the dialog's value grows upwards.
int Flipped(HWND slider, int value) {
    int min = static_cast<int>(SendMessageA(slider, TBM_GETRANGEMIN, 0, 0));
    int max = static_cast<int>(SendMessageA(slider, TBM_GETRANGEMAX, 0, 0));
    return max - (value - min);
}

}  // namespace

void YGuiDialogBase::InitUpDowns() {
    HWND dialog = GetHandle();
    for (HWND upDown = FindWindowExA(dialog, nullptr, UPDOWN_CLASSA, nullptr); upDown;
         upDown = FindWindowExA(dialog, upDown, UPDOWN_CLASSA, nullptr))
        SendMessageA(upDown, UDM_SETRANGE, 0, MAKELPARAM(10, 1));
}

template <class Number>
void YGuiDialogBase::StepUpDown(const NMUPDOWN* notification, Number min, Number max, Number step) {
    HWND buddy = BuddyToStep(notification);
    if (!buddy) return;
    Number value = 0;
    if (!ReadNumber(buddy, value)) {
        MessageBeep(MB_ICONHAND);
        return;
    }
    // Whole numbers move in 64 bits, so that a step beyond the int range is refused, not wrapped.
    using Wide = std::conditional_t<std::is_integral_v<Number>, long long, double>;
    Wide moved = static_cast<Wide>(value) + Direction(notification) * static_cast<Wide>(step);
    if (min <= moved && moved <= max) WriteNumber(buddy, static_cast<Number>(moved));
}

void YGuiDialogBase::HandleUpDownInt(const NMUPDOWN* notification, int min, int max, int step) { StepUpDown(notification, min, max, step); }

void YGuiDialogBase::HandleUpDownReal(const NMUPDOWN* notification, double min, double max, double step) {
    StepUpDown(notification, min, max, step);
}

void YGuiDialogBase::SetSliderRange(int id, int min, int max) { Send(id, TBM_SETRANGE, TRUE, MAKELPARAM(min, max)); }

int YGuiDialogBase::GetSliderPos(int id) const {
    HWND slider = GetControl(id);
    int position = static_cast<int>(SendMessageA(slider, TBM_GETPOS, 0, 0));
    return IsVertical(slider) ? Flipped(slider, position) : position;
}

void YGuiDialogBase::SetSliderPos(int id, int value) {
    HWND slider = GetControl(id);
    SendMessageA(slider, TBM_SETPOS, TRUE, IsVertical(slider) ? Flipped(slider, value) : value);
}

void YGuiDialogBase::SetSliderTicFreq(int id, int frequency) { Send(id, TBM_SETTICFREQ, frequency); }

void YGuiDialogBase::SetSliderPageSize(int id, int size) { Send(id, TBM_SETPAGESIZE, 0, size); }

void YGuiDialogBase::SetProgressRange(int id, int min, int max) { Send(id, PBM_SETRANGE, 0, MAKELPARAM(min, max)); }

void YGuiDialogBase::SetProgressPos(int id, int position) { Send(id, PBM_SETPOS, position); }

void YGuiDialogBase::SetScrollBarRange(int id, int min, int max, int page) { SetScrollBarRange(GetControl(id), min, max, page); }

void YGuiDialogBase::SetScrollBarRange(HWND bar, int min, int max, int page) {
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE;
    info.nMin = min;
    info.nMax = max;
    if (page != 0) {
        info.fMask |= SIF_PAGE;
        info.nPage = static_cast<UINT>(page);
    }
    SetScrollInfo(bar, SB_CTL, &info, TRUE);
}

int YGuiDialogBase::GetScrollBarPos(int id) const { return GetScrollBarPos(GetControl(id)); }

int YGuiDialogBase::GetScrollBarPos(HWND bar) const { return GetScrollPos(bar, SB_CTL); }

void YGuiDialogBase::SetScrollBarPos(int id, int position) { SetScrollBarPos(GetControl(id), position); }

void YGuiDialogBase::SetScrollBarPos(HWND bar, int position) { SetScrollPos(bar, SB_CTL, position, TRUE); }

void YGuiDialogBase::HandleScrollBar(HWND bar, WPARAM wParam) {
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    GetScrollInfo(bar, SB_CTL, &info);
    int position;
    switch (LOWORD(wParam)) {
    case SB_LINEUP: position = info.nPos - 1; break;
    case SB_LINEDOWN: position = info.nPos + 1; break;
    case SB_PAGEUP: position = info.nPos - static_cast<int>(info.nPage); break;
    case SB_PAGEDOWN: position = info.nPos + static_cast<int>(info.nPage); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: position = HIWORD(wParam); break;
    case SB_TOP: position = info.nMin; break;
    case SB_BOTTOM: position = info.nMax; break;
    default: return;
    }
    // The system keeps the position within the range.
    SetScrollBarPos(bar, position);
}
