// The tuner's analyzer on a simulated device: what it publishes for each buffer the device returns,
// when it tells the main window, and how its stream starts afresh.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "MessageBoxWatcher.hpp"
#include "SimulatedWaveIn.hpp"
#include "TunerAnalyzer.hpp"
#include "TunerState.hpp"

namespace {

constexpr unsigned Block = TunerAnalysis::BlockBytes;

std::vector<WPARAM> received;  // the WM_USER messages of the window in the main window's place

LRESULT CALLBACK Target(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER) received.push_back(wParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

// What the analysis publishes for the latest full block of `stream`.
double Reference(const std::vector<unsigned char>& stream) {
    YByteBuffer block(Block);
    block.Put(0, stream.data() + stream.size() - Block, Block);
    TunerAnalysis reference;
    reference.Setup();
    reference.AnalyzeBlock(block, Block, 11025, 0);
    return rawFrequency;
}

TEST(TunerAnalyzer, PublishesEveryFullBlockOfItsStreamAndStartsTheStreamAfresh) {
    const HWND target = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    SetWindowLongPtrA(target, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Target));
    SimulatedWaveIn device;
    tunerMode = TunerModeChromatic;
    autoString = analysisBusy = true;
    selectedString = noteIndex = 4;
    calibrationRate = 1.5;
    TunerAnalyzer analyzer;
    EXPECT_EQ(std::make_tuple(int{TunerModeGuitar}, true, 0, 0, 1.0, false),
              std::make_tuple(int{tunerMode}, autoString, selectedString, noteIndex, calibrationRate, analysisBusy));
    // Capture may start before the analysis is ready; those blocks are dropped quietly.
    ASSERT_TRUE(analyzer.Open(0));
    analyzer.Start();
    EXPECT_EQ(std::make_tuple(11025, 16, 1),
              std::make_tuple(int(device.format.nSamplesPerSec), int{device.format.wBitsPerSample},
                              int{device.format.nChannels}));
    MessageBoxWatcher boxes;
    rawFrequency = -1;
    device.Return(Block);
    EXPECT_EQ(-1, rawFrequency);
    EXPECT_TRUE(boxes.Boxes().empty());
    // A tuning loaded is sent, not posted: the window has the news before LoadCurrentTuning returns.
    analysisTarget = target;
    analyzer.LoadCurrentTuning();
    EXPECT_EQ(std::vector<WPARAM>{TunerAnalyzer::TuningLoaded}, received);

    // Full, Short and No clear tone (with Precise Pitch) buffers; full ones for a Busy and a Missing
    // target; Restart with fast updates: a hop of 1024 samples brings the latest 4096 to the
    // analysis once that many arrived since the stream started afresh, at a restart or after a
    // short hop, which means that the stream was interrupted.
    const std::string events = "FFSFNBMRFFFFFNSFFFNFFRFFFF";
    analyzer.Setup();
    device.positionStep = 1024;  // each block takes a quarter of a block's time
    noiseThreshold = 1 << 24;    // with Precise Pitch no block has a clear tone
    std::vector<unsigned char> stream;
    int withoutResult = 0, results = 0;
    for (unsigned char n = 0; n < events.size(); ++n) {
        SCOPED_TRACE(events.substr(0, n + 1));
        if (events[n] == 'R') {
            analyzer.SetHop(TunerAnalyzer::FastHop);
            ASSERT_TRUE(analyzer.Restart(0));
            stream.clear();
            withoutResult = 0;
            continue;
        }
        precisePitch = events[n] == 'N';
        analysisBusy = events[n] == 'B';
        analysisTarget = events[n] == 'M' ? nullptr : target;
        rawFrequency = -1;
        received.clear();
        const std::vector<unsigned char> samples = SimulatedSamples(2 * analyzer.Hop(), n);
        device.Return(events[n] == 'S' ? samples.size() - 2 : samples.size(), n);
        stream.insert(stream.end(), samples.begin(), samples.end());
        if (events[n] == 'S') stream.clear();
        const bool full = stream.size() >= Block, result = full && !precisePitch;
        const double published = rawFrequency;
        const int load = cpuLoad;  // the load of the block before, none before the first
        withoutResult += full && precisePitch;
        EXPECT_EQ(result ? Reference(stream) : -1, published);
        EXPECT_EQ(std::vector<WPARAM>(result && analysisTarget && !analysisBusy, TunerAnalyzer::ResultReady), received);
        EXPECT_EQ(withoutResult, analyzer.BlocksWithoutResult());
        EXPECT_TRUE(!result || load == (results++ ? 1024 * 100 / analyzer.Hop() : 0)) << load;
    }
    device.failing = "open";
    EXPECT_FALSE(analyzer.Restart(0));
    EXPECT_FALSE(device.isOpen);
    analysisTarget = nullptr;
    analysisBusy = precisePitch = false;
    noiseThreshold = 2;
    DestroyWindow(target);
}

}  // namespace
