#include "dib/surface/cDIBSpans.h"

#if defined(__AVX2__)
#include <immintrin.h>

namespace dibspans {

namespace {

// Functions, not constants: no instruction of this file may run before the processor check.
inline __m256i ColourMask() { return _mm256_set1_epi32(0x00FFFFFF); }
inline __m256i MaskBytes() { return _mm256_set1_epi32(static_cast<int>(0xFF000000u)); }

inline __m256i Load(const uint32_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
inline void Store(uint32_t* p, __m256i v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }

// The formula as one multiply-add of byte pairs: with both channels moved to signed bytes
// (c - 128), s * a + d * (255 - a) - 32640 fits a signed word exactly, so adding
// 32640 + 256 and shifting gives ((s * a + d * (255 - a)) >> 8) + 1 without a wider type.
// `weights` holds a and 255 - a side by side for every channel of the pixels it meets.
inline __m256i MixHalf(__m256i signedPairs, __m256i weights)
{
    const __m256i sum = _mm256_maddubs_epi16(weights, signedPairs);
    return _mm256_srli_epi16(_mm256_add_epi16(sum, _mm256_set1_epi16(static_cast<short>(32640 + 256))), 8);
}

// All four bytes of every pixel blended; the caller decides which bytes of d to keep.
inline __m256i Mix(__m256i s, __m256i d, __m256i weightsLo, __m256i weightsHi)
{
    const __m256i bias = _mm256_set1_epi8(static_cast<char>(0x80));
    const __m256i sb = _mm256_xor_si256(s, bias);
    const __m256i db = _mm256_xor_si256(d, bias);
    const __m256i lo = MixHalf(_mm256_unpacklo_epi8(sb, db), weightsLo);
    const __m256i hi = MixHalf(_mm256_unpackhi_epi8(sb, db), weightsHi);
    return _mm256_packus_epi16(lo, hi);
}

// Bytes of d where `keep` has its top bit set, of the blend elsewhere.
inline __m256i Keep(__m256i blended, __m256i d, __m256i keep)
{
    return _mm256_blendv_epi8(blended, d, keep);
}

inline __m256i ConstWeights(unsigned opacity)
{
    return _mm256_set1_epi16(static_cast<short>(opacity | (255 - opacity) << 8));
}

// The weights of Mix for the pixels that the low (or high) unpack of each 128-bit lane takes,
// from the alpha byte at `index` of each pixel: one word (a, 255 - a) per channel.
inline __m256i AlphaWeights(__m256i pixels, int index, int firstPixel)
{
    const char p0 = static_cast<char>(firstPixel * 4 + index), p1 = static_cast<char>((firstPixel + 1) * 4 + index);
    const __m256i spread = _mm256_shuffle_epi8(pixels,
        _mm256_setr_epi8(p0, p0, p0, p0, p0, p0, p0, p0, p1, p1, p1, p1, p1, p1, p1, p1, p0, p0, p0, p0, p0, p0, p0, p0,
            p1, p1, p1, p1, p1, p1, p1, p1));
    return _mm256_xor_si256(spread, _mm256_set1_epi16(static_cast<short>(0xFF00)));
}

inline __m256i BlendByAlpha(__m256i s, __m256i d, __m256i alphaSource, int index)
{
    const __m256i blended = Mix(s, d, AlphaWeights(alphaSource, index, 0), AlphaWeights(alphaSource, index, 2));
    return Keep(blended, d, MaskBytes());
}

// (mask * opacity) >> 8 lands in the third byte of each pixel: the high word holds mask << 8.
inline __m256i ScaledMask(__m256i s, __m256i opacity)
{
    return _mm256_mulhi_epu16(_mm256_and_si256(s, MaskBytes()), opacity);
}

inline __m256i KeyMatches(__m256i s, __m256i key)
{
    return _mm256_cmpeq_epi32(_mm256_and_si256(s, ColourMask()), key);
}

// Both surfaces are asked for 4 KB ahead, once per cache line: the processor's prefetchers
// stop at page ends and trail a loop this short.
constexpr int PrefetchAhead = 1024;

// `op` maps eight source and destination pixels to the pixels to store; `single` handles one
// pixel of the tail.
template <typename Op, typename Single>
void ForEachVector(const uint32_t* src, uint32_t* dst, int count, Op op, Single single)
{
    int i = 0;
    for (; i + 16 <= count; i += 16) {
        _mm_prefetch(reinterpret_cast<const char*>(src + i + PrefetchAhead), _MM_HINT_T0);
        _mm_prefetch(reinterpret_cast<const char*>(dst + i + PrefetchAhead), _MM_HINT_T0);
        Store(dst + i, op(Load(src + i), Load(dst + i)));
        Store(dst + i + 8, op(Load(src + i + 8), Load(dst + i + 8)));
    }
    if (i + 8 <= count) {
        Store(dst + i, op(Load(src + i), Load(dst + i)));
        i += 8;
    }
    for (; i < count; ++i)
        single(i);
}

void BlendAvx2(const uint32_t* src, uint32_t* dst, int count, unsigned opacity)
{
    const __m256i weights = ConstWeights(opacity);
    ForEachVector(
        src, dst, count,
        [=](__m256i s, __m256i d) { return Keep(Mix(s, d, weights, weights), d, MaskBytes()); },
        [=](int i) { dst[i] = BlendPixel(src[i], dst[i], opacity); });
}

void MaskAvx2(const uint32_t* src, uint32_t* dst, int count)
{
    ForEachVector(
        src, dst, count, [=](__m256i s, __m256i d) { return BlendByAlpha(s, d, s, 3); },
        [=](int i) { dst[i] = BlendPixel(src[i], dst[i], src[i] >> 24); });
}

void MaskBlendAvx2(const uint32_t* src, uint32_t* dst, int count, unsigned opacity)
{
    const __m256i op = _mm256_set1_epi16(static_cast<short>(opacity));
    ForEachVector(
        src, dst, count,
        [=](__m256i s, __m256i d) { return BlendByAlpha(s, d, ScaledMask(s, op), 2); },
        [=](int i) { dst[i] = BlendPixel(src[i], dst[i], ((src[i] >> 24) * opacity) >> 8); });
}

void KeyAvx2(const uint32_t* src, uint32_t* dst, int count, uint32_t key)
{
    const __m256i k = _mm256_set1_epi32(static_cast<int>(key & 0x00FFFFFFu));
    ForEachVector(
        src, dst, count,
        [=](__m256i s, __m256i d) { return Keep(_mm256_and_si256(s, ColourMask()), d, KeyMatches(s, k)); },
        [=](int i) {
            if (!MatchesKey(src[i], key))
                dst[i] = src[i] & 0x00FFFFFFu;
        });
}

void KeyBlendAvx2(const uint32_t* src, uint32_t* dst, int count, uint32_t key, unsigned opacity)
{
    const __m256i k = _mm256_set1_epi32(static_cast<int>(key & 0x00FFFFFFu));
    const __m256i weights = ConstWeights(opacity);
    ForEachVector(
        src, dst, count,
        [=](__m256i s, __m256i d) {
            // Keyed pixels keep all of d, the others its mask byte.
            const __m256i keep = _mm256_or_si256(KeyMatches(s, k), MaskBytes());
            return Keep(Mix(s, d, weights, weights), d, keep);
        },
        [=](int i) {
            if (!MatchesKey(src[i], key))
                dst[i] = BlendPixel(src[i], dst[i], opacity);
        });
}

const SpanKernels avx2Kernels { "avx2", BlendAvx2, MaskAvx2, MaskBlendAvx2, KeyAvx2, KeyBlendAvx2 };

}

const SpanKernels* BuiltAvx2Kernels()
{
    return &avx2Kernels;
}

}

#else

namespace dibspans {
const SpanKernels* BuiltAvx2Kernels() { return nullptr; }
}

#endif
