#include "ModalDriver.hpp"

#include <gtest/gtest.h>

namespace {

constexpr UINT TickMilliseconds = 20;

// Only one driver runs at a time; the timer procedure finds it here.
ModalDriver* activeDriver = nullptr;

BOOL CALLBACK EndDialogWindow(HWND window, LPARAM) {
    char className[16] = {0};
    GetClassNameA(window, className, sizeof className);
    if (lstrcmpA(className, "#32770") == 0) {
        // Property sheets close on Cancel; plain dialogs and message boxes on EndDialog.
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        EndDialog(window, ModalDriver::AbortCode);
    }
    return TRUE;
}

}  // namespace

ModalDriver::ModalDriver(std::vector<Step> steps, DWORD limitMilliseconds)
    : steps(std::move(steps)), start(GetTickCount()), limit(limitMilliseconds) {
    activeDriver = this;
    timer = SetTimer(nullptr, 0, TickMilliseconds, Tick);
}

ModalDriver::~ModalDriver() {
    KillTimer(nullptr, timer);
    activeDriver = nullptr;
}

void CALLBACK ModalDriver::Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (activeDriver) activeDriver->OnTick();
}

void ModalDriver::OnTick() {
    // Checked before the reentrancy guard: a step stuck in a nested loop must be stopped too.
    if (!Finished() && !aborted && GetTickCount() - start > limit) {
        Abort();
        return;
    }
    if (running || Finished() || aborted) return;
    running = true;
    if (steps[next]()) ++next;
    running = false;
}

void ModalDriver::Abort() {
    aborted = true;
    ADD_FAILURE() << "the modal steps did not finish within " << limit << " ms; stopped before step " << next;
    EnumThreadWindows(GetCurrentThreadId(), EndDialogWindow, 0);
}

ModalDriver::Step Do(std::function<void()> action) {
    return [action] {
        action();
        return true;
    };
}

ModalDriver::Step WaitFor(std::function<bool()> condition) { return condition; }
