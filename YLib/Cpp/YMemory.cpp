#include "YMemory.hpp"

#include <cstdlib>

namespace {

const YMemoryFunctions libraryFunctions = {std::malloc, std::realloc, std::free};
const YMemoryFunctions* current = &libraryFunctions;

}  // namespace

namespace YMemory {

void* Allocate(std::size_t bytes) { return current->allocate(bytes); }

void* Reallocate(void* block, std::size_t bytes) { return current->reallocate(block, bytes); }

void Free(void* block) { current->release(block); }

void SetFunctions(const YMemoryFunctions* functions) { current = functions ? functions : &libraryFunctions; }

}  // namespace YMemory
