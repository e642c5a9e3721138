// Capture from a real wave-input device: the sink monitor of the test-audio daemon, which plays
// the file named by TEST_AUDIO_TONE (nothing but zeros when it is empty). ctest runs each case
// under its own sound set-up (see tests/CMakeLists.txt).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "YWaveIn.hpp"

namespace {

constexpr int BlockSamples = 4096;
constexpr double SampleRate = 11025;
constexpr const char* ToneDevice = "Monitor of ToneSink";

using Samples = std::vector<std::int16_t>;

// The samples of a 16-bit mono WAV file (a Unix path, as the test scripts give it).
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

int DeviceNamed(const char* wanted) {
    YArray<YString> names;
    YWaveIn::GetDeviceNames(names);
    for (int i = 0; i < names.Count(); ++i)
        if (names[i] == wanted) return i;
    return -1;
}

double Seconds() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Keeps every full block and the moment it arrived; the comparison comes after capture, so the
// handler itself stays light.
class CollectingWaveIn : public YWaveIn {
public:
    CollectingWaveIn() { SetFormat({11025, 16, 1}); }
    void OnData(YByteBuffer& buffer, unsigned bytesRecorded) override {
        if (bytesRecorded != BlockSamples * 2) return;
        const auto* samples = reinterpret_cast<const std::int16_t*>(buffer.Data());
        blocks.emplace_back(samples, samples + BlockSamples);
        arrivals.push_back(Seconds());
        loads.push_back(GetLoadPercent());
    }
    std::vector<Samples> blocks;
    std::vector<double> arrivals;
    std::vector<int> loads;
};

// Captures `count` blocks from the tone device; a generous deadline keeps a broken device from
// hanging the test.
void Capture(CollectingWaveIn& capture, size_t count) {
    int device = DeviceNamed(ToneDevice);
    ASSERT_GE(device, 0) << "no device \"" << ToneDevice << "\"; is the test-audio daemon running?";
    ASSERT_TRUE(capture.Open(static_cast<unsigned>(device))) << capture.GetErrorText();
    capture.Start();
    double deadline = Seconds() + 20 + count * BlockSamples / SampleRate * 2;
    while (capture.blocks.size() < count && Seconds() < deadline) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    }
    capture.Stop();
    capture.Close();
    ASSERT_EQ(count, capture.blocks.size());
}

// Where `block` starts in the looping `tone`, or -1 when it is nowhere in it.
long OffsetIn(const Samples& tone, const Samples& block) {
    const size_t n = tone.size();
    for (size_t start = 0; start < n; ++start) {
        size_t i = 0;
        while (i < block.size() && tone[(start + i) % n] == block[i]) ++i;
        if (i == block.size()) return static_cast<long>(start);
    }
    return -1;
}

// Seconds per block: the least-squares slope of arrival time over block number.
double BlockPeriod(const std::vector<double>& arrivals, size_t first) {
    double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (size_t i = first; i < arrivals.size(); ++i) {
        double x = static_cast<double>(i), y = arrivals[i];
        n += 1, sx += x, sy += y, sxx += x * x, sxy += x * y;
    }
    return (n * sxy - sx * sy) / (n * sxx - sx * sx);
}

TEST(RealCapture, BlocksCarryThePlayedSamplesAtTheDeviceRate) {
    Samples tone = ReadWave(PlayingTone());
    ASSERT_GT(tone.size(), static_cast<size_t>(BlockSamples)) << "TEST_AUDIO_TONE names no tone: " << PlayingTone();
    CollectingWaveIn capture;
    Capture(capture, 16);
    if (HasFatalFailure()) return;

    // The first block may still hold what the device had before the tone reached it.
    long previous = -1;
    int contiguous = 0;
    for (size_t b = 1; b < capture.blocks.size(); ++b) {
        long offset = OffsetIn(tone, capture.blocks[b]);
        EXPECT_GE(offset, 0) << "block " << b << " is not a piece of the tone file";
        if (previous >= 0 && offset == (previous + BlockSamples) % static_cast<long>(tone.size())) ++contiguous;
        previous = offset;
    }
    double period = BlockPeriod(capture.arrivals, 1);
    double expected = BlockSamples / SampleRate;
    std::printf("blocks: %zu, contiguous pairs: %d of %zu, period %.4f s (nominal %.4f s, %+.2f %%)\n",
                capture.blocks.size(), contiguous, capture.blocks.size() - 2, period, expected,
                (period / expected - 1) * 100);
    EXPECT_NEAR(expected, period, expected * 0.02);
    for (size_t b = 1; b < capture.loads.size(); ++b) EXPECT_LT(capture.loads[b], 5) << "block " << b;
}

TEST(RealCapture, SilenceArrivesAsZeros) {
    ASSERT_EQ("", PlayingTone());
    CollectingWaveIn capture;
    Capture(capture, 4);
    if (HasFatalFailure()) return;
    for (size_t b = 1; b < capture.blocks.size(); ++b)
        EXPECT_EQ(Samples(BlockSamples, 0), capture.blocks[b]) << "block " << b;
}

TEST(NoSoundServer, ThereIsNoDeviceAndOpeningOneFailsWithTheSystemsText) {
    EXPECT_EQ(0u, YWaveIn::GetNumDevices());
    YArray<YString> names;
    YWaveIn::GetDeviceNames(names);
    EXPECT_EQ(0, names.Count());

    YWaveIn capture;
    EXPECT_FALSE(capture.Open(0));
    EXPECT_EQ(static_cast<unsigned>(MMSYSERR_NODRIVER), capture.GetLastResult());
    char expected[256] = {};
    waveInGetErrorTextA(MMSYSERR_NODRIVER, expected, sizeof expected);
    EXPECT_STREQ(expected, capture.GetErrorText());
    std::printf("no driver: \"%s\"\n", capture.GetErrorText());
    capture.Close();
    EXPECT_FALSE(FindWindowA(YWaveIn::WindowClass, YWaveIn::WindowTitle));
}

}  // namespace
