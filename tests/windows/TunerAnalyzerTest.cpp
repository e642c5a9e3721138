// The tuner's analyzer on a simulated device: what it publishes for each returned buffer, when it
// announces a result, and the tuning it loads from the settings.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "SimulatedWaveIn.hpp"
#include "TemporaryDirectory.hpp"
#include "TunerAnalyzer.hpp"
#include "TunerSettings.hpp"
#include "TunerState.hpp"

namespace {

constexpr unsigned Block = TunerAnalysis::BlockBytes;

// Stands in for the main window: records every WM_USER it gets, with whether a result was being
// handled at that moment.
class ResultWindow {
public:
    ResultWindow() {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "TunerAnalyzerTestTarget";
        RegisterClassA(&windowClass);
        window = CreateWindowExA(0, windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 windowClass.hInstance, nullptr);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~ResultWindow() { DestroyWindow(window); }

    HWND window;
    std::vector<WPARAM> received;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<ResultWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (self && message == WM_USER) {
            self->received.push_back(wParam);
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }
};

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

    // What the analysis publishes for the samples that the device delivers for `seed`.
    static double ExpectedFrequency(unsigned char seed) {
        std::vector<unsigned char> samples = SimulatedSamples(Block, seed);
        YByteBuffer buffer(Block);
        buffer.Put(0, samples.data(), Block);
        TunerAnalysis reference;
        reference.Setup();
        EXPECT_TRUE(reference.AnalyzeBlock(buffer, Block, 11025, 0));
        return rawFrequency;
    }

    SimulatedWaveIn device;
    ResultWindow target;
    ClockedAnalyzer analyzer{device};
};

TEST(TunerAnalyzer, RecordsElevenKilohertzSixteenBitMonoAndStartsInAutomaticGuitarMode) {
    tunerMode = TunerModeChromatic;
    autoString = false;
    selectedString = 4;
    noteIndex = 12;
    calibrationRate = 1.5;
    analysisBusy = true;
    TunerAnalyzer analyzer;
    EXPECT_EQ(11025, analyzer.GetFormat().sampleRate);
    EXPECT_EQ(16, analyzer.GetFormat().bitsPerSample);
    EXPECT_EQ(1, analyzer.GetFormat().channels);
    EXPECT_EQ(4096, analyzer.GetBlockLength());
    EXPECT_EQ(TunerModeGuitar, tunerMode);
    EXPECT_TRUE(autoString);
    EXPECT_EQ(0, selectedString);
    EXPECT_EQ(0, noteIndex);
    EXPECT_EQ(1.0, calibrationRate);
    EXPECT_FALSE(analysisBusy);
}

TEST_F(TunerAnalyzerOnADevice, EveryFullBlockIsAnalysedAndAnnounced) {
    const double expected = ExpectedFrequency(7);
    rawFrequency = 0;
    Deliver(Block, 7);
    EXPECT_EQ(expected, rawFrequency);
    EXPECT_EQ(std::vector<WPARAM>{TunerAnalyzer::ResultReady}, target.received);

    // The block was queued again and the next one arrives in the other buffer.
    const double second = ExpectedFrequency(9);
    Deliver(Block, 9);
    EXPECT_EQ(second, rawFrequency);
    EXPECT_EQ(2u, target.received.size());
}

TEST_F(TunerAnalyzerOnADevice, AShortBlockChangesNothingAndAnnouncesNothing) {
    rawFrequency = -1;
    inputLevel = -1;
    Deliver(Block - 2, 7);
    EXPECT_EQ(-1, rawFrequency);
    EXPECT_EQ(-1, inputLevel);
    EXPECT_TRUE(target.received.empty());
}

TEST_F(TunerAnalyzerOnADevice, ABusyOrMissingTargetGetsNoMessageButTheResultIsPublished) {
    const double expected = ExpectedFrequency(3);
    analysisBusy = true;
    rawFrequency = 0;
    Deliver(Block, 3);
    EXPECT_EQ(expected, rawFrequency);
    EXPECT_TRUE(target.received.empty());

    analysisBusy = false;
    analysisTarget = nullptr;
    rawFrequency = 0;
    Deliver(Block, 3);
    EXPECT_EQ(expected, rawFrequency);
    EXPECT_TRUE(target.received.empty());
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

    ResultWindow target;
    TunerAnalyzer analyzer;
    analysisTarget = target.window;
    analyzer.LoadCurrentTuning();
    // Sent, not posted: it has arrived although no message was dispatched.
    EXPECT_EQ(std::vector<WPARAM>{TunerAnalyzer::TuningLoaded}, target.received);
    const int drop[6] = {-31, -24, -19, -14, -10, -5};
    for (int s = 0; s < 6; ++s) EXPECT_EQ(drop[s], analyzer.TuningOffsets()[s]) << "string " << s;

    analysisTarget = nullptr;
    analyzer.LoadCurrentTuning();
    EXPECT_EQ(1u, target.received.size());
    EXPECT_FALSE(theSettings.IsModified());

    theSettings.SetFileName("");
    theSettings.Load();
}

}  // namespace
