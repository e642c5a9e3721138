#pragma once

#include "YAudioMixer.hpp"

// The tuner's mixer: selects which input of the sound card feeds the wave-input device (inputSource:
// the mixer's own default, the line input or the microphone) and sets its recording volume from
// recordingLevel. It saves the card's own selection and input volumes when it is opened and puts
// them back at exit when the program had taken the routing over.
class TunerMixer : public YAudioMixer {
public:
    static constexpr unsigned WaveInDestination = MIXERLINE_COMPONENTTYPE_DST_WAVEIN;
    static constexpr unsigned VolumeControl = MIXERCONTROL_CONTROLTYPE_VOLUME;
    // Ends the tables of component and control types.
    static constexpr unsigned End = static_cast<unsigned>(-1);

    TunerMixer() = default;
    // Releases the mixer.
    ~TunerMixer() override;

    // Restores the saved state when inputSource is not the mixer's default (the program took the
    // card's routing over), then closes the mixer.
    void Release();

    // The input selector of the wave-input destination becomes the current control.
    bool SelectInputSelector();
    // The line input, or on a card without one its auxiliary input.
    bool SelectLineInput();
    bool SelectMicInput();

    // Remembers the card's input selection and its line and microphone volumes; right after Open.
    void SaveState();
    // Puts back what SaveState found.
    void RestoreState();
    // Makes inputSource the only selected input and sets its volume from recordingLevel; a card
    // without a readable input selector falls back to the mixer's default (inputSource 0).
    void ApplySource();

    // The mixer volume of a recording level (0..64) and the level nearest to a mixer volume.
    static unsigned VolumeOfLevel(int level);
    static int LevelOfVolume(unsigned volume);

private:
    // The volume of the input just selected, when that input was found and has a volume control.
    bool ReadVolume(bool inputFound, unsigned& volume);
    void WriteVolume(bool inputFound, unsigned volume);
    // Makes the first selector item that stands for one of `inputTypes` (ended by End) the only
    // selected one; `selection` holds the selector's values, all 0.
    void SelectOnly(const unsigned* inputTypes, YArray<unsigned>& selection);

    YArray<unsigned> savedSelection;
    unsigned savedLineVolume = 0;
    unsigned savedMicVolume = 0;
    bool hasSavedSelection = false;
    bool hasSavedLineVolume = false;
    bool hasSavedMicVolume = false;
};
