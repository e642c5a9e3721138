#pragma once

// While an object of this class lives, the library's allocations succeed `successes` more times
// and then fail, every time, until the object is destroyed. Freeing always works.
class FailingMemory {
public:
    explicit FailingMemory(int successes = 0);
    ~FailingMemory();
    FailingMemory(const FailingMemory&) = delete;
    FailingMemory& operator=(const FailingMemory&) = delete;

    // How many allocations were refused so far.
    int Refused() const;
};
