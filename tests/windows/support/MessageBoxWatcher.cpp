#include "MessageBoxWatcher.hpp"

#include <algorithm>

namespace {

constexpr int MessageTextId = 0xFFFF;  // the static that holds a message box's text

std::string WindowText(HWND window) {
    char text[2048] = {0};
    SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

HICON IconOf(HWND box) {
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char className[32] = {0};
        GetClassNameA(child, className, sizeof className);
        if (lstrcmpiA(className, "Static") == 0 && (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            return reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
    }
    return nullptr;
}

// Dialogs of the tests themselves are left alone: only message boxes have the text static.
bool IsOpenMessageBox(HWND window) {
    char className[16] = {0};
    GetClassNameA(window, className, sizeof className);
    return lstrcmpA(className, "#32770") == 0 && IsWindowVisible(window) && GetDlgItem(window, MessageTextId);
}

BOOL CALLBACK CollectMessageBox(HWND window, LPARAM boxes) {
    if (IsOpenMessageBox(window)) reinterpret_cast<std::vector<HWND>*>(boxes)->push_back(window);
    return TRUE;
}

}  // namespace

MessageBoxWatcher::MessageBoxWatcher(int button) : button(button), thread([this] { Watch(); }) {}

MessageBoxWatcher::~MessageBoxWatcher() {
    {
        std::lock_guard<std::mutex> guard(lock);
        stopping = true;
    }
    thread.join();
}

std::vector<ShownMessageBox> MessageBoxWatcher::Boxes() {
    std::lock_guard<std::mutex> guard(lock);
    return boxes;
}

void MessageBoxWatcher::Watch() {
    for (;;) {
        {
            std::lock_guard<std::mutex> guard(lock);
            if (stopping) return;
        }
        EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(this));
        Sleep(10);
    }
}

BOOL CALLBACK MessageBoxWatcher::VisitWindow(HWND window, LPARAM watcher) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId() && IsOpenMessageBox(window))
        reinterpret_cast<MessageBoxWatcher*>(watcher)->Handle(window);
    return TRUE;
}

void MessageBoxWatcher::Handle(HWND box) {
    {
        std::lock_guard<std::mutex> guard(lock);
        if (std::find(handled.begin(), handled.end(), box) != handled.end()) return;
        handled.push_back(box);
    }
    ShownMessageBox shown;
    shown.caption = WindowText(box);
    if (HWND text = GetDlgItem(box, MessageTextId)) shown.text = WindowText(text);
    shown.icon = IconOf(box);
    {
        std::lock_guard<std::mutex> guard(lock);
        boxes.push_back(shown);
    }
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
}

std::vector<HWND> OpenMessageBoxes() {
    std::vector<HWND> boxes;
    EnumThreadWindows(GetCurrentThreadId(), CollectMessageBox, reinterpret_cast<LPARAM>(&boxes));
    return boxes;
}

void CloseMessageBoxes(int button) {
    for (HWND box : OpenMessageBoxes()) PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
}

HICON ErrorIcon() { return LoadIconA(nullptr, IDI_ERROR); }

HICON QuestionIcon() { return LoadIconA(nullptr, IDI_QUESTION); }
