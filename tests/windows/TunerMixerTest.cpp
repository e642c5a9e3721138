// The tuner's mixer on simulated sound cards, through the mixer seam.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include <vector>

#include "ExpectException.hpp"
#include "SimulatedMixer.hpp"
#include "TunerMixer.hpp"
#include "TunerState.hpp"

namespace {

using Values = std::vector<DWORD>;

// Opens the mixer of wave-input device 0 as start-up does and applies `source` at `level`.
void StartWith(TunerMixer& mixer, int source, int level) {
    ASSERT_TRUE(mixer.Open(0, MIXER_OBJECTF_WAVEIN));
    mixer.SaveState();
    inputSource = source;
    recordingLevel = level;
    mixer.ApplySource();
}

TEST(TunerMixer, TheMicrophoneBecomesTheOnlySelectedInputAndTheCardGetsItsRoutingBackAtExit) {
    SimulatedMixer card({{Line, 1000}, {Mic, 2000}, {Cd, 3000}}, MIXERCONTROL_CONTROLTYPE_MUX, {Line, Mic, Cd}, {1, 0, 0});
    {
        TunerMixer mixer;
        StartWith(mixer, InputSourceMicrophone, 32);
        EXPECT_EQ((Values{0, 1, 0}), card.selection);
        EXPECT_EQ((Values{1000, 32767, 3000}), card.Volumes());
        EXPECT_EQ(InputSourceMicrophone, inputSource);
        for (auto [level, volume] : {std::pair{64, 65535u}, {1, 1023u}, {0, 0u}}) {
            recordingLevel = level;
            mixer.ApplySource();
            EXPECT_EQ(volume, card.inputs[1].volume) << "level " << level;
        }
        inputSource = InputSourceLine;
        mixer.ApplySource();
        EXPECT_EQ((Values{1, 0, 0}), card.selection);
        EXPECT_EQ((Values{0, 0, 3000}), card.Volumes());
    }
    EXPECT_EQ((Values{1, 0, 0}), card.selection);
    EXPECT_EQ((Values{1000, 2000, 3000}), card.Volumes());
    EXPECT_FALSE(card.isOpen);

    // Leaving with the mixer's default changes nothing that the program set.
    {
        TunerMixer mixer;
        StartWith(mixer, InputSourceMicrophone, 64);
        inputSource = InputSourceMixerDefault;
        card.writes = 0;
    }
    EXPECT_EQ(0, card.writes);
    EXPECT_EQ((Values{0, 1, 0}), card.selection);
}

TEST(TunerMixer, TheLineInputOfACardWithoutOneIsItsAuxiliaryInput) {
    SimulatedMixer card({{Mic, 2000}, {Aux, 500}}, MIXERCONTROL_CONTROLTYPE_MIXER, {Mic, Aux}, {1, 0});
    TunerMixer mixer;
    StartWith(mixer, InputSourceLine, 16);
    EXPECT_EQ((Values{0, 1}), card.selection);
    EXPECT_EQ((Values{2000, 16383}), card.Volumes());
}

TEST(TunerMixer, AnInputTheSelectorCannotNameGetsItsVolumeAndTheSelectionStays) {
    SimulatedMixer noMicEntry({{Line, 1000}, {Mic, 2000}}, MIXERCONTROL_CONTROLTYPE_MULTIPLESELECT, {Line, Cd}, {1, 1});
    TunerMixer mixer;
    StartWith(mixer, InputSourceMicrophone, 64);
    EXPECT_EQ((Values{1, 1}), noMicEntry.selection);
    EXPECT_EQ((Values{1000, 65535}), noMicEntry.Volumes());

    // Item texts that cannot be read name no input either.
    noMicEntry.entries = {Line, Mic};
    noMicEntry.listTextFails = true;
    noMicEntry.writes = 0;
    mixer.ApplySource();
    EXPECT_EQ((Values{1, 1}), noMicEntry.selection);
    EXPECT_EQ(1, noMicEntry.writes) << "the volume only";
}

TEST(TunerMixer, ACardWithoutSelectorOrWithoutMixerFallsBackToTheMixersDefault) {
    SimulatedMixer card({{Mic, 2000}}, 0, {}, {});
    {
        TunerMixer mixer;
        ASSERT_TRUE(mixer.Open(0, MIXER_OBJECTF_WAVEIN));
        inputSource = InputSourceMicrophone;
        mixer.ApplySource();
        EXPECT_EQ(InputSourceMixerDefault, inputSource);
        EXPECT_EQ(0, card.writes) << "nothing was saved, so nothing is restored";
        EXPECT_FALSE(mixer.Open(1, MIXER_OBJECTF_WAVEIN));
    }
    EXPECT_FALSE(card.isOpen);
}

// Each step goes on without the controls it cannot find; no value lands in another control.
TEST(TunerMixer, VolumeControlsThatCannotBeFoundAgainAreLeftOut) {
    SimulatedMixer card({{Line, 1000}, {Mic, 2000}}, MIXERCONTROL_CONTROLTYPE_MIXER, {Line, Mic}, {1, 1});
    TunerMixer mixer;
    StartWith(mixer, InputSourceLine, 32);
    card.volumesGone = true;
    inputSource = InputSourceMicrophone;
    mixer.ApplySource();
    EXPECT_EQ((Values{0, 1}), card.selection);
    inputSource = InputSourceMixerDefault;
    EXPECT_NO_THROW(mixer.ApplySource());
    EXPECT_EQ((Values{1, 1}), card.selection) << "the card's own selection is back";
    EXPECT_EQ((Values{32767, 2000}), card.Volumes());
}

TEST(TunerMixer, ValueOperationsMisusedOnTheSelectorThrow) {
    SimulatedMixer card({{Line, 1000}, {Mic, 2000}, {Cd, 3000}}, MIXERCONTROL_CONTROLTYPE_MUX, {Line, Mic, Cd}, {1, 0, 0});
    TunerMixer mixer;
    ASSERT_TRUE(mixer.Open(0, MIXER_OBJECTF_WAVEIN));
    ASSERT_TRUE(mixer.SelectInputSelector());
    unsigned value = 0;
    YArray<unsigned> four;
    four.SetSize(4);
    EXPECT_YTHROW(mixer.GetValue(value), YSystemException::KindIllegalParameter, 217, "Cpp/YAudioMixer");
    EXPECT_YTHROW(mixer.SetValue(value), YSystemException::KindIllegalParameter, 276, "Cpp/YAudioMixer");
    EXPECT_YTHROW(mixer.SetValues(four), YSystemException::KindIllegalParameter, 311, "Cpp/YAudioMixer");
    EXPECT_EQ(0, card.writes);
}

}  // namespace
