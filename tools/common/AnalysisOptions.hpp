#pragma once

#include <string>
#include <vector>

// The options that the analysis tools share: the tuning mode and its target, the root frequency,
// the sampling-rate calibration and the tuning.
struct AnalysisOptions {
    static constexpr int AutomaticString = -1;

    bool chromatic = false;
    int string = AutomaticString;  // guitar mode: the string chosen by hand, 0 to 5
    int note = 0;                  // chromatic mode: the target, semitones from A4
    double root = 440.0;
    double calibration = 1.0;
    int tuning[6] = {-29, -24, -19, -14, -10, -5};
    bool precise = false;   // the frequency columns carry the precise estimate
    bool autoNote = false;  // chromatic mode: the target is the note nearest the tone
    int hop = 4096;        // samples from one row to the next; 1024 analyses overlapping blocks

    // Capture tools only: the wave-input device and how long to listen.
    int device = 0;
    double seconds = 5.0;

    // What is not an option, in order (a tool's file).
    std::vector<std::string> arguments;
};

// Where a tool's blocks come from; a capture tool also takes --device and --seconds.
enum class AnalysisSource { File, Capture };

// Reads `--mode guitar|chromatic`, `--string 0..5`, `--note -48..39`, `--root 438..445`,
// `--calibration 0.5..2.0`, `--tuning "a,b,c,d,e,f"` (each offset -48..39) and `--hop 1024|4096`,
// given as `--name value` or `--name=value`, and the flags `--precise` and `--auto-note`, from
// argv[1] on, and for a
// capture tool `--device` and `--seconds` too; everything else that does not start with "--"
// goes to `arguments`. False, with one line naming the problem in `error`, for an unknown option,
// a missing value or a value that is malformed or out of range.
bool ParseAnalysisOptions(int argc, const char* const* argv, AnalysisOptions& options, std::string& error,
                          AnalysisSource source = AnalysisSource::File);

// The lines that describe the options above, for a tool's usage text.
extern const char* const AnalysisOptionsUsage;
// The same for `--device 0..` and `--seconds S` (more than 0, at most a day).
extern const char* const CaptureOptionsUsage;
