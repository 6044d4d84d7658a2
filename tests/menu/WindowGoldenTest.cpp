// The window goldens: the screenshots sample_goldens.script took of the built-in sample disc's
// pages, compared with tests/golden/menu. TORVA_REGENERATE_GOLDENS=1 rewrites the goldens from them.

#include "tests/support/GoldenImage.h"

#include "platform/picture/Picture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

constexpr const char* kPages[] = { "start", "viewer", "detail", "extra2", "fulls", "movies", "shots", "extra", "shareware",
    "updates", "drivers", "installed", "settings" };

// Enough for text drawn by another font library version; a control moved by one pixel differs
// along its whole edge. The goldens keep channels in steps of 16, which cuts their size by two thirds.
constexpr torva::test::GoldenTolerance kTolerance { 32, 40, 32 };

TEST(WindowGoldenTest, EveryPageLooksAsItsGolden)
{
    for (const char* page : kPages) {
        SCOPED_TRACE(page);
        const std::filesystem::path shot = std::filesystem::path(TORVA_GOLDEN_RUN_DIR) / (std::string(page) + ".png");
        ASSERT_TRUE(std::filesystem::exists(shot)) << "the script took no screenshot " << shot;
        const torva::test::BottomUpPicture actual(platform::ReadPictureFile(shot));
        EXPECT_TRUE(torva::test::MatchesGolden(actual.view, std::string("menu/") + page, torva::test::GoldenChannels::Colour, kTolerance));
    }
}

}
