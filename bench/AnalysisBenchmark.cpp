// Time of one block's analysis and of the transform alone, beside FFTW's real-to-complex transform
// of the same size, measured in the same run.
#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "TunerAnalysis.hpp"
#include "TunerState.hpp"
#include "YByteBuffer.hpp"
#include "Yfft.hpp"

namespace {

constexpr int Points = TunerAnalysis::BlockLength;
constexpr int SampleRate = 11025;
constexpr int Repetitions = 15;

// A guitar-like block: a low E with a few overtones and a little noise.
std::vector<std::int16_t> ToneSamples() {
    std::vector<std::int16_t> samples(Points);
    std::uint32_t noise = 1;
    for (int n = 0; n < Points; ++n) {
        double t = static_cast<double>(n) / SampleRate, value = 0;
        for (int harmonic = 1; harmonic <= 5; ++harmonic) value += 6000.0 / harmonic * std::sin(2 * 3.141592653589793 * 82.41 * harmonic * t);
        noise = noise * 1664525u + 1013904223u;
        value += static_cast<double>(noise >> 24) - 128;
        samples[n] = static_cast<std::int16_t>(std::lround(value));
    }
    return samples;
}

YByteBuffer ToneBlock() {
    const std::vector<std::int16_t> samples = ToneSamples();
    YByteBuffer block(2 * Points);
    for (int n = 0; n < Points; ++n) {
        const auto bits = static_cast<std::uint16_t>(samples[n]);
        block[2 * n] = static_cast<unsigned char>(bits & 0xFF);
        block[2 * n + 1] = static_cast<unsigned char>(bits >> 8);
    }
    return block;
}

void YfftTransform(benchmark::State& state) {
    const YByteBuffer block = ToneBlock();
    Yfft fft;
    fft.Init(TunerAnalysis::Log2BlockLength);
    for (auto _ : state) {
        fft.Load(block, Yfft::FormatPcm16);
        fft.Transform();
        benchmark::DoNotOptimize(fft.Result());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(YfftTransform)->Repetitions(Repetitions);

void FftwTransform(benchmark::State& state) {
    const std::vector<std::int16_t> samples = ToneSamples();
    double* input = fftw_alloc_real(Points);
    fftw_complex* output = fftw_alloc_complex(Points / 2 + 1);
    fftw_plan plan = fftw_plan_dft_r2c_1d(Points, input, output, FFTW_MEASURE);
    for (int n = 0; n < Points; ++n) input[n] = samples[n];
    for (auto _ : state) {
        fftw_execute(plan);
        benchmark::DoNotOptimize(output);
        benchmark::ClobberMemory();
    }
    fftw_destroy_plan(plan);
    fftw_free(output);
    fftw_free(input);
}
BENCHMARK(FftwTransform)->Repetitions(Repetitions);

void AnalyseBlocks(benchmark::State& state, bool precise) {
    const YByteBuffer block = ToneBlock();
    TunerAnalysis analysis;
    analysis.Setup();
    precisePitch = precise;
    for (auto _ : state) {
        benchmark::DoNotOptimize(analysis.AnalyzeBlock(block, TunerAnalysis::BlockBytes, SampleRate, 0));
        benchmark::ClobberMemory();
    }
    precisePitch = false;
}

void BlockAnalysis(benchmark::State& state) { AnalyseBlocks(state, false); }
BENCHMARK(BlockAnalysis)->Repetitions(Repetitions);

// The same with Precise Pitch: the fundamental found from the harmonic series and measured precisely.
void PreciseBlockAnalysis(benchmark::State& state) { AnalyseBlocks(state, true); }
BENCHMARK(PreciseBlockAnalysis)->Repetitions(Repetitions);

// Shows the aggregates of the repetitions and keeps the fastest repetition (in CPU time) of every
// benchmark for the comparisons printed at the end: on a shared machine that is the figure other
// work disturbs least.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    RecordingReporter() : ConsoleReporter(OO_Tabular) {}  // plain text, for the figures file too

    void ReportRuns(const std::vector<Run>& runs) override {
        std::vector<Run> aggregates;
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate) {
                aggregates.push_back(run);
            } else if (!run.error_occurred) {
                const std::string name = run.run_name.function_name;
                const double time = run.GetAdjustedCPUTime();
                if (!nanoseconds.count(name) || time < nanoseconds[name]) nanoseconds[name] = time;
            }
        }
        if (!aggregates.empty()) ConsoleReporter::ReportRuns(aggregates);
    }
    std::map<std::string, double> nanoseconds;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    auto& ns = reporter.nanoseconds;
    if (ns.count("YfftTransform") && ns.count("FftwTransform"))
        std::printf("Fastest repetitions: Yfft %.2f us, FFTW %.2f us, ratio %.2f\n", ns["YfftTransform"] / 1e3,
                    ns["FftwTransform"] / 1e3, ns["YfftTransform"] / ns["FftwTransform"]);
    if (ns.count("BlockAnalysis")) {
        const double blockNanoseconds = 1e9 * Points / SampleRate;
        std::printf("Fastest repetition: block analysis %.2f us = %.4f %% of a block's %.3f s\n", ns["BlockAnalysis"] / 1e3,
                    100 * ns["BlockAnalysis"] / blockNanoseconds, blockNanoseconds / 1e9);
        if (ns.count("PreciseBlockAnalysis"))
            std::printf("Fastest repetition: block analysis with Precise Pitch (fundamental finder) %.2f us\n",
                        ns["PreciseBlockAnalysis"] / 1e3);
    }
    return 0;
}
