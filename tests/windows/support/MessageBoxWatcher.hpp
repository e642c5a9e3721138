#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ImportPatch.hpp"

// What a message box showed.
struct ShownMessageBox {
    std::string caption, text;
    UINT style;  // buttons and icon
    HWND owner;
};

// While it lives, the message boxes of this program are not shown: each one is recorded and
// answered at once as if `button` had been pressed.
class MessageBoxWatcher {
public:
    explicit MessageBoxWatcher(int button = IDOK) : button(button), outer(active) { active = this; }
    ~MessageBoxWatcher() { active = outer; }
    // The boxes seen so far, in order.
    const std::vector<ShownMessageBox>& Boxes() const { return boxes; }

private:
    static int WINAPI Show(HWND owner, LPCSTR text, LPCSTR caption, UINT style) {
        active->boxes.push_back({caption, text, style, owner});
        return active->button;
    }

    static inline MessageBoxWatcher* active = nullptr;
    const int button;
    MessageBoxWatcher* const outer;
    std::vector<ShownMessageBox> boxes;
    // A watcher inside another finds the entry taken already, and shares it.
    const ImportPatch patch{"user32.dll", "MessageBoxA", reinterpret_cast<void*>(Show)};
};

// The message boxes of the calling thread that are open now (dialogs with the message-text
// static, id 0xFFFF), and a press of `button` in each: for a test that lets boxes show and
// closes them itself, at a time of its choosing.
inline std::vector<HWND> OpenMessageBoxes() {
    std::vector<HWND> boxes;
    for (HWND box = nullptr; (box = FindWindowExA(nullptr, box, "#32770", nullptr));)
        if (GetWindowThreadProcessId(box, nullptr) == GetCurrentThreadId() && GetDlgItem(box, 0xFFFF) && IsWindowVisible(box))
            boxes.push_back(box);
    return boxes;
}
inline void CloseMessageBoxes(int button = IDOK) {
    for (HWND box : OpenMessageBoxes()) PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
}
