#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <vector>

#include "ExpectException.hpp"
#include "MessageBoxWatcher.hpp"
#include "ModalDriver.hpp"
#include "SimulatedWaveIn.hpp"
#include "YWaveIn.hpp"

namespace {

constexpr const char* Source = "Cpp/YWaveIn";
constexpr unsigned Block = 8192;  // 4096 samples of 16 bits, one channel

struct Delivery {
    const unsigned char* data;
    std::vector<unsigned char> samples;  // as many bytes as were recorded
};

// A capture object that records what OnData received and lets a test act inside the call.
class RecordingWaveIn : public YWaveIn {
public:
    RecordingWaveIn() { SetFormat({11025, 16, 1}); }
    void OnData(YByteBuffer& buffer, unsigned bytesRecorded) override {
        deliveries.push_back({buffer.Data(), std::vector<unsigned char>(buffer.Data(), buffer.Data() + bytesRecorded)});
        if (during) during();
    }
    std::vector<Delivery> deliveries;
    std::function<void()> during;
};

// The hidden capture windows of this thread.
int CaptureWindows() {
    int count = 0;
    for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, YWaveIn::WindowClass, YWaveIn::WindowTitle));)
        count += GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
    return count;
}

std::string SystemText(MMRESULT result) {
    char text[256] = {};
    waveInGetErrorTextA(result, text, sizeof text);
    return text;
}

class YWaveInSeam : public ::testing::Test {
protected:
    void TearDown() override { SimulatedWaveIn::Pump(); }

    void Record() {
        ASSERT_TRUE(capture.Open(0));
        capture.Start();
    }

    // The device returns its next queued buffer with `bytes` bytes, and the notification is handled.
    void Deliver(unsigned bytes, unsigned char seed = 0) {
        ASSERT_TRUE(device.Return(bytes, seed));
        SimulatedWaveIn::Pump();
    }

    SimulatedWaveIn device;
    RecordingWaveIn capture;
};

TEST_F(YWaveInSeam, OpenPreparesTheFormatForTheHiddenWindowAndOpenAgainTouchesNothing) {
    ASSERT_TRUE(capture.Open(0));
    const WAVEFORMATEX& format = device.openedFormat;
    EXPECT_EQ((std::vector<unsigned>{WAVE_FORMAT_PCM, 1, 11025, 22050, 2, 16, 0}),
              (std::vector<unsigned>{format.wFormatTag, format.nChannels, format.nSamplesPerSec, format.nAvgBytesPerSec,
                                     format.nBlockAlign, format.wBitsPerSample, format.cbSize}));
    EXPECT_EQ(static_cast<DWORD>(CALLBACK_WINDOW), device.openFlags);
    EXPECT_FALSE(IsWindowVisible(device.Window()));
    EXPECT_TRUE(device.queue.empty());

    EXPECT_TRUE(capture.Open(0));
    EXPECT_EQ(1, device.opens);
    EXPECT_EQ(1, CaptureWindows());

    capture.Close();
    EXPECT_FALSE(device.isOpen);
    EXPECT_EQ(0, CaptureWindows());
}

TEST_F(YWaveInSeam, EveryFullBlockReachesOnDataAndBothBuffersAlternate) {
    Record();
    EXPECT_EQ(1, device.starts);
    ASSERT_EQ((std::vector<DWORD_PTR>{1, 2}), device.Queued());
    EXPECT_EQ(Block, device.queue[0]->dwBufferLength);
    EXPECT_EQ(Block, device.queue[1]->dwBufferLength);

    for (unsigned char seed = 0; seed < 4; ++seed) Deliver(Block, seed);
    ASSERT_EQ(4u, capture.deliveries.size());
    for (unsigned char seed = 0; seed < 4; ++seed) EXPECT_EQ(SimulatedSamples(Block, seed), capture.deliveries[seed].samples);
    EXPECT_NE(capture.deliveries[0].data, capture.deliveries[1].data);
    EXPECT_EQ((std::vector<DWORD_PTR>{1, 2}), device.Queued());

    // A partly filled buffer is handed on with its count and goes round again.
    Deliver(100);
    EXPECT_EQ(SimulatedSamples(100, 0), capture.deliveries.back().samples);
    EXPECT_EQ((std::vector<DWORD_PTR>{2, 1}), device.Queued());
}

TEST_F(YWaveInSeam, AnEmptyBufferIsNotAnalysedAndLeavesTheRotation) {
    Record();
    Deliver(0);
    EXPECT_EQ((std::vector<DWORD_PTR>{2}), device.Queued());
    // Stop: the reset returns the other buffer empty as well.
    capture.Stop();
    SimulatedWaveIn::Pump();
    EXPECT_TRUE(capture.deliveries.empty());
    EXPECT_TRUE(device.queue.empty());
}

TEST_F(YWaveInSeam, TheLoadIsTheShareOfABlockCapturedDuringOnData) {
    Record();
    device.position = 5000;
    capture.during = [&] { device.position += 1024; };
    Deliver(Block);
    EXPECT_EQ(25, capture.GetLoadPercent());

    capture.during = nullptr;  // finishes before the position moves
    Deliver(Block);
    EXPECT_EQ(25, capture.GetLoadPercent());

    capture.during = [&] { device.position += 4096 * 3; };  // far behind
    Deliver(Block);
    EXPECT_EQ(300, capture.GetLoadPercent());
}

TEST_F(YWaveInSeam, ANotificationDuringOnDataIsDroppedWithFullLoad) {
    Record();
    capture.during = [&] {
        ASSERT_TRUE(device.Return(Block, 9));  // buffer 2 comes back while buffer 1 is analysed
        SimulatedWaveIn::Pump();
    };
    Deliver(Block, 1);
    capture.during = nullptr;
    ASSERT_EQ(1u, capture.deliveries.size());
    EXPECT_EQ(SimulatedSamples(Block, 1), capture.deliveries[0].samples);
    EXPECT_EQ(100, capture.GetLoadPercent());
    EXPECT_EQ((std::vector<DWORD_PTR>{1}), device.Queued());

    // Capture goes on with the one buffer left.
    Deliver(Block, 2);
    EXPECT_EQ(2u, capture.deliveries.size());
    EXPECT_EQ((std::vector<DWORD_PTR>{1}), device.Queued());
}

TEST_F(YWaveInSeam, StopAndCloseOnIdleObjectsDoNothing) {
    {
        RecordingWaveIn closed;
        closed.Stop();
        closed.Close();
    }
    ASSERT_TRUE(capture.Open(0));
    capture.Stop();  // open, not recording
    EXPECT_EQ(0, device.resets);
    EXPECT_EQ(0, device.closes);
}

TEST_F(YWaveInSeam, AFailedOpenKeepsTheCodeAndTheRetryReusesTheWindow) {
    device.openResult = MMSYSERR_ALLOCATED;
    EXPECT_FALSE(capture.Open(0));
    EXPECT_EQ(static_cast<unsigned>(MMSYSERR_ALLOCATED), capture.GetLastResult());
    EXPECT_FALSE(capture.Open(3));

    device.openResult = MMSYSERR_NOERROR;
    ASSERT_TRUE(capture.Open(0));
    EXPECT_EQ(0u, capture.GetLastResult());
    EXPECT_EQ(1, CaptureWindows());
    capture.Close();
    EXPECT_EQ(0, CaptureWindows());
}

TEST(YWaveInSystem, ADeviceThatDoesNotExistGivesTheSystemsText) {
    YWaveIn capture;
    EXPECT_FALSE(capture.Open(1000));
    EXPECT_NE(0u, capture.GetLastResult());
    EXPECT_EQ(SystemText(capture.GetLastResult()), capture.GetErrorText());
    EXPECT_FALSE(std::string(capture.GetErrorText()).empty());
    EXPECT_TRUE(FindWindowA(YWaveIn::WindowClass, YWaveIn::WindowTitle));
    capture.Close();
    EXPECT_FALSE(FindWindowA(YWaveIn::WindowClass, YWaveIn::WindowTitle));
}

TEST_F(YWaveInSeam, DeviceNamesFollowTheDeviceIds) {
    // A device that appears after the count was taken does not overrun the array.
    device.deviceCount = 2;
    device.names = {"Line In", "An input whose name is longer than thirty-one characters", "Late"};
    YArray<YString> names;
    YWaveIn::GetDeviceNames(names);
    ASSERT_EQ(2, names.Count());
    EXPECT_EQ("Line In", names[0]);
    EXPECT_EQ("An input whose name is longer t", names[1]);

    device.deviceCount = 0;
    device.names.clear();
    YWaveIn::GetDeviceNames(names);
    EXPECT_EQ(0, names.Count());
}

// A hook that makes every window creation of this thread fail.
LRESULT CALLBACK RefuseWindows(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) return 1;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(YWaveInSeam, WithoutItsWindowOpenThrowsBeforeItOpensTheDevice) {
    HHOOK hook = SetWindowsHookExA(WH_CBT, RefuseWindows, nullptr, GetCurrentThreadId());
    ASSERT_TRUE(hook);
    EXPECT_YTHROW(capture.Open(0), YSystemException::KindUnknown, 95, Source);
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(0, device.opens);
}

// A failing call leaves the object as it was (a device that a failing Open had opened is closed
// again); once the device answers again, Close releases everything.
TEST_F(YWaveInSeam, EachFailureThrowsWithItsLine) {
    const std::function<void(YWaveIn&)> open = [](YWaveIn& c) { c.Open(0); }, start = [](YWaveIn& c) { c.Start(); },
                                        stop = [](YWaveIn& c) { c.Stop(); }, close = [](YWaveIn& c) { c.Close(); };
    const struct {
        int line;
        bool open, recording;  // the state the call starts from
        std::function<void()> fail;
        std::function<void(YWaveIn&)> call;
    } failures[] = {
        {142, false, false, [&] { device.failPrepareOf = 1; }, open},
        {145, false, false, [&] { device.failPrepareOf = 2; }, open},
        {189, true, false, [&] { device.failAddOf = 1; }, start},
        {192, true, false, [&] { device.failAddOf = 2; }, start},
        {195, true, false, [&] { device.startResult = MMSYSERR_ERROR; }, start},
        {206, true, true, [&] { device.resetResult = MMSYSERR_ERROR; }, stop},
        {169, true, false, [&] { device.closeResult = MMSYSERR_ERROR; }, close},
    };
    for (const auto& failure : failures) {
        SCOPED_TRACE(failure.line);
        YWaveIn subject;
        if (failure.open) subject.Open(0);
        if (failure.recording) subject.Start();
        failure.fail();
        EXPECT_YTHROW(failure.call(subject), YSystemException::KindUnknown, failure.line, Source);
        EXPECT_EQ(failure.open, subject.IsOpen());
        EXPECT_EQ(failure.open, device.isOpen);
        EXPECT_EQ(failure.recording, subject.IsRecording());
        EXPECT_EQ(1, CaptureWindows());

        device.failPrepareOf = device.failAddOf = 0;
        device.startResult = device.resetResult = device.closeResult = MMSYSERR_NOERROR;
        subject.Close();
        EXPECT_FALSE(device.isOpen);
        EXPECT_EQ(0, CaptureWindows());
    }
}

TEST_F(YWaveInSeam, ABufferThatCannotBeQueuedAgainLeavesTheRotation) {
    Record();
    device.failAddOf = 1;
    Deliver(Block);
    device.failAddOf = 0;
    Deliver(Block);
    EXPECT_EQ(2u, capture.deliveries.size());
    EXPECT_EQ((std::vector<DWORD_PTR>{2}), device.Queued());
}

TEST_F(YWaveInSeam, ADeviceThatFailsToResetStillCloses) {
    Record();
    device.resetResult = MMSYSERR_NODRIVER;
    device.queue.clear();  // the device lost its buffers
    capture.Close();
    EXPECT_FALSE(capture.IsOpen());
    EXPECT_FALSE(device.isOpen);
    EXPECT_EQ(0, CaptureWindows());
}

TEST_F(YWaveInSeam, ADeviceThatDisappearsLeavesNoWindowBehind) {
    HWND window = nullptr;
    {
        RecordingWaveIn lost;
        ASSERT_TRUE(lost.Open(0));
        lost.Start();
        window = device.Window();
        device.Return(Block);
        device.gone = true;  // from now on every call fails, also the re-queue
        SimulatedWaveIn::Pump();
        EXPECT_EQ(1u, lost.deliveries.size());
        EXPECT_EQ(0, lost.GetLoadPercent());
        EXPECT_YTHROW(lost.Stop(), YSystemException::KindUnknown, 206, Source);
        EXPECT_YTHROW(lost.Close(), YSystemException::KindUnknown, 169, Source);
        // A notification still on its way reaches the object while it lives...
        device.Return(Block);
        SimulatedWaveIn::Pump();
        EXPECT_EQ(2u, lost.deliveries.size());
    }
    // ...and none after it: the destructor took the window with it.
    EXPECT_FALSE(IsWindow(window));
}

// An error inside OnData is shown, each time once the last report is closed, and capture carries on.
TEST_F(YWaveInSeam, AnErrorInOnDataIsReportedAndCaptureGoesOn) {
    Record();
    capture.during = [] { throw YSystemException(YSystemException::KindUnknown, 107, "Cpp/Yfft"); };
    {
        MessageBoxWatcher watcher;
        Deliver(Block);
        Deliver(Block);
        std::vector<ShownMessageBox> boxes = watcher.Boxes();
        ASSERT_EQ(2u, boxes.size());
        EXPECT_EQ("Exception", boxes[0].caption);
        EXPECT_NE(std::string::npos, boxes[0].text.find("Cpp/Yfft"));
    }
    capture.during = nullptr;
    EXPECT_EQ((std::vector<DWORD_PTR>{1, 2}), device.Queued());
    Deliver(Block);
    EXPECT_EQ(3u, capture.deliveries.size());
}

// The report comes after its buffer went back to the device: while it is open, the device goes on
// filling blocks at its pace (one on each step of the driver, inside the report's message loop) and
// each time finds the other buffer waiting. The same error in every block adds no box on top.
TEST_F(YWaveInSeam, AnOpenReportHoldsNoBufferAndStaysTheOnlyOne) {
    Record();
    capture.during = [] { throw YSystemException(YSystemException::KindUnknown, 107, "Cpp/Yfft"); };
    std::vector<size_t> waiting, open;  // when the device finished each block after the first
    auto block = [&] {
        waiting.push_back(device.queue.size());
        open.push_back(OpenMessageBoxes().size());
        device.Return(Block);
    };
    ModalDriver driver({WaitFor([] { return OpenMessageBoxes().size() == 1; }), Do(block), Do(block), Do(block),
                        Do([] { CloseMessageBoxes(); })});
    Deliver(Block);
    EXPECT_TRUE(driver.Finished());
    EXPECT_EQ(std::vector<size_t>(3, 2), waiting);
    EXPECT_EQ(std::vector<size_t>(3, 1), open);
    EXPECT_EQ(4u, capture.deliveries.size());
    EXPECT_EQ(0, capture.GetLoadPercent()) << "no block was taken for a nested notification";
}

}  // namespace
