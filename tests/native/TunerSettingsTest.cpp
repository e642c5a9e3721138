#include <gtest/gtest.h>

#include "TunerSettings.hpp"
#include "TunerSettingsFixture.hpp"
#include "TunerState.hpp"
#include "TuningModel.hpp"

namespace {

using TunerSettings = TunerSettingsFixture;

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
    EXPECT_EQ(0, waveInDevice);
    EXPECT_EQ(1.0, calibrationRate);
    EXPECT_EQ(0, inputSource);
    EXPECT_EQ(64, recordingLevel);
    EXPECT_EQ(440.0, rootFrequency);
    EXPECT_EQ(2, noiseThreshold);
    EXPECT_EQ((std::vector<int>{-29, -24, -19, -14, -10, -5}), std::vector<int>(offsets, offsets + TuningStringCount));
    ASSERT_TRUE(theSettings.IsModified());
    ASSERT_TRUE(theSettings.Save());
    EXPECT_EQ(TextFileLines({"", "[AudioInput]", "WaveIn = 0", "Calibration = 1.000000", "Source = 0", "InputLevel = 64",
                             "NoiseLevel = 2", "", "[Tuning]", "RootFrequency = 440", "CurrentTuning = Standard", "",
                             "[Tunings]", "Standard = -29, -24, -19, -14, -10, -5"}),
              ReadBytes(settingsPath));
}

TEST_F(TunerSettings, ValuesInRangeAreTakenAsTheyStandAndOthersRepairedInPlace) {
    WriteBytes(settingsPath,
               "[AudioInput]\nwaveIn=1\nCalibration = 1.5x\nSource = 2\nInputLevel = 80\nNoiseLevel = 16\n"
               "[Tuning]\nRootFrequency = 445\n");
    LoadSettings(directory.Directory().c_str(), 2);
    EXPECT_EQ(1, waveInDevice);
    EXPECT_EQ(1.5, calibrationRate);
    EXPECT_EQ(2, inputSource);
    EXPECT_EQ(64, recordingLevel);
    EXPECT_EQ(445.0, rootFrequency);
    EXPECT_EQ(16, noiseThreshold);
    ASSERT_TRUE(theSettings.Save());
    EXPECT_EQ(TextFileLines({"", "[AudioInput]", "waveIn = 1", "Calibration = 1.5x", "Source = 2", "InputLevel = 64",
                             "NoiseLevel = 16", "", "[Tuning]", "RootFrequency = 445"}),
              ReadBytes(settingsPath));
}

TEST_F(TunerSettings, NumbersThatDoNotParseOrLieOutsideTheirRangeBecomeDefaults) {
    WriteBytes(settingsPath,
               "[AudioInput]\nWaveIn = 2\nCalibration = abc\nSource = -1\nInputLevel = 0\nNoiseLevel = 17\n"
               "[Tuning]\nRootFrequency = 437\n");
    LoadSettings(directory.Directory().c_str(), 2);
    EXPECT_EQ(0, waveInDevice);
    EXPECT_EQ(1.0, calibrationRate);
    EXPECT_EQ(0, inputSource);
    EXPECT_EQ(0, recordingLevel);
    EXPECT_EQ(440.0, rootFrequency);
    EXPECT_EQ(2, noiseThreshold);
    EXPECT_EQ("0", Stored("AudioInput", "WaveIn"));
    EXPECT_EQ("1.000000", Stored("AudioInput", "Calibration"));
    EXPECT_EQ("0", Stored("AudioInput", "InputLevel"));
    EXPECT_EQ("2", Stored("AudioInput", "NoiseLevel"));
    EXPECT_EQ("440", Stored("Tuning", "RootFrequency"));

    for (const char* calibration : {"nan", "inf", "2.0000001", "0.4999"}) {
        WriteBytes(settingsPath, std::string("[AudioInput]\nCalibration = ") + calibration + "\n");
        LoadSettings(directory.Directory().c_str(), 2);
        EXPECT_EQ(1.0, calibrationRate) << calibration;
    }
}

TEST_F(TunerSettings, WithoutDevicesTheDeviceIndexIsRewrittenAsZero) {
    WriteBytes(settingsPath, "[AudioInput]\nWaveIn = 0\n");
    waveInDevice = 4;
    LoadSettings(directory.Directory().c_str(), 0);
    EXPECT_EQ(0, waveInDevice);
    EXPECT_TRUE(theSettings.IsModified());
}

TEST_F(TunerSettings, ARunThatStoresNothingLeavesTheFileAlone) {
    WriteBytes(settingsPath,
               "; my tuner\r\n[AudioInput]\r\nWaveIn=1\r\nCalibration = 1.01\r\nSource = 1\r\nInputLevel = 30\r\n"
               "NoiseLevel = 3\r\n\r\n[Tuning]\r\n  RootFrequency = 442\r\nCurrentTuning = open_g\r\n"
               "[Tunings]\r\nOpen_G = -29, -24, -17, -14, -12, -5\r\n");
    LoadSettings(directory.Directory().c_str(), 2);
    int offsets[TuningStringCount] = {};
    LoadCurrentTuning(offsets);
    EXPECT_EQ(1.01, calibrationRate);
    EXPECT_EQ(-17, offsets[2]);
    EXPECT_FALSE(theSettings.IsModified());
}

}  // namespace
