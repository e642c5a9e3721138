// The Audio Source Settings dialog and start-up's device loop on the virtual sound card, whose two
// wave-input devices, "PulseAudio" and "Monitor of ToneSink", both hear the tone that plays, and on
// Wine's own mixer (a microphone with a volume, no line input, no input selector). A device that
// refuses to open comes from the capture seam, and so do two devices that hear different sounds.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

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

constexpr DWORD Limit = 30000;

// The system's wave-input services, except that the devices `refused` will not open; records the
// devices opened.
std::set<UINT> refused;
std::vector<UINT> opened;
MMRESULT WINAPI OpenUnlessRefused(LPHWAVEIN device, UINT id, LPCWAVEFORMATEX format, DWORD_PTR callback, DWORD_PTR instance, DWORD flags) {
    if (refused.count(id)) return MMSYSERR_ALLOCATED;
    MMRESULT result = waveInOpen(device, id, format, callback, instance, flags);
    if (result == MMSYSERR_NOERROR) opened.push_back(id);
    return result;
}
constexpr YWaveInFunctions WatchedWaveIn = {OpenUnlessRefused, waveInPrepareHeader, waveInUnprepareHeader, waveInAddBuffer,
                                            waveInStart,       waveInReset,         waveInGetPosition,     waveInClose,
                                            waveInGetDevCapsA, waveInGetNumDevs,    waveInGetErrorTextA};

std::string Setting(const char* key) {
    YString value;
    theSettings.GetValue(SectionAudioInput, key, value);
    return value.CStr();
}

HWND Dialog() {
    HWND window = FindWindowA(nullptr, "Audio Source Settings");
    return window && IsWindowVisible(window) ? window : nullptr;
}

// The device list's selection changed as a user changes it.
void ChooseDevice(int device) {
    SendDlgItemMessageA(Dialog(), IDC_WAVE_IN_DEVICES, CB_SETCURSEL, device, 0);
    SendMessageA(Dialog(), WM_COMMAND, MAKEWPARAM(IDC_WAVE_IN_DEVICES, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(Dialog(), IDC_WAVE_IN_DEVICES)));
}

void Click(int id) { SendDlgItemMessageA(Dialog(), id, BM_CLICK, 0, 0); }

std::string CantOpen(MMRESULT reason) {
    char text[256] = "";
    if (reason) waveInGetErrorTextA(reason, text, sizeof text);
    return std::string("Fretlark Error/Can't Open Wave Input Device.\n") + text;
}

// The settings of a user of device `storedDevice`, in the program's directory, loaded as start-up
// loads them; the results the analyzer announces are counted.
class AudioSourceTest : public ::testing::Test {
protected:
    explicit AudioSourceTest(int storedDevice = 1) : storedDevice(storedDevice) {}

    void SetUp() override {
        WriteBytes(directory.File(SettingsFileName), "[AudioInput]\r\nWaveIn = " + std::to_string(storedDevice) +
                                                         "\r\nCalibration = 1.500000\r\nSource = 2\r\nInputLevel = 40\r\n"
                                                         "NoiseLevel = 5\r\n[Tuning]\r\nRootFrequency = 440\r\n");
        SetModulePath((directory.Directory() + "\\fretlark.exe").c_str());
        YLibInit();
        YWaveIn::SetFunctions(&WatchedWaveIn);
        refused.clear();
        opened.clear();
        LoadSettings(ModuleDirectory(), static_cast<int>(TunerAnalyzer::GetNumDevices()));
        ASSERT_FALSE(theSettings.IsModified());
    }
    void TearDown() override {
        analyzer.Close();
        YWaveIn::SetFunctions(nullptr);
    }

    // A step that waits for a result measured from now on.
    static ModalDriver::Step NextResult() {
        return [started = false]() mutable {
            if (!started) measuredFrequency = 0;
            started = true;
            return measuredFrequency > 0;
        };
    }
    // Runs the dialog on the capture `analyzer` holds, with the steps inside it.
    INT_PTR RunDialog(std::vector<ModalDriver::Step> steps) {
        AudioSourceDialog dialog(analyzer, mixer);
        steps.insert(steps.begin(), WaitFor([] { return Dialog() != nullptr; }));
        ModalDriver driver(steps, Limit);
        INT_PTR code = dialog.RunModal();
        EXPECT_TRUE(driver.Finished());
        return code;
    }

    const int storedDevice;
    TemporaryDirectory directory;
    MessageBoxWatcher boxes;
    TunerAnalyzer analyzer;
    TunerMixer mixer;
};

TEST_F(AudioSourceTest, ADeviceChangeTakesEffectAndIsStoredAtOnceARefusedDeviceBringsThePreviousBackAndCancelAllOfIt) {
    analyzer.Setup();
    ASSERT_TRUE(analyzer.Open(1));
    analyzer.Start();
    ASSERT_TRUE(mixer.Open(1, MIXER_OBJECTF_WAVEIN)) << "Wine's mixer";
    EXPECT_EQ(YGuiDialog::CodeCancel,
              RunDialog({Do([&] {
                             ChooseDevice(1);
                             EXPECT_EQ(std::vector<UINT>{1}, opened) << "the same device is not opened again";
                             EXPECT_FALSE(theSettings.IsModified());
                             ChooseDevice(0);
                             EXPECT_EQ((std::vector<UINT>{1, 0}), opened);
                             EXPECT_EQ("0 1.000000", Setting(KeyWaveIn) + " " + Setting(KeyCalibration));
                             EXPECT_EQ(1.0, calibrationRate);
                             EXPECT_TRUE(mixer.IsOpen());
                         }),
                         NextResult(), Do([&] {
                             refused = {1};
                             ChooseDevice(1);
                             EXPECT_EQ((std::vector<UINT>{1, 0, 0}), opened) << "device 0 again";
                             EXPECT_EQ(0, SendDlgItemMessageA(Dialog(), IDC_WAVE_IN_DEVICES, CB_GETCURSEL, 0, 0));
                             EXPECT_EQ("0", Setting(KeyWaveIn));
                         }),
                         NextResult(), Do([&] {
                             refused.clear();
                             Click(IDCANCEL);
                         })}));
    ASSERT_EQ(1u, boxes.Boxes().size());
    EXPECT_EQ(CantOpen(0), boxes.Boxes()[0].caption + "/" + boxes.Boxes()[0].text);
    // Cancel goes back to the device in use before, and so does its calibration.
    EXPECT_EQ((std::vector<UINT>{1, 0, 0, 1}), opened);
    EXPECT_EQ("1 1.500000", Setting(KeyWaveIn) + " " + Setting(KeyCalibration));
    EXPECT_EQ(std::make_pair(1, 1.5), std::make_pair(waveInDevice, calibrationRate));
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
    RunDialog({Do([&] {
        hops(4, 1);
        ChooseDevice(0);
        rawFrequency = -1;
        hops(3, 2);
        EXPECT_EQ(-1, rawFrequency) << "three hops of the new device are no block yet";
        hops(1, 2);
        EXPECT_NE(-1, rawFrequency);
        Click(IDOK);
    })});
    analyzer.Close();  // while the simulated card is there
}

// A card without the stored microphone: the dialog shows the mixer's default; clicking "Line" shows
// the line's own volume as the level nearest to it and changes nothing in the mixer, nor in what
// the program uses.
TEST_F(AudioSourceTest, TheGroupShowsOnlyInputsTheCardHas) {
    SimulatedMixer card({{Line, 32767}}, MIXERCONTROL_CONTROLTYPE_MUX, {Line, Cd}, {0, 1});
    card.waveInDevice = 1;
    ASSERT_TRUE(mixer.Open(1, MIXER_OBJECTF_WAVEIN));
    auto state = [] {
        auto on = [](int id) { return std::to_string(IsDlgButtonChecked(Dialog(), id)) + std::to_string(IsWindowEnabled(GetDlgItem(Dialog(), id))); };
        return on(IDC_SOURCE_DEFAULT) + on(IDC_SOURCE_MIC) + on(IDC_SOURCE_LINE) + on(IDC_RECORDING_LEVEL).substr(1) + " " +
               std::to_string(SendDlgItemMessageA(Dialog(), IDC_RECORDING_LEVEL, TBM_GETPOS, 0, 0));
    };
    EXPECT_EQ(YGuiDialog::CodeCancel, RunDialog({Do([&] {
                  EXPECT_EQ("1100010 " + std::to_string(64 - 40), state()) << "the default, no microphone, no level";
                  Click(IDC_SOURCE_LINE);
                  EXPECT_EQ("0100111 " + std::to_string(64 - 32), state()) << "the line at its own volume, level 32";
                  Click(IDCANCEL);
              })}));
    EXPECT_EQ(0, card.writes);
    EXPECT_EQ("2", Setting(KeySource));
    EXPECT_EQ(InputSourceMicrophone, inputSource) << "what the group showed was the dialog's own";
}

// Start-up's device loop, and the main window that follows it; the stored device 0 refuses to open.
class StartUpTest : public AudioSourceTest {
protected:
    StartUpTest() : AudioSourceTest(0) {}
    void SetUp() override {
        AudioSourceTest::SetUp();
        refused = {0};
    }
    int Run(std::vector<ModalDriver::Step> steps, TunerMixer& programMixer) {
        ModalDriver driver(steps, Limit);
        int code = TunerMain(analyzer, programMixer);
        EXPECT_TRUE(driver.Finished());
        return code;
    }
    std::string Box(size_t index) {
        std::vector<ShownMessageBox> seen = boxes.Boxes();
        return index < seen.size() ? seen[index].caption + "/" + seen[index].text : "none";
    }
};

TEST_F(StartUpTest, ADeviceThatWillNotOpenEitherAndThenCancelEndTheRunWithOne) {
    EXPECT_EQ(1, Run({WaitFor([&] { return boxes.Boxes().size() == 1 && Dialog(); }), Do([&] {
                          refused.insert(1);
                          ChooseDevice(1);
                      }),
                      WaitFor([&] { return boxes.Boxes().size() == 2; }), Do([&] { Click(IDCANCEL); })},
                     mixer));
    EXPECT_EQ(CantOpen(MMSYSERR_ALLOCATED) + "|" + CantOpen(0), Box(0) + "|" + Box(1));
    EXPECT_EQ("0", Setting(KeyWaveIn));
}

// Device 1's card has an input selector: the microphone chosen for it takes its routing over, and
// when the run ends, here with the Windows session, the card gets back the routing it had before.
TEST_F(StartUpTest, TheCloseBoxTriesAgainAndAUsableDeviceStartsTheTunerOnItsMixerUntilTheSessionEnds) {
    SimulatedMixer card({{Line, 1000}, {Mic, 2000}, {Cd, 3000}}, MIXERCONTROL_CONTROLTYPE_MUX, {Line, Mic, Cd}, {1, 0, 0});
    card.waveInDevice = 1;
    {
        TunerMixer programMixer;
        HWND first = nullptr;
        EXPECT_EQ(0, Run({WaitFor([&] { return boxes.Boxes().size() == 1 && (first = Dialog()); }),
                          Do([&] { PostMessageA(first, WM_CLOSE, 0, 0); }),
                          WaitFor([&] { return boxes.Boxes().size() == 2 && Dialog() && Dialog() != first; }),
                          Do([&] { ChooseDevice(1); }),
                          // Capture runs on the chosen device at once, and so does the analysis.
                          NextResult(), Do([&] {
                              Click(IDC_SOURCE_MIC);
                              Click(IDOK);
                          }),
                          WaitFor([&] { return analysisTarget != nullptr; }), NextResult(), Do([&] {
                              EXPECT_EQ((std::vector<DWORD>{0, 1, 0}), card.selection);
                              EXPECT_EQ((std::vector<DWORD>{1000, 40959, 3000}), card.Volumes());
                              // Logging off: Windows ends the process after WM_ENDSESSION, and no
                              // exit of the program's own follows.
                              SendMessageA(analysisTarget, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
                              SendMessageA(analysisTarget, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
                              EXPECT_NE(std::string::npos, ReadBytes(directory.File(SettingsFileName)).find("WaveIn = 1"));
                              EXPECT_EQ((std::vector<DWORD>{1, 0, 0}), card.selection);
                              PostMessageA(analysisTarget, WM_CLOSE, 0, 0);
                          })},
                         programMixer));
        EXPECT_EQ(CantOpen(MMSYSERR_ALLOCATED) + "|" + CantOpen(MMSYSERR_ALLOCATED), Box(0) + "|" + Box(1));
        EXPECT_EQ((std::vector<UINT>{1}), opened);
        // The new card got the stored source and level at once, so the slider showed that level.
        EXPECT_EQ("1 2 40", Setting(KeyWaveIn) + " " + Setting(KeySource) + " " + Setting(KeyInputLevel));
        EXPECT_EQ(InputSourceMicrophone, inputSource);
    }
    EXPECT_EQ((std::vector<DWORD>{1, 0, 0}), card.selection);
    EXPECT_EQ((std::vector<DWORD>{1000, 2000, 3000}), card.Volumes());
}

// Fast Updates while another program holds the device: it opens with neither hop, the error box
// says so, and the Audio Source Settings dialog that follows opens the same device again.
TEST_F(AudioSourceTest, FastUpdatesOnADeviceThatWillNotOpenAgainOfferTheWayBack) {
    ModalDriver driver({WaitFor([&] { return analysisTarget != nullptr; }), Do([&] {
                            refused = {1};
                            PostMessageA(analysisTarget, WM_COMMAND, IDM_FAST_UPDATES, 0);
                        }),
                        WaitFor([&] { return Dialog() != nullptr; }), Do([&] {
                            refused.clear();
                            ChooseDevice(1);
                            Click(IDOK);
                        }),
                        NextResult(), Do([&] { PostMessageA(analysisTarget, WM_CLOSE, 0, 0); })},
                       Limit);
    EXPECT_EQ(0, TunerMain(analyzer, mixer));
    EXPECT_TRUE(driver.Finished());
    EXPECT_EQ(1u, boxes.Boxes().size());
    EXPECT_EQ((std::vector<UINT>{1, 1}), opened);
    EXPECT_FALSE(fastUpdates);
}

}  // namespace
