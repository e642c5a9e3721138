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

// Start-up on each card: its mixer opened, its state saved, the source chosen applied at the level
// chosen; the card's selection and volumes then, and back at the end of the run.
TEST(TunerMixer, TheChosenInputBecomesTheOnlySelectedOneAndTheCardGetsItsRoutingBackAtTheEnd) {
    const struct {
        std::vector<SimulatedInput> inputs;
        DWORD selector;
        Values entries, selection;
        int source, level;
        Values selected, volumes;
    } cards[] = {
        {{{Line, 1000}, {Mic, 2000}, {Cd, 3000}}, MIXERCONTROL_CONTROLTYPE_MUX, {Line, Mic, Cd}, {1, 0, 0}, 2, 32, {0, 1, 0}, {1000, 32767, 3000}},
        // A card without a line input: its auxiliary input.
        {{{Mic, 2000}, {Aux, 500}}, MIXERCONTROL_CONTROLTYPE_MIXER, {Mic, Aux}, {1, 0}, 1, 16, {0, 1}, {2000, 16383}},
        // A selector without an entry for the microphone: the volume only.
        {{{Line, 1000}, {Mic, 2000}}, MIXERCONTROL_CONTROLTYPE_MULTIPLESELECT, {Line, Cd}, {1, 1}, 2, 64, {1, 1}, {1000, 65535}},
        // No selector: the mixer's default, which changes nothing.
        {{{Mic, 2000}}, 0, {}, {}, 2, 64, {}, {2000}},
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
        }
        Values volumes;
        for (const SimulatedInput& input : c.inputs) volumes.push_back(input.volume);
        EXPECT_EQ(c.selection, card.selection);
        EXPECT_EQ(volumes, card.Volumes());
        EXPECT_FALSE(card.isOpen);
    }
}

TEST(TunerMixer, LaterChoicesTouchOnlyTheControlsTheyFind) {
    SimulatedMixer card({{Line, 1000}, {Mic, 2000}, {Cd, 3000}}, MIXERCONTROL_CONTROLTYPE_MUX, {Line, Mic, Cd}, {1, 0, 0});
    {
        TunerMixer mixer;
        ASSERT_TRUE(mixer.Open(0, MIXER_OBJECTF_WAVEIN));
        mixer.SaveState();
        // Source, level, whether the item texts can be read and the volume controls found; the
        // selection and the volumes after.
        const struct { int source, level; bool textsFail, volumesGone; Values selected, volumes; } choices[] = {
            {InputSourceLine, 1, false, false, {1, 0, 0}, {1023, 2000, 3000}},
            {InputSourceMicrophone, 0, true, false, {1, 0, 0}, {1023, 0, 3000}},  // no item names the microphone
            {InputSourceMicrophone, 64, false, true, {0, 1, 0}, {1023, 0, 3000}},
            // The card's own selection is back, and no other control receives a volume meant for an input.
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
        card.writes = 0;
    }
    EXPECT_EQ(0, card.writes) << "leaving with the mixer's default changes nothing the program set";
}

}  // namespace
