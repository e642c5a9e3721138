#pragma once

#include <windows.h>

#include <functional>
#include <vector>

// Drives the modal loops of this thread from a thread timer: the steps run one after another,
// each on a tick of its own, inside whatever modal loop is running (a dialog's, a message box's, a
// property sheet's). A step that answers false is tried again on the next tick. When the steps
// have not finished within the time limit, the driver records a test failure and ends every
// dialog of the thread, so that a failing test cannot hang the test program.
class ModalDriver {
public:
    using Step = std::function<bool()>;
    // The end code the safety stop gives the dialogs it ends.
    static constexpr INT_PTR AbortCode = -77;

    explicit ModalDriver(std::vector<Step> steps, DWORD limitMilliseconds = 10000);
    ~ModalDriver();
    ModalDriver(const ModalDriver&) = delete;
    ModalDriver& operator=(const ModalDriver&) = delete;

    // True once every step has run.
    bool Finished() const { return next == steps.size(); }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    void OnTick();
    void Abort();

    std::vector<Step> steps;
    size_t next = 0;
    DWORD start;
    DWORD limit;
    bool running = false;
    bool aborted = false;
    UINT_PTR timer;
};

// A step that always succeeds at once.
ModalDriver::Step Do(std::function<void()> action);
// A step that waits until `condition` holds.
ModalDriver::Step WaitFor(std::function<bool()> condition);
