#include "tests/support/GoldenImage.h"
#include "tests/support/PixelBuffer.h"
#include "tests/support/TestFiles.h"

#include "platform/picture/Picture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using torva::test::ComparePictures;
using torva::test::CompareToGolden;
using torva::test::GoldenChannels;
using torva::test::PixelBuffer;

namespace {

class GoldenFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = torva::test::FreshTestFolder("golden_helper");
        unsetenv("TORVA_REGENERATE_GOLDENS");
    }
    void TearDown() override { unsetenv("TORVA_REGENERATE_GOLDENS"); }
    // Compares as a run with TORVA_REGENERATE_GOLDENS=1 does: the golden `name` is written.
    ::testing::AssertionResult Regenerate(const PixelView& picture, const std::string& name, GoldenChannels channels)
    {
        setenv("TORVA_REGENERATE_GOLDENS", "1", 1);
        auto result = CompareToGolden(picture, dir / (name + ".png"), dir, name, channels);
        unsetenv("TORVA_REGENERATE_GOLDENS");
        return result;
    }
    fs::path dir;
};

}

TEST(GoldenCompareTest, CountsDifferingPixelsByChannelChoiceAndAllOfTheLargerPicture)
{
    PixelBuffer a(3, 2, 0xFF102030), b(3, 2, 0xFF102030);
    EXPECT_EQ(ComparePictures(a.view, b.view, GoldenChannels::Colour).differingPixels, 0);
    b.view.At(2, 1) = 0xFF102031;
    b.view.At(0, 0) = 0x00102030; // only the fourth byte differs
    EXPECT_EQ(ComparePictures(a.view, b.view, GoldenChannels::Colour).differingPixels, 1);
    EXPECT_EQ(ComparePictures(a.view, b.view, GoldenChannels::WithFourthByte).differingPixels, 2);
    // Pictures of different sizes differ in every pixel of the larger.
    PixelBuffer wider(4, 2, 0xFF102030);
    auto result = ComparePictures(a.view, wider.view, GoldenChannels::Colour);
    EXPECT_FALSE(result.sizeMatches);
    EXPECT_EQ(result.differingPixels, 8);
}

TEST(GoldenCompareTest, ToleranceForgivesSmallChannelDifferences)
{
    PixelBuffer a(4, 1, 0xFF808080), b(4, 1, 0xFF808080);
    b.view.At(0, 0) = 0xFF808088; // off by 8 in blue
    b.view.At(1, 0) = 0xFF808980; // off by 9 in green
    b.view.At(2, 0) = 0xFF708080; // off by 16 in red
    EXPECT_EQ(ComparePictures(a.view, b.view, GoldenChannels::Colour, { 8, 0 }).differingPixels, 2);
    EXPECT_EQ(ComparePictures(a.view, b.view, GoldenChannels::Colour, { 16, 0 }).differingPixels, 0);
}

TEST_F(GoldenFileTest, ToleratedDifferencesStillMatchTheGolden)
{
    PixelBuffer a(4, 1, 0xFF808080), b(4, 1, 0xFF808080);
    b.view.At(0, 0) = 0xFF808090;
    b.view.At(1, 0) = 0xFF809080;
    ASSERT_TRUE(Regenerate(a.view, "scene", GoldenChannels::Colour));
    EXPECT_TRUE(CompareToGolden(b.view, dir / "scene.png", dir, "scene", GoldenChannels::Colour, { 8, 2 }));
    EXPECT_FALSE(CompareToGolden(b.view, dir / "scene.png", dir, "scene", GoldenChannels::Colour, { 8, 1 }));
}

TEST_F(GoldenFileTest, MissingGoldenFailsAndKeepsTheActualPicture)
{
    PixelBuffer a(2, 2, 0x00FF0000);
    auto result = CompareToGolden(a.view, dir / "scene.png", dir, "group/scene", GoldenChannels::Colour);
    EXPECT_FALSE(result);
    EXPECT_NE(std::string(result.message()).find("TORVA_REGENERATE_GOLDENS=1"), std::string::npos);
    EXPECT_TRUE(fs::exists(dir / "group_scene.actual.png"));
    EXPECT_FALSE(fs::exists(dir / "scene.png"));
}

TEST_F(GoldenFileTest, RegenerationWritesAGoldenThatThenMatches)
{
    PixelBuffer a(3, 2, 0x00123456);
    a.view.At(1, 0) = 0x00ABCDEF; // top row: checks the row order of the written file
    EXPECT_TRUE(Regenerate(a.view, "scene", GoldenChannels::Colour));
    ASSERT_TRUE(fs::exists(dir / "scene.png"));
    platform::Picture written = platform::ReadPictureFile(dir / "scene.png");
    EXPECT_EQ(written.At(1, 0) & 0xFFFFFF, 0xABCDEFu);
    EXPECT_TRUE(CompareToGolden(a.view, dir / "scene.png", dir, "scene", GoldenChannels::Colour));
    EXPECT_FALSE(fs::exists(dir / "scene.diff.png"));
}

TEST_F(GoldenFileTest, MismatchWritesActualExpectedAndDifference)
{
    PixelBuffer golden(4, 3, 0x00202020);
    ASSERT_TRUE(Regenerate(golden.view, "scene", GoldenChannels::Colour));

    PixelBuffer actual(4, 3, 0x00202020);
    actual.view.At(3, 2) = 0x00202021;
    actual.view.At(0, 1) = 0x00FFFFFF;
    auto result = CompareToGolden(actual.view, dir / "scene.png", dir, "scene", GoldenChannels::Colour);
    EXPECT_FALSE(result);
    EXPECT_NE(std::string(result.message()).find("2 pixels differ"), std::string::npos) << result.message();
    ASSERT_TRUE(fs::exists(dir / "scene.diff.png"));
    EXPECT_TRUE(fs::exists(dir / "scene.actual.png"));
    EXPECT_TRUE(fs::exists(dir / "scene.expected.png"));
    platform::Picture diff = platform::ReadPictureFile(dir / "scene.diff.png");
    EXPECT_EQ(diff.At(3, 2) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(diff.At(0, 1) & 0xFFFFFF, 0xFF0000u);
    EXPECT_NE(diff.At(1, 1) & 0xFFFFFF, 0xFF0000u);
}

TEST_F(GoldenFileTest, FourthByteCountsOnlyWhenAsked)
{
    PixelBuffer golden(2, 1, 0x80102030);
    ASSERT_TRUE(Regenerate(golden.view, "mask", GoldenChannels::WithFourthByte));
    PixelBuffer actual(2, 1, 0x80102030);
    actual.view.At(1, 0) = 0x01102030;
    EXPECT_FALSE(CompareToGolden(actual.view, dir / "mask.png", dir, "mask", GoldenChannels::WithFourthByte));
    EXPECT_TRUE(CompareToGolden(actual.view, dir / "mask.png", dir, "mask", GoldenChannels::Colour));
}
