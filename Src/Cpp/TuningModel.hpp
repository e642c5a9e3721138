#pragma once

#include "YString.hpp"

// Tunings: six target notes, one per guitar string, as semitone offsets from A4 (the root
// frequency), in string order. They are stored in the settings, one key per tuning name in section
// "Tunings", as "-29, -24, -19, -14, -10, -5"; names compare without regard to letter case. Key
// "CurrentTuning" of section "Tuning" names the one in use.

constexpr int TuningStringCount = 6;

// The tuning that exists when none is stored, and the one to fall back on.
constexpr const char* StandardTuningName = "Standard";
constexpr int StandardTuning[TuningStringCount] = {-29, -24, -19, -14, -10, -5};

// Names the user gives to tunings: 1 to 20 ASCII letters, digits and underscores, which keeps
// them valid as keys of the settings file.
constexpr int MaxTuningNameLength = 20;
bool IsTuningNameCharacter(int character);
bool IsValidTuningName(const YString& name);

// The stored form of six offsets.
YString FormatTuning(const int (&offsets)[TuningStringCount]);

// Reads the tuning `name` from the settings into `offsets`; true when all six values were read.
// After a false result `offsets` may hold some of the values. When no tuning is stored at all,
// the standard one is stored first.
bool ReadTuning(const YString& name, int (&offsets)[TuningStringCount]);

// Loads the current tuning into `stringOffsets`: the one that "CurrentTuning" names or, when that
// is missing or unreadable, the standard tuning, whose name is then stored as the current one.
// Ends by calling the hook below, so that the window showing the tuning can refresh.
void LoadCurrentTuning(int (&stringOffsets)[TuningStringCount]);

// The Windows side installs a hook that sends WM_USER with wParam 2 to analysisTarget when that is
// set; null installs none.
using TuningLoadedHook = void (*)();
void SetTuningLoadedHook(TuningLoadedHook hook);
