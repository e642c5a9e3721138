#include <gtest/gtest.h>

#include <climits>

#include "Notes.hpp"
#include "TunerAnalysis.hpp"
#include "TunerState.hpp"
#include "YString.hpp"

namespace {

class NoteMatching : public ::testing::Test {
protected:
    void SetUp() override {
        rootFrequency = 440.0;
        tunerMode = TunerModeGuitar;
        autoString = true;
        selectedString = 0;
        noteIndex = 0;
        harmonicNumber = 0;
        semitoneDifference = 99.0;
        const int standard[] = {-29, -24, -19, -14, -10, -5};
        for (int s = 0; s < 6; ++s) analysis.StringOffsets[s] = standard[s];
    }

    void Match(double frequency) {
        measuredFrequency = frequency;
        analysis.MatchNote();
    }

    // Checks the string (guitar mode), harmonic and difference of the last match.
    void ExpectResult(int string, int harmonic, double difference) {
        EXPECT_EQ(string, selectedString);
        EXPECT_EQ(harmonic, harmonicNumber);
        EXPECT_DOUBLE_EQ(difference, semitoneDifference);
        EXPECT_EQ(analysis.StringOffsets[string], noteIndex);
    }

    TunerAnalysis analysis;
};

TEST_F(NoteMatching, TenHertzOrLessKeepsThePreviousResult) {
    Match(112.0);
    for (double low : {10.0, 3.0, 0.0, -440.0}) {
        Match(low);
        ExpectResult(1, 1, 0.31);
    }
}

TEST_F(NoteMatching, AutomaticStringFindsTheNearestStringOrItsOctave) {
    Match(110.0);
    ExpectResult(1, 1, 0.0);
    EXPECT_EQ(-24, noteIndex);
    Match(112.0);
    ExpectResult(1, 1, 0.31);
    Match(80.0);
    ExpectResult(0, 1, -0.51);
    Match(164.81);
    ExpectResult(0, 2, 0.0);
    Match(700.0);
    ExpectResult(5, 2, 1.04);
}

TEST_F(NoteMatching, WithoutACandidateInReachTheFirstStringStands) {
    selectedString = 4;
    Match(95.0);
    ExpectResult(0, 1, 2.46);
}

TEST_F(NoteMatching, EqualStringsLeaveTheLowerIndex) {
    for (int& offset : analysis.StringOffsets) offset = -19;
    Match(150.0);
    ExpectResult(0, 1, 0.37);
}

TEST_F(NoteMatching, AStringChosenByHandIsComparedWithItsFundamentalAndOctave) {
    autoString = false;
    selectedString = 1;
    Match(120.0);
    ExpectResult(1, 1, 1.51);
    Match(200.0);
    ExpectResult(1, 2, -1.65);
    Match(230.0);
    ExpectResult(1, 2, 0.77);
    // Far from both, the fundamental stands however far off it is.
    Match(2000.0);
    ExpectResult(1, 1, 50.21);
}

TEST_F(NoteMatching, TheAutomaticChoiceStaysSelectedWhenTheUserTakesOver) {
    Match(329.0);
    ExpectResult(5, 1, -0.03);
    autoString = false;
    Match(110.0);  // the A string would match exactly, but the high E is the one being tuned
    ExpectResult(5, 1, -19.0);
}

TEST_F(NoteMatching, ChromaticModeComparesWithTheTargetNoteAndTheOctaveAbove) {
    tunerMode = TunerModeChromatic;
    selectedString = 3;
    Match(445.0);
    EXPECT_EQ(1, harmonicNumber);
    EXPECT_DOUBLE_EQ(0.2, semitoneDifference);
    Match(880.0);
    EXPECT_EQ(2, harmonicNumber);
    EXPECT_DOUBLE_EQ(0.0, semitoneDifference);
    Match(600.0);
    EXPECT_EQ(1, harmonicNumber);
    EXPECT_DOUBLE_EQ(5.37, semitoneDifference);
    // The target and the string are the user's and stay as they are.
    EXPECT_EQ(0, noteIndex);
    EXPECT_EQ(3, selectedString);
}

TEST_F(NoteMatching, ChromaticTargetFollowsNoteIndexAndRoot) {
    tunerMode = TunerModeChromatic;
    noteIndex = -48;  // A0 at 27.5 Hz with root 440
    rootFrequency = 442.0;
    Match(27.5 * 442.0 / 440.0 * 2);
    EXPECT_EQ(2, harmonicNumber);
    EXPECT_DOUBLE_EQ(0.0, semitoneDifference);
    EXPECT_EQ(-48, noteIndex);
}

TEST(NoteRounding, HalvesGoUpwards) {
    EXPECT_DOUBLE_EQ(0.13, TunerAnalysis::RoundedToHundredths(0.125));
    EXPECT_DOUBLE_EQ(-0.12, TunerAnalysis::RoundedToHundredths(-0.125));
    EXPECT_DOUBLE_EQ(-0.51, TunerAnalysis::RoundedToHundredths(-0.5148));
    EXPECT_DOUBLE_EQ(2.0, TunerAnalysis::RoundedToHundredths(1.996));
}

YString Name(int semitones, unsigned flags) {
    YString out = "previous text";
    NoteName(semitones, out, flags);
    return out;
}

TEST(NoteNames, NamesAndOctavesCountFromA4WithOctavesChangingAtC) {
    const struct {
        int semitones;
        const char* name;
    } examples[] = {{0, "A4"},   {3, "C5"},   {-1, "G#4"},  {-29, "E2"},  {-24, "A2"},  {-5, "E4"},
                    {-9, "C4"},  {-48, "A0"}, {39, "C8"},   {-12, "A3"},  {-13, "G#3"}, {-58, "B-1"},
                    {-57, "C0"}, {2, "B4"},   {-10, "B3"},  {11, "G#5"},  {24, "A6"}};
    for (const auto& example : examples) EXPECT_EQ(example.name, Name(example.semitones, NOTE_NAME | NOTE_OCTAVE)) << example.semitones;
}

TEST(NoteNames, FlagsSelectNameOctaveOrNeither) {
    EXPECT_EQ("A", Name(12, NOTE_NAME));
    EXPECT_EQ("3", Name(-10, NOTE_OCTAVE));
    EXPECT_EQ("", Name(5, 0));
    // The ends of the int range still give a name and an octave.
    EXPECT_EQ("C#-178956966", Name(INT_MIN, NOTE_NAME | NOTE_OCTAVE));
    EXPECT_EQ("E178956975", Name(INT_MAX, NOTE_NAME | NOTE_OCTAVE));
}

TEST(NoteFrequencies, FollowTheEqualTemperamentFromTheRoot) {
    EXPECT_NEAR(82.41, NoteFrequency(-29, 440), 0.005);
    EXPECT_DOUBLE_EQ(442.0, NoteFrequency(0, 442));
    EXPECT_DOUBLE_EQ(880.0, NoteFrequency(12, 440));
    EXPECT_DOUBLE_EQ(27.5, NoteFrequency(-48, 440));
    EXPECT_NEAR(329.628, NoteFrequency(-5, 440), 0.0005);
}

}  // namespace
