#pragma once

#include <string>

#include "AnalysisOptions.hpp"
#include "TunerAnalysis.hpp"

class YByteBuffer;

// Describes analysed blocks in CSV lines, the same for every tool that prints them: a tool that
// reads a file runs the analysis here (NextBlock); a tool that captures lets the tuner's analyzer
// run it and describes each result as the tuner would show it (ApplyOptions, Describe).
class AnalysisCsv {
public:
    static const char* const Header;

    // Puts the options into the tuner state (mode, target, root, calibration, precise pitch) and
    // the tuning into `stringOffsets`.
    static void ApplyOptions(const AnalysisOptions& options, int (&stringOffsets)[TunerAnalysis::StringCount]);

    // The line (without a line end) for analysed block number `block`, recorded at the nominal
    // `sampleRate` with `hop` samples from one block to the next, from the tuner state after note
    // matching.
    static std::string Describe(int block, int sampleRate, int hop);

    // Applies the options to an analysis of its own and prepares it.
    explicit AnalysisCsv(const AnalysisOptions& options);

    // Analyses and matches the next block. A full block with a result is described in `line` and
    // true is returned; a full block without one (Precise Pitch found no clear fundamental) gives
    // false but counts, so that the next line's block number and time stay true; a short one gives
    // false and does not count. The matching state carries from block to block as in the tuner.
    bool NextBlock(const YByteBuffer& buffer, unsigned bytesRecorded, int sampleRate, std::string& line);

private:
    TunerAnalysis analysis;
    int hop;
    int blocks = 0;
};
