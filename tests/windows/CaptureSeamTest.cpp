// Capture and the mixer through their seams: YWaveIn and the tuner's analyzer on a simulated
// wave-input device, the tuner's mixer on simulated sound cards.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ExpectException.hpp"
#include "MessageBoxWatcher.hpp"
#include "ModalDriver.hpp"
#include "SimulatedMixer.hpp"
#include "SimulatedWaveIn.hpp"
#include "TunerAnalyzer.hpp"
#include "TunerMixer.hpp"
#include "TunerState.hpp"
#include "YWaveIn.hpp"

namespace {

constexpr unsigned Block = TunerAnalysis::BlockBytes;  // 4096 samples of 16 bits, one channel

// Keeps what OnData received and lets a test act inside the call.
struct Recorder : YWaveIn {
    Recorder() { SetFormat({11025, 16, 1}); }
    void OnData(YByteBuffer& buffer, unsigned bytes) override {
        blocks.emplace_back(buffer.Data(), buffer.Data() + bytes);
        if (during) during();
    }
    std::vector<std::vector<unsigned char>> blocks;
    std::function<void()> during;
};

int CaptureWindows() {
    int count = 0;
    for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, YWaveIn::WindowClass, "Wave In Window"));) ++count;
    return count;
}

// Two buffers go round; the load is the share of a block captured while OnData runs; a nested
// notification is dropped with full load; an error in OnData is reported once its buffer is back
// in the queue, and while that report is open the device goes on filling blocks (one on each step
// of the driver, inside the report's message loop) without a second box on top.
TEST(YWaveIn, TwoBuffersGoRoundTheLoadIsMeasuredAndErrorsInOnDataAreReportedOneAtATime) {
    SimulatedWaveIn device;
    Recorder capture;
    device.failing = "open";
    char reason[256] = {};
    waveInGetErrorTextA(MMSYSERR_ALLOCATED, reason, sizeof reason);
    EXPECT_FALSE(capture.Open(0));
    EXPECT_EQ(std::to_string(MMSYSERR_ALLOCATED) + reason, std::to_string(capture.GetLastResult()) + capture.GetErrorText());
    device.failing = "reset";  // not recording: Stop does not reset the device
    ASSERT_TRUE(capture.Open(0) && capture.Open(0));  // the second finds it open and touches nothing
    capture.Stop();
    device.failing.clear();
    EXPECT_EQ(2, device.opens);
    EXPECT_EQ(1, CaptureWindows()) << "the window of the failed open serves again";
    const WAVEFORMATEX& f = device.format;
    EXPECT_EQ((std::vector<unsigned>{WAVE_FORMAT_PCM, 1, 11025, 22050, 2, 16, 0}),
              (std::vector<unsigned>{f.wFormatTag, f.nChannels, f.nSamplesPerSec, f.nAvgBytesPerSec, f.nBlockAlign,
                                     f.wBitsPerSample, f.cbSize}));

    capture.Start();
    ASSERT_EQ(2u, device.queue.size());
    EXPECT_EQ(std::make_pair(DWORD_PTR{1}, DWORD{Block}), std::make_pair(device.queue[0]->dwUser, device.queue[1]->dwBufferLength));
    // The samples captured while OnData runs (the position moves on each query), the load they make,
    // and the bytes the device returns.
    const struct {
        unsigned step, load, bytes;
    } blocks[] = {{1024, 25, Block}, {0, 25, Block}, {1, 0, 100}, {12288, 300, Block}};
    for (unsigned char n = 0; n < std::size(blocks); ++n) {
        device.positionStep = blocks[n].step;
        device.Return(blocks[n].bytes, n);
        EXPECT_EQ(SimulatedSamples(blocks[n].bytes, n), capture.blocks.back());
        EXPECT_EQ(blocks[n].load, static_cast<unsigned>(capture.GetLoadPercent())) << int{n};
    }
    device.positionStep = 0;
    capture.during = [&] { capture.during = nullptr, device.Return(Block); };
    device.Return(Block);
    EXPECT_EQ(100, capture.GetLoadPercent());
    EXPECT_EQ(5u, capture.blocks.size());

    capture.during = [] { throw YSystemException(YSystemException::KindUnknown, 107, "Cpp/Yfft"); };
    std::vector<size_t> seen;  // the buffers queued and the reports open when the device fills a block
    const auto block = [&] {
        seen.insert(seen.end(), {device.queue.size(), OpenMessageBoxes().size()});
        device.Return(Block);
    };
    ModalDriver driver(
        {WaitFor([] { return OpenMessageBoxes().size() == 1; }), Do(block), Do(block), Do([] { CloseMessageBoxes(); })});
    device.Return(Block);
    EXPECT_TRUE(driver.Finished());
    EXPECT_EQ((std::vector<size_t>{1, 1, 1, 1}), seen);
    // Stop: the reset returns the buffers empty, neither analysed nor queued again.
    capture.during = nullptr;
    capture.Stop();
    EXPECT_TRUE(!capture.IsRecording() && capture.blocks.size() == 8 && device.queue.empty());
    capture.Close();
    EXPECT_FALSE(device.isOpen);
    EXPECT_EQ(0, CaptureWindows());

    // A device that appears after the count was taken finds no place; a name has 31 characters at most.
    device.deviceCount = 2;
    device.names = {"Line In", "An input whose name is longer than thirty-one characters", "Late"};
    YArray<YString> names;
    YWaveIn::GetDeviceNames(names);
    ASSERT_EQ(2, names.Count());
    EXPECT_EQ(std::make_pair(YString("Line In"), YString("An input whose name is longer t")), std::make_pair(names[0], names[1]));
}

LRESULT CALLBACK RefuseWindows(int code, WPARAM wParam, LPARAM lParam) {
    return code == HCBT_CREATEWND ? 1 : CallNextHookEx(nullptr, code, wParam, lParam);
}

// A failing call throws with its line and leaves the device as it was: one that a failing Open had
// opened is closed again. An error in OnData after its report was closed is reported again, and
// capture goes on until the last buffer cannot be queued again either.
TEST(YWaveIn, EachFailureThrowsWithItsLine) {
    SimulatedWaveIn device;
    const auto open = [](YWaveIn& c) { c.Open(0); };
    const auto start = [](YWaveIn& c) { c.Start(); };
    const struct {
        int line;
        const char* operation;
        DWORD_PTR buffer;
        int state;  // what the call starts from: 0 closed, 1 open, 2 recording
        std::function<void(YWaveIn&)> call;
    } failures[] = {{95, "", 0, 0, open},           {142, "prepare", 1, 0, open}, {145, "prepare", 2, 0, open},
                    {189, "add", 1, 1, start},      {192, "add", 2, 1, start},    {195, "start", 0, 1, start},
                    {206, "reset", 0, 2, [](YWaveIn& c) { c.Stop(); }}, {169, "close", 0, 1, [](YWaveIn& c) { c.Close(); }}};
    for (const auto& failure : failures) {
        Recorder subject;
        if (failure.state > 0) subject.Open(0);
        if (failure.state > 1) subject.Start();
        device.failing = failure.operation;
        device.failingBuffer = failure.buffer;
        HHOOK hook = failure.line == 95 ? SetWindowsHookExA(WH_CBT, RefuseWindows, nullptr, GetCurrentThreadId()) : nullptr;
        EXPECT_YTHROW(failure.call(subject), YSystemException::KindUnknown, failure.line, "Cpp/YWaveIn");
        UnhookWindowsHookEx(hook);
        EXPECT_EQ(failure.state > 0, device.isOpen) << failure.line;
        device.failing.clear();
    }
    // A device that can no longer be closed is left to the system, but the destructor takes the
    // window along, so that no notification can reach the destroyed object.
    {
        Recorder lost;
        lost.Open(0);
        lost.Start();
        lost.during = [] { throw YSystemException(YSystemException::KindUnknown, 107, "Cpp/Yfft"); };
        device.failing = "add";
        MessageBoxWatcher watcher;
        device.Return(Block);
        device.Return(Block);
        EXPECT_TRUE(watcher.Boxes().size() == 2 && lost.blocks.size() == 2 && device.queue.empty());
        device.failing = "close";
    }
    EXPECT_EQ(0, CaptureWindows());
}

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

// The analyzer publishes every full block of its stream, tells the main window, and starts the
// stream afresh.
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
    EXPECT_EQ(11025u, device.format.nSamplesPerSec);
    MessageBoxWatcher boxes;
    rawFrequency = -1;
    device.Return(Block);
    EXPECT_TRUE(rawFrequency == -1 && boxes.Boxes().empty());
    // A tuning loaded is sent, not posted: the window has the news before LoadCurrentTuning returns.
    analysisTarget = target;
    analyzer.LoadCurrentTuning();
    EXPECT_EQ(std::vector<WPARAM>{TunerAnalyzer::TuningLoaded}, received);

    // Full, Short and No clear tone (with Precise Pitch) buffers; full ones for a Busy and a Missing
    // target; Restart, with fast updates (Hop) or as it was: a hop of 1024 samples brings the latest
    // 4096 to the analysis once that many arrived since the stream started afresh, at a restart or
    // after a short hop, which means that the stream was interrupted.
    const std::string events = "FFSFNBMHFFFFFNSFFFNFFRFFFF";
    analyzer.Setup();
    device.positionStep = 1024;  // each block takes a quarter of a block's time
    noiseThreshold = 1 << 24;    // with Precise Pitch no block has a clear tone
    std::vector<unsigned char> stream;
    int withoutResult = 0, results = 0;
    for (unsigned char n = 0; n < events.size(); ++n) {
        SCOPED_TRACE(events.substr(0, n + 1));
        if (events[n] == 'H' || events[n] == 'R') {
            if (events[n] == 'H') analyzer.SetHop(TunerAnalyzer::FastHop);
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
        const double published = rawFrequency;  // before the reference analysis overwrites it
        const int load = cpuLoad;                // the load of the block before, none before the first
        withoutResult += full && precisePitch;
        EXPECT_EQ(result ? Reference(stream) : -1, published);
        EXPECT_EQ(std::vector<WPARAM>(result && analysisTarget && !analysisBusy, TunerAnalyzer::ResultReady), received);
        EXPECT_EQ(withoutResult, analyzer.BlocksWithoutResult());
        EXPECT_TRUE(!result || load == (results++ ? 1024 * 100 / analyzer.Hop() : 0)) << load;
    }
    device.failing = "open";
    EXPECT_FALSE(analyzer.Restart(0) || device.isOpen);
    analysisTarget = nullptr;
    analysisBusy = precisePitch = false;
    noiseThreshold = 2;
    DestroyWindow(target);
}

using Values = std::vector<DWORD>;
constexpr DWORD Mux = MIXERCONTROL_CONTROLTYPE_MUX, Mixer = MIXERCONTROL_CONTROLTYPE_MIXER;

// Start-up on each card: its mixer opened, its state saved, and the source chosen applied at the
// level chosen; the card's selection and volumes then, and back again at the end of the run. Later
// choices touch only the controls they find.
TEST(TunerMixer, TheChosenInputBecomesTheOnlySelectedOneAndTheCardGetsItsRoutingBackAtTheEnd) {
    const struct {
        std::vector<SimulatedInput> inputs;  // and their volumes
        DWORD selector;
        Values entries, selection;
        int source, level;
        Values selected, volumes;
    } cards[] = {
        {{{Line, 100}, {Mic, 200}, {Cd, 300}}, Mux, {Line, Mic, Cd}, {1, 0, 0}, 2, 32, {0, 1, 0}, {100, 32767, 300}},
        {{{Mic, 200}, {Aux, 50}}, Mixer, {Mic, Aux}, {1, 0}, 1, 16, {0, 1}, {200, 16383}},    // no line input: Aux
        {{{Line, 100}, {Mic, 200}}, Mixer, {Line, Cd}, {1, 1}, 2, 64, {1, 1}, {100, 65535}},  // no entry for Mic
        {{{Mic, 200}}, 0, {}, {}, 2, 64, {}, {200}},  // no selector: the mixer's default
    };
    for (const auto& c : cards) {
        SCOPED_TRACE(&c - cards);
        SimulatedMixer card(c.inputs, c.selector, c.entries, c.selection);
        const Values volumes = card.Volumes();
        {
            TunerMixer mixer, other;
            ASSERT_TRUE(mixer.Open(0, MIXER_OBJECTF_WAVEIN));
            EXPECT_FALSE(other.Open(1, MIXER_OBJECTF_WAVEIN) || other.OpenById(0));
            mixer.SaveState();
            inputSource = c.source;
            recordingLevel = c.level;
            mixer.ApplySource();
            EXPECT_EQ(std::pair(c.selected, c.volumes), std::pair(card.selection, card.Volumes()));
            EXPECT_EQ(c.selector ? c.source : InputSourceMixerDefault, inputSource);
            card.writes = 0;
        }
        EXPECT_EQ(std::pair(c.selection, volumes), std::pair(card.selection, card.Volumes()));
        EXPECT_EQ(c.selector ? 3 : 0, card.writes) << "selection and volumes put back; with the default nothing";
        EXPECT_FALSE(card.isOpen);
    }
    // Later choices on a card whose item texts, or volume controls, cannot be found any more.
    SimulatedMixer card({{Line, 1000}, {Mic, 2000}, {Cd, 3000}}, Mux, {Line, Mic, Cd}, {1, 0, 0});
    TunerMixer mixer;
    ASSERT_TRUE(mixer.Open(0, MIXER_OBJECTF_WAVEIN));
    mixer.SaveState();
    const struct {
        int source, level;
        bool textsFail, volumesGone;
        Values selected, volumes;
    } choices[] = {
        {InputSourceLine, 1, false, false, {1, 0, 0}, {1023, 2000, 3000}},
        {InputSourceMicrophone, 0, true, false, {1, 0, 0}, {1023, 0, 3000}},  // no item names the microphone
        {InputSourceMicrophone, 64, false, true, {0, 1, 0}, {1023, 0, 3000}},
        // The card's own selection comes back, and no other control takes a volume meant for an input.
        {InputSourceMixerDefault, 64, false, true, {1, 0, 0}, {1023, 0, 3000}},
    };
    for (const auto& choice : choices) {
        inputSource = choice.source;
        recordingLevel = choice.level;
        card.listTextFails = choice.textsFail;
        card.volumesGone = choice.volumesGone;
        mixer.ApplySource();
        EXPECT_EQ(std::pair(choice.selected, choice.volumes), std::pair(card.selection, card.Volumes())) << choice.source;
    }
    ASSERT_TRUE(mixer.SelectInputSelector());
    unsigned value = 0;
    YArray<unsigned> four;
    four.SetSize(4);
    EXPECT_YTHROW(mixer.GetValue(value), YSystemException::KindIllegalParameter, 217, "Cpp/YAudioMixer");
    EXPECT_YTHROW(mixer.SetValue(value), YSystemException::KindIllegalParameter, 276, "Cpp/YAudioMixer");
    EXPECT_YTHROW(mixer.SetValues(four), YSystemException::KindIllegalParameter, 311, "Cpp/YAudioMixer");
}

}  // namespace
