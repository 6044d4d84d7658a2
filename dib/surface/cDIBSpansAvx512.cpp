#include "dib/surface/cDIBSpans.h"

#if defined(__AVX512F__) && defined(__AVX512BW__) && defined(__AVX512VBMI__)
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
// The results are the high bytes of the rounded words, gathered by one byte permute in the
// order a pack of the two unpacked halves would give.
struct PackOrder {
    alignas(64) uint8_t index[64];
};

constexpr PackOrder HighBytesInPackOrder()
{
    PackOrder order {};
    for (int b = 0; b < 64; ++b) {
        const int lane = b / 16, k = b % 16;
        order.index[b] = static_cast<uint8_t>((k < 8 ? 0 : 64) + lane * 16 + 2 * (k % 8) + 1);
    }
    return order;
}

constexpr PackOrder packOrder = HighBytesInPackOrder();

inline __m512i Mix(__m512i s, __m512i d, __m512i weightsLo, __m512i weightsHi)
{
    const __m512i bias = _mm512_set1_epi8(static_cast<char>(0x80));
    const __m512i round = _mm512_set1_epi16(static_cast<short>(32640 + 256));
    const __m512i sb = _mm512_xor_si512(s, bias);
    const __m512i db = _mm512_xor_si512(d, bias);
    const __m512i lo = _mm512_add_epi16(_mm512_maddubs_epi16(weightsLo, _mm512_unpacklo_epi8(sb, db)), round);
    const __m512i hi = _mm512_add_epi16(_mm512_maddubs_epi16(weightsHi, _mm512_unpackhi_epi8(sb, db)), round);
    return _mm512_permutex2var_epi8(lo, _mm512_load_si512(packOrder.index), hi);
}

inline __m512i KeepDestMask(__m512i blended, __m512i d)
{
    return _mm512_mask_blend_epi8(MaskByteLanes, blended, d);
}

inline __m512i ConstWeights(unsigned opacity)
{
    return _mm512_set1_epi16(static_cast<short>(opacity | (255 - opacity) << 8));
}

// The weights of Mix for the pixels that the low (or high) unpack of each 128-bit lane takes,
// from the alpha byte at `index` of each pixel: one word (a, 255 - a) per channel.
inline __m512i AlphaWeights(__m512i pixels, int index, int firstPixel)
{
    const int p0 = (firstPixel * 4 + index) * 0x0101, p1 = ((firstPixel + 1) * 4 + index) * 0x0101;
    const __m512i spread = _mm512_shuffle_epi8(pixels, _mm512_set4_epi32(p1 << 16 | p1, p1 << 16 | p1, p0 << 16 | p0, p0 << 16 | p0));
    return _mm512_xor_si512(spread, _mm512_set1_epi16(static_cast<short>(0xFF00)));
}

inline __m512i BlendByAlpha(__m512i s, __m512i d, __m512i alphaSource, int index)
{
    return KeepDestMask(Mix(s, d, AlphaWeights(alphaSource, index, 0), AlphaWeights(alphaSource, index, 2)), d);
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

// Both surfaces are asked for 4 KB ahead of the pixels being blended. The processor's own
// prefetchers stop at page ends and trail a loop this short, so each stream would wait on
// the next level of memory; measured on 816 x 740 surfaces, 1 KB ahead was too close and
// 8 KB too far.
constexpr int PrefetchAhead = 1024;

inline __mmask16 FirstLanes(int count) { return static_cast<__mmask16>((1u << count) - 1); }

// `op` maps sixteen source and destination pixels to the pixels to store. The pixels before
// the destination's first 64-byte boundary and those after the last whole vector go through
// one masked step each: a vector that straddles two cache lines costs twice on surfaces out
// of the cache, and a masked step costs no more than a whole one.
template <typename Op>
void ForEachVector(const uint32_t* src, uint32_t* dst, int count, Op op)
{
    const auto masked = [&](int i, int lanes) {
        const __mmask16 k = FirstLanes(lanes);
        const __m512i s = _mm512_maskz_loadu_epi32(k, src + i);
        const __m512i d = _mm512_maskz_loadu_epi32(k, dst + i);
        _mm512_mask_storeu_epi32(dst + i, k, op(s, d));
    };
    const int misalignment = static_cast<int>(reinterpret_cast<uintptr_t>(dst) & 63);
    const int head = std::min(count, ((64 - misalignment) & 63) / 4);
    if (head > 0)
        masked(0, head);
    int i = head;
    for (; i + 16 <= count; i += 16) {
        _mm_prefetch(reinterpret_cast<const char*>(src + i + PrefetchAhead), _MM_HINT_T0);
        _mm_prefetch(reinterpret_cast<const char*>(dst + i + PrefetchAhead), _MM_HINT_T0);
        Store(dst + i, op(Load(src + i), Load(dst + i)));
    }
    if (i < count)
        masked(i, count - i);
}

void BlendAvx512(const uint32_t* src, uint32_t* dst, int count, unsigned opacity)
{
    const __m512i weights = ConstWeights(opacity);
    ForEachVector(src, dst, count, [=](__m512i s, __m512i d) { return KeepDestMask(Mix(s, d, weights, weights), d); });
}

void MaskAvx512(const uint32_t* src, uint32_t* dst, int count)
{
    ForEachVector(src, dst, count, [=](__m512i s, __m512i d) { return BlendByAlpha(s, d, s, 3); });
}

void MaskBlendAvx512(const uint32_t* src, uint32_t* dst, int count, unsigned opacity)
{
    const __m512i op = _mm512_set1_epi16(static_cast<short>(opacity));
    ForEachVector(src, dst, count,
        [=](__m512i s, __m512i d) { return BlendByAlpha(s, d, ScaledMask(s, op), 2); });
}

void KeyAvx512(const uint32_t* src, uint32_t* dst, int count, uint32_t key)
{
    const __m512i k = _mm512_set1_epi32(static_cast<int>(key & 0x00FFFFFFu));
    ForEachVector(src, dst, count, [=](__m512i s, __m512i d) {
        return _mm512_mask_blend_epi32(KeyMatches(s, k), _mm512_and_si512(s, ColourMask()), d);
    });
}

void KeyBlendAvx512(const uint32_t* src, uint32_t* dst, int count, uint32_t key, unsigned opacity)
{
    const __m512i k = _mm512_set1_epi32(static_cast<int>(key & 0x00FFFFFFu));
    const __m512i weights = ConstWeights(opacity);
    ForEachVector(src, dst, count, [=](__m512i s, __m512i d) {
        const __m512i blended = KeepDestMask(Mix(s, d, weights, weights), d);
        return _mm512_mask_blend_epi32(KeyMatches(s, k), blended, d);
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
