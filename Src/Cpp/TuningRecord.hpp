#pragma once

#include "TuningModel.hpp"
#include "YString.hpp"

// One tuning as the Tuning Settings dialog edits it. A deleted tuning, and one whose stored value
// cannot be read, stays among the dialog's records marked removed: its key leaves the settings
// when the dialog is confirmed.
struct TuningRecord {
    YString name;
    int offsets[TuningStringCount] = {};
    bool removed = false;
};
