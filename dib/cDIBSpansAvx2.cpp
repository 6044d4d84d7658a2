#include "dib/cDIBSpans.h"

#if defined(__AVX2__)
#include <immintrin.h>

namespace dibspans {

namespace {

// A function, not a constant: no instruction of this file may run before the processor check.
inline __m256i ColourMask() { return _mm256_set1_epi32(0x00FFFFFF); }

inline __m256i Load(const uint32_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
inline void Store(uint32_t* p, __m256i v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }

// One half (four pixels as 16-bit channels) of the blend formula.
inline __m256i BlendWords(__m256i s, __m256i d, __m256i a)
{
    const __m256i na = _mm256_sub_epi16(_mm256_set1_epi16(255), a);
    const __m256i sum = _mm256_add_epi16(_mm256_mullo_epi16(s, a), _mm256_mullo_epi16(d, na));
    return _mm256_add_epi16(_mm256_srli_epi16(sum, 8), _mm256_set1_epi16(1));
}

// The destination's mask words replace the blended ones before packing.
inline __m256i PackKeepingDestAlpha(__m256i lo, __m256i hi, __m256i dlo, __m256i dhi)
{
    return _mm256_packus_epi16(_mm256_blend_epi16(lo, dlo, 0x88), _mm256_blend_epi16(hi, dhi, 0x88));
}

inline __m256i BlendConst(__m256i s, __m256i d, __m256i a)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i dlo = _mm256_unpacklo_epi8(d, zero);
    const __m256i dhi = _mm256_unpackhi_epi8(d, zero);
    const __m256i lo = BlendWords(_mm256_unpacklo_epi8(s, zero), dlo, a);
    const __m256i hi = BlendWords(_mm256_unpackhi_epi8(s, zero), dhi, a);
    return PackKeepingDestAlpha(lo, hi, dlo, dhi);
}

inline __m256i AlphaWords(__m256i words)
{
    return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(words, 0xFF), 0xFF);
}

inline __m256i BlendByMask(__m256i s, __m256i d, __m256i opacity, bool scaleByOpacity)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i slo = _mm256_unpacklo_epi8(s, zero);
    const __m256i shi = _mm256_unpackhi_epi8(s, zero);
    __m256i alo = AlphaWords(slo);
    __m256i ahi = AlphaWords(shi);
    if (scaleByOpacity) {
        alo = _mm256_srli_epi16(_mm256_mullo_epi16(alo, opacity), 8);
        ahi = _mm256_srli_epi16(_mm256_mullo_epi16(ahi, opacity), 8);
    }
    const __m256i dlo = _mm256_unpacklo_epi8(d, zero);
    const __m256i dhi = _mm256_unpackhi_epi8(d, zero);
    const __m256i lo = BlendWords(slo, dlo, alo);
    const __m256i hi = BlendWords(shi, dhi, ahi);
    return PackKeepingDestAlpha(lo, hi, dlo, dhi);
}

inline __m256i KeyMatches(__m256i s, __m256i key)
{
    return _mm256_cmpeq_epi32(_mm256_and_si256(s, ColourMask()), key);
}

inline __m256i Select(__m256i keep, __m256i kept, __m256i other)
{
    return _mm256_or_si256(_mm256_and_si256(keep, kept), _mm256_andnot_si256(keep, other));
}

void BlendAvx2(const uint32_t* src, uint32_t* dst, int count, unsigned opacity)
{
    const __m256i a = _mm256_set1_epi16(static_cast<short>(opacity));
    int i = 0;
    for (; i + 8 <= count; i += 8)
        Store(dst + i, BlendConst(Load(src + i), Load(dst + i), a));
    for (; i < count; ++i)
        dst[i] = BlendPixel(src[i], dst[i], opacity);
}

void MaskAvx2(const uint32_t* src, uint32_t* dst, int count)
{
    const __m256i unused = _mm256_setzero_si256();
    int i = 0;
    for (; i + 8 <= count; i += 8)
        Store(dst + i, BlendByMask(Load(src + i), Load(dst + i), unused, false));
    for (; i < count; ++i)
        dst[i] = BlendPixel(src[i], dst[i], src[i] >> 24);
}

void MaskBlendAvx2(const uint32_t* src, uint32_t* dst, int count, unsigned opacity)
{
    const __m256i op = _mm256_set1_epi16(static_cast<short>(opacity));
    int i = 0;
    for (; i + 8 <= count; i += 8)
        Store(dst + i, BlendByMask(Load(src + i), Load(dst + i), op, true));
    for (; i < count; ++i)
        dst[i] = BlendPixel(src[i], dst[i], ((src[i] >> 24) * opacity) >> 8);
}

void KeyAvx2(const uint32_t* src, uint32_t* dst, int count, uint32_t key)
{
    const __m256i k = _mm256_set1_epi32(static_cast<int>(key & 0x00FFFFFFu));
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256i s = Load(src + i);
        Store(dst + i, Select(KeyMatches(s, k), Load(dst + i), _mm256_and_si256(s, ColourMask())));
    }
    for (; i < count; ++i) {
        if (!MatchesKey(src[i], key))
            dst[i] = src[i] & 0x00FFFFFFu;
    }
}

void KeyBlendAvx2(const uint32_t* src, uint32_t* dst, int count, uint32_t key, unsigned opacity)
{
    const __m256i k = _mm256_set1_epi32(static_cast<int>(key & 0x00FFFFFFu));
    const __m256i a = _mm256_set1_epi16(static_cast<short>(opacity));
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256i s = Load(src + i);
        const __m256i d = Load(dst + i);
        Store(dst + i, Select(KeyMatches(s, k), d, BlendConst(s, d, a)));
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
