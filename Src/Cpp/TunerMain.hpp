#pragma once

class TunerAnalyzer;
class TunerMixer;

// The tuner's run: loads the settings, opens the configured wave-input device (while it cannot be
// opened, the user may choose another in the Audio Source Settings dialog), sets up its mixer,
// runs the main window modally while `analyzer` captures and analyses, and ends the run (EndRun).
// 0 after a normal end, 1 when no wave-input device can be used.
int TunerMain(TunerAnalyzer& analyzer, TunerMixer& mixer);

// The end of a run, however it ends, also with the Windows session: capture is closed, the card
// gets its own routing back and the settings are saved if anything was stored. Ending again does
// nothing more.
void EndRun(TunerAnalyzer& analyzer, TunerMixer& mixer);

// The error box for a wave-input device that did not open: "Can't Open Wave Input Device." and
// the platform's reason for the last failed open of `analyzer`.
void ReportDeviceError(const TunerAnalyzer& analyzer);
