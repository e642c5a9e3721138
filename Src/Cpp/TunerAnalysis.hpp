#pragma once

#include "YArray.hpp"
#include "YByteBuffer.hpp"
#include "Yfft.hpp"

// The tuner's pitch analysis, apart from capture: it turns a block of 4096 samples into the
// published measurement (input level, spectral peak, raw and calibrated frequency) and matches the
// measured frequency to a note or a string of the current tuning. Results and settings live in the
// program-wide tuner state; the capture object, the command-line tools and the tests all run this
// same code.
class TunerAnalysis {
public:
    static constexpr int Log2BlockLength = 12;
    static constexpr int BlockLength = 1 << Log2BlockLength;  // samples in one analysed block
    static constexpr unsigned BlockBytes = 2 * BlockLength;   // a full block of 16-bit samples
    static constexpr int LowestBin = 5;
    static constexpr int HighestBin = 1023;
    static constexpr int StringCount = 6;
    // The range of chromatic targets: A0 to C8, in semitones from A4.
    static constexpr int LowestNote = -48;
    static constexpr int HighestNote = 39;
    // A signal is present when signalLevel exceeds noiseThreshold times this.
    static constexpr int SignalPerThresholdStep = 50;

    // Only a measured frequency above this many Hz is matched to a note.
    static constexpr double LowestMatchedFrequency = 10.0;
    // How many semitones a candidate may lie from the tone to win.
    static constexpr double AutoStringLimit = 1.1;
    static constexpr double SingleTargetLimit = 5.0;

    TunerAnalysis() = default;
    TunerAnalysis(const TunerAnalysis&) = delete;
    TunerAnalysis& operator=(const TunerAnalysis&) = delete;
    ~TunerAnalysis();

    // Prepares the transform; must precede the first full block.
    void Setup();

    // Analyses the block at the start of `buffer` when `bytesRecorded` is exactly BlockBytes (and
    // the buffer holds them) and publishes inputLevel, rawFrequency, measuredFrequency,
    // signalLevel and cpuLoad (= loadPercent). With precisePitch the frequency is the
    // fundamental found from the block's whole harmonic series and measured precisely
    // (FundamentalFinder); a block without a clear fundamental then publishes nothing, so that the
    // previous result stays. `sampleRate` is the capture format's nominal rate. Returns whether it
    // published, that is whether the caller should announce a new result. A shorter block changes
    // nothing.
    bool AnalyzeBlock(const YByteBuffer& buffer, unsigned bytesRecorded, int sampleRate, int loadPercent);

    // Matches measuredFrequency to the target of the current mode: writes harmonicNumber,
    // semitoneDifference and, in guitar mode, noteIndex (and selectedString when the string is
    // chosen automatically). In chromatic mode with autoNote the target becomes the note nearest
    // the frequency first. A frequency of 10 Hz or less keeps the previous result.
    void MatchNote();

    // The note nearest `frequency` in semitones from the root (A4 at `root` Hz), within A0 .. C8.
    static int NearestNote(double frequency, double root);

    // floor(x * 100 + 0.5) / 100: to the nearest hundredth, halves upwards.
    static double RoundedToHundredths(double semitones);

    // The strongest bin of `spectrum` in LowestBin .. HighestBin (the highest of equal maxima),
    // moved towards its larger neighbour by half a bin times that neighbour's share of the peak;
    // the peak's magnitude goes to `peak`. A spectrum without the entries LowestBin - 1 ..
    // HighestBin + 1 throws kind 5.
    static double PeakFrequency(const YArray<double>& spectrum, int sampleRate, double& peak);
    // The strongest bin of `spectrum` in LowestBin .. HighestBin, the highest of equal maxima.
    static int PeakBin(const YArray<double>& spectrum);

    // The current tuning's strings as semitone offsets from the root, low string first.
    int StringOffsets[StringCount] = {0, 0, 0, 0, 0, 0};
    Yfft fft;
    YArray<double> Spectrum;

private:
    static int MeanAbsoluteSample(const unsigned char* bytes);
    // The frequency of `bin`, moved towards its larger neighbour (see PeakFrequency).
    static double InterpolatedFrequency(const YArray<double>& spectrum, int bin, int sampleRate);
};
