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
// Peaks weaker than this share of the strongest are not partials worth explaining.
constexpr double WeakestPeak = 0.03;
// A higher candidate beats a lower one when it explains at least this share of what the lower
// one explains.
constexpr double NearlyAsMuch = 0.9;
// A clear fundamental's harmonics hold at least this share of the block's energy.
constexpr double ClearShare = 0.6;
// Below this peak magnitude (a sine of about 4 steps of 16 bits) the block counts as silent.
constexpr double SilentPeak = 2.0;

struct Peak {
    int bin;
    double position;   // in bins, between the bin and its larger neighbour
    double magnitude;
    double energy;     // of the peak's bin and its two neighbours
};

// The local maxima of the spectrum from bin 3 to `lastBin`, the strongest MostPeaks of them
// (above WeakestPeak of the strongest), in the order of their bins.
int CollectPeaks(const double* magnitudes, int lastBin, Peak (&peaks)[MostPeaks]) {
    int count = 0;
    double strongest = 0;
    for (int k = 3; k <= lastBin; ++k) strongest = std::max(strongest, magnitudes[k]);
    const double weakest = strongest * WeakestPeak;
    for (int k = 3; k <= lastBin; ++k) {
        const double m = magnitudes[k];
        if (!(m > magnitudes[k - 1] && m >= magnitudes[k + 1] && m > weakest)) continue;
        // For a tone between two bins under the rectangular window, the larger neighbour's share
        // of the two is the tone's distance from the peak bin.
        const double left = magnitudes[k - 1], right = magnitudes[k + 1];
        const double position = right > left ? k + right / (m + right) : k - left / (m + left);
        const Peak peak{k, position, m, left * left + m * m + right * right};
        if (count < MostPeaks) {
            peaks[count++] = peak;
            continue;
        }
        Peak* weakestKept = std::min_element(peaks, peaks + count, [](const Peak& a, const Peak& b) { return a.magnitude < b.magnitude; });
        if (weakestKept->magnitude < m) {
            std::move(weakestKept + 1, peaks + count, weakestKept);
            peaks[count - 1] = peak;
        }
    }
    return count;
}

// What a candidate fundamental explains: the sum of the magnitudes of the peaks on its harmonics
// (each peak once), their energy, and its strongest harmonic.
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

}  // namespace

bool FundamentalFinder::Find(const YArray<double>& spectrum, const YfftComplex* values, int blockLength, double sampleRate,
                             int highestBin, double& frequency) {
    const double binWidth = sampleRate / blockLength;
    const int lastBin = std::min(blockLength / 2 - 2, static_cast<int>(HighestPartial / binWidth));
    const double* magnitudes = spectrum.Data();

    Peak peaks[MostPeaks];
    const int count = CollectPeaks(magnitudes, lastBin, peaks);
    if (count == 0) return false;

    int proposing[ProposingPeaks];
    int proposers = 0;
    for (int i = 0; i < count; ++i) {
        if (proposers < ProposingPeaks) {
            proposing[proposers++] = i;
        } else {
            int* weakest = std::min_element(proposing, proposing + proposers,
                                            [&](int a, int b) { return peaks[a].magnitude < peaks[b].magnitude; });
            if (peaks[*weakest].magnitude < peaks[i].magnitude) *weakest = i;
        }
    }
    const int strongest = *std::max_element(proposing, proposing + proposers,
                                            [&](int a, int b) { return peaks[a].magnitude < peaks[b].magnitude; });
    if (peaks[strongest].magnitude < SilentPeak) return false;

    // Every candidate with what it explains; the best explains most.
    constexpr int MostCandidates = ProposingPeaks * MostDivisor;
    double candidates[MostCandidates];
    Explanation explanations[MostCandidates];
    int candidateCount = 0;
    double best = 0;
    const double lowest = LowestFundamental / binWidth;
    for (int p = 0; p < proposers; ++p) {
        for (int divisor = 1; divisor <= MostDivisor; ++divisor) {
            const double candidate = peaks[proposing[p]].position / divisor;
            if (candidate < lowest) break;
            if (candidate > highestBin) continue;
            candidates[candidateCount] = candidate;
            explanations[candidateCount] = Explain(candidate, peaks, count, lastBin);
            best = std::max(best, explanations[candidateCount].magnitude);
            ++candidateCount;
        }
    }
    int chosen = -1;
    for (int c = 0; c < candidateCount; ++c) {
        if (explanations[c].magnitude >= NearlyAsMuch * best && (chosen < 0 || candidates[c] > candidates[chosen])) chosen = c;
    }
    if (chosen < 0) return false;

    double total = 0;
    for (int k = 3; k <= lastBin; ++k) total += magnitudes[k] * magnitudes[k];
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
