// fretlark-analyze: runs the tuner's analysis over a WAV file and prints one CSV line per block.
#include <cstdio>
#include <cstring>
#include <string>

#include "AnalysisCsv.hpp"
#include "AnalysisOptions.hpp"
#include "WaveFile.hpp"
#include "YByteBuffer.hpp"
#include "YSystemException.hpp"

namespace {

constexpr int ExitBadInput = 2;

int Refuse(const std::string& problem) {
    std::fprintf(stderr, "fretlark-analyze: %s\n", problem.c_str());
    return ExitBadInput;
}

int Analyze(const WaveFile& wave, const AnalysisOptions& options) {
    AnalysisCsv csv(options);
    std::printf("%s\n", AnalysisCsv::Header);
    const std::vector<unsigned char>& samples = wave.Samples();
    YByteBuffer block(TunerAnalysis::BlockBytes);
    std::string line;
    for (std::size_t at = 0; at + TunerAnalysis::BlockBytes <= samples.size(); at += TunerAnalysis::BlockBytes) {
        block.Put(0, samples.data() + at, TunerAnalysis::BlockBytes);
        if (csv.NextBlock(block, TunerAnalysis::BlockBytes, WaveFile::SampleRate, line)) std::printf("%s\n", line.c_str());
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf("usage: fretlark-analyze [options] FILE.wav\n"
                        "Prints one CSV line for every full block of 4096 samples of a PCM WAV file\n"
                        "(16-bit, mono, 11025 Hz), as the tuner measures and matches it.\n%s",
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
