#include "TunerSettings.hpp"

#include "TunerState.hpp"
#include "YTextFile.hpp"

YIniFile theSettings;

namespace {

// An option the user has to turn on: a missing key stays missing, so that a file in which it was
// never used keeps its lines; a bad value is repaired like any other.
bool ReadOption(const char* key) {
    YString stored;
    if (!theSettings.GetValue(SectionAnalysis, key, stored)) return false;
    int value;
    theSettings.ReadInt(SectionAnalysis, key, value, 0, 1, 0);
    return value == 1;
}

}  // namespace

void LoadSettings(const YString& programDirectory, int waveInDeviceCount) {
    YString path = programDirectory;
    path += YTextFile::PathSeparator;
    path += SettingsFileName;
    theSettings.SetFileName(path);
    // A missing or unreadable file leaves every value to its default below; an unreadable one is
    // then never written (YIniFile::Save), so the defaults stay in memory.
    theSettings.Load();

    theSettings.ReadInt(SectionAudioInput, KeyWaveIn, waveInDevice, 0, waveInDeviceCount - 1, 0);
    theSettings.ReadDouble(SectionAudioInput, KeyCalibration, calibrationRate, MinCalibrationRate, MaxCalibrationRate,
                           DefaultCalibrationRate);
    theSettings.ReadInt(SectionAudioInput, KeySource, inputSource, InputSourceMixerDefault, InputSourceMicrophone,
                        InputSourceMixerDefault);
    theSettings.ReadInt(SectionAudioInput, KeyInputLevel, recordingLevel, 0, MaxRecordingLevel, DefaultRecordingLevel);
    int root;
    theSettings.ReadInt(SectionTuning, KeyRootFrequency, root, MinRootFrequency, MaxRootFrequency, DefaultRootFrequency);
    rootFrequency = root;
    theSettings.ReadInt(SectionAudioInput, KeyNoiseLevel, noiseThreshold, 0, MaxNoiseThreshold, DefaultNoiseThreshold);
    precisePitch = ReadOption(KeyPrecisePitch);
    fastUpdates = ReadOption(KeyFastUpdates);
    autoNote = ReadOption(KeyAutoNote);
}
