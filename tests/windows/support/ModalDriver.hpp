#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <vector>

// Drives the modal loops of this thread from a thread timer: the steps run one after another,
// each on a tick of its own, inside whatever modal loop is running (a dialog's, a message box's, a
// property sheet's). A step that answers false is tried again on the next tick. When the steps
// have not finished within the time limit, the driver records a test failure and ends every
// dialog of the thread, so that a failing test cannot hang the test program. One at a time.
class ModalDriver {
public:
    using Step = std::function<bool()>;

    explicit ModalDriver(std::vector<Step> steps, DWORD limitMilliseconds = 10000)
        : steps(std::move(steps)), deadline(GetTickCount() + limitMilliseconds), timer(SetTimer(nullptr, 0, 20, Tick)) {
        active = this;
    }
    ~ModalDriver() {
        KillTimer(nullptr, timer);
        active = nullptr;
    }
    // True once every step has run.
    bool Finished() const { return next == steps.size(); }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        ModalDriver* driver = active;
        if (!driver || driver->Finished()) return;
        // Checked before the reentrancy guard: a step stuck in a nested loop must be stopped too.
        if (static_cast<LONG>(GetTickCount() - driver->deadline) > 0) {
            ADD_FAILURE() << "the modal steps did not finish in time; stopped before step " << driver->next;
            active = nullptr;
            // Property sheets close on Cancel; plain dialogs and message boxes on EndDialog.
            for (HWND dialog = nullptr; (dialog = FindWindowExA(nullptr, dialog, "#32770", nullptr));)
                if (GetWindowThreadProcessId(dialog, nullptr) == GetCurrentThreadId()) {
                    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
                    EndDialog(dialog, -77);
                }
        } else if (!driver->running) {
            driver->running = true;
            if (driver->steps[driver->next]()) ++driver->next;
            driver->running = false;
        }
    }

    static inline ModalDriver* active = nullptr;
    std::vector<Step> steps;
    size_t next = 0;
    const DWORD deadline;
    const UINT_PTR timer;
    bool running = false;
};

// A step that always succeeds at once, and one that waits until `condition` holds.
inline ModalDriver::Step Do(std::function<void()> action) { return [action] { return action(), true; }; }
inline ModalDriver::Step WaitFor(std::function<bool()> condition) { return condition; }
