// The shelf's window as the virtual display showed it after the round trip (shelf_window.sh),
// compared with tests/golden/shelf; TORVA_REGENERATE_GOLDENS=1 rewrites the golden from it.

#include "tests/support/GoldenImage.h"

#include "platform/picture/Picture.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

// The menu's window goldens' tolerance: text drawn by another font library version differs.
constexpr torva::test::GoldenTolerance kTolerance { 32, 40, 32 };

TEST(ShelfGoldenTest, TheShelfComesBackAsItWasLeft)
{
    const std::filesystem::path shot = TORVA_SHELF_SHOT;
    if (!std::filesystem::exists(shot))
        GTEST_SKIP() << "no screenshot: the virtual display's run was skipped";
    const torva::test::BottomUpPicture actual(platform::ReadPictureFile(shot));
    EXPECT_TRUE(torva::test::MatchesGolden(actual.view, "shelf/search", torva::test::GoldenChannels::Colour, kTolerance));
}

}
