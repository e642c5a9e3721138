#pragma once

#include <windows.h>

#include <functional>
#include <utility>

// A message-only window in the tuner main window's place: it hands the wParam of every WM_USER it
// receives to `onMessage`.
class TargetWindow {
public:
    explicit TargetWindow(std::function<void(WPARAM)> onMessage) : onMessage(std::move(onMessage)) {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "FretlarkTestTarget";
        RegisterClassA(&windowClass);
        window = CreateWindowExA(0, windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 windowClass.hInstance, nullptr);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~TargetWindow() { DestroyWindow(window); }
    TargetWindow(const TargetWindow&) = delete;
    TargetWindow& operator=(const TargetWindow&) = delete;

    HWND window = nullptr;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<TargetWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (!self || message != WM_USER) return DefWindowProcA(window, message, wParam, lParam);
        self->onMessage(wParam);
        return 0;
    }

    std::function<void(WPARAM)> onMessage;
};
