#pragma once

#include "Yfft.hpp"

// A second frequency estimate from the transform of a block: Quinn's second estimator on the
// complex values of the peak bin and its two neighbours, with the leakage of the tone's mirror
// image at the negative frequency taken out of those three values first. For one sinusoid under
// the transform's rectangular window it has no bias left (the default interpolation reads up to
// 5 cents wrong on the low strings), and noise and harmonics move it little.
class PrecisePitch {
public:
    // `bins` are the transform's values X[peak - 1], X[peak], X[peak + 1] of a `blockLength`-point
    // transform (any common scale). False, with nothing written, when they describe no tone whose
    // frequency lies within a bin of the peak (silence, for one).
    static bool Frequency(const YfftComplex (&bins)[3], int peak, int blockLength, double sampleRate, double& frequency);
};
