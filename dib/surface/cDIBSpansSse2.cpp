#include "dib/surface/cDIBSpans.h"

#if defined(__SSE2__)
#include <emmintrin.h>

namespace dibspans {

namespace {

// A function, not a constant: no instruction of this file may run before the processor check.
inline __m128i ColourMask() { return _mm_set1_epi32(0x00FFFFFF); }

inline __m128i Load(const uint32_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void Store(uint32_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

// One half (two pixels as 16-bit channels) of the blend formula.
inline __m128i BlendWords(__m128i s, __m128i d, __m128i a)
{
    const __m128i na = _mm_sub_epi16(_mm_set1_epi16(255), a);
    const __m128i sum = _mm_add_epi16(_mm_mullo_epi16(s, a), _mm_mullo_epi16(d, na));
    return _mm_add_epi16(_mm_srli_epi16(sum, 8), _mm_set1_epi16(1));
}

inline __m128i KeepDestAlpha(__m128i lo, __m128i hi, __m128i d)
{
    const __m128i packed = _mm_packus_epi16(lo, hi);
    return _mm_or_si128(_mm_and_si128(packed, ColourMask()), _mm_andnot_si128(ColourMask(), d));
}

inline __m128i BlendConst(__m128i s, __m128i d, __m128i a)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i lo = BlendWords(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero), a);
    const __m128i hi = BlendWords(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero), a);
    return KeepDestAlpha(lo, hi, d);
}

inline __m128i AlphaWords(__m128i words)
{
    return _mm_shufflehi_epi16(_mm_shufflelo_epi16(words, 0xFF), 0xFF);
}

inline __m128i BlendByMask(__m128i s, __m128i d, __m128i opacity, bool scaleByOpacity)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i slo = _mm_unpacklo_epi8(s, zero);
    const __m128i shi = _mm_unpackhi_epi8(s, zero);
    __m128i alo = AlphaWords(slo);
    __m128i ahi = AlphaWords(shi);
    if (scaleByOpacity) {
        alo = _mm_srli_epi16(_mm_mullo_epi16(alo, opacity), 8);
        ahi = _mm_srli_epi16(_mm_mullo_epi16(ahi, opacity), 8);
    }
    const __m128i lo = BlendWords(slo, _mm_unpacklo_epi8(d, zero), alo);
    const __m128i hi = BlendWords(shi, _mm_unpackhi_epi8(d, zero), ahi);
    return KeepDestAlpha(lo, hi, d);
}

inline __m128i KeyMatches(__m128i s, __m128i key)
{
    return _mm_cmpeq_epi32(_mm_and_si128(s, ColourMask()), key);
}

inline __m128i Select(__m128i keep, __m128i kept, __m128i other)
{
    return _mm_or_si128(_mm_and_si128(keep, kept), _mm_andnot_si128(keep, other));
}

void BlendSse2(const uint32_t* src, uint32_t* dst, int count, unsigned opacity)
{
    const __m128i a = _mm_set1_epi16(static_cast<short>(opacity));
    int i = 0;
    for (; i + 4 <= count; i += 4)
        Store(dst + i, BlendConst(Load(src + i), Load(dst + i), a));
    for (; i < count; ++i)
        dst[i] = BlendPixel(src[i], dst[i], opacity);
}

void MaskSse2(const uint32_t* src, uint32_t* dst, int count)
{
    const __m128i unused = _mm_setzero_si128();
    int i = 0;
    for (; i + 4 <= count; i += 4)
        Store(dst + i, BlendByMask(Load(src + i), Load(dst + i), unused, false));
    for (; i < count; ++i)
        dst[i] = BlendPixel(src[i], dst[i], src[i] >> 24);
}

void MaskBlendSse2(const uint32_t* src, uint32_t* dst, int count, unsigned opacity)
{
    const __m128i op = _mm_set1_epi16(static_cast<short>(opacity));
    int i = 0;
    for (; i + 4 <= count; i += 4)
        Store(dst + i, BlendByMask(Load(src + i), Load(dst + i), op, true));
    for (; i < count; ++i)
        dst[i] = BlendPixel(src[i], dst[i], ((src[i] >> 24) * opacity) >> 8);
}

void KeySse2(const uint32_t* src, uint32_t* dst, int count, uint32_t key)
{
    const __m128i k = _mm_set1_epi32(static_cast<int>(key & 0x00FFFFFFu));
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m128i s = Load(src + i);
        Store(dst + i, Select(KeyMatches(s, k), Load(dst + i), _mm_and_si128(s, ColourMask())));
    }
    for (; i < count; ++i) {
        if (!MatchesKey(src[i], key))
            dst[i] = src[i] & 0x00FFFFFFu;
    }
}

void KeyBlendSse2(const uint32_t* src, uint32_t* dst, int count, uint32_t key, unsigned opacity)
{
    const __m128i k = _mm_set1_epi32(static_cast<int>(key & 0x00FFFFFFu));
    const __m128i a = _mm_set1_epi16(static_cast<short>(opacity));
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m128i s = Load(src + i);
        const __m128i d = Load(dst + i);
        Store(dst + i, Select(KeyMatches(s, k), d, BlendConst(s, d, a)));
    }
    for (; i < count; ++i) {
        if (!MatchesKey(src[i], key))
            dst[i] = BlendPixel(src[i], dst[i], opacity);
    }
}

const SpanKernels sse2Kernels { "sse2", BlendSse2, MaskSse2, MaskBlendSse2, KeySse2, KeyBlendSse2 };

}

const SpanKernels* BuiltSse2Kernels()
{
    return &sse2Kernels;
}

}

#else

namespace dibspans {
const SpanKernels* BuiltSse2Kernels() { return nullptr; }
}

#endif
