#pragma once

// Row kernels behind the span routines. Every variant gives the same bytes as the scalar one:
// per colour channel ((s * a + d * (255 - a)) >> 8) + 1, the destination's fourth byte kept.

#include <cstdint>

namespace dibspans {

struct SpanKernels {
    const char* name;
    void (*blend)(const uint32_t* src, uint32_t* dst, int count, unsigned opacity);
    void (*mask)(const uint32_t* src, uint32_t* dst, int count);
    void (*maskBlend)(const uint32_t* src, uint32_t* dst, int count, unsigned opacity);
    void (*key)(const uint32_t* src, uint32_t* dst, int count, uint32_t key);
    void (*keyBlend)(const uint32_t* src, uint32_t* dst, int count, uint32_t key, unsigned opacity);
};

// Internal linkage: the SIMD files are built for other processors and must not lend their copies.
static inline uint32_t BlendPixel(uint32_t s, uint32_t d, unsigned a)
{
    const unsigned na = 255 - a;
    const uint32_t b = ((((s)&0xFF) * a + ((d)&0xFF) * na) >> 8) + 1;
    const uint32_t g = ((((s >> 8) & 0xFF) * a + ((d >> 8) & 0xFF) * na) >> 8) + 1;
    const uint32_t r = ((((s >> 16) & 0xFF) * a + ((d >> 16) & 0xFF) * na) >> 8) + 1;
    return b | (g << 8) | (r << 16) | (d & 0xFF000000u);
}

static inline bool MatchesKey(uint32_t pixel, uint32_t key)
{
    return ((pixel ^ key) & 0x00FFFFFFu) == 0;
}

const SpanKernels& ScalarKernels();
// Null when this build or this processor lacks the instruction set.
const SpanKernels* Sse2Kernels();
const SpanKernels* Avx2Kernels();
const SpanKernels* Avx512Kernels();
// The SIMD files' own entry points, without the processor check.
const SpanKernels* BuiltSse2Kernels();
const SpanKernels* BuiltAvx2Kernels();
const SpanKernels* BuiltAvx512Kernels();
// The fastest set this processor runs, chosen once.
const SpanKernels& ActiveKernels();

}
