#include "dib/surface/cDIBSpans.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace dibspans;

namespace {

uint32_t Pixel(uint32_t mask, uint32_t red, uint32_t green, uint32_t blue)
{
    return (mask << 24) | (red << 16) | (green << 8) | blue;
}

struct BlendCase {
    uint32_t s, d, a, expected;
};

TEST(BlendFormula, ChannelsFollowTheFormulaAndAreNeverZero)
{
    const BlendCase cases[] = {
        { 255, 0, 255, 255 }, // full weight reproduces a bright source
        { 0, 0, 255, 1 },     // ... and a black one becomes 1
        { 77, 200, 255, 77 },
        { 200, 77, 0, 77 }, // no weight keeps the destination
        { 0, 0, 0, 1 },
        { 200, 100, 128, 150 },
        { 255, 255, 1, 255 },
        { 255, 255, 254, 255 },
        { 1, 1, 254, 1 },
        { 10, 250, 1, 249 },
    };
    for (const BlendCase& c : cases) {
        const uint32_t result = BlendPixel(Pixel(0x12, c.s, c.s, c.s), Pixel(0x34, c.d, c.d, c.d), c.a);
        EXPECT_EQ(result, Pixel(0x34, c.expected, c.expected, c.expected)) << c.s << " " << c.d << " " << c.a;
    }
}

TEST(BlendFormula, ChannelsAreIndependent)
{
    EXPECT_EQ(BlendPixel(Pixel(0, 255, 0, 10), Pixel(0xAB, 0, 255, 20), 255), Pixel(0xAB, 255, 1, 10));
}

struct KernelCheck : ::testing::TestWithParam<const SpanKernels*> {
    std::mt19937 random { 1234 };
    std::vector<uint32_t> RandomPixels(int count, uint32_t key)
    {
        std::vector<uint32_t> pixels(count);
        for (auto& p : pixels) {
            p = static_cast<uint32_t>(random());
            // Every third pixel carries the key (with any fourth byte), so both branches run.
            if (random() % 3 == 0)
                p = (p & 0xFF000000u) | (key & 0x00FFFFFFu);
        }
        return pixels;
    }
};

TEST_P(KernelCheck, MatchesScalarOnRandomRowsOfEveryWidth)
{
    const SpanKernels& simd = *GetParam();
    const SpanKernels& scalar = ScalarKernels();
    const unsigned opacities[] = { 0, 1, 2, 127, 128, 254, 255 };
    const uint32_t key = 0x7F00FF20;
    for (int width = 0; width <= 70; ++width) {
        for (unsigned opacity : opacities) {
            const auto src = RandomPixels(width + 1, key);
            const auto dst = RandomPixels(width + 1, key);
            // Offset by one pixel: rows of a clipped draw start anywhere.
            auto run = [&](auto call) {
                auto a = dst, b = dst;
                call(scalar, a.data() + 1);
                call(simd, b.data() + 1);
                return std::make_pair(a, b);
            };
            auto [blendA, blendB] = run([&](const SpanKernels& k, uint32_t* d) { k.blend(src.data() + 1, d, width, opacity); });
            EXPECT_EQ(blendA, blendB) << "blend width " << width << " opacity " << opacity;
            auto [maskA, maskB] = run([&](const SpanKernels& k, uint32_t* d) { k.mask(src.data() + 1, d, width); });
            EXPECT_EQ(maskA, maskB) << "mask width " << width;
            auto [mbA, mbB] = run([&](const SpanKernels& k, uint32_t* d) { k.maskBlend(src.data() + 1, d, width, opacity); });
            EXPECT_EQ(mbA, mbB) << "mask blend width " << width << " opacity " << opacity;
            auto [keyA, keyB] = run([&](const SpanKernels& k, uint32_t* d) { k.key(src.data() + 1, d, width, key); });
            EXPECT_EQ(keyA, keyB) << "key width " << width;
            auto [kbA, kbB] = run([&](const SpanKernels& k, uint32_t* d) { k.keyBlend(src.data() + 1, d, width, key, opacity); });
            EXPECT_EQ(kbA, kbB) << "key blend width " << width << " opacity " << opacity;
        }
    }
}

TEST_P(KernelCheck, MaskExtremesCoverEveryAlpha)
{
    const SpanKernels& simd = *GetParam();
    std::vector<uint32_t> src(256 * 3), dst(256 * 3);
    for (size_t i = 0; i < src.size(); ++i) {
        src[i] = (static_cast<uint32_t>(i % 256) << 24) | static_cast<uint32_t>(random() & 0xFFFFFF);
        dst[i] = static_cast<uint32_t>(random());
    }
    for (unsigned opacity : { 0u, 1u, 254u, 255u }) {
        auto a = dst, b = dst;
        ScalarKernels().maskBlend(src.data(), a.data(), static_cast<int>(src.size()), opacity);
        simd.maskBlend(src.data(), b.data(), static_cast<int>(src.size()), opacity);
        EXPECT_EQ(a, b) << opacity;
    }
    auto a = dst, b = dst;
    ScalarKernels().mask(src.data(), a.data(), static_cast<int>(src.size()));
    simd.mask(src.data(), b.data(), static_cast<int>(src.size()));
    EXPECT_EQ(a, b);
}

std::vector<const SpanKernels*> AvailableKernels()
{
    std::vector<const SpanKernels*> kernels;
    if (const SpanKernels* k = Sse2Kernels())
        kernels.push_back(k);
    if (const SpanKernels* k = Avx2Kernels())
        kernels.push_back(k);
    if (const SpanKernels* k = Avx512Kernels())
        kernels.push_back(k);
    return kernels;
}

INSTANTIATE_TEST_SUITE_P(Simd, KernelCheck, ::testing::ValuesIn(AvailableKernels()),
    [](const auto& info) { return std::string(info.param->name); });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(KernelCheck);

TEST(ScalarKernels, KeyWritesZeroMaskAndSkipsKeyedPixels)
{
    const uint32_t src[] = { 0xFF112233, 0x55ABCDEF, 0x00ABCDEF };
    uint32_t dst[] = { 0x99000000, 0x99000001, 0x99000002 };
    ScalarKernels().key(src, dst, 3, 0x01ABCDEF);
    EXPECT_EQ(dst[0], 0x00112233u);
    EXPECT_EQ(dst[1], 0x99000001u);
    EXPECT_EQ(dst[2], 0x99000002u);
}

TEST(ScalarKernels, MaskBlendWeighsByMaskTimesOpacity)
{
    // Mask 200 at opacity 128 weighs the source by 100 of 256.
    const uint32_t src[] = { Pixel(200, 255, 255, 255) };
    uint32_t dst[] = { Pixel(7, 0, 0, 0) };
    ScalarKernels().maskBlend(src, dst, 1, 128);
    EXPECT_EQ(dst[0], Pixel(7, 100, 100, 100));
}

}
