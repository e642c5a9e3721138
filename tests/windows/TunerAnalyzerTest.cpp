// The tuner's analyzer on a simulated device: what it publishes for each returned buffer, when it
// announces a result, and the tuning it loads from the settings.
#include <gtest/gtest.h>

#include <windows.h>

#include <iterator>
#include <vector>

#include "MessageBoxWatcher.hpp"
#include "SimulatedWaveIn.hpp"
#include "TargetWindow.hpp"
#include "TemporaryDirectory.hpp"
#include "TunerAnalyzer.hpp"
#include "TunerSettings.hpp"
#include "TunerState.hpp"

namespace {

constexpr unsigned Block = TunerAnalysis::BlockBytes;

// An analyzer whose device clock moves by `samplesPerCall` while each block is analysed.
class ClockedAnalyzer : public TunerAnalyzer {
public:
    explicit ClockedAnalyzer(SimulatedWaveIn& device) : device(device) {}
    void OnData(YByteBuffer& buffer, unsigned bytesRecorded) override {
        device.position += samplesPerCall;
        TunerAnalyzer::OnData(buffer, bytesRecorded);
    }
    unsigned samplesPerCall = 0;

private:
    SimulatedWaveIn& device;
};

class TunerAnalyzerOnADevice : public ::testing::Test {
protected:
    void SetUp() override {
        analysisTarget = target.window;
        analysisBusy = false;
        ASSERT_TRUE(analyzer.Open(0));
        analyzer.Setup();
        analyzer.Start();
    }
    void TearDown() override {
        analyzer.Close();
        SimulatedWaveIn::Pump();
        analysisTarget = nullptr;
        analysisBusy = false;
    }

    // Returns the next queued buffer with `bytes` bytes and handles what that causes.
    void Deliver(unsigned bytes, unsigned char seed) {
        ASSERT_TRUE(device.Return(bytes, seed));
        SimulatedWaveIn::Pump();
    }

    // Delivers a full block and checks that the published frequency is the analysis of its samples.
    void DeliverAnalysed(unsigned char seed) {
        std::vector<unsigned char> samples = SimulatedSamples(Block, seed);
        YByteBuffer buffer(Block);
        buffer.Put(0, samples.data(), Block);
        TunerAnalysis reference;
        reference.Setup();
        ASSERT_TRUE(reference.AnalyzeBlock(buffer, Block, 11025, 0));
        const double expected = rawFrequency;
        rawFrequency = 0;
        Deliver(Block, seed);
        EXPECT_EQ(expected, rawFrequency);
    }

    std::vector<WPARAM> received;
    SimulatedWaveIn device;
    TargetWindow target{[this](WPARAM wParam) { received.push_back(wParam); }};
    ClockedAnalyzer analyzer{device};
};

TEST(TunerAnalyzer, StartsInAutomaticGuitarModeWithoutCalibration) {
    tunerMode = TunerModeChromatic;
    autoString = false;
    selectedString = 4;
    noteIndex = 12;
    calibrationRate = 1.5;
    analysisBusy = true;
    TunerAnalyzer analyzer;
    EXPECT_EQ(TunerModeGuitar, tunerMode);
    EXPECT_TRUE(autoString);
    EXPECT_EQ(0, selectedString);
    EXPECT_EQ(0, noteIndex);
    EXPECT_EQ(1.0, calibrationRate);
    EXPECT_FALSE(analysisBusy);
}

TEST(TunerAnalyzer, ABlockBeforeTheAnalysisIsReadyIsDroppedQuietly) {
    SimulatedWaveIn device;
    TunerAnalyzer analyzer;
    ASSERT_TRUE(analyzer.Open(0));
    analyzer.Start();
    MessageBoxWatcher boxes;
    rawFrequency = -1;
    ASSERT_TRUE(device.Return(Block, 1));
    SimulatedWaveIn::Pump();
    EXPECT_EQ(-1, rawFrequency);
    EXPECT_TRUE(boxes.Boxes().empty());
    analyzer.Close();
}

TEST_F(TunerAnalyzerOnADevice, EveryFullBlockIsAnalysedAndAnnounced) {
    DeliverAnalysed(7);
    DeliverAnalysed(9);
    EXPECT_EQ((std::vector<WPARAM>{TunerAnalyzer::ResultReady, TunerAnalyzer::ResultReady}), received);
}

TEST_F(TunerAnalyzerOnADevice, AShortBlockChangesNothingAndAnnouncesNothing) {
    rawFrequency = inputLevel = -1;
    Deliver(Block - 2, 7);
    EXPECT_EQ(-1, rawFrequency);
    EXPECT_EQ(-1, inputLevel);
    EXPECT_TRUE(received.empty());
}

TEST_F(TunerAnalyzerOnADevice, ABusyOrMissingTargetGetsNoMessageButTheResultIsPublished) {
    analysisBusy = true;
    DeliverAnalysed(3);
    analysisBusy = false;
    analysisTarget = nullptr;
    DeliverAnalysed(3);
    EXPECT_TRUE(received.empty());
}

TEST_F(TunerAnalyzerOnADevice, TheCpuLoadOfABlockIsTheTimeTheOneBeforeItTook) {
    analyzer.samplesPerCall = 1024;
    cpuLoad = -1;
    Deliver(Block, 1);
    EXPECT_EQ(0, cpuLoad);  // nothing was measured before the first block
    Deliver(Block, 2);
    EXPECT_EQ(25, cpuLoad);
}

TEST(TunerAnalyzerTuning, LoadingTheCurrentTuningTellsTheTargetBeforeItReturns) {
    TemporaryDirectory directory;
    WriteBytes(directory.File("fretlark.ini"), TextFileLines({"[Tuning]", "CurrentTuning = Drop D", "[Tunings]",
                                                              "Standard = -29, -24, -19, -14, -10, -5",
                                                              "Drop D = -31, -24, -19, -14, -10, -5"}));
    theSettings.SetFileName(directory.File("fretlark.ini").c_str());
    ASSERT_TRUE(theSettings.Load());

    std::vector<WPARAM> received;
    TargetWindow target([&](WPARAM wParam) { received.push_back(wParam); });
    TunerAnalyzer analyzer;
    analysisTarget = target.window;
    analyzer.LoadCurrentTuning();
    // Sent, not posted: it has arrived although no message was dispatched.
    EXPECT_EQ(std::vector<WPARAM>{TunerAnalyzer::TuningLoaded}, received);
    const auto& offsets = analyzer.TuningOffsets();
    EXPECT_EQ((std::vector<int>{-31, -24, -19, -14, -10, -5}), std::vector<int>(std::begin(offsets), std::end(offsets)));

    analysisTarget = nullptr;
    analyzer.LoadCurrentTuning();
    EXPECT_EQ(1u, received.size());
    EXPECT_FALSE(theSettings.IsModified());

    theSettings.SetFileName("");
    theSettings.Load();
}

}  // namespace
