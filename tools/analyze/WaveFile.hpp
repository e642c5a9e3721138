#pragma once

#include <string>
#include <vector>

// A RIFF/WAVE file of PCM samples as the tuner records them: 16-bit, one channel, 11025 Hz.
class WaveFile {
public:
    static constexpr int SampleRate = 11025;

    // Reads and checks the whole file. False, with one line naming the problem in Error(), when the
    // file cannot be read, is not RIFF/WAVE, has another format, or its data chunk is missing,
    // truncated or of odd size.
    bool Load(const std::string& path);

    // Checks the bytes of a whole file; the same failures as Load.
    bool Parse(const std::vector<unsigned char>& file);

    // The little-endian 16-bit samples of the data chunk.
    const std::vector<unsigned char>& Samples() const { return samples; }
    const std::string& Error() const { return error; }

private:
    bool Fail(const std::string& problem);

    std::vector<unsigned char> samples;
    std::string error;
};
