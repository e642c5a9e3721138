#include "PrecisePitch.hpp"

#include <cmath>
#include <complex>

namespace {

using Complex = std::complex<double>;
constexpr double Pi = 3.14159265358979323846;

// The part of Quinn's second estimator that corrects the mean of the two one-sided estimates.
double Tau(double x) {
    const double root = std::sqrt(2.0 / 3.0);
    return 0.25 * std::log(3 * x * x + 6 * x + 1) - std::sqrt(6.0) / 24 * std::log((x + 1 - root) / (x + 1 + root));
}

// The offset of the frequency from the middle bin, in bins.
double QuinnOffset(const Complex (&bins)[3]) {
    const double power = std::norm(bins[1]);
    const double right = (bins[2] * std::conj(bins[1])).real() / power;
    const double left = (bins[0] * std::conj(bins[1])).real() / power;
    const double fromRight = -right / (1 - right);
    const double fromLeft = left / (1 - left);
    return (fromRight + fromLeft) / 2 + Tau(fromRight * fromRight) - Tau(fromLeft * fromLeft);
}

// What a complex tone e^(i 2 pi f n / N) of unit amplitude gives in bin m of the N-point
// transform scaled by 1/N, with v = m - f in bins.
Complex Kernel(double v, int length) {
    if (std::fabs(v) < 1e-12) return 1.0;
    return std::polar(std::sin(Pi * v) / (length * std::sin(Pi * v / length)), -Pi * v * (length - 1) / length);
}

// Takes the mirror image at -f out of the three bins around `peak`: the tone's complex amplitude c
// is fitted to X[m] = c K(m - f) + conj(c) K(m + f) by least squares, and conj(c) K(m + f) is
// removed. False when the fit is singular.
bool WithoutMirror(Complex (&bins)[3], int peak, double f, int length) {
    double a00 = 0, a01 = 0, a11 = 0, b0 = 0, b1 = 0;
    Complex real[3], imaginary[3];
    for (int j = 0; j < 3; ++j) {
        const Complex direct = Kernel(peak - 1 + j - f, length), mirror = Kernel(peak - 1 + j + f, length);
        real[j] = direct + mirror;
        imaginary[j] = Complex(0, 1) * (direct - mirror);
        a00 += std::norm(real[j]);
        a01 += (std::conj(real[j]) * imaginary[j]).real();
        a11 += std::norm(imaginary[j]);
        b0 += (std::conj(real[j]) * bins[j]).real();
        b1 += (std::conj(imaginary[j]) * bins[j]).real();
    }
    const double determinant = a00 * a11 - a01 * a01;
    if (!(std::fabs(determinant) > 0)) return false;
    const Complex amplitude((b0 * a11 - a01 * b1) / determinant, (a00 * b1 - a01 * b0) / determinant);
    for (int j = 0; j < 3; ++j) bins[j] -= std::conj(amplitude) * Kernel(peak - 1 + j + f, length);
    return true;
}

bool WithinABin(double offset) { return std::isfinite(offset) && std::fabs(offset) <= 1.0; }

}  // namespace

bool PrecisePitch::Frequency(const YfftComplex (&values)[3], int peak, int blockLength, double sampleRate, double& frequency) {
    Complex bins[3];
    for (int j = 0; j < 3; ++j) bins[j] = Complex(values[j].re, values[j].im);
    if (!(std::norm(bins[1]) > 0)) return false;
    double offset = QuinnOffset(bins);
    if (!WithinABin(offset)) return false;
    // One pass takes the mirror's leakage out to well below a hundredth of a cent.
    if (WithoutMirror(bins, peak, peak + offset, blockLength) && std::norm(bins[1]) > 0) {
        const double corrected = QuinnOffset(bins);
        if (WithinABin(corrected)) offset = corrected;
    }
    frequency = (peak + offset) * sampleRate / blockLength;
    return true;
}
