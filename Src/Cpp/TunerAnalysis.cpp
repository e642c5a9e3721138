#include "TunerAnalysis.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "FundamentalFinder.hpp"
#include "Notes.hpp"
#include "TunerState.hpp"

namespace {

// Deviation of the measured frequency from harmonic `harmonic` of `reference`, in semitones.
double Deviation(double frequency, double reference, int harmonic) {
    return std::log((frequency / harmonic) / reference) / (std::log(2.0) / 12);
}

}  // namespace

TunerAnalysis::~TunerAnalysis() { Spectrum.SetSize(0); }

void TunerAnalysis::Setup() {
    fft.Init(Log2BlockLength);
    Spectrum.SetSize(BlockLength + 1);
}

bool TunerAnalysis::AnalyzeBlock(const YByteBuffer& buffer, unsigned bytesRecorded, int sampleRate, int loadPercent) {
    if (bytesRecorded != BlockBytes || buffer.Size() < static_cast<int>(BlockBytes)) return false;
    const int level = MeanAbsoluteSample(buffer.Data());
    fft.Load(buffer, Yfft::FormatPcm16);
    fft.Transform();
    fft.GetSpectrum(Spectrum);
    const int bin = PeakBin(Spectrum);
    const double peak = Spectrum[bin];
    double frequency = InterpolatedFrequency(Spectrum, bin, sampleRate);
    // The spectrum holds the magnitudes; the transform's result still holds the complex values. A
    // tone counts from the level at which the display shows one.
    if (precisePitch && !FundamentalFinder::Find(Spectrum, fft.Result(), BlockLength, sampleRate, HighestBin,
                                                 noiseThreshold * SignalPerThresholdStep, frequency))
        return false;
    inputLevel = level;
    rawFrequency = frequency;
    measuredFrequency = frequency * calibrationRate;
    signalLevel = static_cast<int>(peak);
    cpuLoad = loadPercent;
    return true;
}

int TunerAnalysis::MeanAbsoluteSample(const unsigned char* bytes) {
    // 4096 * 32768 fits a signed 32-bit sum.
    std::int32_t sum = 0;
    for (int n = 0; n < BlockLength; ++n) {
        const int sample = static_cast<std::int16_t>(static_cast<std::uint16_t>(bytes[2 * n] | bytes[2 * n + 1] << 8));
        sum += std::abs(sample);
    }
    return sum / BlockLength;
}

int TunerAnalysis::PeakBin(const YArray<double>& spectrum) {
    // Downwards with a strict comparison: among equal maxima the highest bin wins.
    int bin = HighestBin;
    double peak = spectrum[HighestBin];
    for (int k = HighestBin - 1; k >= LowestBin; --k) {
        if (spectrum[k] > peak) {
            bin = k;
            peak = spectrum[k];
        }
    }
    return bin;
}

double TunerAnalysis::PeakFrequency(const YArray<double>& spectrum, int sampleRate, double& peak) {
    const int bin = PeakBin(spectrum);
    peak = spectrum[bin];
    return InterpolatedFrequency(spectrum, bin, sampleRate);
}

double TunerAnalysis::InterpolatedFrequency(const YArray<double>& spectrum, int bin, int sampleRate) {
    const double peak = spectrum[bin];
    const double binFrequency = sampleRate * bin / static_cast<double>(BlockLength);
    if (!(peak > 0)) return binFrequency;
    // Half a bin towards the larger neighbour, weighted by its share of the peak.
    const double left = spectrum[bin - 1];
    const double right = spectrum[bin + 1];
    if (left > right) return binFrequency - (left / peak) * 0.5 * sampleRate / static_cast<double>(BlockLength);
    return binFrequency + (right / peak) * 0.5 * sampleRate / static_cast<double>(BlockLength);
}

void TunerAnalysis::MatchNote() {
    const double frequency = measuredFrequency;
    if (!(frequency > LowestMatchedFrequency)) return;

    const bool chromatic = tunerMode == TunerModeChromatic;
    if (chromatic && autoNote) noteIndex = NearestNote(frequency, rootFrequency);
    const bool allStrings = !chromatic && autoString;
    const double limit = allStrings ? AutoStringLimit : SingleTargetLimit;
    const int firstString = allStrings ? 0 : selectedString;
    const int lastString = allStrings ? StringCount - 1 : selectedString;
    auto reference = [&](int string) {
        return NoteFrequency(chromatic ? noteIndex : StringOffsets[string], rootFrequency);
    };

    // The first candidate stands unless another one lies strictly closer and within the limit.
    double best = Deviation(frequency, reference(firstString), 1);
    int bestHarmonic = 1;
    int bestString = firstString;
    for (int string = firstString; string <= lastString; ++string) {
        for (int harmonic = 1; harmonic <= 2; ++harmonic) {
            const double deviation = Deviation(frequency, reference(string), harmonic);
            if (std::fabs(deviation) < std::fabs(best) && std::fabs(deviation) < limit) {
                best = deviation;
                bestHarmonic = harmonic;
                bestString = string;
            }
        }
    }

    if (allStrings) selectedString = bestString;
    harmonicNumber = bestHarmonic;
    semitoneDifference = RoundedToHundredths(best);
    if (!chromatic) noteIndex = StringOffsets[selectedString];
}

int TunerAnalysis::NearestNote(double frequency, double root) {
    const double semitones = std::floor(12 * std::log2(frequency / root) + 0.5);
    return static_cast<int>(std::clamp(semitones, static_cast<double>(LowestNote), static_cast<double>(HighestNote)));
}

double TunerAnalysis::RoundedToHundredths(double semitones) { return std::floor(semitones * 100 + 0.5) / 100; }
