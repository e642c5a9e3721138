// fretlark-analyze: runs the tuner's analysis over a WAV file and prints one CSV line per block.
#include <cstdio>
#include <cstring>
#include <string>

#include "AnalysisCsv.hpp"
#include "AnalysisOptions.hpp"
#include "SampleWindow.hpp"
#include "WaveFile.hpp"
#include "YSystemException.hpp"

namespace {

constexpr int ExitBadInput = 2;

int Refuse(const std::string& problem) {
    std::fprintf(stderr, "fretlark-analyze: %s\n", problem.c_str());
    return ExitBadInput;
}

// Every hop of the file goes into the window; each full window is a block, as the tuner
// captures them (with the default hop the blocks simply follow each other).
int Analyze(const WaveFile& wave, const AnalysisOptions& options) {
    AnalysisCsv csv(options);
    std::printf("%s\n", AnalysisCsv::Header);
    const std::vector<unsigned char>& samples = wave.Samples();
    const std::size_t hopBytes = 2 * static_cast<std::size_t>(options.hop);
    SampleWindow window;
    std::string line;
    for (std::size_t at = 0; at + hopBytes <= samples.size(); at += hopBytes) {
        if (window.Add(samples.data() + at, static_cast<unsigned>(hopBytes)) &&
            csv.NextBlock(window.Block(), TunerAnalysis::BlockBytes, WaveFile::SampleRate, line))
            std::printf("%s\n", line.c_str());
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf("usage: fretlark-analyze [options] FILE.wav\n"
                        "Prints one CSV line for every full block of 4096 samples of a PCM WAV file\n"
                        "(16-bit, mono, 11025 Hz), as the tuner measures and matches it; with --hop 1024 one\n"
                        "for every 1024 samples once 4096 are there.\n%s",
                        AnalysisOptionsUsage);
            return 0;
        }
    }
    AnalysisOptions options;
    std::string error;
    if (!ParseAnalysisOptions(argc, argv, options, error)) return Refuse(error);
    if (options.arguments.size() != 1) return Refuse(options.arguments.empty() ? "no WAV file given" : "more than one file given");

    WaveFile wave;
    if (!wave.Load(options.arguments[0])) return Refuse(wave.Error());
    try {
        return Analyze(wave, options);
    } catch (const YSystemException& e) {
        char problem[96];
        std::snprintf(problem, sizeof problem, "analysis failed: error kind %d in %s, line %d", e.Kind(), e.SourceFile(), e.Line());
        return Refuse(problem);
    }
}
