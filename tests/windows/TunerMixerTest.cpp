// The tuner's mixer on simulated sound cards: the recording source and level, and the routing the
// card gets back when the run ends.
#include <gtest/gtest.h>

#include <vector>

#include "ExpectException.hpp"
#include "SimulatedMixer.hpp"
#include "TunerMixer.hpp"
#include "TunerState.hpp"

namespace {

using Values = std::vector<DWORD>;
constexpr DWORD Mux = MIXERCONTROL_CONTROLTYPE_MUX, Mixer = MIXERCONTROL_CONTROLTYPE_MIXER;

// Start-up on each card: its mixer opened, its state saved, and the source chosen applied at the
// level chosen; the card's selection and volumes then, and back again at the end of the run.
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
        {
            TunerMixer mixer, other;
            ASSERT_TRUE(mixer.Open(0, MIXER_OBJECTF_WAVEIN));
            EXPECT_FALSE(other.Open(1, MIXER_OBJECTF_WAVEIN) || other.OpenById(0));
            mixer.SaveState();
            inputSource = c.source;
            recordingLevel = c.level;
            mixer.ApplySource();
            EXPECT_EQ(c.selected, card.selection);
            EXPECT_EQ(c.volumes, card.Volumes());
            EXPECT_EQ(c.selector ? c.source : InputSourceMixerDefault, inputSource);
            card.writes = 0;
        }
        Values volumes;
        for (const SimulatedInput& input : c.inputs) volumes.push_back(input.volume);
        EXPECT_EQ(c.selection, card.selection);
        EXPECT_EQ(volumes, card.Volumes());
        EXPECT_EQ(c.selector ? 3 : 0, card.writes) << "selection and volumes put back; with the default nothing";
        EXPECT_FALSE(card.isOpen);
    }
}

// Later choices on a card whose item texts, or volume controls, cannot be found any more.
TEST(TunerMixer, LaterChoicesTouchOnlyTheControlsTheyFind) {
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
        EXPECT_EQ(choice.selected, card.selection) << choice.source;
        EXPECT_EQ(choice.volumes, card.Volumes()) << choice.source;
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
