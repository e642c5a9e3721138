#pragma once

#include <windows.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

// What a message box showed.
struct ShownMessageBox {
    std::string caption;
    std::string text;
    HICON icon = nullptr;  // the icon of its icon static, null when it has none
};

// Watches, from a thread of its own, for message boxes of this process while it lives (dialogs
// with the message-text static, id 0xFFFF); reads each one and closes it by pressing `button`.
class MessageBoxWatcher {
public:
    explicit MessageBoxWatcher(int button = IDOK);
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    // The boxes seen so far, in order.
    std::vector<ShownMessageBox> Boxes();

private:
    void Watch();
    static BOOL CALLBACK VisitWindow(HWND window, LPARAM watcher);
    void Handle(HWND box);

    const int button;
    std::mutex lock;
    std::vector<ShownMessageBox> boxes;
    std::vector<HWND> handled;
    bool stopping = false;
    std::thread thread;
};

// The message boxes of the calling thread that are open now, and a press of `button` in each: for
// a test that closes boxes itself, at a time of its choosing, without a watcher.
std::vector<HWND> OpenMessageBoxes();
void CloseMessageBoxes(int button = IDOK);

// The standard icons that message boxes show.
HICON ErrorIcon();
HICON QuestionIcon();
