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

// Block 0 of a stage: the even bins from the real parts, the odd ones from the imaginary parts.
inline void SplitBlockZero(const Pair* __restrict src, Pair* __restrict dst, int h, int q) {
    for (int j = 0; j < h; ++j) {
        const Pair a = src[j], c = src[h + j];
        dst[j] = Pair{a[0], a[0]} + Pair{c[0], c[0]} * NegateIm;
        dst[q * h + j] = Pair{a[1], c[1]} * NegateIm;
    }
}

// One block b of a stage: p = in[j], t = in[h + j] * w; upper[j] = p + t, mirrored[j] = conj(p - t).
inline void Butterflies(const Pair* __restrict in, Pair* __restrict upper, Pair* __restrict mirrored, const YfftComplex& w, int h) {
    const Pair wRe = {w.re, w.re};
    const Pair wIm = {-w.im, w.im};
    for (int j = 0; j < h; ++j) {
        const Pair p = in[j], s = in[h + j];
        // (s.re * w.re - s.im * w.im, s.im * w.re + s.re * w.im)
        const Pair t = s * wRe + __builtin_shufflevector(s, s, 1, 0) * wIm;
        upper[j] = p + t;
        mirrored[j] = (p - t) * NegateIm;
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
    // results are bit for bit those of the plain complex arithmetic, only in half the instructions.
    const int half = size / 2;
    Pair* src = reinterpret_cast<Pair*>(work);
    Pair* dst = reinterpret_cast<Pair*>(other);
    for (int g = half; g > 1; g /= 2) {
        const int h = g / 2;
        const int q = size / (2 * g);
        SplitBlockZero(src, dst, h, q);
        // The last stage has blocks of one value: there the loop over the blocks is the inner one.
        if (h == 1) {
            for (int b = 1; b < q; ++b) Butterflies(src + 2 * b, dst + b, dst + half - b, twiddles[b - 1], 1);
        } else {
            for (int b = 1; b < q; ++b)
                Butterflies(src + 2 * b * h, dst + b * h, dst + half - b * h, twiddles[b * h - 1], h);
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
