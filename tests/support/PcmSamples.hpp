#pragma once

#include <cstdint>
#include <vector>

#include "YByteBuffer.hpp"

// A buffer of signed 16-bit little-endian samples, as the capture device delivers them.
inline YByteBuffer PcmSamples(const std::vector<int>& samples) {
    YByteBuffer buffer(static_cast<int>(2 * samples.size()));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const auto bits = static_cast<std::uint16_t>(static_cast<std::int16_t>(samples[i]));
        buffer[static_cast<int>(2 * i)] = static_cast<unsigned char>(bits & 0xFF);
        buffer[static_cast<int>(2 * i + 1)] = static_cast<unsigned char>(bits >> 8);
    }
    return buffer;
}
