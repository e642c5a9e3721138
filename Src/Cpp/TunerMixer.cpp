#include "TunerMixer.hpp"

#include "TunerSettings.hpp"
#include "TunerState.hpp"
#include "YSystemException.hpp"

namespace {

// The kinds of input selector, in the order they are looked for.
const unsigned InputSelectors[] = {
    MIXERCONTROL_CONTROLTYPE_MIXER,          MIXERCONTROL_CONTROLTYPE_MUX,
    MIXERCONTROL_CONTROLTYPE_MULTIPLESELECT, MIXERCONTROL_CONTROLTYPE_SINGLESELECT,
    TunerMixer::End,
};

// The selector items that stand for the line input: the line itself, or else the auxiliary input.
const unsigned LineInputs[] = {MIXERLINE_COMPONENTTYPE_SRC_LINE, MIXERLINE_COMPONENTTYPE_SRC_AUXILIARY, TunerMixer::End};
const unsigned MicInputs[] = {MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE, TunerMixer::End};

constexpr unsigned FullVolume = 65535;

}  // namespace

// Nothing may escape a destructor; a card that fails now keeps what the program set.
TunerMixer::~TunerMixer() {
    try {
        Release();
    } catch (const YSystemException&) {
    }
}

void TunerMixer::Release() {
    if (IsOpen() && inputSource != InputSourceMixerDefault) RestoreState();
    Close();
}

bool TunerMixer::SelectInputSelector() {
    for (const unsigned* type = InputSelectors; *type != End; ++type)
        if (SelectDestination(WaveInDestination) && FindControl(*type)) return true;
    return false;
}

bool TunerMixer::SelectLineInput() {
    return SelectSource(WaveInDestination, MIXERLINE_COMPONENTTYPE_SRC_LINE) ||
           SelectSource(WaveInDestination, MIXERLINE_COMPONENTTYPE_SRC_AUXILIARY);
}

bool TunerMixer::SelectMicInput() { return SelectSource(WaveInDestination, MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE); }

void TunerMixer::SaveState() {
    hasSavedSelection = SelectInputSelector() && GetValues(savedSelection);
    hasSavedLineVolume = ReadVolume(SelectLineInput(), savedLineVolume);
    hasSavedMicVolume = ReadVolume(SelectMicInput(), savedMicVolume);
}

// Each value goes back only into the control it was read from: when that cannot be found again,
// the control found last is left alone.
void TunerMixer::RestoreState() {
    if (hasSavedSelection && SelectInputSelector()) SetValues(savedSelection);
    if (hasSavedLineVolume) WriteVolume(SelectLineInput(), savedLineVolume);
    if (hasSavedMicVolume) WriteVolume(SelectMicInput(), savedMicVolume);
}

void TunerMixer::ApplySource() {
    YArray<unsigned> selection;
    if (!SelectInputSelector() || !GetValues(selection)) inputSource = InputSourceMixerDefault;
    selection.Fill(0);
    unsigned volume = VolumeOfLevel(recordingLevel);
    switch (inputSource) {
    case InputSourceMixerDefault: RestoreState(); break;
    case InputSourceLine:
        WriteVolume(SelectLineInput(), volume);
        SelectOnly(LineInputs, selection);
        break;
    case InputSourceMicrophone:
        WriteVolume(SelectMicInput(), volume);
        SelectOnly(MicInputs, selection);
        break;
    }
}

// In signed 32-bit arithmetic, truncating: 64 gives 65535, 32 gives 32767, 1 gives 1023.
unsigned TunerMixer::VolumeOfLevel(int level) {
    return static_cast<unsigned>(level * static_cast<int>(FullVolume) / MaxRecordingLevel);
}

// Rounded, so that a level set by VolumeOfLevel reads back as itself.
int TunerMixer::LevelOfVolume(unsigned volume) {
    return static_cast<int>((static_cast<unsigned long long>(volume) * MaxRecordingLevel + FullVolume / 2) / FullVolume);
}

bool TunerMixer::ReadVolume(bool inputFound, unsigned& volume) {
    return inputFound && FindControl(VolumeControl) && GetValue(volume);
}

void TunerMixer::WriteVolume(bool inputFound, unsigned volume) {
    if (inputFound && FindControl(VolumeControl)) SetValue(volume);
}

void TunerMixer::SelectOnly(const unsigned* inputTypes, YArray<unsigned>& selection) {
    if (!SelectInputSelector()) return;
    unsigned item = 0;
    for (const unsigned* type = inputTypes; *type != End; ++type) {
        if (FindListItem(*type, item)) {
            selection[static_cast<int>(item)] = 1;
            SetValues(selection);
            return;
        }
    }
}
