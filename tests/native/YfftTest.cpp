#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "ExpectException.hpp"
#include "FailingMemory.hpp"
#include "PcmSamples.hpp"
#include "YByteBuffer.hpp"
#include "Yfft.hpp"

namespace {

constexpr const char* Source = "Cpp/Yfft";
constexpr double Pi = 3.141592653589793;
const std::vector<int> OneToEight = {1, 2, 3, 4, 5, 6, 7, 8};

std::vector<double> Values(const YArray<double>& array) {
    return std::vector<double>(array.Data(), array.Data() + array.Count());
}

std::vector<double> SpectrumOf(Yfft& fft, const std::vector<int>& values) {
    fft.Load(PcmSamples(values), Yfft::FormatPcm16);
    fft.Transform();
    YArray<double> out;
    fft.GetSpectrum(out);
    return Values(out);
}

void ExpectValues(const std::vector<double>& expected, const std::vector<double>& actual, double tolerance) {
    ASSERT_EQ(expected.size(), actual.size());
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR(expected[i], actual[i], tolerance) << "entry " << i;
}

void ExpectComplexes(const std::vector<YfftComplex>& expected, const YfftComplex* actual, double tolerance) {
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(expected[i].re, actual[i].re, tolerance) << "entry " << i;
        EXPECT_NEAR(expected[i].im, actual[i].im, tolerance) << "entry " << i;
    }
}

// Entry `k` of the spectrum holds `value` and every other entry is (near) zero.
void ExpectSingleLine(const std::vector<double>& spectrum, int k, double value, double tolerance) {
    std::vector<double> expected(spectrum.size(), 0.0);
    expected[k] = value;
    ExpectValues(expected, spectrum, tolerance);
}

TEST(Yfft, WorkedExampleOfEightPoints) {
    Yfft fft;
    fft.Init(3);
    EXPECT_NEAR(0.70711, fft.Twiddles()[0].re, 1e-5);
    EXPECT_NEAR(-0.70711, fft.Twiddles()[0].im, 1e-5);

    fft.Load(PcmSamples(OneToEight), Yfft::FormatPcm16);
    // Other formats load nothing, and so read nothing.
    fft.Load(PcmSamples({9, 9, 9, 9, 9, 9, 9, 9}), 2);
    fft.Load(YByteBuffer(), 0);
    ExpectComplexes({{6, -4}, {8, -4}, {10, -4}, {12, -4}}, fft.Work(), 0);

    // Stage 1 writes `other`, stage 2 writes `work` again, where the result stays for odd m.
    fft.Transform();
    ExpectComplexes({{16, -4}, {20, -4}, {-4, 4}, {-4, 4}}, fft.Other(), 0);
    ExpectComplexes({{36, -4}, {-4, 9.65685}, {-4, 4}, {-4, 1.65685}}, fft.Work(), 1e-5);

    YArray<double> first, second;
    fft.GetSpectrum(first);
    ExpectValues({4.5, 1.30656, 0.70711, 0.54120, -0.5}, Values(first), 1e-5);

    // The first call scaled the result in place: a second one divides the middle entries by N once
    // more. An array of the right size is not allocated again.
    second.SetSize(5);
    FailingMemory noMemory;
    fft.GetSpectrum(second);
    EXPECT_EQ(first[0], second[0]);
    EXPECT_EQ(first[4], second[4]);
    for (int k = 1; k < 4; ++k) EXPECT_DOUBLE_EQ(first[k] / 8, second[k]) << k;
}

TEST(Yfft, FourPointsNeedOneStageNoTwiddlesAndLeaveTheResultInOther) {
    Yfft fft;
    fft.Init(2);
    // x = 1, 2, 3, 5: X[0] = 11, X[1] = -2 + 3i, X[2] = -3.
    fft.Load(PcmSamples({1, 2, 3, 5}), Yfft::FormatPcm16);
    fft.Transform();
    ExpectComplexes({{11, -3}, {-2, 3}}, fft.Other(), 0);
}

TEST(Yfft, ConstantAndAlternatingBlocksGiveTheEndEntriesWithTheirSign) {
    Yfft fft;
    fft.Init(12);
    ExpectSingleLine(SpectrumOf(fft, std::vector<int>(4096, -1234)), 0, -1234.0, 1e-9);
    std::vector<int> alternating(4096);
    for (int i = 0; i < 4096; ++i) alternating[i] = i % 2 == 0 ? 300 : -300;
    ExpectSingleLine(SpectrumOf(fft, alternating), 2048, 300.0, 1e-9);
    for (int& value : alternating) value = -value;
    ExpectSingleLine(SpectrumOf(fft, alternating), 2048, -300.0, 1e-9);
}

TEST(Yfft, CosineAndSineOnABinGiveHalfTheirAmplitudeThere) {
    const int n = 4096;
    const double amplitude = 16000;
    Yfft fft;
    fft.Init(12);
    for (int k : {1, 5, 100, 1023, 2047}) {
        std::vector<int> cosine(n), sine(n);
        for (int i = 0; i < n; ++i) {
            cosine[i] = static_cast<int>(std::lround(amplitude * std::cos(2 * Pi * k * i / n)));
            sine[i] = static_cast<int>(std::lround(amplitude * std::sin(2 * Pi * k * i / n)));
        }
        // Rounding the samples to integers leaves a little noise in every bin.
        SCOPED_TRACE(k);
        ExpectSingleLine(SpectrumOf(fft, cosine), k, amplitude / 2, 0.05);
        ExpectSingleLine(SpectrumOf(fft, sine), k, amplitude / 2, 0.05);
    }
}

// The stages exactly as the transform is defined, on plain YfftComplex arithmetic and the object's
// own twiddle table: however the transform is tuned for speed, its results must stay identical.
std::vector<YfftComplex> ReferenceTransform(const Yfft& fft, const std::vector<int>& x) {
    const int n = fft.Size(), half = n / 2;
    std::vector<YfftComplex> src(half), dst(half);
    for (int k = 0; k < half; ++k) src[k].Set(static_cast<double>(x[k]) + x[k + half], static_cast<double>(x[k]) - x[k + half]);
    for (int g = half; g > 1; g /= 2) {
        const int h = g / 2, q = n / (2 * g);
        for (int j = 0; j < h; ++j) dst[j].Set(src[j].re + src[h + j].re, src[j].re - src[h + j].re);
        for (int b = 1; b < q; ++b) {
            for (int j = 0; j < h; ++j) {
                const YfftComplex p = src[2 * b * h + j], t = src[2 * b * h + h + j] * fft.Twiddles()[b * h - 1];
                dst[b * h + j] = p + t;
                dst[half - b * h + j] = p - t;
                dst[half - b * h + j].Conjugate();
            }
        }
        for (int j = 0; j < h; ++j) dst[q * h + j].Set(src[j].im, -src[h + j].im);
        src.swap(dst);
    }
    return src;
}

TEST(Yfft, ResultsAreExactlyThoseOfTheStagesAsDefined) {
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> sample(-32768, 32767);
    for (int m : {2, 3, 6, 11, 12}) {
        SCOPED_TRACE(m);
        Yfft fft;
        fft.Init(m);
        std::vector<int> x(fft.Size());
        for (int& value : x) value = sample(random);
        fft.Load(PcmSamples(x), Yfft::FormatPcm16);
        fft.Transform();
        const std::vector<YfftComplex> expected = ReferenceTransform(fft, x);
        const YfftComplex* result = m % 2 == 1 ? fft.Work() : fft.Other();
        EXPECT_EQ(0, std::memcmp(expected.data(), result, expected.size() * sizeof(YfftComplex)));
    }
}

TEST(Yfft, LoadNeedsInitAndAFullBlock) {
    Yfft fft;
    EXPECT_YTHROW(fft.Load(PcmSamples({1, 2, 3, 4}), Yfft::FormatPcm16), YSystemException::KindUnknown, 107, Source);
    fft.Init(3);
    EXPECT_YTHROW(fft.Load(PcmSamples({1, 2, 3, 4, 5, 6, 7}), Yfft::FormatPcm16), YSystemException::KindOutOfRange, 110, Source);
    fft.Release();
    EXPECT_YTHROW(fft.Load(PcmSamples(OneToEight), Yfft::FormatPcm16), YSystemException::KindUnknown, 107, Source);
}

TEST(Yfft, FailedInitsNameTheirLineAndLeaveNoTables) {
    Yfft fft;
    EXPECT_YTHROW(fft.Init(0), YSystemException::KindUnknown, 29, Source);
    // 2^31 points do not fit the sizes.
    EXPECT_YTHROW(fft.Init(31), YSystemException::KindUnknown, 29, Source);
    // Two points leave room for a twiddle table of -1 entries.
    EXPECT_YTHROW(fft.Init(1), YSystemException::KindNoMemory, 46, Source);
    EXPECT_FALSE(fft.IsReady());
    const int lines[] = {38, 42, 46};
    for (int successes = 0; successes < 3; ++successes) {
        FailingMemory noMemory(successes);
        EXPECT_YTHROW(fft.Init(12), YSystemException::KindNoMemory, lines[successes], Source);
        EXPECT_FALSE(fft.IsReady());
        EXPECT_EQ(nullptr, fft.Work());
    }
}

TEST(Yfft, ASecondInitReplacesTheTables) {
    Yfft fft;
    fft.Init(12);
    fft.Init(3);
    EXPECT_NEAR(1.30656, SpectrumOf(fft, OneToEight).at(1), 1e-5);
}

}  // namespace
