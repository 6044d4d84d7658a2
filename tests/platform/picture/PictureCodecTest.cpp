#include "platform/picture/Picture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace platform;

namespace {

const std::filesystem::path Suite = std::filesystem::path(TORVA_TEST_DATA_DIR) / "bmpsuite";

Picture Sample(int width, int height)
{
    Picture p;
    p.width = width;
    p.height = height;
    for (int i = 0; i < width * height; ++i)
        p.pixels.push_back(0x10000000u * (i % 16) + 0x00030507u * static_cast<uint32_t>(i));
    return p;
}

}

TEST(PictureCodec, FormatIsSniffedFromTheContent)
{
    const std::pair<std::vector<uint8_t>, PictureFormat> cases[] = {
        { { 'B', 'M', 0 }, PictureFormat::Bitmap },
        { { 0xFF, 0xD8, 0xFF, 0xE0 }, PictureFormat::Jpeg },
        { { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n' }, PictureFormat::Png },
        { { 'G', 'I', 'F', '8' }, PictureFormat::Unknown },
        { {}, PictureFormat::Unknown },
        { { 'B' }, PictureFormat::Unknown },
    };
    for (auto& [bytes, format] : cases)
        EXPECT_EQ(SniffPictureFormat(bytes), format);
    // The loader reads what the menu's pictures come as; PNG is for tools only.
    EXPECT_FALSE(DecodePicture(ReadPictureBytes(Suite / "html" / "pal1.png"), "pal1.png"));
    EXPECT_FALSE(DecodePicture(std::vector<uint8_t> { 'G', 'I', 'F' }, "a.gif"));
}

TEST(PictureCodec, BitmapsRoundTripAtBothDepths)
{
    Picture p = Sample(5, 3); // 5 pixels: 24-bit rows need padding
    Picture back32 = DecodeBitmap(EncodeBitmap(p, 32), "test").Value();
    EXPECT_EQ(back32.pixels, p.pixels);
    EXPECT_TRUE(back32.hasAlpha);

    Picture back24 = DecodeBitmap(EncodeBitmap(p, 24), "test").Value();
    ASSERT_EQ(back24.pixels.size(), p.pixels.size());
    for (size_t i = 0; i < p.pixels.size(); ++i)
        EXPECT_EQ(back24.pixels[i], p.pixels[i] | 0xFF000000u);
    EXPECT_THROW(EncodeBitmap(p, 16), PictureError);
}

TEST(PictureCodec, PngRoundTripKeepsAlphaOnlyWhenAsked)
{
    Picture p = Sample(4, 3);
    Picture withAlpha = DecodePng(EncodePng(p, true), "test").Value();
    EXPECT_EQ(withAlpha.pixels, p.pixels);
    Picture opaque = DecodePng(EncodePng(p, false), "test").Value();
    EXPECT_FALSE(opaque.hasAlpha);
    for (size_t i = 0; i < p.pixels.size(); ++i)
        EXPECT_EQ(opaque.pixels[i], p.pixels[i] | 0xFF000000u);
}

TEST(PictureCodec, JpegDecodesCloseToItsSourceAndOpaque)
{
    Picture jpeg = DecodePicture(ReadPictureBytes(Suite / "html" / "rgb24.jpg"), "test").Value();
    Picture png = DecodePng(ReadPictureBytes(Suite / "html" / "rgb24.png"), "test").Value();
    ASSERT_EQ(jpeg.width, png.width);
    ASSERT_EQ(jpeg.height, png.height);
    EXPECT_FALSE(jpeg.hasAlpha);
    long total = 0;
    for (size_t i = 0; i < jpeg.pixels.size(); ++i) {
        EXPECT_EQ(jpeg.pixels[i] >> 24, 0xFFu);
        for (int shift = 0; shift < 24; shift += 8)
            total += std::abs(int((jpeg.pixels[i] >> shift) & 0xFF) - int((png.pixels[i] >> shift) & 0xFF));
    }
    EXPECT_LT(total / static_cast<long>(jpeg.pixels.size() * 3), 8) << "mean error per channel";
}

TEST(PictureCodec, TruncatedOrDamagedJpegRaises)
{
    std::vector<uint8_t> good = ReadPictureBytes(Suite / "html" / "rgb24.jpg");
    for (size_t cut : { size_t(2), size_t(3), size_t(20), good.size() / 2, good.size() - 40 }) {
        std::vector<uint8_t> part(good.begin(), good.begin() + cut);
        EXPECT_FALSE(DecodeJpeg(part, "cut.jpg")) << cut;
    }
    EXPECT_FALSE(DecodeJpeg({}, "empty.jpg"));
}

TEST(PictureCodec, JpegClaimingFarMorePixelsThanItsDataIsRefusedBeforeDecoding)
{
    std::vector<uint8_t> jpeg = ReadPictureBytes(Suite / "html" / "rgb24.jpg");
    size_t sof = 2;
    while (sof + 9 < jpeg.size() && !(jpeg[sof] == 0xFF && jpeg[sof + 1] == 0xC0))
        ++sof;
    ASSERT_LT(sof + 9, jpeg.size());
    jpeg[sof + 5] = 60000 >> 8; // height
    jpeg[sof + 6] = 60000 & 0xFF;
    auto decoded = DecodeJpeg(jpeg, "tall.jpg");
    ASSERT_FALSE(decoded);
    EXPECT_EQ(decoded.Error().file, "tall.jpg");
    EXPECT_NE(decoded.Error().reason.find("too short"), std::string::npos) << decoded.Error().reason;
}

TEST(PictureCodec, FilesAreReadByContentAndErrorsNameThem)
{
    EXPECT_EQ(ReadPictureFile(Suite / "g" / "pal8.bmp").width, 127);
    EXPECT_EQ(ReadPictureFile(Suite / "html" / "pal8.png").width, 127);
    try {
        ReadPictureFile(Suite / "b" / "shortfile.bmp");
        FAIL();
    } catch (const PictureError& e) {
        EXPECT_NE(std::string(e.what()).find("shortfile.bmp"), std::string::npos);
    }
    EXPECT_THROW(ReadPictureFile(Suite / "no-such-file.bmp"), PictureError);
}
