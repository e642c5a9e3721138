#include "FundamentalFinder.hpp"

#include <algorithm>
#include <cmath>

#include "PrecisePitch.hpp"

namespace {

// How many of the strongest peaks take part, and how many of those propose candidates.
constexpr int MostPeaks = 48;
constexpr int ProposingPeaks = 8;
// A candidate is a proposing peak divided by 1 .. MostDivisor.
constexpr int MostDivisor = 12;
constexpr int MostHarmonics = 30;
// The lowest bin that takes part: below it lies the block's offset, not a tone.
constexpr int FirstBin = 3;
// Peaks weaker than this share of the strongest are not partials worth explaining.
constexpr double WeakestPeak = 0.03;
// A higher candidate beats a lower one when it explains at least this share of what the lower
// one explains: the lower one has to show harmonics of its own that really sound.
constexpr double NearlyAsMuch = 0.9;
// A clear fundamental's harmonics hold at least this share of the block's energy. Noise and
// clicks stay below 0.4; a note whose partials wander (an ensemble, strong vibrato) sometimes falls
// below it too, and then shows nothing rather than something doubtful.
constexpr double ClearShare = 0.7;
// The energy of a partial: its peak bin and this many bins either side, where a partial that
// decays or wavers within the block spreads.
constexpr int PartialHalfWidth = 2;

struct Peak {
    int bin;
    double position;  // in bins, between the bin and its larger neighbour
    double magnitude;
    double energy;  // of the bins of the partial (PartialHalfWidth)
};

// The local maxima of the spectrum from FirstBin to `lastBin`, the strongest MostPeaks of them
// (above WeakestPeak of the strongest), in the order of their bins.
int CollectPeaks(const double* magnitudes, int lastBin, Peak (&peaks)[MostPeaks]) {
    int count = 0;
    double strongest = 0;
    for (int k = FirstBin; k <= lastBin; ++k) strongest = std::max(strongest, magnitudes[k]);
    const double weakest = strongest * WeakestPeak;
    for (int k = FirstBin; k <= lastBin; ++k) {
        const double m = magnitudes[k];
        if (!(m > magnitudes[k - 1] && m >= magnitudes[k + 1] && m > weakest)) continue;
        // For a tone between two bins under the rectangular window, the larger neighbour's share
        // of the two is the tone's distance from the peak bin.
        const double left = magnitudes[k - 1], right = magnitudes[k + 1];
        const double position = right > left ? k + right / (m + right) : k - left / (m + left);
        double energy = 0;
        for (int j = k - PartialHalfWidth; j <= k + PartialHalfWidth; ++j) energy += magnitudes[j] * magnitudes[j];
        const Peak peak{k, position, m, energy};
        if (count < MostPeaks) {
            peaks[count++] = peak;
            continue;
        }
        Peak* weakestKept =
            std::min_element(peaks, peaks + count, [](const Peak& a, const Peak& b) { return a.magnitude < b.magnitude; });
        if (weakestKept->magnitude < m) {
            std::move(weakestKept + 1, peaks + count, weakestKept);
            peaks[count - 1] = peak;
        }
    }
    return count;
}

// What a candidate fundamental explains: the sum of the magnitudes of the peaks on its harmonics
// (the strongest near each harmonic, each peak once), their energy, and its strongest harmonic.
struct Explanation {
    double magnitude = 0;
    double energy = 0;
    int strongestPeak = -1;
    int strongestHarmonic = 0;
};

Explanation Explain(double fundamental, const Peak* peaks, int count, int lastBin) {
    Explanation explanation;
    int next = 0;  // peaks below this index lie below the harmonics still to come
    for (int harmonic = 1; harmonic <= MostHarmonics; ++harmonic) {
        const double position = harmonic * fundamental;
        if (position > lastBin) break;
        // A bin, or a third of a semitone where that is wider (slightly inharmonic partials), but
        // never so wide that it reaches the neighbouring harmonics.
        const double tolerance = std::min(std::max(1.0, 0.02 * position), 0.3 * fundamental);
        while (next < count && peaks[next].position < position - tolerance) ++next;
        int nearest = -1;
        for (int i = next; i < count && peaks[i].position <= position + tolerance; ++i)
            if (nearest < 0 || peaks[i].magnitude > peaks[nearest].magnitude) nearest = i;
        if (nearest < 0) continue;
        explanation.magnitude += peaks[nearest].magnitude;
        explanation.energy += peaks[nearest].energy;
        if (explanation.strongestPeak < 0 || peaks[nearest].magnitude > peaks[explanation.strongestPeak].magnitude) {
            explanation.strongestPeak = nearest;
            explanation.strongestHarmonic = harmonic;
        }
        next = nearest + 1;
    }
    return explanation;
}

// The indices of the strongest ProposingPeaks peaks.
int ProposingPeakIndices(const Peak* peaks, int count, int (&proposing)[ProposingPeaks]) {
    int proposers = 0;
    for (int i = 0; i < count; ++i) {
        if (proposers < ProposingPeaks) {
            proposing[proposers++] = i;
            continue;
        }
        int* weakest = std::min_element(proposing, proposing + proposers,
                                        [&](int a, int b) { return peaks[a].magnitude < peaks[b].magnitude; });
        if (peaks[*weakest].magnitude < peaks[i].magnitude) *weakest = i;
    }
    return proposers;
}

}  // namespace

bool FundamentalFinder::Find(const YArray<double>& spectrum, const YfftComplex* values, int blockLength, double sampleRate,
                             int highestBin, double weakestTone, double& frequency) {
    const double binWidth = sampleRate / blockLength;
    const int lastBin = std::min(blockLength / 2 - 1 - PartialHalfWidth, static_cast<int>(HighestPartial / binWidth));
    const double* magnitudes = spectrum.Data();

    Peak peaks[MostPeaks];
    const int count = CollectPeaks(magnitudes, lastBin, peaks);
    int proposing[ProposingPeaks];
    const int proposers = ProposingPeakIndices(peaks, count, proposing);
    double strongest = 0;
    for (int p = 0; p < proposers; ++p) strongest = std::max(strongest, peaks[proposing[p]].magnitude);
    if (!(strongest > weakestTone)) return false;

    constexpr int MostCandidates = ProposingPeaks * MostDivisor;
    double candidates[MostCandidates];
    Explanation explanations[MostCandidates];
    int candidateCount = 0;
    double most = 0;
    const double lowest = LowestFundamental / binWidth;
    for (int p = 0; p < proposers; ++p) {
        for (int divisor = 1; divisor <= MostDivisor; ++divisor) {
            const double candidate = peaks[proposing[p]].position / divisor;
            if (candidate < lowest) break;
            if (candidate > highestBin) continue;
            candidates[candidateCount] = candidate;
            explanations[candidateCount] = Explain(candidate, peaks, count, lastBin);
            most = std::max(most, explanations[candidateCount].magnitude);
            ++candidateCount;
        }
    }
    int chosen = -1;
    for (int c = 0; c < candidateCount; ++c) {
        if (explanations[c].magnitude >= NearlyAsMuch * most && (chosen < 0 || candidates[c] > candidates[chosen])) chosen = c;
    }
    if (chosen < 0) return false;

    double total = 0;
    for (int k = FirstBin; k <= lastBin; ++k) total += magnitudes[k] * magnitudes[k];
    const Explanation& explanation = explanations[chosen];
    if (!(explanation.energy >= ClearShare * total)) return false;

    // Measured on the strongest harmonic, whose estimate carries the least noise.
    const Peak& measured = peaks[explanation.strongestPeak];
    const YfftComplex around[3] = {values[measured.bin - 1], values[measured.bin], values[measured.bin + 1]};
    double partial = measured.position * binWidth;
    PrecisePitch::Frequency(around, measured.bin, blockLength, sampleRate, partial);
    frequency = partial / explanation.strongestHarmonic;
    return true;
}
