#pragma once

// Golden-image checks for pixel tests. A picture is compared with a PNG under tests/golden/;
// on a mismatch the actual picture, the expected one and a difference image (differing pixels
// red, the rest a dimmed copy of the expected picture) are written into the test's build
// folder, and the failure says how many pixels differ. Goldens are written only when the
// environment variable TORVA_REGENERATE_GOLDENS is 1.
//
//     EXPECT_TRUE(torva::test::MatchesGolden(container->OffscreenDIB().View(), "control/opacity_150"));

#include "platform/picture/Picture.h"
#include "platform/types/PixelView.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace torva::test {

// Which bytes of a pixel take part: blue, green and red only (what the window shows), or the
// fourth byte as well (masks, or the never-zero results of a blend).
enum class GoldenChannels { Colour,
    WithFourthByte };

// How far a picture may stray and still match: a pixel differs when one of its bytes is off by
// more than `channel`, and up to `pixels` differing pixels are forgiven (text rasterised by
// another font library version differs that little; a control moved by one pixel does not).
// A regenerated golden keeps its channels rounded to multiples of `storedStep`, so that a
// photograph-like window compresses; the rounding (at most half a step) counts against `channel`.
struct GoldenTolerance {
    int channel = 0;
    long long pixels = 0;
    int storedStep = 1;
};

// A view of a top-down picture's pixels (a decoded file), which run bottom-up in a PixelView.
struct BottomUpPicture {
    std::vector<uint32_t> pixels;
    PixelView view;

    explicit BottomUpPicture(const platform::Picture& picture);
};

struct GoldenComparison {
    bool sizeMatches = false;
    long long differingPixels = 0;
};

// Pixel by pixel; a size mismatch counts every pixel of the larger picture.
GoldenComparison ComparePictures(const PixelView& actual, const PixelView& expected, GoldenChannels channels,
    GoldenTolerance tolerance = {});

::testing::AssertionResult CompareToGolden(const PixelView& actual, const std::filesystem::path& goldenFile,
    const std::filesystem::path& outputDir, const std::string& name, GoldenChannels channels, GoldenTolerance tolerance = {});

#if defined(TORVA_SOURCE_DIR) && defined(TORVA_TEST_OUTPUT_DIR)
// `name` is the golden's path below tests/golden without ".png" ("control/opacity_150").
inline ::testing::AssertionResult MatchesGolden(const PixelView& actual, const std::string& name,
    GoldenChannels channels = GoldenChannels::Colour, GoldenTolerance tolerance = {})
{
    return CompareToGolden(actual, std::filesystem::path(TORVA_SOURCE_DIR) / "tests" / "golden" / (name + ".png"),
        TORVA_TEST_OUTPUT_DIR, name, channels, tolerance);
}
#endif

}
