#include "AudioSourceDialog.hpp"

#include "TunerAnalyzer.hpp"
#include "TunerMixer.hpp"
#include "TunerSettings.hpp"
#include "TunerState.hpp"
#include "YMessageBox.hpp"
#include "resource.h"

namespace {

const RadioEntry SourceGroup[] = {
    {InputSourceMixerDefault, IDC_SOURCE_DEFAULT},
    {InputSourceLine, IDC_SOURCE_LINE},
    {InputSourceMicrophone, IDC_SOURCE_MIC},
    {-1, -1},
};

constexpr int NoiseTicks = 2;
constexpr int LevelTicks = 8;

}  // namespace

AudioSourceDialog::AudioSourceDialog(TunerAnalyzer& analyzer, TunerMixer& mixer) : analyzer(analyzer), mixer(mixer) {
    SetTemplate(IDD_AUDIO_SOURCE);
    SetParentHandle(GetActiveWindow());
}

INT_PTR AudioSourceDialog::HandleMessage(HWND, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: Initialize(); break;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_WAVE_IN_DEVICES && HIWORD(wParam) == CBN_SELCHANGE) {
            ChangeDevice(GetComboSel(IDC_WAVE_IN_DEVICES));
        } else if (IsRadioGroupCommand(SourceGroup, wParam)) {
            sourceChosen = true;
            UpdateLevelSlider();
        } else if (HIWORD(wParam) == BN_CLICKED) {
            if (LOWORD(wParam) == IDOK) Confirm();
            if (LOWORD(wParam) == IDCANCEL) Cancel();
        }
        break;
    // The close box keeps everything as it is but counts as OK: start-up then tries the device again.
    case WM_CLOSE: EndOk(); break;
    }
    return 0;
}

void AudioSourceDialog::Initialize() {
    CenterWindow(GetHandle());
    openingDevice = waveInDevice;
    openingCaptured = analyzer.IsOpen();
    openingCalibration = calibrationRate;
    YArray<YString> names;
    TunerAnalyzer::GetDeviceNames(names);
    for (int i = 0; i < names.Count(); ++i) AddComboString(IDC_WAVE_IN_DEVICES, names[i]);
    SetComboSel(IDC_WAVE_IN_DEVICES, waveInDevice);
    YString name;
    GetComboSelText(IDC_WAVE_IN_DEVICES, name);
    SetControlText(IDC_DEVICE_STATUS, name);

    SetSliderRange(IDC_NOISE_THRESHOLD, 0, MaxNoiseThreshold);
    SetSliderTicFreq(IDC_NOISE_THRESHOLD, NoiseTicks);
    SetSliderPos(IDC_NOISE_THRESHOLD, noiseThreshold);
    SetSliderRange(IDC_RECORDING_LEVEL, 0, MaxRecordingLevel);
    SetSliderTicFreq(IDC_RECORDING_LEVEL, LevelTicks);
    SetSliderPos(IDC_RECORDING_LEVEL, recordingLevel);
    UpdateSourceControls();
}

void AudioSourceDialog::ChangeDevice(int device) {
    // Choosing the device in use changes nothing while it captures; when capture has stopped
    // (another program held the device when start-up or Fast Updates tried it), it opens it again.
    if (device < 0 || (device == waveInDevice && analyzer.IsOpen())) return;
    bool newDevice = device != waveInDevice;
    if (!analyzer.Restart(static_cast<unsigned>(device))) {
        // Back to the device in use, which may not open either.
        if (newDevice) analyzer.Restart(static_cast<unsigned>(waveInDevice));
        SetComboSel(IDC_WAVE_IN_DEVICES, waveInDevice);
        ErrorBox(IDS_ERROR_TITLE, IDS_CANT_OPEN_WAVE_IN);
        return;
    }
    if (newDevice) StoreDevice(device);
    SetComboSel(IDC_WAVE_IN_DEVICES, device);
    YString name;
    GetComboSelText(IDC_WAVE_IN_DEVICES, name);
    SetControlText(IDC_DEVICE_STATUS, name);

    // The mixer of a device opened again is open already, unless start-up could not open the device.
    if (newDevice || !mixer.IsOpen()) {
        mixer.Release();
        if (mixer.Open(static_cast<unsigned>(waveInDevice), MIXER_OBJECTF_WAVEIN)) {
            mixer.SaveState();
            mixer.ApplySource();
        }
    }
    UpdateSourceControls();
}

// A card has a sample clock of its own: a new one starts uncalibrated, and the one in use when the
// dialog opened gets its calibration back, so that browsing the list loses nothing.
void AudioSourceDialog::StoreDevice(int device) {
    waveInDevice = device;
    theSettings.WriteInt(SectionAudioInput, KeyWaveIn, waveInDevice);
    calibrationRate = device == openingDevice ? openingCalibration : DefaultCalibrationRate;
    theSettings.WriteDouble(SectionAudioInput, KeyCalibration, calibrationRate);
}

// Cancel takes a change of device back as well. When nothing captured as the dialog opened (the
// device could not be opened), nothing captures afterwards either.
void AudioSourceDialog::Cancel() {
    if (waveInDevice != openingDevice) {
        if (openingCaptured) {
            ChangeDevice(openingDevice);
        } else {
            analyzer.Close();
            mixer.Release();
            StoreDevice(openingDevice);
        }
    }
    EndCancel();
}

void AudioSourceDialog::Confirm() {
    noiseThreshold = GetSliderPos(IDC_NOISE_THRESHOLD);
    theSettings.WriteInt(SectionAudioInput, KeyNoiseLevel, noiseThreshold);
    // Also from a disabled slider: it holds the level it showed last.
    recordingLevel = GetSliderPos(IDC_RECORDING_LEVEL);
    theSettings.WriteInt(SectionAudioInput, KeyInputLevel, recordingLevel);
    // The mixer's default that a card without the stored input forced on the group is no choice of
    // the user's: the stored source stays for a card that has it.
    inputSource = GetRadioGroup(SourceGroup);
    if (sourceChosen) theSettings.WriteInt(SectionAudioInput, KeySource, inputSource);
    mixer.ApplySource();
    EndOk();
}

void AudioSourceDialog::UpdateSourceControls() {
    bool mic = false, line = false;
    if (mixer.IsOpen()) {
        mic = mixer.SelectMicInput() && mixer.FindControl(TunerMixer::VolumeControl);
        line = mixer.SelectLineInput() && mixer.FindControl(TunerMixer::VolumeControl);
    }
    // The source shown must be one the mixer has. Only the group shows it: inputSource, which the
    // display and the mixer follow, changes on OK alone.
    int shown = inputSource;
    if ((shown == InputSourceMicrophone && !mic) || (shown == InputSourceLine && !line)) shown = InputSourceMixerDefault;
    EnableControl(IDC_SOURCE_MIC, mic);
    EnableControl(IDC_SOURCE_LINE, line);
    SetRadioGroup(SourceGroup, shown);
    UpdateLevelSlider();
}

void AudioSourceDialog::UpdateLevelSlider() {
    int source = GetRadioGroup(SourceGroup);
    if (source == InputSourceMixerDefault) {
        EnableControl(IDC_RECORDING_LEVEL, false);
        return;
    }
    // The same input that ApplySource sets: for "line" the auxiliary input on a card without a line.
    bool found = (source == InputSourceLine && mixer.SelectLineInput()) ||
                 (source == InputSourceMicrophone && mixer.SelectMicInput());
    unsigned volume = 0;
    if (found && mixer.FindControl(TunerMixer::VolumeControl)) mixer.GetValue(volume);
    EnableControl(IDC_RECORDING_LEVEL, true);
    SetSliderPos(IDC_RECORDING_LEVEL, TunerMixer::LevelOfVolume(volume));
}
