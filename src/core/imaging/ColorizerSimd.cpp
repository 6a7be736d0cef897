// AVX2 and FMA form of the colorizer transform: eight pixels at a time, the table look-ups scalar.
//
// Per pixel and output channel c: s = T[c][r](R) + T[c][g](G) + T[c][b](B) + 50, v = min(s / 100,
// 255); with saturation, L = (25 v0 + 55 v1 + 20 v2 + 50) / 100 and each v loses
// trunc(-(v - L) * saturation / 256), clamped to 0..255. Every quotient is the exact integer
// one; where float arithmetic computes it, the comment says why it cannot be off.
#include "imaging/ColorizerSimd.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define VELLUM_HAVE_AVX2_COLORIZER 1
#include <immintrin.h>
#endif

namespace vellum {

#ifdef VELLUM_HAVE_AVX2_COLORIZER

namespace {

#define VELLUM_AVX2 __attribute__((target("avx2,fma")))

constexpr int kTruncate = _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC;

// The channels are kept as whole numbers in float, where every step below is exact: the values
// stay far below 2^24, and each truncated product is checked to land on the right integer.

// (s + 50) / 100 for 0 <= s + 50 < 2^21: s * 0.01f + 0.505f (one rounding) lies within 0.002 of
// (s + 50.5) / 100, whose fraction is between 0.005 and 0.995, so truncating it gives the
// integer quotient.
VELLUM_AVX2 inline __m256 RoundedPercent(__m256i s) {
    __m256 x =
        _mm256_fmadd_ps(_mm256_cvtepi32_ps(s), _mm256_set1_ps(0.01f), _mm256_set1_ps(0.505f));
    return _mm256_round_ps(x, kTruncate);
}

// The three 21-bit lanes of eight packed sums held in two vectors. The sums are stored in the
// order 0 1 4 5 2 3 6 7, so that taking the low (or high) halves of the words of both vectors
// gives pixels 0 to 7 in order.
struct Lanes {
    __m256i red, green, blue;
};

// Word halves of two vectors: the low (0) or high (1) half of each word, x's two words of a
// 128-bit lane before y's.
template <int kHalf> VELLUM_AVX2 inline __m256i Halves(__m256i x, __m256i y) {
    constexpr int kOrder = kHalf ? _MM_SHUFFLE(3, 1, 3, 1) : _MM_SHUFFLE(2, 0, 2, 0);
    return _mm256_castps_si256(
        _mm256_shuffle_ps(_mm256_castsi256_ps(x), _mm256_castsi256_ps(y), kOrder));
}

VELLUM_AVX2 inline Lanes SplitLanes(__m256i a, __m256i b) {
    const __m256i mask = _mm256_set1_epi32((1 << 21) - 1);
    return {_mm256_and_si256(Halves<0>(a, b), mask),
            _mm256_and_si256(Halves<0>(_mm256_srli_epi64(a, 21), _mm256_srli_epi64(b, 21)), mask),
            _mm256_srli_epi32(Halves<1>(a, b), 42 - 32)};
}

// v - trunc((v - L) * b) with b = -saturation / 256, not yet clamped. v * b - L * b is exact
// (|v|, |L| <= 255 and |saturation| <= 2^16 leave the products and their difference inside the
// float mantissa), so truncating it is the integer step. Fused multiply-adds keep the work on
// the multiply pipes, next to the conversions and roundings.
VELLUM_AVX2 inline __m256 Saturate(__m256 v, __m256 luminanceTimesFactor, __m256 factor) {
    __m256 step = _mm256_round_ps(_mm256_fmsub_ps(v, factor, luminanceTimesFactor), kTruncate);
    return _mm256_fnmadd_ps(step, _mm256_set1_ps(1), v);
}

// (25 r + 55 g + 20 b + 50) / 100 as 0.25 r + 0.55 g + 0.2 b + 0.505, truncated: the rounding of
// the constants and the sums stays below 0.0001, and the exact value's fraction lies between
// 0.005 and 0.995 (checked for every r, g and b).
VELLUM_AVX2 inline __m256 Luminance(__m256 red, __m256 green, __m256 blue) {
    __m256 n = _mm256_fmadd_ps(blue, _mm256_set1_ps(0.2f), _mm256_set1_ps(0.505f));
    n = _mm256_fmadd_ps(green, _mm256_set1_ps(0.55f), n);
    n = _mm256_fmadd_ps(red, _mm256_set1_ps(0.25f), n);
    return _mm256_round_ps(n, kTruncate);
}

// Blue, green, red and alpha values (32 bits each) back into pixels. The saturating packs clamp
// every channel to 0..255; the byte shuffle interleaves the four channels of each pixel.
VELLUM_AVX2 inline __m256i PackPixels(__m256 b, __m256 g, __m256 r, __m256i a) {
    const __m256i interleave =
        _mm256_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15, 0, 4, 8, 12, 1, 5, 9,
                         13, 2, 6, 10, 14, 3, 7, 11, 15);
    __m256i bg = _mm256_packus_epi32(_mm256_cvttps_epi32(b), _mm256_cvttps_epi32(g));
    __m256i ra = _mm256_packus_epi32(_mm256_cvttps_epi32(r), a);
    return _mm256_shuffle_epi8(_mm256_packus_epi16(bg, ra), interleave);
}

// Eight pixels from their packed sums.
VELLUM_AVX2 inline void FinishEight(const std::uint64_t* sums, std::uint8_t* p, int saturation) {
    Lanes sum = SplitLanes(_mm256_load_si256(reinterpret_cast<const __m256i*>(sums)),
                           _mm256_load_si256(reinterpret_cast<const __m256i*>(sums + 4)));
    __m256 r = RoundedPercent(sum.red);
    __m256 g = RoundedPercent(sum.green);
    __m256 b = RoundedPercent(sum.blue);
    if (saturation != 0) {
        // The saturation step sees the mixed channels capped at 255.
        const __m256 top = _mm256_set1_ps(255);
        r = _mm256_min_ps(r, top);
        g = _mm256_min_ps(g, top);
        b = _mm256_min_ps(b, top);
        const __m256 factor = _mm256_set1_ps(float(-saturation) / 256);
        __m256 scaled = _mm256_mul_ps(Luminance(r, g, b), factor);
        r = Saturate(r, scaled, factor);
        g = Saturate(g, scaled, factor);
        b = Saturate(b, scaled, factor);
    }
    __m256i px = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    __m256i out = PackPixels(b, g, r, _mm256_srli_epi32(px, 24));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), out);
}

// The packed sum of one pixel (blue in the low byte, then green and red).
template <bool kRedGreen>
inline std::uint64_t PackedSum(const SimdColorTables& t, std::uint32_t v) {
    const std::uint64_t* blue = t.packed + 512;
    if constexpr (kRedGreen)
        return t.redGreen[v >> 8 & 0xFFFF] + blue[v & 0xFF];
    const std::uint64_t* green = t.packed + 256;
    return t.packed[v >> 16 & 0xFF] + green[v >> 8 & 0xFF] + blue[v & 0xFF];
}

// The sums of eight pixels, stored in the order the vector code reads them.
template <bool kRedGreen>
VELLUM_AVX2 inline void LookUpEight(const SimdColorTables& t, const std::uint8_t* p,
                                    std::uint64_t* sums) {
    constexpr int kSlot[8] = {0, 1, 4, 5, 2, 3, 6, 7};
    for (int j = 0; j < 8; ++j) {
        std::uint32_t v;
        std::memcpy(&v, p + 4 * j, 4);
        sums[kSlot[j]] = PackedSum<kRedGreen>(t, v);
    }
}

// The look-ups stay scalar: loads of packed words keep the load ports busier than gathers
// would, for less work. They run a few groups of eight ahead of the vector code, so that both
// kinds of work overlap and each group's sums have left the store buffer before they are read
// back as vectors.
template <bool kRedGreen>
VELLUM_AVX2 std::size_t ColorizeAvx2(const SimdColorTables& t, std::uint8_t* pixels,
                                     std::size_t count) {
    constexpr std::size_t kAhead = 8;
    constexpr std::size_t kPrefetchPixels = 1024;
    alignas(32) std::uint64_t ring[kAhead * 8];
    std::size_t groups = count / 8;
    for (std::size_t g = 0; g < std::min(kAhead, groups); ++g)
        LookUpEight<kRedGreen>(t, pixels + 32 * g, ring + 8 * g);
    for (std::size_t g = 0; g < groups; ++g) {
        std::uint64_t* slot = ring + 8 * (g % kAhead);
        FinishEight(slot, pixels + 32 * g, t.saturation);
        std::size_t next = g + kAhead;
        if (next >= groups)
            continue;
        // Hardware prefetching alone falls behind on this mix of reads and writes; one
        // prefetch per 64-byte line.
        if (next % 2 == 0 && 8 * next + kPrefetchPixels < count)
            _mm_prefetch(reinterpret_cast<const char*>(pixels + 4 * (8 * next + kPrefetchPixels)),
                         _MM_HINT_T0);
        LookUpEight<kRedGreen>(t, pixels + 32 * next, slot);
    }
    return groups * 8;
}

} // namespace

bool HasVectorColorizer() {
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}

std::size_t ColorizeBgraVector(const SimdColorTables& tables, std::uint8_t* pixels,
                               std::size_t count) {
    if (tables.redGreen)
        return ColorizeAvx2<true>(tables, pixels, count);
    return ColorizeAvx2<false>(tables, pixels, count);
}

#else

bool HasVectorColorizer() {
    return false;
}

std::size_t ColorizeBgraVector(const SimdColorTables&, std::uint8_t*, std::size_t) {
    return 0;
}

#endif

} // namespace vellum
