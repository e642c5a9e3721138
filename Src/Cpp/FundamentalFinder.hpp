#pragma once

#include "YArray.hpp"
#include "Yfft.hpp"

// Finds the fundamental of a block from its whole harmonic series instead of its strongest peak:
// real instruments often sound their third, fourth or fifth harmonic loudest, and some hardly
// sound their fundamental at all. The spectral peaks are collected; every peak divided by a small
// whole number is a candidate; a candidate explains the peaks that lie on its harmonics. The
// highest candidate that explains nearly as much as the best one is the fundamental: a lower one
// (an octave or a twelfth below) has to explain more, with harmonics of its own that really sound,
// and a higher one would leave sounding partials unexplained. The fundamental is then measured
// precisely on its strongest harmonic (PrecisePitch), divided by that harmonic's number.
//
// A block without a clear fundamental gives none: silence, a tone too weak to count, noise and
// clicks, whose energy the harmonics of no candidate hold.
class FundamentalFinder {
public:
    // The lowest fundamental looked for, in Hz: below A0 (27.5 Hz) by a little more than a
    // quarter tone.
    static constexpr double LowestFundamental = 26.5;
    // Partials up to this frequency take part.
    static constexpr double HighestPartial = 5000.0;

    // `spectrum` holds the magnitudes |X[k]| / N of an N-point transform (0 .. N/2), `values` the
    // transform's complex values X[0 .. N/2] (any common scale); the fundamental sought lies below
    // `highestBin`, and the block's strongest partial must exceed the magnitude `weakestTone`.
    // False, with nothing written, when the block has no clear fundamental.
    static bool Find(const YArray<double>& spectrum, const YfftComplex* values, int blockLength, double sampleRate,
                     int highestBin, double weakestTone, double& frequency);
};
