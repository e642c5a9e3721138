#include "FailingMemory.hpp"

#include <cstdlib>

#include "YMemory.hpp"

namespace {

int remainingSuccesses = 0;
int refused = 0;

bool MayAllocate() {
    if (remainingSuccesses > 0) {
        --remainingSuccesses;
        return true;
    }
    ++refused;
    return false;
}

void* Allocate(std::size_t bytes) { return MayAllocate() ? std::malloc(bytes) : nullptr; }
void* Reallocate(void* block, std::size_t bytes) { return MayAllocate() ? std::realloc(block, bytes) : nullptr; }

const YMemoryFunctions failingFunctions = {Allocate, Reallocate, std::free};

}  // namespace

FailingMemory::FailingMemory(int successes) {
    remainingSuccesses = successes;
    refused = 0;
    YMemory::SetFunctions(&failingFunctions);
}

FailingMemory::~FailingMemory() { YMemory::SetFunctions(nullptr); }

int FailingMemory::Refused() const { return refused; }
