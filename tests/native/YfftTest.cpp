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

std::vector<double> SpectrumOf(Yfft& fft, const std::vector<int>& values) {
    fft.Load(PcmSamples(values), Yfft::FormatPcm16);
    fft.Transform();
    YArray<double> out;
    fft.GetSpectrum(out);
    return std::vector<double>(out.Data(), out.Data() + out.Count());
}

void ExpectComplexes(const YfftComplex* actual, const std::vector<YfftComplex>& expected, double tolerance) {
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(expected[i].re, actual[i].re, tolerance) << "entry " << i;
        EXPECT_NEAR(expected[i].im, actual[i].im, tolerance) << "entry " << i;
    }
}

// Entry `k` of the spectrum holds `value` and every other entry is (near) zero.
void ExpectSingleLine(const std::vector<double>& spectrum, int k, double value, double tolerance) {
    for (int i = 0; i < static_cast<int>(spectrum.size()); ++i)
        EXPECT_NEAR(i == k ? value : 0.0, spectrum[i], tolerance) << "entry " << i;
}

TEST(Yfft, WorkedExampleOfEightPoints) {
    Yfft fft;
    fft.Init(3);
    ASSERT_TRUE(fft.IsReady());
    EXPECT_NEAR(0.70711, fft.Twiddles()[0].re, 1e-5);
    EXPECT_NEAR(-0.70711, fft.Twiddles()[0].im, 1e-5);

    fft.Load(PcmSamples({1, 2, 3, 4, 5, 6, 7, 8}), Yfft::FormatPcm16);
    ExpectComplexes(fft.Work(), {{6, -4}, {8, -4}, {10, -4}, {12, -4}}, 0);

    // Stage 1 writes `other`, stage 2 writes `work` again, where the result stays for odd m.
    fft.Transform();
    ExpectComplexes(fft.Other(), {{16, -4}, {20, -4}, {-4, 4}, {-4, 4}}, 0);
    ExpectComplexes(fft.Work(), {{36, -4}, {-4, 9.65685}, {-4, 4}, {-4, 1.65685}}, 1e-5);
    EXPECT_EQ(fft.Work(), fft.Result());

    YArray<double> out;
    fft.GetSpectrum(out);
    ASSERT_EQ(5, out.Count());
    const double expected[] = {4.5, 1.30656, 0.70711, 0.54120, -0.5};
    for (int k = 0; k < 5; ++k) EXPECT_NEAR(expected[k], out[k], 1e-5) << "entry " << k;
}

TEST(Yfft, FourPointsNeedOneStageNoTwiddlesAndLeaveTheResultInOther) {
    Yfft fft;
    fft.Init(2);
    ASSERT_TRUE(fft.IsReady());
    EXPECT_EQ(fft.Other(), fft.Result());
    // x = 1, 2, 3, 5: X[0] = 11, X[1] = -2 + 3i, X[2] = -3.
    fft.Load(PcmSamples({1, 2, 3, 5}), Yfft::FormatPcm16);
    fft.Transform();
    ExpectComplexes(fft.Other(), {{11, -3}, {-2, 3}}, 0);
    YArray<double> out;
    fft.GetSpectrum(out);
    ASSERT_EQ(3, out.Count());
    EXPECT_DOUBLE_EQ(11.0 / 4, out[0]);
    EXPECT_DOUBLE_EQ(std::sqrt(13.0) / 4, out[1]);
    EXPECT_DOUBLE_EQ(-3.0 / 4, out[2]);
}

TEST(Yfft, ConstantBlockGivesItsValueAtZeroOnly) {
    Yfft fft;
    fft.Init(12);
    ExpectSingleLine(SpectrumOf(fft, std::vector<int>(4096, -1234)), 0, -1234.0, 1e-9);
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

TEST(Yfft, AlternatingBlockGivesTheLastEntryWithItsSign) {
    Yfft fft;
    fft.Init(12);
    std::vector<int> alternating(4096);
    for (int i = 0; i < 4096; ++i) alternating[i] = i % 2 == 0 ? 300 : -300;
    ExpectSingleLine(SpectrumOf(fft, alternating), 2048, 300.0, 1e-9);
    for (int& value : alternating) value = -value;
    ExpectSingleLine(SpectrumOf(fft, alternating), 2048, -300.0, 1e-9);
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
            const YfftComplex w = fft.Twiddles()[b * h - 1];
            for (int j = 0; j < h; ++j) {
                YfftComplex p = src[2 * b * h + j];
                YfftComplex t = src[2 * b * h + h + j] * w;
                dst[b * h + j] = p + t;
                YfftComplex mirrored = p - t;
                mirrored.Conjugate();
                dst[half - b * h + j] = mirrored;
            }
        }
        for (int j = 0; j < h; ++j) dst[q * h + j].Set(src[j].im, -src[h + j].im);
        src.swap(dst);
    }
    return src;
}

TEST(Yfft, ResultsAreExactlyThoseOfTheStagesAsDefinedAndMatchTheDft) {
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> sample(-32768, 32767);
    for (int m : {2, 3, 6, 11, 12}) {
        SCOPED_TRACE(m);
        Yfft fft;
        fft.Init(m);
        const int n = fft.Size();
        std::vector<int> x(n);
        for (int& value : x) value = sample(random);
        fft.Load(PcmSamples(x), Yfft::FormatPcm16);
        fft.Transform();
        const std::vector<YfftComplex> expected = ReferenceTransform(fft, x);
        ASSERT_EQ(0, std::memcmp(expected.data(), fft.Result(), expected.size() * sizeof(YfftComplex)));

        // And the result is the DFT: R[0] = (X[0], X[N/2]), R[k] = X[k].
        for (int k : {0, 1, n / 4 - 1, n / 2 - 1}) {
            double re = 0, im = 0, nyquist = 0;
            for (int i = 0; i < n; ++i) {
                re += x[i] * std::cos(2 * Pi * k * i / n);
                im -= x[i] * std::sin(2 * Pi * k * i / n);
                nyquist += i % 2 == 0 ? x[i] : -x[i];
            }
            const double tolerance = 1e-9 * n * 32768;
            EXPECT_NEAR(re, fft.Result()[k].re, tolerance) << "bin " << k;
            EXPECT_NEAR(k == 0 ? nyquist : im, fft.Result()[k].im, tolerance) << "bin " << k;
        }
    }
}

TEST(Yfft, TwiddlesCoverTheAnglesStrictlyBetweenZeroAndAQuarterTurn) {
    Yfft fft;
    fft.Init(12);
    for (int j = 0; j < 1023; ++j) {
        const double angle = 2 * Pi * (j + 1) / 4096;
        EXPECT_NEAR(std::cos(angle), fft.Twiddles()[j].re, 1e-13) << j;
        EXPECT_NEAR(-std::sin(angle), fft.Twiddles()[j].im, 1e-13) << j;
    }
}

TEST(Yfft, ASecondSpectrumScalesTheMiddleEntriesOnceMore) {
    Yfft fft;
    fft.Init(3);
    fft.Load(PcmSamples({1, 2, 3, 4, 5, 6, 7, 8}), Yfft::FormatPcm16);
    fft.Transform();
    YArray<double> first, second;
    fft.GetSpectrum(first);
    fft.GetSpectrum(second);
    EXPECT_EQ(first[0], second[0]);
    EXPECT_EQ(first[4], second[4]);
    for (int k = 1; k < 4; ++k) EXPECT_DOUBLE_EQ(first[k] / 8, second[k]) << k;
}

TEST(Yfft, GetSpectrumReallocatesOnlyWhenTheSizeDiffers) {
    Yfft fft;
    fft.Init(3);
    fft.Load(PcmSamples({1, 2, 3, 4, 5, 6, 7, 8}), Yfft::FormatPcm16);
    fft.Transform();
    YArray<double> out;
    out.SetSize(5);
    FailingMemory noMemory;
    fft.GetSpectrum(out);
    EXPECT_EQ(0, noMemory.Refused());
    EXPECT_DOUBLE_EQ(4.5, out[0]);
}

TEST(Yfft, AnotherFormatLoadsNothing) {
    Yfft fft;
    fft.Init(3);
    fft.Load(PcmSamples({1, 2, 3, 4, 5, 6, 7, 8}), Yfft::FormatPcm16);
    fft.Load(PcmSamples({9, 9, 9, 9, 9, 9, 9, 9}), 2);
    fft.Load(YByteBuffer(), 0);
    ExpectComplexes(fft.Work(), {{6, -4}, {8, -4}, {10, -4}, {12, -4}}, 0);
}

TEST(Yfft, LoadNeedsInitAndAFullBlock) {
    Yfft fft;
    EXPECT_FALSE(fft.IsReady());
    EXPECT_YTHROW(fft.Load(PcmSamples({1, 2, 3, 4}), Yfft::FormatPcm16), YSystemException::KindUnknown, 107, Source);
    fft.Init(3);
    EXPECT_YTHROW(fft.Load(PcmSamples({1, 2, 3, 4, 5, 6, 7}), Yfft::FormatPcm16), YSystemException::KindOutOfRange, 110, Source);
    fft.Release();
    EXPECT_FALSE(fft.IsReady());
    EXPECT_EQ(nullptr, fft.Work());
    EXPECT_YTHROW(fft.Load(PcmSamples({1, 2, 3, 4, 5, 6, 7, 8}), Yfft::FormatPcm16), YSystemException::KindUnknown, 107, Source);
}

TEST(Yfft, InitRefusesSizesWithoutATransform) {
    Yfft fft;
    EXPECT_YTHROW(fft.Init(0), YSystemException::KindUnknown, 29, Source);
    EXPECT_YTHROW(fft.Init(-3), YSystemException::KindUnknown, 29, Source);
    // 2^31 points do not fit the sizes.
    EXPECT_YTHROW(fft.Init(31), YSystemException::KindUnknown, 29, Source);
    // Two points leave room for a twiddle table of -1 entries.
    EXPECT_YTHROW(fft.Init(1), YSystemException::KindNoMemory, 46, Source);
    EXPECT_FALSE(fft.IsReady());
    EXPECT_EQ(0, fft.Size());
    EXPECT_EQ(nullptr, fft.Work());
}

TEST(Yfft, EachFailedAllocationNamesItsTableAndLeavesNoTables) {
    const int lines[] = {38, 42, 46};
    for (int successes = 0; successes < 3; ++successes) {
        Yfft fft;
        {
            FailingMemory noMemory(successes);
            EXPECT_YTHROW(fft.Init(12), YSystemException::KindNoMemory, lines[successes], Source);
        }
        EXPECT_FALSE(fft.IsReady());
        EXPECT_EQ(0, fft.Log2Size());
        EXPECT_EQ(nullptr, fft.Work());
        EXPECT_EQ(nullptr, fft.Other());
    }
}

TEST(Yfft, ASecondInitReplacesTheTables) {
    Yfft fft;
    fft.Init(12);
    fft.Init(3);
    EXPECT_EQ(3, fft.Log2Size());
    EXPECT_EQ(8, fft.Size());
    std::vector<double> spectrum = SpectrumOf(fft, {1, 2, 3, 4, 5, 6, 7, 8});
    ASSERT_EQ(5u, spectrum.size());
    EXPECT_NEAR(1.30656, spectrum[1], 1e-5);
}

}  // namespace
