#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <functional>
#include <vector>

#include "ExpectException.hpp"
#include "MessageBoxWatcher.hpp"
#include "SimulatedWaveIn.hpp"
#include "YWaveIn.hpp"

namespace {

constexpr const char* Source = "Cpp/YWaveIn";
constexpr unsigned Block = 8192;  // 4096 samples of 16 bits, one channel

struct Delivery {
    const unsigned char* data;
    unsigned bytes;
    std::vector<unsigned char> samples;
};

// A capture object that records what OnData received and lets a test act inside the call.
class RecordingWaveIn : public YWaveIn {
public:
    RecordingWaveIn() { SetFormat({11025, 16, 1}); }
    void OnData(YByteBuffer& buffer, unsigned bytesRecorded) override {
        deliveries.push_back({buffer.Data(), bytesRecorded, std::vector<unsigned char>(buffer.Data(), buffer.Data() + bytesRecorded)});
        if (during) during();
    }
    std::vector<Delivery> deliveries;
    std::function<void()> during;
};

// The hidden windows of this thread.
int CaptureWindows() {
    int count = 0;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM found) -> BOOL {
            char name[64] = {};
            GetClassNameA(window, name, sizeof name);
            char title[64] = {};
            GetWindowTextA(window, title, sizeof title);
            if (std::strcmp(name, YWaveIn::WindowClass) == 0 && std::strcmp(title, YWaveIn::WindowTitle) == 0 &&
                !IsWindowVisible(window))
                ++*reinterpret_cast<int*>(found);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
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
    SimulatedWaveIn device;
};

TEST_F(YWaveInSeam, OpenPreparesTwoBuffersOfOneBlockForTheHiddenWindow) {
    RecordingWaveIn capture;
    ASSERT_TRUE(capture.Open(0));
    EXPECT_TRUE(capture.IsOpen());
    EXPECT_FALSE(capture.IsRecording());
    EXPECT_EQ(WAVE_FORMAT_PCM, device.openedFormat.wFormatTag);
    EXPECT_EQ(1, device.openedFormat.nChannels);
    EXPECT_EQ(11025u, device.openedFormat.nSamplesPerSec);
    EXPECT_EQ(16, device.openedFormat.wBitsPerSample);
    EXPECT_EQ(2, device.openedFormat.nBlockAlign);
    EXPECT_EQ(22050u, device.openedFormat.nAvgBytesPerSec);
    EXPECT_EQ(0, device.openedFormat.cbSize);
    EXPECT_EQ(static_cast<DWORD>(CALLBACK_WINDOW), device.openFlags);
    ASSERT_TRUE(IsWindow(device.Window()));
    EXPECT_FALSE(IsWindowVisible(device.Window()));
    EXPECT_EQ(1, CaptureWindows());
    EXPECT_TRUE(device.queue.empty());

    // Open again touches neither the device nor the window.
    EXPECT_TRUE(capture.Open(0));
    EXPECT_EQ(1, device.opens);
    EXPECT_EQ(1, CaptureWindows());

    capture.Close();
    EXPECT_FALSE(device.isOpen);
    EXPECT_FALSE(IsWindow(device.Window()));
    EXPECT_FALSE(capture.IsOpen());
}

TEST_F(YWaveInSeam, EveryFullBlockReachesOnDataAndBothBuffersAlternate) {
    RecordingWaveIn capture;
    ASSERT_TRUE(capture.Open(0));
    capture.Start();
    EXPECT_TRUE(capture.IsRecording());
    EXPECT_EQ(1, device.starts);
    ASSERT_EQ((std::vector<DWORD_PTR>{1, 2}), device.Queued());
    EXPECT_EQ(Block, device.queue[0]->dwBufferLength);
    EXPECT_EQ(Block, device.queue[1]->dwBufferLength);

    for (unsigned char seed = 0; seed < 4; ++seed) {
        ASSERT_TRUE(device.Return(Block, seed));
        SimulatedWaveIn::Pump();
    }
    ASSERT_EQ(4u, capture.deliveries.size());
    for (unsigned char seed = 0; seed < 4; ++seed) {
        EXPECT_EQ(Block, capture.deliveries[seed].bytes);
        EXPECT_EQ(SimulatedSamples(Block, seed), capture.deliveries[seed].samples);
    }
    EXPECT_NE(capture.deliveries[0].data, capture.deliveries[1].data);
    EXPECT_EQ(capture.deliveries[0].data, capture.deliveries[2].data);
    EXPECT_EQ(capture.deliveries[1].data, capture.deliveries[3].data);
    EXPECT_EQ((std::vector<DWORD_PTR>{1, 2}), device.Queued());

    // A partly filled buffer is handed on with its count and goes round again.
    ASSERT_TRUE(device.Return(100));
    SimulatedWaveIn::Pump();
    ASSERT_EQ(5u, capture.deliveries.size());
    EXPECT_EQ(100u, capture.deliveries[4].bytes);
    EXPECT_EQ((std::vector<DWORD_PTR>{2, 1}), device.Queued());
}

TEST_F(YWaveInSeam, AnEmptyBufferIsNotAnalysedAndLeavesTheRotation) {
    RecordingWaveIn capture;
    ASSERT_TRUE(capture.Open(0));
    capture.Start();
    ASSERT_TRUE(device.Return(0));
    SimulatedWaveIn::Pump();
    EXPECT_TRUE(capture.deliveries.empty());
    EXPECT_EQ((std::vector<DWORD_PTR>{2}), device.Queued());

    // Stop: the reset returns the other buffer empty as well.
    capture.Stop();
    SimulatedWaveIn::Pump();
    EXPECT_FALSE(capture.IsRecording());
    EXPECT_TRUE(capture.deliveries.empty());
    EXPECT_TRUE(device.queue.empty());
}

TEST_F(YWaveInSeam, TheLoadIsTheShareOfABlockCapturedDuringOnData) {
    RecordingWaveIn capture;
    ASSERT_TRUE(capture.Open(0));
    capture.Start();
    EXPECT_EQ(0, capture.GetLoadPercent());

    device.position = 5000;
    capture.during = [&] { device.position += 1024; };
    device.Return(Block);
    SimulatedWaveIn::Pump();
    EXPECT_EQ(25, capture.GetLoadPercent());
    EXPECT_EQ(6024u, capture.GetPosition());

    capture.during = nullptr;  // finishes before the position moves
    device.Return(Block);
    SimulatedWaveIn::Pump();
    EXPECT_EQ(25, capture.GetLoadPercent());

    capture.during = [&] { device.position += 4096 * 3; };  // far behind
    device.Return(Block);
    SimulatedWaveIn::Pump();
    EXPECT_EQ(300, capture.GetLoadPercent());
    EXPECT_EQ(3u, capture.deliveries.size());
}

TEST_F(YWaveInSeam, ANotificationDuringOnDataIsDroppedWithFullLoad) {
    RecordingWaveIn capture;
    ASSERT_TRUE(capture.Open(0));
    capture.Start();
    capture.during = [&] {
        capture.during = nullptr;
        device.Return(Block, 9);  // buffer 2 comes back while buffer 1 is analysed
        SimulatedWaveIn::Pump();
    };
    device.Return(Block, 1);
    SimulatedWaveIn::Pump();
    ASSERT_EQ(1u, capture.deliveries.size());
    EXPECT_EQ(SimulatedSamples(Block, 1), capture.deliveries[0].samples);
    EXPECT_EQ(100, capture.GetLoadPercent());
    EXPECT_EQ((std::vector<DWORD_PTR>{1}), device.Queued());

    // Capture goes on with the one buffer left.
    device.Return(Block, 2);
    SimulatedWaveIn::Pump();
    EXPECT_EQ(2u, capture.deliveries.size());
    EXPECT_EQ((std::vector<DWORD_PTR>{1}), device.Queued());
}

TEST_F(YWaveInSeam, StopAndCloseOnIdleObjectsDoNothing) {
    {
        RecordingWaveIn capture;
        capture.Stop();
        capture.Close();
        EXPECT_FALSE(capture.IsOpen());
    }
    RecordingWaveIn capture;
    ASSERT_TRUE(capture.Open(0));
    capture.Stop();  // open, not recording
    EXPECT_EQ(0, device.resets);
    EXPECT_EQ(1, device.opens);
    EXPECT_EQ(0, device.closes);
}

TEST_F(YWaveInSeam, AFailedOpenKeepsTheCodeAndItsTextAndCloseRemovesTheWindow) {
    RecordingWaveIn capture;
    device.openResult = MMSYSERR_ALLOCATED;
    EXPECT_FALSE(capture.Open(0));
    EXPECT_FALSE(capture.IsOpen());
    EXPECT_EQ(static_cast<unsigned>(MMSYSERR_ALLOCATED), capture.GetLastResult());
    EXPECT_EQ(SystemText(MMSYSERR_ALLOCATED), capture.GetErrorText());
    EXPECT_FALSE(std::string(capture.GetErrorText()).empty());
    EXPECT_EQ(1, CaptureWindows());

    // A retry reuses the window instead of leaving one behind.
    EXPECT_FALSE(capture.Open(3));
    EXPECT_EQ(static_cast<unsigned>(MMSYSERR_BADDEVICEID), capture.GetLastResult());
    EXPECT_EQ(SystemText(MMSYSERR_BADDEVICEID), capture.GetErrorText());
    EXPECT_EQ(1, CaptureWindows());

    device.openResult = MMSYSERR_NOERROR;
    ASSERT_TRUE(capture.Open(0));
    EXPECT_EQ(0u, capture.GetLastResult());
    EXPECT_EQ(1, CaptureWindows());
    capture.Close();
    EXPECT_EQ(0, CaptureWindows());

    EXPECT_FALSE(capture.Open(7));
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
    YArray<YString> names;
    device.deviceCount = 2;
    device.names = {"Line In", "An input whose name is longer than thirty-one characters"};
    YWaveIn::GetDeviceNames(names);
    ASSERT_EQ(2, names.Count());
    EXPECT_EQ("Line In", names[0]);
    EXPECT_EQ("An input whose name is longer t", names[1]);
    EXPECT_EQ(2u, YWaveIn::GetNumDevices());

    // A device that appears after the count was taken does not overrun the array.
    device.names.push_back("Late");
    YWaveIn::GetDeviceNames(names);
    EXPECT_EQ(2, names.Count());

    device.deviceCount = 0;
    device.names.clear();
    YWaveIn::GetDeviceNames(names);
    EXPECT_EQ(0, names.Count());
    EXPECT_EQ(0u, YWaveIn::GetNumDevices());
}

// A hook that makes every window creation of this thread fail.
LRESULT CALLBACK RefuseWindows(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) return 1;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(YWaveInSeam, EachFailureThrowsWithItsLine) {
    {
        RecordingWaveIn capture;
        HHOOK hook = SetWindowsHookExA(WH_CBT, RefuseWindows, nullptr, GetCurrentThreadId());
        ASSERT_TRUE(hook);
        EXPECT_YTHROW(capture.Open(0), YSystemException::KindUnknown, 95, Source);
        UnhookWindowsHookEx(hook);
        EXPECT_EQ(0, device.opens);
    }
    for (DWORD_PTR buffer : {1, 2}) {
        RecordingWaveIn capture;
        device.failPrepareOf = buffer;
        EXPECT_YTHROW(capture.Open(0), YSystemException::KindUnknown, buffer == 1 ? 142 : 145, Source);
        // The device does not stay open behind a closed object.
        EXPECT_FALSE(capture.IsOpen());
        EXPECT_FALSE(device.isOpen);
        device.failPrepareOf = 0;
        ASSERT_TRUE(capture.Open(0));
        capture.Close();
        EXPECT_EQ(0, CaptureWindows());
    }
    for (DWORD_PTR buffer : {1, 2}) {
        RecordingWaveIn capture;
        ASSERT_TRUE(capture.Open(0));
        device.failAddOf = buffer;
        EXPECT_YTHROW(capture.Start(), YSystemException::KindUnknown, buffer == 1 ? 189 : 192, Source);
        EXPECT_FALSE(capture.IsRecording());
        device.failAddOf = 0;
        capture.Close();
        EXPECT_FALSE(device.isOpen);
    }
    {
        RecordingWaveIn capture;
        ASSERT_TRUE(capture.Open(0));
        device.startResult = MMSYSERR_ERROR;
        EXPECT_YTHROW(capture.Start(), YSystemException::KindUnknown, 195, Source);
        EXPECT_FALSE(capture.IsRecording());
        device.startResult = MMSYSERR_NOERROR;
        capture.Close();
        EXPECT_FALSE(device.isOpen);
    }
    {
        RecordingWaveIn capture;
        ASSERT_TRUE(capture.Open(0));
        capture.Start();
        device.resetResult = MMSYSERR_ERROR;
        EXPECT_YTHROW(capture.Stop(), YSystemException::KindUnknown, 206, Source);
        EXPECT_TRUE(capture.IsRecording());
        device.resetResult = MMSYSERR_NOERROR;
        capture.Close();
    }
    {
        RecordingWaveIn capture;
        ASSERT_TRUE(capture.Open(0));
        device.closeResult = MMSYSERR_ERROR;
        EXPECT_YTHROW(capture.Close(), YSystemException::KindUnknown, 169, Source);
        // Unchanged: still open, the window still there for the device's notifications.
        EXPECT_TRUE(capture.IsOpen());
        EXPECT_EQ(1, CaptureWindows());
        device.closeResult = MMSYSERR_NOERROR;
        capture.Close();
        EXPECT_FALSE(capture.IsOpen());
        EXPECT_FALSE(device.isOpen);
        EXPECT_EQ(0, CaptureWindows());
    }
}

TEST_F(YWaveInSeam, ABufferThatCannotBeQueuedAgainLeavesTheRotation) {
    RecordingWaveIn capture;
    ASSERT_TRUE(capture.Open(0));
    capture.Start();
    device.failAddOf = 1;
    device.Return(Block);
    SimulatedWaveIn::Pump();
    EXPECT_EQ(1u, capture.deliveries.size());
    EXPECT_EQ((std::vector<DWORD_PTR>{2}), device.Queued());
    for (int i = 0; i < 3; ++i) {
        device.failAddOf = 0;
        ASSERT_TRUE(device.Return(Block));
        SimulatedWaveIn::Pump();
    }
    EXPECT_EQ(4u, capture.deliveries.size());
    EXPECT_EQ((std::vector<DWORD_PTR>{2}), device.Queued());
    capture.Stop();
    capture.Close();
    EXPECT_FALSE(device.isOpen);
    EXPECT_EQ(0, CaptureWindows());
}

TEST_F(YWaveInSeam, ADeviceThatFailsToResetStillCloses) {
    RecordingWaveIn capture;
    ASSERT_TRUE(capture.Open(0));
    capture.Start();
    device.resetResult = MMSYSERR_NODRIVER;
    device.queue.clear();  // the device lost its buffers
    capture.Close();
    EXPECT_FALSE(capture.IsOpen());
    EXPECT_FALSE(capture.IsRecording());
    EXPECT_FALSE(device.isOpen);
    EXPECT_EQ(0, CaptureWindows());
}

TEST_F(YWaveInSeam, ADeviceThatDisappearsLeavesNoWindowBehind) {
    HWND window = nullptr;
    {
        RecordingWaveIn capture;
        ASSERT_TRUE(capture.Open(0));
        capture.Start();
        window = device.Window();
        device.Return(Block);
        device.gone = true;  // from now on every call fails, also the re-queue
        SimulatedWaveIn::Pump();
        EXPECT_EQ(1u, capture.deliveries.size());
        EXPECT_EQ(0, capture.GetLoadPercent());
        EXPECT_EQ(0u, capture.GetPosition());
        EXPECT_YTHROW(capture.Stop(), YSystemException::KindUnknown, 206, Source);
        EXPECT_YTHROW(capture.Close(), YSystemException::KindUnknown, 169, Source);
        // A notification still on its way reaches the object while it lives...
        device.Return(Block);
        SimulatedWaveIn::Pump();
        EXPECT_EQ(2u, capture.deliveries.size());
    }
    // ...and none after it: the destructor took the window with it.
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(0, CaptureWindows());
}

// An error inside OnData is shown, and capture carries on.
TEST_F(YWaveInSeam, AnErrorInOnDataIsReportedAndCaptureGoesOn) {
    RecordingWaveIn capture;
    ASSERT_TRUE(capture.Open(0));
    capture.Start();
    capture.during = [] { throw YSystemException(YSystemException::KindUnknown, 107, "Cpp/Yfft"); };
    {
        MessageBoxWatcher watcher;
        device.Return(Block);
        SimulatedWaveIn::Pump();
        std::vector<ShownMessageBox> boxes = watcher.Boxes();
        ASSERT_EQ(1u, boxes.size());
        EXPECT_EQ("Exception", boxes[0].caption);
        EXPECT_NE(std::string::npos, boxes[0].text.find("Cpp/Yfft"));
    }
    capture.during = nullptr;
    EXPECT_EQ((std::vector<DWORD_PTR>{2, 1}), device.Queued());
    device.Return(Block);
    SimulatedWaveIn::Pump();
    EXPECT_EQ(2u, capture.deliveries.size());
    EXPECT_EQ(0, capture.GetLoadPercent());
}

}  // namespace
