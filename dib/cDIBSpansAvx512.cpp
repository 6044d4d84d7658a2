#include "dib/cDIBSpans.h"

#if defined(__AVX512F__) && defined(__AVX512BW__)
#include <immintrin.h>

#include <algorithm>

namespace dibspans {

namespace {

// Functions, not constants: no instruction of this file may run before the processor check.
inline __m512i ColourMask() { return _mm512_set1_epi32(0x00FFFFFF); }

// The fourth byte of each of sixteen pixels.
constexpr __mmask64 MaskByteLanes = 0x8888888888888888ull;

inline __m512i Load(const uint32_t* p) { return _mm512_loadu_si512(p); }
inline void Store(uint32_t* p, __m512i v) { _mm512_storeu_si512(p, v); }

// The same byte-pair multiply-add as the AVX2 kernels, sixteen pixels at a time: with both
// channels moved to signed bytes, s * a + d * (255 - a) - 32640 fits a signed word exactly.
inline __m512i MixHalf(__m512i signedPairs, __m512i weights)
{
    const __m512i sum = _mm512_maddubs_epi16(weights, signedPairs);
    return _mm512_srli_epi16(_mm512_add_epi16(sum, _mm512_set1_epi16(static_cast<short>(32640 + 256))), 8);
}

inline __m512i Mix(__m512i s, __m512i d, __m512i weightsLo, __m512i weightsHi)
{
    const __m512i bias = _mm512_set1_epi8(static_cast<char>(0x80));
    const __m512i sb = _mm512_xor_si512(s, bias);
    const __m512i db = _mm512_xor_si512(d, bias);
    const __m512i lo = MixHalf(_mm512_unpacklo_epi8(sb, db), weightsLo);
    const __m512i hi = MixHalf(_mm512_unpackhi_epi8(sb, db), weightsHi);
    return _mm512_packus_epi16(lo, hi);
}

inline __m512i KeepDestMask(__m512i blended, __m512i d)
{
    return _mm512_mask_blend_epi8(MaskByteLanes, blended, d);
}

inline __m512i ConstWeights(unsigned opacity)
{
    return _mm512_set1_epi16(static_cast<short>(opacity | (255 - opacity) << 8));
}

// Every byte of a pixel set to the byte at `index` of that pixel.
inline __m512i Broadcast(__m512i pixels, int index)
{
    const int repeat = 0x01010101;
    return _mm512_shuffle_epi8(pixels,
        _mm512_set4_epi32((index + 12) * repeat, (index + 8) * repeat, (index + 4) * repeat, index * repeat));
}

inline __m512i BlendByAlphaBytes(__m512i s, __m512i d, __m512i alpha)
{
    const __m512i inverse = _mm512_xor_si512(alpha, _mm512_set1_epi8(-1));
    return KeepDestMask(Mix(s, d, _mm512_unpacklo_epi8(alpha, inverse), _mm512_unpackhi_epi8(alpha, inverse)), d);
}

// (mask * opacity) >> 8 lands in the third byte of each pixel: the high word holds mask << 8.
inline __m512i ScaledMask(__m512i s, __m512i opacity)
{
    return _mm512_mulhi_epu16(_mm512_and_si512(s, _mm512_set1_epi32(static_cast<int>(0xFF000000u))), opacity);
}

inline __mmask16 KeyMatches(__m512i s, __m512i key)
{
    return _mm512_cmpeq_epi32_mask(_mm512_and_si512(s, ColourMask()), key);
}

// Pixels are taken one by one until the destination reaches a 64-byte boundary: a vector
// that straddles two cache lines costs twice on surfaces out of the cache.
template <typename Vector, typename Single>
void ForEachPixel(const uint32_t* dst, int count, Vector vector, Single single)
{
    const int misalignment = static_cast<int>(reinterpret_cast<uintptr_t>(dst) & 63);
    const int head = misalignment % 4 == 0 ? std::min(count, ((64 - misalignment) & 63) / 4) : 0;
    int i = 0;
    for (; i < head; ++i)
        single(i);
    for (; i + 16 <= count; i += 16)
        vector(i);
    for (; i < count; ++i)
        single(i);
}

void BlendAvx512(const uint32_t* src, uint32_t* dst, int count, unsigned opacity)
{
    const __m512i weights = ConstWeights(opacity);
    ForEachPixel(dst, count, [=](int i) {
        const __m512i d = Load(dst + i);
        Store(dst + i, KeepDestMask(Mix(Load(src + i), d, weights, weights), d));
    }, [=](int i) { dst[i] = BlendPixel(src[i], dst[i], opacity); });
}

void MaskAvx512(const uint32_t* src, uint32_t* dst, int count)
{
    ForEachPixel(dst, count, [=](int i) {
        const __m512i s = Load(src + i);
        Store(dst + i, BlendByAlphaBytes(s, Load(dst + i), Broadcast(s, 3)));
    }, [=](int i) { dst[i] = BlendPixel(src[i], dst[i], src[i] >> 24); });
}

void MaskBlendAvx512(const uint32_t* src, uint32_t* dst, int count, unsigned opacity)
{
    const __m512i op = _mm512_set1_epi16(static_cast<short>(opacity));
    ForEachPixel(dst, count, [=](int i) {
        const __m512i s = Load(src + i);
        Store(dst + i, BlendByAlphaBytes(s, Load(dst + i), Broadcast(ScaledMask(s, op), 2)));
    }, [=](int i) { dst[i] = BlendPixel(src[i], dst[i], ((src[i] >> 24) * opacity) >> 8); });
}

void KeyAvx512(const uint32_t* src, uint32_t* dst, int count, uint32_t key)
{
    const __m512i k = _mm512_set1_epi32(static_cast<int>(key & 0x00FFFFFFu));
    ForEachPixel(dst, count, [=](int i) {
        const __m512i s = Load(src + i);
        Store(dst + i, _mm512_mask_blend_epi32(KeyMatches(s, k), _mm512_and_si512(s, ColourMask()), Load(dst + i)));
    }, [=](int i) {
        if (!MatchesKey(src[i], key))
            dst[i] = src[i] & 0x00FFFFFFu;
    });
}

void KeyBlendAvx512(const uint32_t* src, uint32_t* dst, int count, uint32_t key, unsigned opacity)
{
    const __m512i k = _mm512_set1_epi32(static_cast<int>(key & 0x00FFFFFFu));
    const __m512i weights = ConstWeights(opacity);
    ForEachPixel(dst, count, [=](int i) {
        const __m512i s = Load(src + i);
        const __m512i d = Load(dst + i);
        const __m512i blended = KeepDestMask(Mix(s, d, weights, weights), d);
        Store(dst + i, _mm512_mask_blend_epi32(KeyMatches(s, k), blended, d));
    }, [=](int i) {
        if (!MatchesKey(src[i], key))
            dst[i] = BlendPixel(src[i], dst[i], opacity);
    });
}

const SpanKernels avx512Kernels { "avx512", BlendAvx512, MaskAvx512, MaskBlendAvx512, KeyAvx512, KeyBlendAvx512 };

}

const SpanKernels* BuiltAvx512Kernels()
{
    return &avx512Kernels;
}

}

#else

namespace dibspans {
const SpanKernels* BuiltAvx512Kernels() { return nullptr; }
}

#endif
