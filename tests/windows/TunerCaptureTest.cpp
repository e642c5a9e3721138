// The tuner's analyzer on a real device: the test-audio daemon plays a tone (TEST_AUDIO_TONE) to
// "Monitor of ToneSink", and every block must give what the analysis gives for the same samples
// of the tone file, matched to the expected string or note. ctest runs each case with its tone.
#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <vector>

#include "TargetWindow.hpp"
#include "ToneFile.hpp"
#include "TunerAnalyzer.hpp"
#include "TunerState.hpp"

namespace {

constexpr int BlockSamples = TunerAnalysis::BlockLength;
constexpr size_t BlocksToCapture = 8;

struct BlockResult {
    Samples samples;
    double rawFrequency;
    int cpuLoad;
    std::vector<int> match = {};  // string, note and harmonic, once the result was matched
    double semitoneDifference = 0;
};

// Keeps the samples and the published result of every full block; its target window plays the
// main window's part and matches each announced result.
class ObservedAnalyzer : public TunerAnalyzer {
public:
    ObservedAnalyzer() { analysisTarget = target.window; }
    ~ObservedAnalyzer() override { analysisTarget = nullptr; }

    void OnData(YByteBuffer& buffer, unsigned bytesRecorded) override {
        TunerAnalyzer::OnData(buffer, bytesRecorded);
        if (bytesRecorded != TunerAnalysis::BlockBytes) return;
        const auto* samples = reinterpret_cast<const std::int16_t*>(buffer.Data());
        blocks.push_back({Samples(samples, samples + BlockSamples), rawFrequency, cpuLoad});
    }

    std::vector<BlockResult> blocks;

private:
    void Match(WPARAM wParam) {
        if (wParam != ResultReady) return;
        analysisBusy = true;
        MatchNote();
        blocks.back().match = {selectedString, noteIndex, harmonicNumber};
        blocks.back().semitoneDifference = semitoneDifference;
        analysisBusy = false;
    }

    TargetWindow target{[this](WPARAM wParam) { Match(wParam); }};
};

// What the analysis gives for the tone file's samples from `offset` on.
double FileFrequency(const Samples& tone, long offset) {
    YByteBuffer block(TunerAnalysis::BlockBytes);
    for (int i = 0; i < BlockSamples; ++i) {
        std::int16_t sample = tone[(offset + i) % tone.size()];
        block.Put(2 * i, &sample, 2);
    }
    TunerAnalysis reference;
    reference.Setup();
    reference.AnalyzeBlock(block, TunerAnalysis::BlockBytes, TunerAnalyzer::SampleRate, 0);
    return rawFrequency;
}

struct Expected {
    double toneHz;
    int string;  // chromatic mode leaves the analyzer's initial string 0
    int note;
    int harmonic;
    double semitones;
};

// Captures the playing tone through the analyzer, set up for `mode` and its target, and checks
// every block after the first (which may still hold what the device had before the tone).
void CheckTone(TunerMode mode, int chromaticNote, const Expected& expected) {
    const std::string file = PlayingTone();
    char name[32];
    std::snprintf(name, sizeof name, "tone-%g.wav", expected.toneHz);
    ASSERT_NE(std::string::npos, file.find(name)) << "this case needs the tone " << name << ", not " << file;
    Samples tone = ReadWave(file);
    ASSERT_GT(tone.size(), static_cast<size_t>(BlockSamples));
    ObservedAnalyzer analyzer;
    const int standard[6] = {-29, -24, -19, -14, -10, -5};
    for (int s = 0; s < 6; ++s) analyzer.Analysis().StringOffsets[s] = standard[s];
    tunerMode = mode;
    noteIndex = chromaticNote;
    analyzer.Setup();
    const auto enough = [&] { return analyzer.blocks.size() >= BlocksToCapture && !analyzer.blocks.back().match.empty(); };
    ASSERT_EQ("", RecordTone(analyzer, enough, 30));
    ASSERT_GE(analyzer.blocks.size(), BlocksToCapture);

    int pieces = 0;
    for (size_t b = 1; b < analyzer.blocks.size(); ++b) {
        const BlockResult& block = analyzer.blocks[b];
        SCOPED_TRACE("block " + std::to_string(b));
        EXPECT_LT(block.cpuLoad, 5);
        const long offset = OffsetIn(tone, block.samples);
        if (offset >= 0) {
            // The same samples give the same result as the file's, to the last bit.
            EXPECT_EQ(FileFrequency(tone, offset), block.rawFrequency);
            ++pieces;
        } else {
            std::printf("block %zu holds a seam of the sound server\n", b);
        }
        if (block.match.empty()) continue;  // a result that arrived while the previous one was handled
        EXPECT_EQ((std::vector<int>{expected.string, expected.note, expected.harmonic}), block.match);
        // Within the analysis' accuracy at that pitch (under 5 cents from E2 upwards). A seam moves
        // the pitch further (a fifth of a semitone at 110 Hz, seen here).
        if (offset >= 0) {
            EXPECT_NEAR(expected.semitones, block.semitoneDifference, 0.06);
        }
    }
    const int checked = static_cast<int>(analyzer.blocks.size()) - 1;
    EXPECT_TRUE(MostBlocksMatched(pieces, checked)) << pieces << " of " << checked << " blocks are pieces of the tone file";
    std::printf("%zu blocks, raw frequency of block 1: %.6f Hz, difference %.2f semitones\n", analyzer.blocks.size(),
                analyzer.blocks[1].rawFrequency, analyzer.blocks[1].semitoneDifference);
}

double Semitones(double tone, double target) { return 12 * std::log2(tone / target); }

TEST(RealTuning, TheLowEStringIsFoundAutomatically) {
    CheckTone(TunerModeGuitar, 0, {82.41, 0, -29, 1, Semitones(82.41, 82.4069)});
}

TEST(RealTuning, TheAStringIsFoundAutomatically) {
    CheckTone(TunerModeGuitar, 0, {110, 1, -24, 1, 0.0});
}

TEST(RealTuning, AFourHundredFortyHertzToneIsA4InChromaticMode) {
    CheckTone(TunerModeChromatic, 0, {440, 0, 0, 1, 0.0});
}

TEST(RealTuning, AOneKilohertzToneIsTheSecondHarmonicOfB4) {
    CheckTone(TunerModeChromatic, 2, {1000, 0, 2, 2, Semitones(1000, 2 * 493.8833)});
}

}  // namespace
