#include "YGuiWindow.hpp"

#include "YSystemException.hpp"

INT_PTR YGuiWindow::DefaultMessage(HWND, UINT, WPARAM, LPARAM) { return 0; }

INT_PTR YGuiWindow::Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        return HandleMessage(window, message, wParam, lParam);
    } catch (const YSystemException& e) {
        e.Report();
        return 0;
    }
}

void CenterWindow(HWND window) {
    RECT bounds;
    GetWindowRect(window, &bounds);
    CenterWindowSized(window, bounds.right - bounds.left, bounds.bottom - bounds.top);
}

void CenterWindowSized(HWND window, int width, int height) {
    HWND reference = GetWindow(window, GW_OWNER);
    if (!reference) reference = GetDesktopWindow();
    RECT around;
    GetWindowRect(reference, &around);
    int x = (around.left + around.right - width) / 2;
    int y = (around.top + around.bottom - height) / 2;

    // Within the work area of the monitor the reference is on, which need not be the primary one.
    // Left and top first, then right and bottom: a window larger than the work area keeps its
    // right and bottom edges visible.
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    RECT workArea;
    if (GetMonitorInfoA(MonitorFromWindow(reference, MONITOR_DEFAULTTONEAREST), &monitor))
        workArea = monitor.rcWork;
    else
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
    if (x < workArea.left) x = workArea.left;
    if (y < workArea.top) y = workArea.top;
    if (x + width > workArea.right) x = workArea.right - width;
    if (y + height > workArea.bottom) y = workArea.bottom - height;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
