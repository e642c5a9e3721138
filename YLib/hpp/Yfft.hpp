#pragma once

#include <cmath>

#include "YArray.hpp"

class YByteBuffer;

// A complex number of the transform: the real part first, then the imaginary part.
struct YfftComplex {
    double re = 0.0;
    double im = 0.0;

    YfftComplex() = default;
    YfftComplex(double real, double imaginary) : re(real), im(imaginary) {}

    void Set(double real, double imaginary) {
        re = real;
        im = imaginary;
    }

    YfftComplex operator+(const YfftComplex& other) const { return {re + other.re, im + other.im}; }
    YfftComplex operator-(const YfftComplex& other) const { return {re - other.re, im - other.im}; }
    YfftComplex operator*(const YfftComplex& other) const {
        return {re * other.re - im * other.im, re * other.im + im * other.re};
    }

    void Conjugate() { im = -im; }
    void Scale(double factor) {
        re *= factor;
        im *= factor;
    }
    double Magnitude() const { return std::sqrt(re * re + im * im); }
};

// The discrete Fourier transform of N = 2^m real 16-bit samples, and its magnitude spectrum scaled
// by 1/N. The samples are folded into N/2 complex values and the stages run between two buffers
// that are exchanged after every stage, so the result comes out in natural order without a
// bit-reversal pass. All twiddle factors come from one table made by Init.
class Yfft {
public:
    static constexpr const char* SourceFile = "Cpp/Yfft";
    static constexpr int LineInitSize = 29;
    static constexpr int LineNoMemoryWork = 38;
    static constexpr int LineNoMemoryOther = 42;
    static constexpr int LineNoMemoryTwiddles = 46;
    static constexpr int LineLoadNotReady = 107;
    static constexpr int LineLoadShortBuffer = 110;

    // The sample formats that Load understands.
    static constexpr int FormatPcm16 = 1;  // signed 16-bit little-endian, one channel

    // The largest transform: N/2 complex values must stay addressable by an int.
    static constexpr int MaxLog2Size = 30;

    Yfft() = default;
    Yfft(const Yfft&) = delete;
    Yfft& operator=(const Yfft&) = delete;
    virtual ~Yfft();

    // Prepares an N = 2^log2Size point transform; tables of an earlier call are released first.
    // log2Size must lie in 1 .. MaxLog2Size (kind 1). A failed allocation (kind 2) leaves the
    // object without tables. N = 2 has no room for a twiddle table and always fails that way.
    virtual void Init(int log2Size);

    bool IsReady() const;

    // Folds the first N samples of the buffer into the work buffer. Formats other than
    // FormatPcm16 load nothing. Throws kind 1 before Init and kind 5 when the buffer holds fewer
    // than N samples.
    void Load(const YByteBuffer& samples, int format);

    // Runs the m - 1 stages on what Load folded. Needs Init; checks nothing.
    void Transform();

    // Sizes `out` to N/2 + 1 entries: the signed values X[0]/N and X[N/2]/N at the ends and |X[k]|/N
    // between them. The result buffer is scaled by 1/N in place, so a second call without a new
    // Transform scales the middle entries once more.
    void GetSpectrum(YArray<double>& out);

    void Release();

    int Log2Size() const { return log2Size; }
    int Size() const { return size; }

    // The folded input and the second stage buffer (N/2 values each), and the N/4 - 1 twiddle
    // factors e^(-i*theta) for the angles strictly between 0 and pi/2.
    const YfftComplex* Work() const { return work; }
    const YfftComplex* Other() const { return other; }
    const YfftComplex* Twiddles() const { return twiddles; }
    // Where Transform leaves R: `work` when m is odd, `other` when m is even. The other buffer is
    // left with intermediate values (for m = 3, the first stage's output).
    YfftComplex* Result() const { return log2Size % 2 == 1 ? work : other; }

private:
    [[noreturn]] static void Fail(int kind, int line);
    static YfftComplex* AllocateTable(long long entries, int line);
    void FillTwiddles();

    int log2Size = 0;
    int size = 0;
    YfftComplex* work = nullptr;
    YfftComplex* other = nullptr;
    YfftComplex* twiddles = nullptr;
};
