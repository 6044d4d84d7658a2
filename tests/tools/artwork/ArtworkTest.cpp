// The embedded artwork: every name the menu loads is there, at its size and in its format,
// and the pictures that must join others (icons on the column, markers on their rails, clips
// over the window background) really do.

#include "resources/ArtworkNames.h"

#include "dib/stream/DIBStream.h"
#include "dib/surface/cDIB.h"
#include "platform/avi/AviClip.h"
#include "platform/picture/Picture.h"
#include "platform/resources/Resources.h"
#include "platform/window/BoxArt.h"
#include "shelf/form/ShelfArt.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

using namespace artwork;

namespace {

std::span<const uint8_t> Resource(std::string_view name)
{
    auto bytes = platform::FindResource(name);
    if (!bytes)
        ADD_FAILURE() << "no resource " << name;
    return bytes.value_or(std::span<const uint8_t> {});
}

// Reads a raw surface stream the way the menu's surfaces do.
std::unique_ptr<TMemoryDIB> ReadDib(std::string_view name)
{
    auto bytes = Resource(name);
    auto dib = std::make_unique<TMemoryDIB>();
    TDIBMemoryStream stream(bytes);
    dib->ReadData(stream);
    return dib;
}

void ExpectRawStream(std::string_view name, int width, int height)
{
    auto bytes = Resource(name);
    ASSERT_EQ(bytes.size(), 4 + size_t(width) * height * 4) << name;
    EXPECT_EQ(bytes[0] | bytes[1] << 8, width) << name;
    EXPECT_EQ(bytes[2] | bytes[3] << 8, height) << name;
}

uint32_t Rgb(uint32_t pixel) { return pixel & 0xFFFFFF; }

}

TEST(Artwork, FormPicturesHaveTheirSizesAndFormats)
{
    for (const ArtPicture& picture : FormPictures) {
        SCOPED_TRACE(std::string(picture.resource));
        switch (picture.format) {
        case ArtFormat::RawDib:
            ExpectRawStream(picture.resource, picture.width, picture.height);
            break;
        case ArtFormat::Jpeg:
        case ArtFormat::OneBitBitmap: {
            auto bytes = Resource(picture.resource);
            EXPECT_EQ(platform::SniffPictureFormat(bytes), picture.format == ArtFormat::Jpeg ? platform::PictureFormat::Jpeg : platform::PictureFormat::Bitmap);
            platform::Picture decoded = platform::DecodePicture(bytes, "test").Value();
            EXPECT_EQ(decoded.width, picture.width);
            EXPECT_EQ(decoded.height, picture.height);
            break;
        }
        case ArtFormat::Rle8Avi:
            FAIL() << "clips are listed separately";
        }
    }
}

TEST(Artwork, ImageListsHaveTheirSizes)
{
    for (size_t i = 0; i < ImageList1.size(); ++i) {
        SCOPED_TRACE(std::string(ImageList1[i].displayName));
        ExpectRawStream("art/DIBImageList1/" + std::to_string(i) + ".dib", ImageList1[i].width, ImageList1[i].height);
    }
    for (int i = 0; i < ImageList2Count; ++i)
        ExpectRawStream("art/DIBImageList2/" + std::to_string(i) + ".dib", 1, 1);
    EXPECT_FALSE(platform::FindResource("art/DIBImageList1/31.dib"));
    EXPECT_FALSE(platform::FindResource("art/DIBImageList2/101.dib"));
}

TEST(Artwork, NothingUnlistedIsEmbedded)
{
    size_t art = 0;
    for (const std::string& name : platform::ResourceNames())
        art += name.starts_with("art/");
    EXPECT_EQ(art, FormPictures.size() + ImageList1.size() + ImageList2Count + platform::BoxPictureResources.size() + shelf::art::Resources.size());
}

TEST(Artwork, BoxAndShelfPicturesHaveTheSizesTheirPaintersCutThemAt)
{
    using namespace shelf::art;
    struct Sized {
        std::string_view name;
        int width, height;
    };
    const Sized pictures[] = { { platform::BoxFrameResource, platform::BoxFrameSize, platform::BoxFrameSize },
        { platform::BoxButtonResource, platform::BoxButtonWidth, platform::BoxButtonHeight },
        { platform::BoxButtonFocusedResource, platform::BoxButtonWidth, platform::BoxButtonHeight },
        { platform::BoxButtonPressedResource, platform::BoxButtonWidth, platform::BoxButtonHeight },
        { BackgroundResource, WindowWidth, WindowHeight }, { RowResource, RowPictureWidth, RowPictureHeight },
        { GreyedRowResource, RowPictureWidth, RowPictureHeight }, { SearchResource, SearchPictureWidth, SearchPictureHeight } };
    for (const Sized& sized : pictures) {
        SCOPED_TRACE(sized.name);
        platform::Picture picture = platform::DecodePng(Resource(sized.name), "test").Value();
        EXPECT_EQ(picture.width, sized.width);
        EXPECT_EQ(picture.height, sized.height);
    }
}

TEST(Artwork, ShapeCutsAwayFromTheBottomLeftAndKeepsTheScreen)
{
    platform::Picture shape = platform::DecodeBitmap(Resource("art/DIBFormShaper1.bmp"), "test").Value();
    ASSERT_EQ(shape.width, 818);
    ASSERT_EQ(shape.height, 741);
    auto white = [&](int x, int y) { return Rgb(shape.At(x, y)) == 0xFFFFFF; };
    auto black = [&](int x, int y) { return Rgb(shape.At(x, y)) == 0; };
    EXPECT_TRUE(white(0, 740)) << "the shaper takes its key from the bottom-left pixel";
    // Every pixel is one of the two colours, and the whole screen container is window.
    for (int y = 0; y < 741; ++y)
        for (int x = 0; x < 818; ++x)
            ASSERT_TRUE(white(x, y) || black(x, y)) << x << "," << y;
    for (int y = 173; y < 655; ++y)
        for (int x = 85; x < 723; ++x)
            ASSERT_TRUE(black(x, y)) << x << "," << y;
    // The outline is not a rectangle: some edge pixels are cut away, some are not.
    EXPECT_TRUE(white(817, 0));
    EXPECT_TRUE(black(817, 300));
    EXPECT_TRUE(white(817, 465));
}

TEST(Artwork, BigOverlayIsMaskedWithWhiteKeyedCorners)
{
    auto big = ReadDib("art/DIBImageList1/12.dib");
    ASSERT_EQ(big->Width(), 638);
    EXPECT_EQ(big->Pixels(0, 0), 0x00FFFFFFu) << "a corner is white and fully see-through";
    EXPECT_EQ(big->Pixels(637, 481), 0x00FFFFFFu);
    uint32_t centre = big->Pixels(319, 240);
    EXPECT_NE(Rgb(centre), 0xFFFFFFu);
    EXPECT_GT(centre >> 24, 150u) << "the overlay covers the middle";
}

TEST(Artwork, ViewerArrowsStandOnTheirBottomLeftKey)
{
    for (int index : { 29, 30 }) {
        auto arrow = ReadDib("art/DIBImageList1/" + std::to_string(index) + ".dib");
        uint32_t key = Rgb(arrow->Pixels(0, 71));
        int keyed = 0, shown = 0;
        for (int y = 0; y < 72; ++y)
            for (int x = 0; x < 44; ++x)
                (Rgb(arrow->Pixels(x, y)) == key ? keyed : shown) += 1;
        EXPECT_GT(keyed, 0) << index;
        EXPECT_GT(shown, 44 * 72 / 2) << index;
        EXPECT_NE(Rgb(arrow->Pixels(22, 36)), key) << "the chevron itself is not see-through";
    }
}

TEST(Artwork, CategoryIconsShareTheColumnsFlatColour)
{
    auto screen = ReadDib("art/Image14.dib");
    uint32_t column = Rgb(ReadDib("art/DIBImageList1/2.dib")->Pixels(0, 0));
    for (int index : { 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 21, 22, 23, 24, 25, 26, 27, 28 }) {
        auto icon = ReadDib("art/DIBImageList1/" + std::to_string(index) + ".dib");
        EXPECT_EQ(Rgb(icon->Pixels(0, 0)), column) << index;
        EXPECT_EQ(Rgb(icon->Pixels(icon->Width() - 1, icon->Height() - 1)), column) << index;
    }
    // The icons slide through the column's band, so it must be that colour wherever they go.
    for (int y = 56; y < 394; ++y)
        for (int x = 552; x < 602; ++x)
            ASSERT_EQ(Rgb(screen->Pixels(x, y)), column) << x << "," << y;
}

TEST(Artwork, LitAndUnlitIconsDiffer)
{
    for (auto [unlit, lit] : { std::pair { 2, 3 }, { 4, 5 }, { 25, 26 }, { 27, 28 } }) {
        auto a = ReadDib("art/DIBImageList1/" + std::to_string(unlit) + ".dib");
        auto b = ReadDib("art/DIBImageList1/" + std::to_string(lit) + ".dib");
        long brighter = 0;
        for (int y = 0; y < a->Height(); ++y)
            for (int x = 0; x < a->Width(); ++x) {
                uint32_t p = a->Pixels(x, y), q = b->Pixels(x, y);
                brighter += long((q & 0xFF) + (q >> 8 & 0xFF) + (q >> 16 & 0xFF)) - long((p & 0xFF) + (p >> 8 & 0xFF) + (p >> 16 & 0xFF));
            }
        EXPECT_GT(brighter, 0) << "lit icon " << lit << " is brighter than " << unlit;
    }
}

TEST(Artwork, MarkersMatchTheRailsTheyMoveOn)
{
    auto screen = ReadDib("art/Image14.dib");
    for (const char* name : { "art/Image7.dib", "art/Image8.dib" }) {
        uint32_t background = Rgb(ReadDib(name)->Pixels(5, 0));
        // Either marker covers rows 10 to 210 (upper rail) or 271 to 385 (lower rail), x 517..525.
        for (int y : { 10, 100, 210, 271, 330, 385 })
            for (int x = 517; x < 525; ++x)
                ASSERT_EQ(Rgb(screen->Pixels(x, y)), background) << name << " at " << x << "," << y;
    }
}

TEST(Artwork, ClipsFitTheirPlayersAndEndOnTheBackground)
{
    auto background = ReadDib("art/Image4.dib");
    for (const ClipEntry& entry : Clips) {
        SCOPED_TRACE(std::string(entry.resource));
        auto clip = platform::AviClip::FromBytes(Resource(entry.resource), "test.avi").Value();
        EXPECT_EQ(clip.Width(), entry.width);
        EXPECT_EQ(clip.Height(), entry.height);
        EXPECT_EQ(clip.Compression(), platform::AviCompression::Rle8);
        ASSERT_GE(clip.FrameCount(), entry.stopFrame + 1);

        std::vector<uint32_t> pixels(size_t(entry.width) * entry.height);
        PixelView view { reinterpret_cast<uint8_t*>(pixels.data()), entry.width, entry.height };
        auto meanError = [&](int frame) {
            clip.DecodeFrame(frame, view);
            double error = 0;
            for (int y = 0; y < entry.height; ++y)
                for (int x = 0; x < entry.width; ++x) {
                    uint32_t a = view.At(x, y), b = background->Pixels(entry.x + x, entry.y + y);
                    for (int shift : { 0, 8, 16 })
                        error += std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF));
                }
            return error / (3.0 * entry.width * entry.height);
        };
        EXPECT_LT(meanError(entry.stopFrame), 4.0) << "the stop frame leaves a seam";
        EXPECT_GT(meanError(entry.stopFrame / 2), meanError(entry.stopFrame) + 1.0) << "the middle of the clip shows something";
    }
}

TEST(Artwork, ClipsAreMadeForThePlayersOfTheStoredLayout)
{
    // The layout is read as text here, so a player moved there without new clips shows up.
    std::ifstream in(std::string(TORVA_SOURCE_DIR) + "/resources/main_f.lay");
    ASSERT_TRUE(in) << "no stored layout";
    std::map<std::string, std::map<std::string, int>> players;
    std::string line, current;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string first, second, equals;
        words >> first >> second;
        if (first == "object" && second.starts_with("Animate"))
            current = second.substr(0, second.find(':'));
        else if (first == "end")
            current.clear();
        else if (!current.empty() && second == "=") {
            int value = 0;
            if (words >> value)
                players[current][first] = value;
        }
    }
    for (const ClipEntry& entry : Clips) {
        SCOPED_TRACE(std::string(entry.resource));
        auto& p = players[std::string(entry.player)];
        EXPECT_EQ(p["Left"], entry.x);
        EXPECT_EQ(p["Top"], entry.y);
        EXPECT_EQ(p["Width"], entry.width);
        EXPECT_EQ(p["Height"], entry.height);
        EXPECT_EQ(p["StopFrame"], entry.stopFrame);
    }
}
