#pragma once

#include <string>

#include "AnalysisOptions.hpp"
#include "TunerAnalysis.hpp"

class YByteBuffer;

// Runs the tuner's analysis and note matching on a stream of blocks and describes every analysed
// block in one CSV line, the same for every tool that prints them. The matching state carries
// from block to block as in the tuner.
class AnalysisCsv {
public:
    static const char* const Header;

    // Puts the options into the tuner state (mode, target, root, calibration, tuning) and prepares
    // the analysis.
    explicit AnalysisCsv(const AnalysisOptions& options);

    // Analyses the next block, recorded at the nominal `sampleRate`. A full block is matched and
    // described in `line` (without a line end), and true is returned; a short one gives false and
    // does not count.
    bool NextBlock(const YByteBuffer& buffer, unsigned bytesRecorded, int sampleRate, std::string& line);

private:
    TunerAnalysis analysis;
    int blocks = 0;
};
