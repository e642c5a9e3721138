#include <gtest/gtest.h>

#include <climits>

#include "Notes.hpp"
#include "TunerAnalysis.hpp"
#include "TunerState.hpp"
#include "YString.hpp"

namespace {

struct Match {
    double frequency;
    int string;  // the selected string afterwards
    int harmonic;
    double difference;
};

class NoteMatching : public ::testing::Test {
protected:
    void SetUp() override {
        rootFrequency = 440.0;
        tunerMode = TunerModeGuitar;
        autoString = true;
        autoNote = false;
        selectedString = 0;
        noteIndex = 0;
        harmonicNumber = 0;
        semitoneDifference = 99.0;
        const int standard[] = {-29, -24, -19, -14, -10, -5};
        for (int s = 0; s < 6; ++s) analysis.StringOffsets[s] = standard[s];
    }

    // Matches each frequency in turn and checks the result. In guitar mode the target note is that
    // of the selected string; in chromatic mode it is the user's and stays as it was.
    void Expect(std::initializer_list<Match> matches) {
        const int chromaticNote = noteIndex;
        for (const Match& match : matches) {
            SCOPED_TRACE(match.frequency);
            measuredFrequency = match.frequency;
            analysis.MatchNote();
            EXPECT_EQ(match.string, selectedString);
            EXPECT_EQ(match.harmonic, harmonicNumber);
            EXPECT_DOUBLE_EQ(match.difference, semitoneDifference);
            EXPECT_EQ(tunerMode == TunerModeChromatic ? chromaticNote : analysis.StringOffsets[match.string], noteIndex);
        }
    }

    TunerAnalysis analysis;
};

TEST_F(NoteMatching, TenHertzOrLessKeepsThePreviousResult) {
    Expect({{112.0, 1, 1, 0.31}, {10.0, 1, 1, 0.31}, {0.0, 1, 1, 0.31}, {-440.0, 1, 1, 0.31}});
}

TEST_F(NoteMatching, AutomaticStringFindsTheNearestStringOrItsOctave) {
    // At 95 Hz no string lies within reach, and the first string stands.
    Expect({{110.0, 1, 1, 0.0}, {112.0, 1, 1, 0.31}, {80.0, 0, 1, -0.51}, {164.81, 0, 2, 0.0}, {700.0, 5, 2, 1.04},
            {95.0, 0, 1, 2.46}});
}

TEST_F(NoteMatching, EqualStringsLeaveTheLowerIndex) {
    for (int& offset : analysis.StringOffsets) offset = -19;
    Expect({{150.0, 0, 1, 0.37}});
}

TEST_F(NoteMatching, AStringChosenByHandIsComparedWithItsFundamentalAndOctave) {
    autoString = false;
    selectedString = 1;
    // Far from both, the fundamental stands however far off it is.
    Expect({{120.0, 1, 1, 1.51}, {200.0, 1, 2, -1.65}, {230.0, 1, 2, 0.77}, {2000.0, 1, 1, 50.21}});
}

TEST_F(NoteMatching, TheAutomaticChoiceStaysSelectedWhenTheUserTakesOver) {
    Expect({{329.0, 5, 1, -0.03}});
    autoString = false;
    // The A string would match exactly, but the high E is the one being tuned.
    Expect({{110.0, 5, 1, -19.0}});
}

TEST_F(NoteMatching, ChromaticModeComparesWithTheTargetNoteAndTheOctaveAbove) {
    tunerMode = TunerModeChromatic;
    selectedString = 3;
    Expect({{445.0, 3, 1, 0.2}, {880.0, 3, 2, 0.0}, {600.0, 3, 1, 5.37}});
    noteIndex = -48;  // A0 at 27.5 Hz with root 440
    rootFrequency = 442.0;
    Expect({{27.5 * 442.0 / 440.0 * 2, 3, 2, 0.0}});
}

// The nearest note within A0 .. C8 becomes the target in chromatic mode; guitar mode keeps its strings.
TEST_F(NoteMatching, AutomaticNoteTargetsTheNearestNoteOfThePiano) {
    autoNote = true;
    tunerMode = TunerModeChromatic;
    const struct {
        double frequency, root;
        int note;
        double difference;
    } cases[] = {{445.0, 440.0, 0, 0.2},     {452.0, 440.0, 0, 0.47},    {454.0, 440.0, 1, -0.46}, {442.0, 442.0, 0, 0.0},
                 {82.41, 440.0, -29, 0.0},   {20.0, 440.0, -48, -5.51},  {5000.0, 440.0, 39, 3.08}};
    for (const auto& example : cases) {
        rootFrequency = example.root;
        measuredFrequency = example.frequency;
        analysis.MatchNote();
        EXPECT_EQ(example.note, noteIndex) << example.frequency;
        EXPECT_EQ(1, harmonicNumber) << example.frequency;
        EXPECT_DOUBLE_EQ(example.difference, semitoneDifference) << example.frequency;
    }
    tunerMode = TunerModeGuitar;
    Expect({{110.0, 1, 1, 0.0}});
}

TEST(NoteRounding, HalvesGoUpwards) {
    EXPECT_DOUBLE_EQ(0.13, TunerAnalysis::RoundedToHundredths(0.125));
    EXPECT_DOUBLE_EQ(-0.12, TunerAnalysis::RoundedToHundredths(-0.125));
}

TEST(NoteNames, NamesAndOctavesCountFromA4WithOctavesChangingAtC) {
    const unsigned both = NOTE_NAME | NOTE_OCTAVE;
    const struct {
        int semitones;
        unsigned flags;
        const char* name;
    } examples[] = {{0, both, "A4"},     {3, both, "C5"},     {-1, both, "G#4"},  {-29, both, "E2"},   {-24, both, "A2"},
                    {-5, both, "E4"},    {-9, both, "C4"},    {-48, both, "A0"},  {39, both, "C8"},    {-12, both, "A3"},
                    {-13, both, "G#3"},  {-58, both, "B-1"},  {-57, both, "C0"},  {12, NOTE_NAME, "A"}, {-10, NOTE_OCTAVE, "3"},
                    {5, 0, ""},
                    // The ends of the int range still give a name and an octave.
                    {INT_MIN, both, "C#-178956966"}, {INT_MAX, both, "E178956975"}};
    for (const auto& example : examples) {
        YString out = "previous text";
        NoteName(example.semitones, out, example.flags);
        EXPECT_EQ(example.name, out) << example.semitones;
    }
}

TEST(NoteFrequencies, FollowTheEqualTemperamentFromTheRoot) {
    EXPECT_NEAR(82.41, NoteFrequency(-29, 440), 0.005);
    EXPECT_DOUBLE_EQ(442.0, NoteFrequency(0, 442));
    EXPECT_DOUBLE_EQ(880.0, NoteFrequency(12, 440));
}

}  // namespace
