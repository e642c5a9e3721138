// Capture from a real wave-input device: the sink monitor of the test-audio daemon, which plays
// the file named by TEST_AUDIO_TONE (nothing but zeros when it is empty). ctest runs each case
// under its own sound set-up (see tests/CMakeLists.txt).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <vector>

#include "ToneFile.hpp"
#include "YWaveIn.hpp"

namespace {

constexpr int BlockSamples = 4096;
constexpr double SampleRate = 11025;

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
    const double seconds = 20 + count * BlockSamples / SampleRate * 2;
    ASSERT_EQ("", RecordTone(capture, [&] { return capture.blocks.size() >= count; }, seconds));
    ASSERT_EQ(count, capture.blocks.size());
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
    int matched = 0;
    for (size_t b = 1; b < capture.blocks.size(); ++b) {
        if (OffsetIn(tone, capture.blocks[b]) >= 0) ++matched;
        else std::printf("block %zu holds a seam of the sound server\n", b);
    }
    const int checked = static_cast<int>(capture.blocks.size()) - 1;
    EXPECT_TRUE(MostBlocksMatched(matched, checked)) << matched << " of " << checked << " blocks are pieces of the tone file";
    double period = BlockPeriod(capture.arrivals, 1);
    double expected = BlockSamples / SampleRate;
    std::printf("blocks: %zu, pieces of the file: %d, period %.4f s (nominal %.4f s, %+.2f %%)\n", capture.blocks.size(),
                matched, period, expected, (period / expected - 1) * 100);
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
