// YWaveIn on a simulated device: the rotation of its two buffers, the load figure, device names,
// every failure, and errors of OnData.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "ExpectException.hpp"
#include "MessageBoxWatcher.hpp"
#include "ModalDriver.hpp"
#include "SimulatedWaveIn.hpp"
#include "YWaveIn.hpp"

namespace {

constexpr unsigned Block = 8192;  // 4096 samples of 16 bits, one channel

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
    for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, YWaveIn::WindowClass, "Wave In Window"));)
        ++count;
    return count;
}

TEST(YWaveIn, TwoBuffersGoRoundAndTheLoadIsTheShareOfABlockCapturedDuringOnData) {
    SimulatedWaveIn device;
    Recorder capture;
    device.failing = "open";
    EXPECT_FALSE(capture.Open(0));
    char reason[256] = {};
    waveInGetErrorTextA(MMSYSERR_ALLOCATED, reason, sizeof reason);
    EXPECT_EQ(static_cast<unsigned>(MMSYSERR_ALLOCATED), capture.GetLastResult());
    EXPECT_STREQ(reason, capture.GetErrorText());
    device.failing.clear();
    ASSERT_TRUE(capture.Open(0) && capture.Open(0));  // the second finds it open and touches nothing
    EXPECT_EQ(2, device.opens);
    EXPECT_EQ(1, CaptureWindows()) << "the window of the failed open serves again";
    EXPECT_FALSE(IsWindowVisible(device.window));
    const WAVEFORMATEX& f = device.format;
    EXPECT_EQ((std::vector<unsigned>{WAVE_FORMAT_PCM, 1, 11025, 22050, 2, 16, 0}),
              (std::vector<unsigned>{f.wFormatTag, f.nChannels, f.nSamplesPerSec, f.nAvgBytesPerSec, f.nBlockAlign,
                                     f.wBitsPerSample, f.cbSize}));
    device.failing = "reset";
    capture.Stop();  // not recording: the device is not reset
    device.failing.clear();

    capture.Start();
    ASSERT_EQ(2u, device.queue.size());
    EXPECT_EQ(1u, device.queue[0]->dwUser);
    EXPECT_EQ(Block, device.queue[1]->dwBufferLength);
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
    // Stop: the reset returns both buffers empty, which are neither analysed nor queued again.
    capture.Stop();
    EXPECT_FALSE(capture.IsRecording());
    EXPECT_EQ(4u, capture.blocks.size());
    EXPECT_TRUE(device.queue.empty());
    capture.Close();
    EXPECT_FALSE(device.isOpen);
    EXPECT_EQ(0, CaptureWindows());

    // A device that appears after the count was taken finds no place; a name has 31 characters at most.
    device.deviceCount = 2;
    device.names = {"Line In", "An input whose name is longer than thirty-one characters", "Late"};
    YArray<YString> names;
    YWaveIn::GetDeviceNames(names);
    ASSERT_EQ(2, names.Count());
    EXPECT_EQ("Line In", names[0]);
    EXPECT_EQ("An input whose name is longer t", names[1]);
}

// A notification that OnData lets in is dropped with full load, and an error in OnData is reported
// once its buffer is back in the queue: while the report is open the device goes on filling blocks
// (one on each step of the driver, inside the report's message loop), and the same error adds no
// box on top. Capture goes on until the last buffer cannot be queued again either.
TEST(YWaveIn, ANestedNotificationIsDroppedAndAnErrorInOnDataIsReported) {
    SimulatedWaveIn device;
    Recorder capture;
    ASSERT_TRUE(capture.Open(0));
    capture.Start();
    capture.during = [&] { capture.during = nullptr, device.Return(Block); };
    device.Return(Block);
    EXPECT_EQ(100, capture.GetLoadPercent());
    EXPECT_EQ(1u, capture.blocks.size());

    capture.during = [] { throw YSystemException(YSystemException::KindUnknown, 107, "Cpp/Yfft"); };
    std::vector<size_t> seen;  // the buffers queued and the reports open when the device fills a block
    const auto block = [&] {
        seen.insert(seen.end(), {device.queue.size(), OpenMessageBoxes().size()});
        device.Return(Block);
    };
    ModalDriver driver({WaitFor([] { return OpenMessageBoxes().size() == 1; }), Do(block), Do(block),
                        Do([] { CloseMessageBoxes(); })});
    device.Return(Block);
    EXPECT_TRUE(driver.Finished());
    EXPECT_EQ((std::vector<size_t>{1, 1, 1, 1}), seen);
    device.failing = "add";
    MessageBoxWatcher watcher;  // the next error, after the report was closed, is reported again
    device.Return(Block);
    EXPECT_EQ(1u, watcher.Boxes().size());
    EXPECT_EQ(5u, capture.blocks.size());
    EXPECT_TRUE(device.queue.empty());
}

LRESULT CALLBACK RefuseWindows(int code, WPARAM wParam, LPARAM lParam) {
    return code == HCBT_CREATEWND ? 1 : CallNextHookEx(nullptr, code, wParam, lParam);
}

// A failing call throws with its line and leaves the device as it was: one that a failing Open had
// opened is closed again.
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
    } failures[] = {{95, "", 0, 0, open},
                    {142, "prepare", 1, 0, open},
                    {145, "prepare", 2, 0, open},
                    {189, "add", 1, 1, start},
                    {192, "add", 2, 1, start},
                    {195, "start", 0, 1, start},
                    {206, "reset", 0, 2, [](YWaveIn& c) { c.Stop(); }},
                    {169, "close", 0, 1, [](YWaveIn& c) { c.Close(); }}};
    for (const auto& failure : failures) {
        Recorder subject;
        if (failure.state > 0) subject.Open(0);
        if (failure.state > 1) subject.Start();
        device.failing = failure.operation;
        device.failingBuffer = failure.buffer;
        HHOOK hook =
            failure.line == 95 ? SetWindowsHookExA(WH_CBT, RefuseWindows, nullptr, GetCurrentThreadId()) : nullptr;
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
        device.failing = "close";
    }
    EXPECT_EQ(0, CaptureWindows());
}

}  // namespace
