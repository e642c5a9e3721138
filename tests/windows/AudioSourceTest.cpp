// The Audio Source Settings dialog and start-up's device loop on the virtual sound card, whose two
// wave-input devices, "PulseAudio" and "Monitor of ToneSink", both hear the tone that plays, and on
// Wine's own mixer (a microphone with a volume, no line input, no input selector). A device that
// refuses to open comes from the capture seam, and so do two devices that hear different sounds.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "AudioSourceDialog.hpp"
#include "MessageBoxWatcher.hpp"
#include "ModalDriver.hpp"
#include "SimulatedMixer.hpp"
#include "SimulatedWaveIn.hpp"
#include "TemporaryDirectory.hpp"
#include "TunerAnalyzer.hpp"
#include "TunerMain.hpp"
#include "TunerMixer.hpp"
#include "TunerSettings.hpp"
#include "TunerState.hpp"
#include "YModule.hpp"
#include "resource.h"

namespace {

constexpr const char* Caption = "Audio Source Settings";
constexpr DWORD Limit = 30000;

// The system's wave-input services, except that the devices `refused` will not open; records the
// devices opened.
struct WatchedWaveIn {
    static inline std::set<UINT> refused;
    static inline std::vector<UINT> opened;

    static MMRESULT WINAPI Open(LPHWAVEIN device, UINT id, LPCWAVEFORMATEX format, DWORD_PTR callback, DWORD_PTR instance,
                                DWORD flags) {
        if (refused.count(id)) return MMSYSERR_ALLOCATED;
        MMRESULT result = waveInOpen(device, id, format, callback, instance, flags);
        if (result == MMSYSERR_NOERROR) opened.push_back(id);
        return result;
    }
    static constexpr YWaveInFunctions table = {
        Open,        waveInPrepareHeader, waveInUnprepareHeader, waveInAddBuffer,  waveInStart,        waveInReset,
        waveInGetPosition, waveInClose,   waveInGetDevCapsA,     waveInGetNumDevs, waveInGetErrorTextA,
    };
};

// Counts the full blocks analysed.
class CountingAnalyzer : public TunerAnalyzer {
public:
    void OnData(YByteBuffer& buffer, unsigned bytesRecorded) override {
        TunerAnalyzer::OnData(buffer, bytesRecorded);
        if (bytesRecorded == TunerAnalysis::BlockBytes) ++blocks;
    }
    int blocks = 0;
};

std::string Setting(const char* key) {
    YString value;
    theSettings.GetValue(SectionAudioInput, key, value);
    return value.CStr();
}

HWND DialogWindow() {
    HWND window = FindWindowA(nullptr, Caption);
    return window && IsWindowVisible(window) ? window : nullptr;
}

void Send(HWND dialog, int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    SendMessageA(GetDlgItem(dialog, id), message, wParam, lParam);
}

// The device list's selection changed as a user changes it.
void ChooseDevice(HWND dialog, int device) {
    Send(dialog, IDC_WAVE_IN_DEVICES, CB_SETCURSEL, device);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_WAVE_IN_DEVICES, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_WAVE_IN_DEVICES)));
}

void Click(HWND dialog, int id) { Send(dialog, id, BM_CLICK); }

// The settings of a user of `storedDevice`, in the program's directory, loaded as start-up loads them.
class AudioSourceTest : public ::testing::Test {
protected:
    explicit AudioSourceTest(int storedDevice = 1) : storedDevice(storedDevice) {}

    void SetUp() override {
        WriteBytes(directory.File(SettingsFileName), "[AudioInput]\r\nWaveIn = " + std::to_string(storedDevice) +
                                                         "\r\nCalibration = 1.500000\r\nSource = 2\r\nInputLevel = 40\r\n"
                                                         "NoiseLevel = 5\r\n[Tuning]\r\nRootFrequency = 440\r\n");
        SetModulePath((directory.Directory() + "\\fretlark.exe").c_str());
        YLibInit();
        YWaveIn::SetFunctions(&WatchedWaveIn::table);
        WatchedWaveIn::refused.clear();
        WatchedWaveIn::opened.clear();
        LoadSettings(ModuleDirectory(), static_cast<int>(YWaveIn::GetNumDevices()));
        ASSERT_FALSE(theSettings.IsModified());
    }
    void TearDown() override {
        analyzer.Close();
        YWaveIn::SetFunctions(nullptr);
    }

    // A step that waits for `count` more blocks from now on.
    ModalDriver::Step MoreBlocks(int count) {
        auto target = std::make_shared<int>(-1);
        return WaitFor([this, target, count] {
            if (*target < 0) *target = analyzer.blocks + count;
            return analyzer.blocks >= *target;
        });
    }

    const int storedDevice;
    TemporaryDirectory directory;
    CountingAnalyzer analyzer;
    TunerMixer mixer;
};

TEST_F(AudioSourceTest, ADeviceChangeTakesEffectAndIsStoredAtOnceAndARefusedDeviceBringsThePreviousBack) {
    analyzer.Setup();
    ASSERT_TRUE(analyzer.Open(1));
    analyzer.Start();
    ASSERT_TRUE(mixer.Open(1, MIXER_OBJECTF_WAVEIN)) << "Wine's mixer";
    MessageBoxWatcher boxes;
    AudioSourceDialog dialog(analyzer, mixer);
    HWND window = nullptr;
    ModalDriver driver(
        {WaitFor([&] { return (window = DialogWindow()) != nullptr; }), Do([&] {
             ChooseDevice(window, 1);
             EXPECT_EQ(std::vector<UINT>{1}, WatchedWaveIn::opened) << "the same device is not opened again";
             EXPECT_FALSE(theSettings.IsModified());

             ChooseDevice(window, 0);
             EXPECT_EQ((std::vector<UINT>{1, 0}), WatchedWaveIn::opened);
             EXPECT_EQ("0", Setting(KeyWaveIn));
             EXPECT_EQ("1.000000", Setting(KeyCalibration));
             EXPECT_EQ(1.0, calibrationRate);
             EXPECT_TRUE(mixer.IsOpen());
         }),
         MoreBlocks(2), Do([&] {
             WatchedWaveIn::refused = {1};
             ChooseDevice(window, 1);
             EXPECT_EQ((std::vector<UINT>{1, 0, 0}), WatchedWaveIn::opened) << "device 0 again";
             EXPECT_EQ(0, dialog.GetComboSel(IDC_WAVE_IN_DEVICES));
             EXPECT_EQ("0", Setting(KeyWaveIn));
         }),
         MoreBlocks(2), Do([&] {
             WatchedWaveIn::refused.clear();
             Click(window, IDCANCEL);
         })},
        Limit);
    EXPECT_EQ(YGuiDialog::CodeCancel, dialog.RunModal());
    EXPECT_TRUE(driver.Finished());

    ASSERT_EQ(1u, boxes.Boxes().size());
    EXPECT_EQ("Fretlark Error", boxes.Boxes()[0].caption);
    EXPECT_EQ("Can't Open Wave Input Device.\n", boxes.Boxes()[0].text);
    // Cancel goes back to the device in use before, and so does its calibration.
    EXPECT_EQ((std::vector<UINT>{1, 0, 0, 1}), WatchedWaveIn::opened);
    EXPECT_EQ(1, waveInDevice);
    EXPECT_EQ("1", Setting(KeyWaveIn));
    EXPECT_EQ(1.5, calibrationRate);
    EXPECT_EQ("1.500000", Setting(KeyCalibration));
}

// Fast updates on a simulated card of two devices: after a change of device the first result comes
// from the new device's samples alone.
TEST_F(AudioSourceTest, AfterAChangeOfDeviceTheFirstResultIsTheNewDevicesAlone) {
    SimulatedWaveIn card;
    card.deviceCount = 2;
    card.names = {"First", "Second"};
    analyzer.SetHop(TunerAnalyzer::FastHop);
    analyzer.Setup();
    ASSERT_TRUE(analyzer.Open(1));
    analyzer.Start();
    auto hops = [&](int count, unsigned char seed) {
        for (int hop = 0; hop < count; ++hop) {
            card.Return(2 * TunerAnalyzer::FastHop, seed);
            SimulatedWaveIn::Pump();
        }
    };
    AudioSourceDialog dialog(analyzer, mixer);
    ModalDriver driver({WaitFor([&] { return DialogWindow() != nullptr; }), Do([&] {
                            hops(4, 1);
                            ChooseDevice(DialogWindow(), 0);
                            rawFrequency = -1;
                            hops(3, 2);
                            EXPECT_EQ(-1, rawFrequency) << "three hops of the new device are no block yet";
                            hops(1, 2);
                            EXPECT_NE(-1, rawFrequency);
                            Click(DialogWindow(), IDOK);
                        })},
                       Limit);
    dialog.RunModal();
    EXPECT_TRUE(driver.Finished());
    analyzer.Close();
}

// A card without the stored microphone: the dialog shows the mixer's default; clicking "Line"
// shows the line's own volume as the level nearest to it and changes nothing in the mixer.
TEST_F(AudioSourceTest, TheGroupShowsOnlyInputsTheCardHas) {
    SimulatedMixer card({{Line, 32767}}, MIXERCONTROL_CONTROLTYPE_MUX, {Line, Cd}, {0, 1});
    card.waveInDevice = 1;
    ASSERT_TRUE(mixer.Open(1, MIXER_OBJECTF_WAVEIN));
    AudioSourceDialog dialog(analyzer, mixer);
    ModalDriver driver({WaitFor([&] { return DialogWindow() != nullptr; }), Do([&] {
                            EXPECT_TRUE(dialog.IsChecked(IDC_SOURCE_DEFAULT));
                            EXPECT_FALSE(IsWindowEnabled(dialog.GetControl(IDC_SOURCE_MIC)));
                            EXPECT_TRUE(IsWindowEnabled(dialog.GetControl(IDC_SOURCE_LINE)));
                            EXPECT_FALSE(IsWindowEnabled(dialog.GetControl(IDC_RECORDING_LEVEL)));
                            Click(DialogWindow(), IDC_SOURCE_LINE);
                            EXPECT_EQ(32, dialog.GetSliderPos(IDC_RECORDING_LEVEL));
                            Click(DialogWindow(), IDCANCEL);
                        })},
                       Limit);
    EXPECT_EQ(YGuiDialog::CodeCancel, dialog.RunModal());
    EXPECT_TRUE(driver.Finished());
    EXPECT_EQ(0, card.writes);
    EXPECT_EQ("2", Setting(KeySource));
    EXPECT_EQ(InputSourceMicrophone, inputSource) << "what the group showed was the dialog's own";
}

// Start-up's device loop: the stored device 0 refuses to open.
class StartUpTest : public AudioSourceTest {
protected:
    StartUpTest() : AudioSourceTest(0) {}
    void SetUp() override {
        AudioSourceTest::SetUp();
        WatchedWaveIn::refused = {0};
    }
    static std::string Reason() {
        char text[256] = "";
        waveInGetErrorTextA(MMSYSERR_ALLOCATED, text, sizeof text);
        return std::string("Can't Open Wave Input Device.\n") + text;
    }
    MessageBoxWatcher boxes;
};

TEST_F(StartUpTest, ADeviceThatWillNotOpenEitherAndThenCancelEndTheRunWithOne) {
    ModalDriver driver({WaitFor([&] { return boxes.Boxes().size() == 1 && DialogWindow(); }), Do([&] {
                            WatchedWaveIn::refused.insert(1);
                            ChooseDevice(DialogWindow(), 1);
                        }),
                        WaitFor([&] { return boxes.Boxes().size() == 2; }), Do([&] { Click(DialogWindow(), IDCANCEL); })},
                       Limit);
    EXPECT_EQ(1, TunerMain(analyzer, mixer));
    EXPECT_TRUE(driver.Finished());
    ASSERT_EQ(2u, boxes.Boxes().size());
    EXPECT_EQ(Reason(), boxes.Boxes()[0].text);
    EXPECT_EQ("Fretlark Error", boxes.Boxes()[1].caption);
    EXPECT_EQ("Can't Open Wave Input Device.\n", boxes.Boxes()[1].text);
    EXPECT_EQ("0", Setting(KeyWaveIn));
}

// Fast Updates while another program holds the device: it opens with neither hop, the error box
// says so, and the Audio Source Settings dialog that follows opens the same device again.
TEST_F(AudioSourceTest, FastUpdatesOnADeviceThatWillNotOpenAgainOfferTheWayBack) {
    MessageBoxWatcher boxes;
    ModalDriver driver({WaitFor([&] { return analysisTarget != nullptr; }), Do([&] {
                            WatchedWaveIn::refused = {1};
                            PostMessageA(analysisTarget, WM_COMMAND, IDM_FAST_UPDATES, 0);
                        }),
                        WaitFor([&] { return DialogWindow() != nullptr; }), Do([&] {
                            WatchedWaveIn::refused.clear();
                            ChooseDevice(DialogWindow(), 1);
                            Click(DialogWindow(), IDOK);
                        }),
                        MoreBlocks(2), Do([&] { PostMessageA(analysisTarget, WM_CLOSE, 0, 0); })},
                       Limit);
    EXPECT_EQ(0, TunerMain(analyzer, mixer));
    EXPECT_TRUE(driver.Finished());
    EXPECT_EQ(1u, boxes.Boxes().size());
    EXPECT_EQ((std::vector<UINT>{1, 1}), WatchedWaveIn::opened);
    EXPECT_FALSE(fastUpdates);
}

// Device 1's card has an input selector: the microphone chosen for it takes its routing over, and
// when the run ends, here with the Windows session, the card gets back the routing it had before.
TEST_F(StartUpTest, TheCloseBoxTriesAgainAndAUsableDeviceStartsTheTunerOnItsMixer) {
    SimulatedMixer card({{Line, 1000}, {Mic, 2000}, {Cd, 3000}}, MIXERCONTROL_CONTROLTYPE_MUX, {Line, Mic, Cd}, {1, 0, 0});
    card.waveInDevice = 1;
    {
        TunerMixer programMixer;
        HWND first = nullptr;
        ModalDriver driver({WaitFor([&] { return boxes.Boxes().size() == 1 && (first = DialogWindow()); }),
                            Do([&] { PostMessageA(first, WM_CLOSE, 0, 0); }),
                            WaitFor([&] { return boxes.Boxes().size() == 2 && DialogWindow() && DialogWindow() != first; }),
                            Do([&] { ChooseDevice(DialogWindow(), 1); }),
                            // Capture runs on the chosen device at once, and so does the analysis.
                            WaitFor([&] { return measuredFrequency > 0; }), Do([&] {
                                Click(DialogWindow(), IDC_SOURCE_MIC);
                                Click(DialogWindow(), IDOK);
                                measuredFrequency = 0;
                            }),
                            WaitFor([&] { return analysisTarget && measuredFrequency > 0; }), Do([&] {
                                EXPECT_EQ((std::vector<DWORD>{0, 1, 0}), card.selection);
                                EXPECT_EQ((std::vector<DWORD>{1000, 40959, 3000}), card.Volumes());
                                // Logging off: Windows ends the process after WM_ENDSESSION, and
                                // no exit of the program's own follows.
                                SendMessageA(analysisTarget, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
                                SendMessageA(analysisTarget, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
                                EXPECT_NE(std::string::npos, ReadBytes(directory.File(SettingsFileName)).find("WaveIn = 1"));
                                EXPECT_EQ((std::vector<DWORD>{1, 0, 0}), card.selection);
                                PostMessageA(analysisTarget, WM_CLOSE, 0, 0);
                            })},
                           Limit);
        measuredFrequency = 0;
        EXPECT_EQ(0, TunerMain(analyzer, programMixer));
        EXPECT_TRUE(driver.Finished());
        ASSERT_EQ(2u, boxes.Boxes().size());
        EXPECT_EQ(Reason(), boxes.Boxes()[1].text);
        EXPECT_EQ((std::vector<UINT>{1}), WatchedWaveIn::opened);
        EXPECT_EQ("1", Setting(KeyWaveIn));
        EXPECT_EQ("2", Setting(KeySource));
        EXPECT_EQ(InputSourceMicrophone, inputSource);
        // The new card got the stored source and level at once, so the slider showed that level.
        EXPECT_EQ("40", Setting(KeyInputLevel));
    }
    EXPECT_EQ((std::vector<DWORD>{1, 0, 0}), card.selection);
    EXPECT_EQ((std::vector<DWORD>{1000, 2000, 3000}), card.Volumes());
}

}  // namespace
