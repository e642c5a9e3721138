#pragma once

#include <windows.h>

// Any window driven by an object of the library: the object knows its window and the owner the
// window is created with, and answers the window's messages in HandleMessage.
class YGuiWindow {
public:
    YGuiWindow() = default;
    YGuiWindow(const YGuiWindow&) = delete;
    YGuiWindow& operator=(const YGuiWindow&) = delete;
    virtual ~YGuiWindow() = default;

    // The answer goes back to the system unchanged: non-zero for a handled message, a brush for
    // the control-colour messages, the focus choice for WM_INITDIALOG.
    virtual INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
    virtual INT_PTR DefaultMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // HandleMessage for the window procedures of the library: an exception escaping the handler
    // is reported in a message box and the message answered 0, so that the window goes on working.
    INT_PTR Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND GetHandle() const { return handle; }
    void SetHandle(HWND window) { handle = window; }
    HWND GetParentHandle() const { return parentHandle; }
    void SetParentHandle(HWND parent) { parentHandle = parent; }

private:
    HWND handle = nullptr;        // null until the window is attached
    HWND parentHandle = nullptr;  // the owner used when the window is created
};

// Centres `window` on its owner (the desktop when it has none), keeping it inside the work area of
// the monitor the owner is on.
void CenterWindow(HWND window);
// The same for a window of the given size; the window keeps its actual size. A window larger than
// the work area ends flush with the work area's right and bottom edges.
void CenterWindowSized(HWND window, int width, int height);
