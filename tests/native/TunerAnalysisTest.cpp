#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "ExpectException.hpp"
#include "PcmSamples.hpp"
#include "TunerAnalysis.hpp"
#include "TunerState.hpp"

namespace {

constexpr double Pi = 3.141592653589793;
constexpr int Rate = 11025;
constexpr double Bin = Rate / 4096.0;

std::vector<int> Sine(double frequency, double amplitude, int count = 4096) {
    std::vector<int> samples(count);
    for (int n = 0; n < count; ++n) samples[n] = static_cast<int>(std::lround(amplitude * std::sin(2 * Pi * frequency * n / Rate)));
    return samples;
}

class BlockAnalysis : public ::testing::Test {
protected:
    void SetUp() override {
        calibrationRate = 1.0;
        inputLevel = signalLevel = cpuLoad = -1;
        rawFrequency = measuredFrequency = -1;
        analysis.Setup();
    }

    // A spectrum that is zero but for the given bins.
    static double PeakOf(std::initializer_list<std::pair<int, double>> bins, double* peak = nullptr) {
        YArray<double> spectrum;
        spectrum.SetSize(2049);
        spectrum.Fill(0.0);
        for (const auto& bin : bins) spectrum[bin.first] = bin.second;
        double magnitude = -1;
        const double frequency = TunerAnalysis::PeakFrequency(spectrum, Rate, magnitude);
        if (peak) *peak = magnitude;
        return frequency;
    }

    TunerAnalysis analysis;
};

TEST_F(BlockAnalysis, OnlyAFullBlockIsAnalysed) {
    YByteBuffer buffer = PcmSamples(Sine(440, 8000));
    for (unsigned bytes : {8190u, 0u, 16384u}) EXPECT_FALSE(analysis.AnalyzeBlock(buffer, bytes, Rate, 7)) << bytes;
    // A count of 8192 bytes in a buffer that is shorter must not read past its end.
    EXPECT_FALSE(analysis.AnalyzeBlock(PcmSamples(Sine(440, 8000, 2000)), 8192, Rate, 7));
    EXPECT_EQ(-1, inputLevel);
    EXPECT_EQ(-1, signalLevel);
    EXPECT_EQ(-1, rawFrequency);
    EXPECT_EQ(-1, measuredFrequency);
    EXPECT_EQ(-1, cpuLoad);
    EXPECT_EQ(4097, analysis.Spectrum.Count());
}

TEST_F(BlockAnalysis, SilenceStillPublishesTheHighestBin) {
    EXPECT_TRUE(analysis.AnalyzeBlock(PcmSamples(std::vector<int>(4096, 0)), 8192, Rate, 3));
    EXPECT_EQ(0, inputLevel);
    EXPECT_EQ(0, signalLevel);
    EXPECT_EQ(2753.558349609375, rawFrequency);
    EXPECT_EQ(2753.558349609375, measuredFrequency);
    EXPECT_EQ(3, cpuLoad);
}

TEST_F(BlockAnalysis, ToneIsMeasuredAndCalibrated) {
    calibrationRate = 1.01;
    EXPECT_TRUE(analysis.AnalyzeBlock(PcmSamples(Sine(440, 10000)), 8192, Rate, 12));
    // Mean of |sin| is 2/pi; the peak bin holds about half the amplitude, spread over two bins.
    EXPECT_NEAR(10000 * 2 / Pi, inputLevel, 2);
    EXPECT_GT(signalLevel, 2500);
    EXPECT_LT(signalLevel, 5000);
    EXPECT_NEAR(440, rawFrequency, Bin / 2);
    EXPECT_DOUBLE_EQ(rawFrequency * 1.01, measuredFrequency);
}

TEST_F(BlockAnalysis, LevelsAreTruncated) {
    std::vector<int> extremes(4096);
    for (int n = 0; n < 4096; ++n) extremes[n] = n % 2 == 0 ? -32768 : 32767;
    analysis.AnalyzeBlock(PcmSamples(extremes), 8192, Rate, 0);
    EXPECT_EQ(32767, inputLevel);  // (32768 + 32767) / 2 per pair, truncated
    analysis.AnalyzeBlock(PcmSamples(std::vector<int>(4096, -32768)), 8192, Rate, 0);
    EXPECT_EQ(32768, inputLevel);
    // A peak of 1000.5 on bin 100.
    analysis.AnalyzeBlock(PcmSamples(Sine(100 * Bin, 2001)), 8192, Rate, 0);
    EXPECT_EQ(1000, signalLevel);
}

TEST_F(BlockAnalysis, ThePeakIsInterpolatedTowardsTheLargerNeighbour) {
    double peak = 0;
    EXPECT_EQ(300 * Rate / 4096.0, PeakOf({{300, 1234.9}}, &peak));
    EXPECT_EQ(1234.9, peak);
    EXPECT_NEAR(269.97253, PeakOf({{99, 0.2}, {100, 1.0}, {101, 0.6}}), 1e-5);
    EXPECT_NEAR(268.35754, PeakOf({{99, 0.6}, {100, 1.0}, {101, 0.2}}), 1e-5);
    // Equal neighbours move the estimate upwards.
    EXPECT_DOUBLE_EQ((100 + 0.25) * Bin, PeakOf({{99, 0.5}, {100, 1.0}, {101, 0.5}}));
}

TEST_F(BlockAnalysis, EqualMaximaKeepTheHigherBinAndMeetHalfway) {
    EXPECT_DOUBLE_EQ(200.5 * Bin, PeakOf({{200, 3.0}, {201, 3.0}}));
    EXPECT_DOUBLE_EQ(700 * Bin, PeakOf({{10, 2.0}, {700, 2.0}}));
}

TEST_F(BlockAnalysis, SearchRangeEndsAtBins5And1023AndTheirOuterNeighboursCount) {
    EXPECT_DOUBLE_EQ((5 - 0.45) * Bin, PeakOf({{4, 0.9}, {5, 1.0}}));
    EXPECT_DOUBLE_EQ((1023 + 0.15) * Bin, PeakOf({{1023, 1.0}, {1024, 0.3}}));
    // Lines outside the range are not found as such.
    EXPECT_DOUBLE_EQ(1023.05 * Bin, PeakOf({{4, 50.0}, {1023, 1.0}, {1024, 0.1}, {1500, 50.0}}));
    // A spectrum without the highest bin's right neighbour is refused, not read past its end.
    YArray<double> tooShort;
    tooShort.SetSize(1024);
    tooShort.Fill(1.0);
    double peak = 0;
    EXPECT_YTHROW(TunerAnalysis::PeakFrequency(tooShort, Rate, peak), YSystemException::KindOutOfRange, 113, "hpp/YArray");
}

}  // namespace
