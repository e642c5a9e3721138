#pragma once

#include <cstddef>

// Every block that the library owns is obtained here, so that a test can make an allocation fail
// on demand and check that the failing operation leaves its object intact.
struct YMemoryFunctions {
    void* (*allocate)(std::size_t bytes);
    void* (*reallocate)(void* block, std::size_t bytes);
    void (*release)(void* block);
};

namespace YMemory {

// Null on failure, like the C library functions they stand for.
void* Allocate(std::size_t bytes);
void* Reallocate(void* block, std::size_t bytes);
void Free(void* block);

// Replaces the functions above; null restores the C library's.
void SetFunctions(const YMemoryFunctions* functions);

}  // namespace YMemory
