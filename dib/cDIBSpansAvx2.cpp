#include "dib/cDIBSpans.h"

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

// Every byte of a pixel set to the byte at `index` of that pixel; then the weight pairs.
inline __m256i Broadcast(__m256i pixels, int index)
{
    const char i0 = static_cast<char>(index), i1 = static_cast<char>(index + 4), i2 = static_cast<char>(index + 8),
               i3 = static_cast<char>(index + 12);
    const __m256i pattern = _mm256_setr_epi8(i0, i0, i0, i0, i1, i1, i1, i1, i2, i2, i2, i2, i3, i3, i3, i3, i0, i0, i0,
        i0, i1, i1, i1, i1, i2, i2, i2, i2, i3, i3, i3, i3);
    return _mm256_shuffle_epi8(pixels, pattern);
}

inline __m256i BlendByAlphaBytes(__m256i s, __m256i d, __m256i alpha)
{
    const __m256i inverse = _mm256_xor_si256(alpha, _mm256_set1_epi8(-1));
    const __m256i blended
        = Mix(s, d, _mm256_unpacklo_epi8(alpha, inverse), _mm256_unpackhi_epi8(alpha, inverse));
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

void BlendAvx2(const uint32_t* src, uint32_t* dst, int count, unsigned opacity)
{
    const __m256i weights = ConstWeights(opacity);
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256i d = Load(dst + i);
        Store(dst + i, Keep(Mix(Load(src + i), d, weights, weights), d, MaskBytes()));
    }
    for (; i < count; ++i)
        dst[i] = BlendPixel(src[i], dst[i], opacity);
}

void MaskAvx2(const uint32_t* src, uint32_t* dst, int count)
{
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256i s = Load(src + i);
        Store(dst + i, BlendByAlphaBytes(s, Load(dst + i), Broadcast(s, 3)));
    }
    for (; i < count; ++i)
        dst[i] = BlendPixel(src[i], dst[i], src[i] >> 24);
}

void MaskBlendAvx2(const uint32_t* src, uint32_t* dst, int count, unsigned opacity)
{
    const __m256i op = _mm256_set1_epi16(static_cast<short>(opacity));
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256i s = Load(src + i);
        Store(dst + i, BlendByAlphaBytes(s, Load(dst + i), Broadcast(ScaledMask(s, op), 2)));
    }
    for (; i < count; ++i)
        dst[i] = BlendPixel(src[i], dst[i], ((src[i] >> 24) * opacity) >> 8);
}

void KeyAvx2(const uint32_t* src, uint32_t* dst, int count, uint32_t key)
{
    const __m256i k = _mm256_set1_epi32(static_cast<int>(key & 0x00FFFFFFu));
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256i s = Load(src + i);
        Store(dst + i, Keep(_mm256_and_si256(s, ColourMask()), Load(dst + i), KeyMatches(s, k)));
    }
    for (; i < count; ++i) {
        if (!MatchesKey(src[i], key))
            dst[i] = src[i] & 0x00FFFFFFu;
    }
}

void KeyBlendAvx2(const uint32_t* src, uint32_t* dst, int count, uint32_t key, unsigned opacity)
{
    const __m256i k = _mm256_set1_epi32(static_cast<int>(key & 0x00FFFFFFu));
    const __m256i weights = ConstWeights(opacity);
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256i s = Load(src + i);
        const __m256i d = Load(dst + i);
        // Keyed pixels keep all of d, the others its mask byte.
        const __m256i keep = _mm256_or_si256(KeyMatches(s, k), MaskBytes());
        Store(dst + i, Keep(Mix(s, d, weights, weights), d, keep));
    }
    for (; i < count; ++i) {
        if (!MatchesKey(src[i], key))
            dst[i] = BlendPixel(src[i], dst[i], opacity);
    }
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
