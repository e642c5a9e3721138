#pragma once

#include <cstdlib>

#include "YMemory.hpp"

// While an object of this class lives, the library's allocations succeed `successes` more times
// and then fail, every time, until the object is destroyed. Freeing always works.
class FailingMemory {
public:
    explicit FailingMemory(int successes = 0) {
        remaining = successes;
        YMemory::SetFunctions(&functions);
    }
    ~FailingMemory() { YMemory::SetFunctions(nullptr); }

private:
    static void* Allocate(std::size_t bytes) { return remaining-- > 0 ? std::malloc(bytes) : nullptr; }
    static void* Reallocate(void* block, std::size_t bytes) { return remaining-- > 0 ? std::realloc(block, bytes) : nullptr; }

    static inline int remaining = 0;
    static inline const YMemoryFunctions functions = {Allocate, Reallocate, std::free};
};
