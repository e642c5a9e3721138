#include "SampleWindow.hpp"

#include <cstring>

bool SampleWindow::Add(const unsigned char* bytes, unsigned byteCount) {
    const unsigned size = TunerAnalysis::BlockBytes;
    if (byteCount >= size) {
        bytes += byteCount - size;
        byteCount = size;
    }
    // The samples move towards the start, so that the block always ends with the latest ones.
    std::memmove(block.Data(), block.Data() + byteCount, size - byteCount);
    std::memcpy(block.Data() + size - byteCount, bytes, byteCount);
    filled = filled + byteCount < size ? filled + byteCount : size;
    return filled == size;
}
