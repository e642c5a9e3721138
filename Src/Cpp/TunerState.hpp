#pragma once

// The tuner's shared state: plain program-wide variables, read and written on the user-interface
// thread only. The settings fill the first group at start-up; the analysis, the note matching and
// the main window keep the rest.

enum TunerMode : unsigned char { TunerModeGuitar = 0, TunerModeChromatic = 1 };
enum InputSource : int { InputSourceMixerDefault = 0, InputSourceLine = 1, InputSourceMicrophone = 2 };

// From the settings file.
extern int waveInDevice;         // wave-input device index
extern int inputSource;          // an InputSource
extern int recordingLevel;       // recording volume, 0 to 64
extern int noiseThreshold;       // 0 to 16; a signal is present when signalLevel > noiseThreshold * 50
extern double calibrationRate;   // factor applied to every measured frequency, 0.5 to 2.0
extern double rootFrequency;     // pitch of A4 in Hz, integral, 438 to 445
extern bool precisePitch;        // the frequency comes from the precise estimate
extern bool fastUpdates;         // a result every 1024 samples instead of every 4096
extern bool autoNote;            // chromatic mode takes the note nearest the tone as the target

// Published by the analysis of the last full block.
extern int inputLevel;           // mean absolute sample value, 0 to 32768
extern int signalLevel;          // magnitude of the spectral peak
extern double rawFrequency;      // peak frequency before calibration, Hz
extern double measuredFrequency; // rawFrequency * calibrationRate, Hz
extern int cpuLoad;              // analysis time as a share of a block's duration, percent

// The tuning target and the result of note matching.
extern unsigned char tunerMode;  // a TunerMode
extern bool autoString;          // guitar mode picks the string itself
extern int selectedString;       // the string being tuned, 0 to 5
extern int noteIndex;            // target note, semitones from A4 (A0 = -48 to C8 = 39)
extern int harmonicNumber;       // 1 or 2
extern double semitoneDifference;// tone minus target in semitones, rounded to 0.01

// Set while the main window handles an analysis result, so that no further one is posted.
extern bool analysisBusy;
