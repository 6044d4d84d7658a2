#include "dib/graphic/DIB.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace platform;

namespace {

const std::filesystem::path Suite = std::filesystem::path(TORVA_TEST_DATA_DIR) / "bmpsuite";

std::vector<uint8_t> Bytes(const std::string& name)
{
    return ReadPictureBytes(Suite / name);
}

TEST(DIBGraphic, ReadsBitmapFilesAsThePlatformReaderDoes)
{
    int read = 0;
    for (const auto& entry : std::filesystem::directory_iterator(Suite / "g")) {
        const auto bytes = ReadPictureBytes(entry.path());
        TDIB graphic;
        graphic.LoadFromBytes(bytes);
        EXPECT_EQ(graphic.Picture().pixels, DecodeBitmap(bytes, "test").Value().pixels) << entry.path();
        ++read;
    }
    EXPECT_GT(read, 20);
}

TEST(DIBGraphic, RefusesWhatIsNoBitmapFileAndKeepsItsPicture)
{
    TDIB graphic;
    graphic.LoadFromBytes(Bytes("g/rgb24.bmp"));
    const auto before = graphic.Picture().pixels;
    auto headerless = Bytes("g/rgb24.bmp");
    headerless[0] = 'X';
    EXPECT_THROW(graphic.LoadFromBytes(headerless), EDIBGraphicError);
    EXPECT_THROW(graphic.LoadFromBytes(std::vector<uint8_t> { 'B', 'M', 0 }), EDIBGraphicError);
    EXPECT_THROW(graphic.LoadFromBytes(Bytes("b/badbitcount.bmp")), EDIBGraphicError);
    EXPECT_EQ(graphic.Picture().pixels, before);
}

TEST(DIBGraphic, SavesThirtyTwoBitFilesThatReadBackTheSame)
{
    TMemoryDIB surface(3, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            surface.SetPixel(x, y, 0x80000000u | uint32_t(x * 40 + y * 7) << 8 | uint32_t(y * 100));
    TDIB graphic;
    graphic.Assign(surface);
    const auto file = graphic.SaveToBytes();
    EXPECT_EQ(file[0], 'B');
    TDIB again;
    again.LoadFromBytes(file);
    TMemoryDIB back;
    again.DrawTo(back);
    ASSERT_EQ(back.Width(), 3);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(back.Pixels(x, y) & 0xFFFFFF, surface.Pixels(x, y) & 0xFFFFFF);
}

TEST(DIBGraphic, PastedBitmapsComeWithoutTheFileHeader)
{
    // Palettes, colour masks and the larger headers all sit between header and pixels.
    for (const char* name : { "g/pal1.bmp", "g/pal4.bmp", "g/pal8.bmp", "g/pal8-0.bmp", "g/pal8os2.bmp", "g/pal8v5.bmp",
             "g/rgb16-565.bmp", "g/rgb24.bmp", "g/rgb32bf.bmp" }) {
        const auto file = Bytes(name);
        TDIB graphic;
        graphic.LoadFromPackedDIB(std::span(file).subspan(14));
        EXPECT_EQ(graphic.Picture().pixels, DecodeBitmap(file, "test").Value().pixels) << name;
    }
    TDIB graphic;
    EXPECT_THROW(graphic.LoadFromPackedDIB(std::vector<uint8_t>(8, 0)), EDIBGraphicError);
    std::vector<uint8_t> huge(40, 0);
    huge[0] = 40;
    huge[14] = 8;
    huge[32] = 0xFF; // a colour table far beyond the data
    huge[33] = 0xFF;
    EXPECT_THROW(graphic.LoadFromPackedDIB(huge), EDIBGraphicError);
}

TEST(DIBGraphic, TheClipboardCarriesOneBitmap)
{
    dibclipboard::Clear();
    TDIB graphic;
    EXPECT_FALSE(graphic.PasteFromClipboard());
    EXPECT_TRUE(graphic.Empty());
    TDIB source;
    source.LoadFromBytes(Bytes("g/pal8.bmp"));
    source.CopyToClipboard();
    EXPECT_TRUE(graphic.PasteFromClipboard());
    EXPECT_EQ(graphic.Picture().pixels, source.Picture().pixels);
    dibclipboard::Clear();
}

TEST(DIBGraphic, IsTheReaderOfDibFiles)
{
    const TGraphicFileFormat* format = FindGraphicFileFormat("DIB");
    ASSERT_NE(format, nullptr);
    EXPECT_EQ(FindGraphicFileFormat(".dib"), format);
    EXPECT_EQ(format->graphicClass, &TDIB::StaticClass());
    EXPECT_EQ(format->read(Bytes("g/rgb24.bmp"))->Width(), 127);
    EXPECT_EQ(FindGraphicFileFormat("bmpx"), nullptr);
}

}
