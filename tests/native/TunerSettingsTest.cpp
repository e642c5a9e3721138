#include <gtest/gtest.h>

#include <filesystem>

#ifdef _WIN32
#include <windows.h>
#endif

#include "TunerSettings.hpp"
#include "TunerSettingsFixture.hpp"
#include "TunerState.hpp"
#include "TuningModel.hpp"
#include "Unprivileged.hpp"

namespace {

class TunerSettings : public TunerSettingsFixture {
protected:
    // Makes `bytes` the settings file and loads the settings with `devices` wave-input devices.
    void LoadSettingsFile(const std::string& bytes, int devices) {
        WriteBytes(settingsPath, bytes);
        LoadSettings(directory.Directory().c_str(), devices);
    }
};

void ExpectStartUpValues(int device, double calibration, int source, int level, double root, int noise) {
    EXPECT_EQ(device, waveInDevice);
    EXPECT_EQ(calibration, calibrationRate);
    EXPECT_EQ(source, inputSource);
    EXPECT_EQ(level, recordingLevel);
    EXPECT_EQ(root, rootFrequency);
    EXPECT_EQ(noise, noiseThreshold);
}

TEST_F(TunerSettings, AFirstRunWritesTheFourteenLineFile) {
    waveInDevice = 3;
    calibrationRate = 0.7;
    inputSource = 1;
    recordingLevel = 5;
    rootFrequency = 441;
    noiseThreshold = 9;
    LoadSettings(directory.Directory().c_str(), 1);
    int offsets[TuningStringCount] = {};
    LoadCurrentTuning(offsets);
    ExpectStartUpValues(0, 1.0, 0, 64, 440.0, 2);
    EXPECT_EQ((std::vector<int>{-29, -24, -19, -14, -10, -5}), std::vector<int>(offsets, offsets + TuningStringCount));
    ASSERT_TRUE(theSettings.IsModified());  // so the file is written at exit
    ASSERT_TRUE(theSettings.Save());
    EXPECT_EQ(TextFileLines({"", "[AudioInput]", "WaveIn = 0", "Calibration = 1.000000", "Source = 0", "InputLevel = 64",
                             "NoiseLevel = 2", "", "[Tuning]", "RootFrequency = 440", "CurrentTuning = Standard", "",
                             "[Tunings]", "Standard = -29, -24, -19, -14, -10, -5"}),
              ReadBytes(settingsPath));
}

TEST_F(TunerSettings, ValuesInRangeAreTakenAsTheyStandAndOthersRepairedInPlace) {
    LoadSettingsFile("[AudioInput]\nwaveIn=1\nCalibration = 1.5x\nSource = 2\nInputLevel = 80\nNoiseLevel = 16\n"
                     "[Tuning]\nRootFrequency = 445\n",
                     2);
    ExpectStartUpValues(1, 1.5, 2, 64, 445.0, 16);
    ASSERT_TRUE(theSettings.Save());
    EXPECT_EQ(TextFileLines({"", "[AudioInput]", "waveIn = 1", "Calibration = 1.5x", "Source = 2", "InputLevel = 64",
                             "NoiseLevel = 16", "", "[Tuning]", "RootFrequency = 445"}),
              ReadBytes(settingsPath));
}

TEST_F(TunerSettings, AnalysisOptionsAreReadWhenPresentAndRepairedWhenBad) {
    autoNote = false;
    LoadSettingsFile("[Analysis]\nPrecisePitch = 1\nFastUpdates = yes\nAutoNote = 1\n", 1);
    EXPECT_TRUE(precisePitch);
    EXPECT_FALSE(fastUpdates);
    EXPECT_TRUE(autoNote);
    ASSERT_TRUE(theSettings.Save());
    EXPECT_EQ(std::string::npos, ReadBytes(settingsPath).find("yes"));
    EXPECT_NE(std::string::npos, ReadBytes(settingsPath).find("FastUpdates = 0"));
}

TEST_F(TunerSettings, NumbersThatDoNotParseOrLieOutsideTheirRangeBecomeDefaults) {
    LoadSettingsFile("[AudioInput]\nWaveIn = 2\nCalibration = abc\nSource = -1\nInputLevel = 0\nNoiseLevel = 17\n"
                     "[Tuning]\nRootFrequency = 437\n",
                     2);
    ExpectStartUpValues(0, 1.0, 0, 0, 440.0, 2);
    EXPECT_EQ("0", Stored("AudioInput", "WaveIn"));
    EXPECT_EQ("1.000000", Stored("AudioInput", "Calibration"));

    for (const char* calibration : {"nan", "inf", "2.0000001", "0.4999"}) {
        LoadSettingsFile(std::string("[AudioInput]\nCalibration = ") + calibration + "\n", 2);
        EXPECT_EQ(1.0, calibrationRate) << calibration;
    }

    waveInDevice = 4;
    LoadSettingsFile("[AudioInput]\nWaveIn = 0\n", 0);
    EXPECT_EQ(0, waveInDevice);
    EXPECT_TRUE(theSettings.IsModified());  // without devices even 0 is out of range
}

TEST_F(TunerSettings, ARunThatStoresNothingLeavesTheFileAlone) {
    LoadSettingsFile("; my tuner\r\n[AudioInput]\r\nWaveIn=1\r\nCalibration = 1.01\r\nSource = 1\r\nInputLevel = 30\r\n"
                     "NoiseLevel = 3\r\n\r\n[Tuning]\r\n  RootFrequency = 442\r\nCurrentTuning = open_g\r\n"
                     "[Tunings]\r\nOpen_G = -29, -24, -17, -14, -12, -5\r\n",
                     2);
    int offsets[TuningStringCount] = {};
    LoadCurrentTuning(offsets);
    EXPECT_EQ(1.01, calibrationRate);
    EXPECT_EQ(-17, offsets[2]);
    EXPECT_FALSE(theSettings.IsModified());
}

// A custom tuning and A4 = 443 in a file the tuner cannot read: the run goes on the defaults and
// the file stays as it was.
TEST_F(TunerSettings, AFileThatCannotBeReadIsNeverOverwritten) {
    const std::string custom = TextFileLines({"", "[Tuning]", "RootFrequency = 443", "CurrentTuning = Open G", "",
                                              "[Tunings]", "Open G = -29, -24, -17, -14, -12, -5"});
    RunUnprivileged(directory.Directory(), [&] {
        WriteBytes(settingsPath, custom);
#ifdef _WIN32
        // Another program holds it without sharing while the tuner starts, and lets it go before the end.
        HANDLE holder = CreateFileA(settingsPath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        LoadSettings(directory.Directory().c_str(), 1);
        CloseHandle(holder);
#else
        // Writable, so that only the rule for unreadable files keeps it.
        std::filesystem::permissions(settingsPath, std::filesystem::perms::owner_write);
        LoadSettings(directory.Directory().c_str(), 1);
#endif
        EXPECT_EQ(440.0, rootFrequency);
        EXPECT_TRUE(theSettings.IsModified());
        EXPECT_FALSE(theSettings.Save());
        std::filesystem::permissions(settingsPath, std::filesystem::perms(0600));
        EXPECT_EQ(custom, ReadBytes(settingsPath));
    });
}

// What text editors make of the file. A byte-order mark before the first section and a stray
// Ctrl-Z lose nothing; UTF-16, a NUL byte or another control character is no text the tuner
// reads: it runs on the defaults and leaves the file as it is.
TEST_F(TunerSettings, AnEditorsMarksLoseNothingAndAFileThatIsNoTextIsNeverOverwritten) {
    const std::string custom = TextFileLines({"[Tuning]", "RootFrequency = 443", "CurrentTuning = Open G", "[Tunings]",
                                              "Open G = -29, -24, -17, -14, -12, -5"});
    std::string utf16 = "\xFF\xFE";
    for (char c : custom) utf16 += {c, '\0'};
    const struct {
        std::string bytes;
        bool readable;
    } cases[] = {
        {"\xEF\xBB\xBF" + custom, true},
        {std::string(custom).insert(custom.find("CurrentTuning"), "\x1A"), true},
        {utf16, false},
        {"\xFF\xFE", false},  // emptied and saved as UTF-16
        {std::string(custom).insert(custom.find("Open G ="), 1, '\0'), false},
        {std::string(custom).insert(custom.find("Open G ="), "\x1B"), false},
    };
    for (const auto& [bytes, readable] : cases) {
        SCOPED_TRACE(testing::PrintToString(bytes.substr(0, 8)));
        LoadSettingsFile(bytes, 1);
        EXPECT_EQ(readable ? 443.0 : 440.0, rootFrequency);
        EXPECT_EQ(readable ? "Open G" : "<missing>", Stored("Tuning", "CurrentTuning"));
        EXPECT_EQ(readable, theSettings.Save());
        if (readable) EXPECT_NE(std::string::npos, ReadBytes(settingsPath).find("Open G = -29, -24, -17"));
        else EXPECT_EQ(bytes, ReadBytes(settingsPath));
    }
}

}  // namespace
