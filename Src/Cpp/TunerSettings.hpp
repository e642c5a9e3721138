#pragma once

#include "YIniFile.hpp"

// The tuner's settings file, "fretlark.ini" in the program's directory: its one object, the names
// of its sections and keys, and the ranges and defaults of the start-up values.

constexpr const char* SettingsFileName = "fretlark.ini";

constexpr const char* SectionAudioInput = "AudioInput";
constexpr const char* KeyWaveIn = "WaveIn";
constexpr const char* KeyCalibration = "Calibration";
constexpr const char* KeySource = "Source";
constexpr const char* KeyInputLevel = "InputLevel";
constexpr const char* KeyNoiseLevel = "NoiseLevel";

constexpr const char* SectionTuning = "Tuning";
constexpr const char* KeyRootFrequency = "RootFrequency";
constexpr const char* KeyCurrentTuning = "CurrentTuning";

// One key per tuning name.
constexpr const char* SectionTunings = "Tunings";

// The analysis options, 0 or 1; stored only once the user has changed one.
constexpr const char* SectionAnalysis = "Analysis";
constexpr const char* KeyPrecisePitch = "PrecisePitch";
constexpr const char* KeyFastUpdates = "FastUpdates";
constexpr const char* KeyAutoNote = "AutoNote";

constexpr double MinCalibrationRate = 0.5;
constexpr double MaxCalibrationRate = 2.0;
constexpr double DefaultCalibrationRate = 1.0;
constexpr int MaxRecordingLevel = 64;
constexpr int DefaultRecordingLevel = 64;
constexpr int MaxNoiseThreshold = 16;
constexpr int DefaultNoiseThreshold = 2;
constexpr int MinRootFrequency = 438;
constexpr int MaxRootFrequency = 445;
constexpr int DefaultRootFrequency = 440;

// Everything the tuner keeps between runs. Written to disk once, when the run ends (EndRun, also
// when the Windows session ends; else when the object is destroyed at process exit), and only when
// something was stored during the run.
extern YIniFile theSettings;

// Loads the settings file from `programDirectory` (without a trailing separator) and fills the
// start-up values of the tuner state, each checked against its range; a missing or bad value is
// replaced by its default in memory and in the file. A file that exists but cannot be read is
// left as it is: the run goes on the defaults and writes nothing. The device index must lie below
// `waveInDeviceCount`; with no device at all it becomes 0. The Windows start-up calls
//     LoadSettings(ModuleDirectory(), analyzer.GetNumDevices());
// The order of the reads is the order of the keys in a newly created file.
void LoadSettings(const YString& programDirectory, int waveInDeviceCount);
