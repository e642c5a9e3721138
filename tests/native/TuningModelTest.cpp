#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TunerSettingsFixture.hpp"
#include "TuningModel.hpp"

namespace {

using TuningModel = TunerSettingsFixture;

const std::vector<int> standard = {-29, -24, -19, -14, -10, -5};

std::vector<int> AsVector(const int (&offsets)[TuningStringCount]) { return std::vector<int>(offsets, offsets + TuningStringCount); }

int notifications = 0;
void CountNotification() { ++notifications; }

TEST_F(TuningModel, TheStoredCurrentTuningIsFoundWithoutRegardToCaseAndLeftAsItIs) {
    LoadFile("[Tuning]\nCurrentTuning = standard \n[Tunings]\nStandard = -29, -24, -19, -14, -10, -5\nDropD=-31,-24,-19,-14,-10,-5\n");
    notifications = 0;
    SetTuningLoadedHook(CountNotification);
    int offsets[TuningStringCount] = {};
    LoadCurrentTuning(offsets);
    EXPECT_EQ(standard, AsVector(offsets));
    EXPECT_FALSE(theSettings.IsModified());

    theSettings.SetValue("Tuning", "CurrentTuning", "DROPD");
    LoadCurrentTuning(offsets);
    EXPECT_EQ((std::vector<int>{-31, -24, -19, -14, -10, -5}), AsVector(offsets));
    EXPECT_EQ("DROPD", Stored("Tuning", "CurrentTuning"));
    EXPECT_EQ(2, notifications);
}

TEST_F(TuningModel, AnUnreadableOrUnknownCurrentTuningIsReplacedByStandard) {
    const std::string list = "\n[Tunings]\nBroken = 1, 2, 3\nStandard = -29, -24, -19, -14, -10, -5\n";
    // The last file has no readable "Standard" either: the standard notes are used all the same.
    for (const std::string& file : {"[Tuning]\nCurrentTuning = Broken" + list, "[Tuning]\nCurrentTuning = Nowhere" + list,
                                    "[Tuning]\nCurrentTuning = " + list,
                                    std::string("[Tuning]\nCurrentTuning = Broken\n[Tunings]\nBroken = 1, 2\nStandard = 1, x, 3, 4, 5, 6\n")}) {
        LoadFile(file);
        int offsets[TuningStringCount] = {};
        LoadCurrentTuning(offsets);
        EXPECT_EQ(standard, AsVector(offsets)) << file;
        EXPECT_EQ("Standard", Stored("Tuning", "CurrentTuning")) << file;
    }
}

TEST_F(TuningModel, AnEmptyListGetsTheStandardTuningOnTheFirstRead) {
    LoadFile("[Tunings]\n; no tuning yet\n");
    int offsets[TuningStringCount] = {7, 7, 7, 7, 7, 7};
    EXPECT_FALSE(ReadTuning("Other", offsets));
    EXPECT_EQ(std::vector<int>(TuningStringCount, 7), AsVector(offsets));
    EXPECT_EQ("-29, -24, -19, -14, -10, -5", Stored("Tunings", "Standard"));
    EXPECT_TRUE(ReadTuning("STANDARD", offsets));
    EXPECT_EQ(standard, AsVector(offsets));
}

TEST_F(TuningModel, ValuesAreSixCommaSeparatedNumbers) {
    struct Case {
        const char* value;
        bool readable;
        std::vector<int> offsets;
    };
    const Case cases[] = {
        {"-29,-24,-19,-14,-10,-5", true, standard},
        {" 1 ,\t2, 3,4 , 5,6 ", true, {1, 2, 3, 4, 5, 6}},
        {"1, 2, 3, 4, 5, 6, 7", true, {1, 2, 3, 4, 5, 6}},
        {"12abc, +2, 3, 4, 5, 6", true, {12, 2, 3, 4, 5, 6}},
        {"1, 2, 3", false, {}},
        {"1, x, 3, 4, 5, 6", false, {}},
        {"1, , 3, 4, 5, 6", false, {}},
        {"1, 2, 3, 4, 5,", false, {}},
    };
    for (const Case& c : cases) {
        LoadFile(std::string("[Tunings]\nT = ") + c.value + "\n");
        int offsets[TuningStringCount] = {};
        EXPECT_EQ(c.readable, ReadTuning("t", offsets)) << c.value;
        if (c.readable) {
            EXPECT_EQ(c.offsets, AsVector(offsets)) << c.value;
        }
    }
}

TEST(TuningNames, AreOneToTwentyAsciiLettersDigitsAndUnderscores) {
    for (const char* name : {"Drop_D", "a", "_1", "ABCDEFGHIJ0123456789"}) EXPECT_TRUE(IsValidTuningName(name)) << name;
    // A letter of a code page (\xE9, e acute in Latin-1) is no name character either.
    for (const char* name : {"", "Drop D", "Drop-D", "ABCDEFGHIJ0123456789K", "Caf\xE9", "a=b", "[x]"})
        EXPECT_FALSE(IsValidTuningName(name)) << name;
    EXPECT_FALSE(IsTuningNameCharacter(0xE9));
    EXPECT_FALSE(IsTuningNameCharacter(-23));
}

}  // namespace
