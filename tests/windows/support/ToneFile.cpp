#include "ToneFile.hpp"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "YArray.hpp"
#include "YString.hpp"
#include "YWaveIn.hpp"

Samples ReadWave(std::string path) {
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    Samples samples;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return samples;
    char riff[12];
    if (std::fread(riff, 1, sizeof riff, file) == sizeof riff && std::memcmp(riff, "RIFF", 4) == 0) {
        char id[4];
        std::uint32_t size;
        while (std::fread(id, 1, 4, file) == 4 && std::fread(&size, 4, 1, file) == 1) {
            if (std::memcmp(id, "data", 4) == 0) {
                samples.resize(size / 2);
                samples.resize(std::fread(samples.data(), 2, samples.size(), file));
                break;
            }
            std::fseek(file, (size + 1) & ~1u, SEEK_CUR);
        }
    }
    std::fclose(file);
    return samples;
}

std::string PlayingTone() {
    const char* tone = std::getenv("TEST_AUDIO_TONE");
    return tone ? tone : "";
}

int ToneDevice() {
    YArray<YString> names;
    YWaveIn::GetDeviceNames(names);
    for (int i = 0; i < names.Count(); ++i)
        if (names[i] == "Monitor of ToneSink") return i;
    return -1;
}

void DispatchUntil(const std::function<bool()>& done, double seconds) {
    const double deadline = Seconds() + seconds;
    while (!done() && Seconds() < deadline) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    }
}

long OffsetIn(const Samples& tone, const Samples& block) {
    const size_t n = tone.size();
    for (size_t start = 0; start < n; ++start) {
        size_t i = 0;
        while (i < block.size() && tone[(start + i) % n] == block[i]) ++i;
        if (i == block.size()) return static_cast<long>(start);
    }
    return -1;
}

double Seconds() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}
