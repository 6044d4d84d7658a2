// The generator's own file writers, read back with the readers the menu uses.

#include "tools/artwork/Output.h"

#include "dib/stream/DIBStream.h"
#include "dib/surface/cDIB.h"
#include "platform/picture/Picture.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace artwork;

TEST(ArtworkWriters, OneBitBitmapReadsBackPixelForPixel)
{
    // 37 wide: a row of 5 bytes padded to 8, so padding and the last partial byte both count.
    auto pattern = [](int x, int y) { return (x * 7 + y * 3) % 5 < 2; };
    platform::Picture picture = platform::DecodeBitmap(OneBitBitmap(37, 3, pattern), "test").Value();
    ASSERT_EQ(picture.width, 37);
    ASSERT_EQ(picture.height, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 37; ++x)
            EXPECT_EQ(picture.At(x, y) & 0xFFFFFF, pattern(x, y) ? 0xFFFFFFu : 0u) << x << "," << y;
}

TEST(ArtworkWriters, RawStreamIsWhatASurfaceReads)
{
    Raster r(3, 2, Hex(0x102030));
    r.At(0, 0) = Hex(0xFF0000); // top left
    r.At(2, 1) = Hex(0x0000FF); // bottom right
    r.Mask(2, 1) = 0.5f;
    std::vector<uint8_t> bytes = RawDibStream(r);
    ASSERT_EQ(bytes.size(), 4u + 3 * 2 * 4);
    EXPECT_EQ(bytes[0], 3);
    EXPECT_EQ(bytes[2], 2);
    // Bottom row first: its last pixel is the bytes 12..15 of the pixel data, blue first.
    EXPECT_EQ(bytes[4 + 8], 0xFF);
    EXPECT_EQ(bytes[4 + 11], 128);
    TMemoryDIB dib;
    TDIBMemoryStream stream(bytes);
    dib.ReadData(stream);
    EXPECT_EQ(dib.Pixels(0, 0) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(dib.Pixels(1, 0) & 0xFFFFFF, 0x102030u);
}

TEST(ArtworkWriters, JpegRoundTripKeepsTheColours)
{
    Raster r(40, 24);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 40; ++x)
            r.At(x, y) = { x * 6.0f, y * 10.0f, 200.0f };
    platform::Picture back = platform::DecodeJpeg(JpegFile(r, 95), "test").Value();
    ASSERT_EQ(back.width, 40);
    ASSERT_EQ(back.height, 24);
    for (int y = 0; y < 24; y += 5)
        for (int x = 0; x < 40; x += 7) {
            uint32_t p = back.At(x, y);
            EXPECT_NEAR(int(p >> 16 & 0xFF), x * 6, 8) << x << "," << y;
            EXPECT_NEAR(int(p >> 8 & 0xFF), y * 10, 8) << x << "," << y;
            EXPECT_NEAR(int(p & 0xFF), 200, 8) << x << "," << y;
        }
}

TEST(ArtworkWriters, JpegRefusesWhatItCannotEncode)
{
    platform::Picture empty;
    EXPECT_THROW(platform::EncodeJpeg(empty, 90), platform::PictureError);
    platform::Picture one { 1, 1, { 0xFF000000 }, false };
    EXPECT_THROW(platform::EncodeJpeg(one, 0), platform::PictureError);
    EXPECT_THROW(platform::EncodeJpeg(one, 101), platform::PictureError);
    platform::Picture inconsistent { 2, 2, { 0, 0, 0 }, false };
    EXPECT_THROW(platform::EncodeJpeg(inconsistent, 90), platform::PictureError);
}
