#pragma once

#include "TunerAnalysis.hpp"
#include "YByteBuffer.hpp"

// The latest TunerAnalysis::BlockLength samples of a stream that arrives in shorter pieces (hops),
// as one block for the analysis: with hops of 1024 samples a block is ready every 1024 samples,
// each overlapping the previous one by three quarters.
class SampleWindow {
public:
    SampleWindow() : block(TunerAnalysis::BlockBytes) {}

    // Forgets what arrived: the next block is ready once a whole block has arrived again.
    void Clear() { filled = 0; }
    // Appends 16-bit samples; true when the block holds a whole block of the latest samples.
    bool Add(const unsigned char* bytes, unsigned byteCount);
    const YByteBuffer& Block() const { return block; }

private:
    YByteBuffer block;
    unsigned filled = 0;
};
