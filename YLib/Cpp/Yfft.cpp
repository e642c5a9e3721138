#include "Yfft.hpp"

#include <cstdint>
#include <new>
#include <utility>

#include "YByteBuffer.hpp"
#include "YMemory.hpp"
#include "YSystemException.hpp"

namespace {

// One complex value as a vector of its two parts. The tables come from the allocator with the
// alignment of a double only.
typedef double Pair __attribute__((vector_size(16), aligned(8), may_alias));
static_assert(sizeof(Pair) == sizeof(YfftComplex), "a vector holds one complex value");

// 2 pi as the twiddle angles are accumulated from it; the table depends on this exact value.
constexpr double TwoPi = 6.283185307179586;

int Sample(const unsigned char* bytes, int index) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(bytes[2 * index] | bytes[2 * index + 1] << 8));
}

const Pair NegateIm = {1.0, -1.0};

// A twiddle factor w prepared for Times: (w.re, w.re) and (-w.im, w.im).
struct Twiddle {
    explicit Twiddle(const YfftComplex& w) : re{w.re, w.re}, im{-w.im, w.im} {}
    Pair re, im;
};

// s * w = (s.re * w.re - s.im * w.im, s.im * w.re + s.re * w.im).
inline Pair Times(Pair s, const Twiddle& w) { return s * w.re + __builtin_shufflevector(s, s, 1, 0) * w.im; }

// Block 0 of a stage, from the pair a = src[j], c = src[h + j]: (a.re + c.re, a.re - c.re) goes to
// the first block, (a.im, -c.im) to block q.
inline Pair FromReal(Pair a, Pair c) { return Pair{a[0], a[0]} + Pair{c[0], c[0]} * NegateIm; }
inline Pair FromImaginary(Pair a, Pair c) { return Pair{a[1], c[1]} * NegateIm; }

// The butterfly of blocks 1 .. q - 1: p + t and conj(p - t) with t = s * w.
inline void Butterfly(Pair p, Pair s, const Twiddle& w, Pair& upper, Pair& mirrored) {
    const Pair t = Times(s, w);
    upper = p + t;
    mirrored = (p - t) * NegateIm;
}

// One stage (half block h, q blocks) from src to dst.
void Stage(const Pair* __restrict src, Pair* __restrict dst, const YfftComplex* twiddles, int half, int h, int q) {
    for (int j = 0; j < h; ++j) {
        dst[j] = FromReal(src[j], src[h + j]);
        dst[q * h + j] = FromImaginary(src[j], src[h + j]);
    }
    for (int b = 1; b < q; ++b) {
        const Twiddle w(twiddles[b * h - 1]);
        const Pair* in = src + 2 * b * h;
        Pair* upper = dst + b * h;
        Pair* mirrored = dst + half - b * h;
        for (int j = 0; j < h; ++j) Butterfly(in[j], in[h + j], w, upper[j], mirrored[j]);
    }
}

// Two stages in one pass, the first with half block h and q blocks, the second with h / 2 and 2q.
// Block b of the first stage yields exactly the values that blocks b and 2q - b of the second stage
// consume (block 0 those of blocks 0 and q), so the intermediate values stay in registers and never
// travel through memory. Each value is computed as in two separate stages.
void TwoStages(const Pair* __restrict src, Pair* __restrict dst, const YfftComplex* twiddles, int half, int h, int q) {
    const int h2 = h / 2;
    {
        const Twiddle wq(twiddles[q * h2 - 1]);
        for (int j = 0; j < h2; ++j) {
            const Pair a0 = src[j], c0 = src[h + j], a1 = src[h2 + j], c1 = src[h + h2 + j];
            const Pair first0 = FromReal(a0, c0), first1 = FromReal(a1, c1);
            const Pair middle0 = FromImaginary(a0, c0), middle1 = FromImaginary(a1, c1);
            dst[j] = FromReal(first0, first1);
            dst[q * h + j] = FromImaginary(first0, first1);
            Butterfly(middle0, middle1, wq, dst[q * h2 + j], dst[half - q * h2 + j]);
        }
    }
    for (int b = 1; b < q; ++b) {
        const Twiddle w(twiddles[b * h - 1]);
        const Twiddle wLow(twiddles[b * h2 - 1]);
        const Twiddle wHigh(twiddles[(2 * q - b) * h2 - 1]);
        const Pair* in = src + 2 * b * h;
        for (int j = 0; j < h2; ++j) {
            Pair upper0, mirrored0, upper1, mirrored1;
            Butterfly(in[j], in[h + j], w, upper0, mirrored0);
            Butterfly(in[h2 + j], in[h + h2 + j], w, upper1, mirrored1);
            Butterfly(upper0, upper1, wLow, dst[b * h2 + j], dst[half - b * h2 + j]);
            Butterfly(mirrored0, mirrored1, wHigh, dst[(2 * q - b) * h2 + j], dst[half - (2 * q - b) * h2 + j]);
        }
    }
}

}  // namespace

Yfft::~Yfft() { Release(); }

void Yfft::Fail(int kind, int line) { throw YSystemException(kind, line, SourceFile); }

YfftComplex* Yfft::AllocateTable(long long entries, int line) {
    if (entries < 0) Fail(YSystemException::KindNoMemory, line);
    // An empty table still gets a block of its own, so that a ready object never holds a null table.
    unsigned long long count = entries > 0 ? static_cast<unsigned long long>(entries) : 1;
    if (count > SIZE_MAX / sizeof(YfftComplex)) Fail(YSystemException::KindNoMemory, line);
    void* block = YMemory::Allocate(static_cast<std::size_t>(count) * sizeof(YfftComplex));
    if (!block) Fail(YSystemException::KindNoMemory, line);
    YfftComplex* table = static_cast<YfftComplex*>(block);
    for (unsigned long long i = 0; i < count; ++i) new (table + i) YfftComplex();
    return table;
}

void Yfft::Init(int newLog2Size) {
    if (newLog2Size < 1 || newLog2Size > MaxLog2Size) Fail(YSystemException::KindUnknown, LineInitSize);
    Release();
    try {
        long long points = 1LL << newLog2Size;
        work = AllocateTable(points / 2, LineNoMemoryWork);
        other = AllocateTable(points / 2, LineNoMemoryOther);
        twiddles = AllocateTable(points / 4 - 1, LineNoMemoryTwiddles);
    } catch (const YSystemException&) {
        Release();
        throw;
    }
    log2Size = newLog2Size;
    size = 1 << newLog2Size;
    FillTwiddles();
}

void Yfft::FillTwiddles() {
    const double step = TwoPi / size;
    double angle = step;
    for (int j = 0; j < size / 4 - 1; ++j) {
        twiddles[j].Set(std::cos(angle), -std::sin(angle));
        angle += step;
    }
}

bool Yfft::IsReady() const { return log2Size >= 1 && size >= 1 && work && other && twiddles; }

void Yfft::Load(const YByteBuffer& samples, int format) {
    if (!IsReady()) Fail(YSystemException::KindUnknown, LineLoadNotReady);
    if (format != FormatPcm16) return;
    if (samples.Size() / 2 < size) Fail(YSystemException::KindOutOfRange, LineLoadShortBuffer);
    const unsigned char* bytes = samples.Data();
    const int half = size / 2;
    for (int k = 0; k < half; ++k) {
        double first = Sample(bytes, k);
        double second = Sample(bytes, k + half);
        work[k].Set(first + second, first - second);
    }
}

void Yfft::Transform() {
    // Each complex value is handled as one two-lane vector (re, im). Every lane computes exactly the
    // sums and products of the scalar definition (a product with -1 is the exact negation), so the
    // results are bit for bit those of the plain complex arithmetic.
    //
    // Stages run in pairs where they can, which halves the passes over the buffers (for N = 4096
    // they no longer fit the processor's first-level cache). The number of pairs is kept even so
    // that the buffers are exchanged as often as with single stages and the result lies where the
    // single stages would leave it; the remaining single stages come first.
    const int half = size / 2;
    const int stages = log2Size - 1;
    const int pairedStages = 2 * ((stages / 2) & ~1);
    Pair* src = reinterpret_cast<Pair*>(work);
    Pair* dst = reinterpret_cast<Pair*>(other);
    int g = half;
    for (int stage = 0; stage < stages;) {
        const int h = g / 2;
        const int q = size / (2 * g);
        if (stage < stages - pairedStages) {
            Stage(src, dst, twiddles, half, h, q);
            g = h;
            ++stage;
        } else {
            TwoStages(src, dst, twiddles, half, h, q);
            g = h / 2;
            stage += 2;
        }
        std::swap(src, dst);
    }
}

void Yfft::GetSpectrum(YArray<double>& out) {
    const int half = size / 2;
    out.SetSize(half + 1);
    YfftComplex* result = Result();
    const double scale = 1.0 / size;
    double* values = out.Data();
    values[0] = result[0].re * scale;
    values[half] = result[0].im * scale;
    for (int k = 1; k < half; ++k) {
        result[k].Scale(scale);
        values[k] = result[k].Magnitude();
    }
}

void Yfft::Release() {
    log2Size = 0;
    size = 0;
    YfftComplex** tables[] = {&work, &other, &twiddles};
    for (YfftComplex** table : tables) {
        YMemory::Free(*table);
        *table = nullptr;
    }
}
