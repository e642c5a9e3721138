#pragma once

#include "TunerSettings.hpp"

// What the calibration wizard's pages share: the mode chosen on the first page, the reference
// frequency of the external source, the factor found, and the sampling rate that the automatic
// mode measured. Nothing of it takes effect before Finish.
struct CalibrationState {
    enum Mode : int { Reset = 0, Automatic = 1, ExternalSource = 2 };

    int mode = Reset;
    double externalFrequency = 440.0;
    double rate = 1.0;
    double measuredSamplingRate = 0.0;

    // A factor outside the range the settings accept (a card that delivered no samples, a
    // reference tone an octave off) is no calibration: the rate becomes 1.0 instead of a value
    // that would skew every frequency until the next start refuses it.
    void TakeRate(double factor) {
        rate = MinCalibrationRate <= factor && factor <= MaxCalibrationRate ? factor : DefaultCalibrationRate;
    }
};
