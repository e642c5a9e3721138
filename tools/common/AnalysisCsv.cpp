#include "AnalysisCsv.hpp"

#include <cstdio>

#include "Notes.hpp"
#include "TunerState.hpp"
#include "YString.hpp"

const char* const AnalysisCsv::Header = "block,time_s,input_level,signal_level,raw_hz,measured_hz,note,string,harmonic,cents";

void AnalysisCsv::ApplyOptions(const AnalysisOptions& options, int (&stringOffsets)[TunerAnalysis::StringCount]) {
    for (int s = 0; s < TunerAnalysis::StringCount; ++s) stringOffsets[s] = options.tuning[s];
    tunerMode = options.chromatic ? TunerModeChromatic : TunerModeGuitar;
    autoString = options.string == AnalysisOptions::AutomaticString;
    selectedString = autoString ? 0 : options.string;
    // In guitar mode the target is the selected string's note, as when the tuner shows that string.
    noteIndex = options.chromatic ? options.note : stringOffsets[selectedString];
    rootFrequency = options.root;
    calibrationRate = options.calibration;
    precisePitch = options.precise;
    autoNote = options.autoNote;
    harmonicNumber = 1;
    semitoneDifference = 0.0;
}

std::string AnalysisCsv::Describe(int block, int sampleRate, int hop) {
    YString note;
    NoteName(noteIndex, note, NOTE_NAME | NOTE_OCTAVE);
    char string[16] = "";
    if (tunerMode == TunerModeGuitar) std::snprintf(string, sizeof string, "%d", selectedString);
    char text[256];
    std::snprintf(text, sizeof text, "%d,%.6f,%d,%d,%.6f,%.6f,%s,%s,%d,%.0f", block,
                  static_cast<double>(block) * hop / sampleRate, inputLevel, signalLevel, rawFrequency,
                  measuredFrequency, note.CStr(), string, harmonicNumber, semitoneDifference * 100);
    return text;
}

AnalysisCsv::AnalysisCsv(const AnalysisOptions& options) : hop(options.hop) {
    ApplyOptions(options, analysis.StringOffsets);
    analysis.Setup();
}

bool AnalysisCsv::NextBlock(const YByteBuffer& buffer, unsigned bytesRecorded, int sampleRate, std::string& line) {
    if (bytesRecorded != TunerAnalysis::BlockBytes) return false;
    // A block without a result still takes its place in time.
    const int block = blocks++;
    if (!analysis.AnalyzeBlock(buffer, bytesRecorded, sampleRate, 0)) return false;
    analysis.MatchNote();
    line = Describe(block, sampleRate, hop);
    return true;
}
