#include "dib/surface/cDIBSpans.h"

namespace dibspans {

namespace {

void BlendScalar(const uint32_t* src, uint32_t* dst, int count, unsigned opacity)
{
    for (int i = 0; i < count; ++i)
        dst[i] = BlendPixel(src[i], dst[i], opacity);
}

void MaskScalar(const uint32_t* src, uint32_t* dst, int count)
{
    for (int i = 0; i < count; ++i)
        dst[i] = BlendPixel(src[i], dst[i], src[i] >> 24);
}

void MaskBlendScalar(const uint32_t* src, uint32_t* dst, int count, unsigned opacity)
{
    for (int i = 0; i < count; ++i)
        dst[i] = BlendPixel(src[i], dst[i], ((src[i] >> 24) * opacity) >> 8);
}

void KeyScalar(const uint32_t* src, uint32_t* dst, int count, uint32_t key)
{
    for (int i = 0; i < count; ++i) {
        if (!MatchesKey(src[i], key))
            dst[i] = src[i] & 0x00FFFFFFu;
    }
}

void KeyBlendScalar(const uint32_t* src, uint32_t* dst, int count, uint32_t key, unsigned opacity)
{
    for (int i = 0; i < count; ++i) {
        if (!MatchesKey(src[i], key))
            dst[i] = BlendPixel(src[i], dst[i], opacity);
    }
}

const SpanKernels scalarKernels { "scalar", BlendScalar, MaskScalar, MaskBlendScalar, KeyScalar, KeyBlendScalar };

}

const SpanKernels& ScalarKernels()
{
    return scalarKernels;
}

#if TORVA_SIMD_X86
const SpanKernels* Sse2Kernels()
{
    return __builtin_cpu_supports("sse2") ? BuiltSse2Kernels() : nullptr;
}

const SpanKernels* Avx2Kernels()
{
    return __builtin_cpu_supports("avx2") ? BuiltAvx2Kernels() : nullptr;
}

const SpanKernels* Avx512Kernels()
{
    // The byte permute of the blend needs VBMI; processors without it take the AVX2 set.
    const bool usable = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw")
        && __builtin_cpu_supports("avx512vbmi");
    return usable ? BuiltAvx512Kernels() : nullptr;
}
#else
// Other processors build only the scalar twins.
const SpanKernels* Sse2Kernels() { return nullptr; }
const SpanKernels* Avx2Kernels() { return nullptr; }
const SpanKernels* Avx512Kernels() { return nullptr; }
#endif

const SpanKernels& ActiveKernels()
{
    static const SpanKernels& active = []() -> const SpanKernels& {
        if (const SpanKernels* avx512 = Avx512Kernels())
            return *avx512;
        if (const SpanKernels* avx2 = Avx2Kernels())
            return *avx2;
        if (const SpanKernels* sse2 = Sse2Kernels())
            return *sse2;
        return scalarKernels;
    }();
    return active;
}

}
