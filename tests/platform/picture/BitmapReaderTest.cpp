#include "platform/picture/Picture.h"
#include "tests/support/BitmapBytes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace platform;

namespace {

const std::filesystem::path Suite = std::filesystem::path(TORVA_TEST_DATA_DIR) / "bmpsuite";

// Builds a bitmap by hand: file header, 40-byte info header, masks, palette, pixel bytes.
struct BitmapBuilder : torva::test::InfoHeaderFields {
    std::vector<uint32_t> palette;
    std::vector<uint8_t> masks;
    std::vector<uint8_t> data;

    std::vector<uint8_t> Build() const
    {
        using namespace platform::bitmap;
        ByteWriter out(FileHeader::Bytes);
        out.PutBytes(FileHeader::Signature, Signature);
        torva::test::AppendInfoHeader(out, *this);
        out.AppendBytes(masks);
        torva::test::AppendPalette(out, palette);
        out.Put32(FileHeader::PixelOffset, static_cast<uint32_t>(out.Size()));
        out.AppendBytes(data);
        out.Put32(FileHeader::FileSize, static_cast<uint32_t>(out.Size()));
        return out.Take();
    }
};

BitmapBuilder Bitmap(torva::test::InfoHeaderFields fields, std::vector<uint8_t> data, std::vector<uint32_t> palette = {})
{
    return { fields, std::move(palette), {}, std::move(data) };
}

std::string Rejection(const std::vector<uint8_t>& bytes)
{
    auto decoded = DecodeBitmap(bytes, "Hra.bmp");
    return decoded ? "" : decoded.Error().Message();
}

}

// Every well-formed file of the suite must give exactly the pixels of its reference picture.
TEST(BitmapReader, SuiteGoodFilesMatchTheirReferences)
{
    const std::pair<const char*, const char*> cases[] = {
        { "pal1.bmp", "pal1.png" },
        { "pal1wb.bmp", "pal1.png" },
        { "pal1bg.bmp", "pal1bg.png" },
        { "pal4.bmp", "pal4.png" },
        { "pal4gs.bmp", "pal4gs.png" },
        { "pal4rle.bmp", "pal4.png" },
        { "pal8.bmp", "pal8.png" },
        { "pal8-0.bmp", "pal8.png" },
        { "pal8gs.bmp", "pal8gs.png" },
        { "pal8rle.bmp", "pal8.png" },
        { "pal8w126.bmp", "pal8w126.png" },
        { "pal8w125.bmp", "pal8w125.png" },
        { "pal8w124.bmp", "pal8w124.png" },
        { "pal8topdown.bmp", "pal8.png" },
        { "pal8nonsquare.bmp", "pal8nonsquare-e.png" },
        { "pal8os2.bmp", "pal8.png" },
        { "pal8v4.bmp", "pal8.png" },
        { "pal8v5.bmp", "pal8.png" },
        { "rgb16.bmp", "rgb16.png" },
        { "rgb16bfdef.bmp", "rgb16.png" },
        { "rgb16-565.bmp", "rgb16-565.png" },
        { "rgb16-565pal.bmp", "rgb16-565.png" },
        { "rgb24.bmp", "rgb24.png" },
        { "rgb24pal.bmp", "rgb24.png" },
        { "rgb32.bmp", "rgb24.png" },
        { "rgb32bfdef.bmp", "rgb24.png" },
        { "rgb32bf.bmp", "rgb24.png" },
    };
    size_t checked = 0;
    for (auto [file, reference] : cases) {
        SCOPED_TRACE(file);
        Picture got = DecodeBitmap(ReadPictureBytes(Suite / "g" / file), "test").Value();
        Picture want = DecodePng(ReadPictureBytes(Suite / "html" / reference), "test").Value();
        ASSERT_EQ(got.width, want.width);
        ASSERT_EQ(got.height, want.height);
        EXPECT_FALSE(got.hasAlpha);
        int wrong = 0;
        for (size_t i = 0; i < got.pixels.size(); ++i)
            wrong += got.pixels[i] != want.pixels[i];
        EXPECT_EQ(wrong, 0) << "first pixel " << std::hex << got.pixels[0] << " vs " << want.pixels[0];
        ++checked;
    }
    size_t inFolder = 0;
    for (auto& entry : std::filesystem::directory_iterator(Suite / "g"))
        inFolder += entry.path().extension() == ".bmp";
    EXPECT_EQ(checked, inFolder) << "a file of g/ has no reference in this table";
}

TEST(BitmapReader, SuiteBadFilesAreRejected)
{
    int files = 0;
    for (auto& entry : std::filesystem::directory_iterator(Suite / "b")) {
        SCOPED_TRACE(entry.path().filename().string());
        EXPECT_FALSE(DecodePicture(ReadPictureBytes(entry.path()), "bad.bmp"));
        ++files;
    }
    EXPECT_GT(files, 10);
}

// The questionable files are ours to accept or refuse; whichever, never anything but a clean
// refusal. The count is printed for the record.
TEST(BitmapReader, SuiteQuestionableFilesLoadOrFailCleanly)
{
    int loaded = 0, total = 0;
    for (auto& entry : std::filesystem::directory_iterator(Suite / "q")) {
        ++total;
        auto p = DecodePicture(ReadPictureBytes(entry.path()), "q.bmp");
        if (p) {
            EXPECT_EQ(p->pixels.size(), static_cast<size_t>(p->width) * p->height);
            ++loaded;
        }
    }
    std::printf("bmpsuite q/: %d of %d load\n", loaded, total);
    EXPECT_GT(loaded, 0);
}

// Each small file's pixels, top row first.
TEST(BitmapReader, HandBuiltFilesDecodeToTheirPixels)
{
    const uint32_t W = 0xFFFFFFFF, K = 0xFF000000, R = 0xFF0000FF, G = 0xFF00FF00;
    BitmapBuilder fiveSixFive = Bitmap({ .width = 2, .height = 1, .bitCount = 16, .compression = 3 }, { 0xFF, 0xFF, 0x1F, 0x00 });
    fiveSixFive.masks = { 0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0 };
    const struct {
        const char* what;
        BitmapBuilder bitmap;
        std::vector<uint32_t> pixels;
        bool hasAlpha;
    } cases[] = {
        // Row 0: pixels 0 and 8 set; row 1: pixel 1 set; rows padded to four bytes.
        { "one bit, top-down", Bitmap({ .width = 9, .height = -2, .bitCount = 1 }, { 0x80, 0x80, 0, 0, 0x40, 0x00, 0, 0 }, { 0x000000, 0xFFFFFF }),
            { W, K, K, K, K, K, K, K, W, K, W, K, K, K, K, K, K, K }, false },
        { "an all-zero fourth byte is padding", Bitmap({ .height = 1, .bitCount = 32 }, { 1, 2, 3, 0, 4, 5, 6, 0 }), { 0xFF030201, 0xFF060504 }, false },
        { "any other makes it alpha", Bitmap({ .height = 1, .bitCount = 32 }, { 1, 2, 3, 0x80, 4, 5, 6, 0 }), { 0x80030201, 0x00060504 }, true },
        { "bit fields scale narrow channels to the full range", fiveSixFive, { W, 0xFF0000FF }, false },
        // Bottom row: two of colour 1, end of line; top row: a literal of three, end of picture.
        { "run-length skips leave transparent pixels", Bitmap({ .width = 4, .compression = 1 }, { 2, 1, 0, 0, 0, 3, 0, 1, 0, 0, 0, 1 }, { 0x0000FF, 0x00FF00 }),
            { R, G, R, 0, G, G, 0, 0 }, true },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Picture p = DecodeBitmap(c.bitmap.Build(), "test").Value();
        EXPECT_EQ(p.pixels, c.pixels);
        EXPECT_EQ(p.hasAlpha, c.hasAlpha);
    }
}

TEST(BitmapReader, MalformedHeadersAndDataAreRejectedWithTheReason)
{
    struct Case {
        const char* name;
        void (*spoil)(BitmapBuilder&);
        const char* expected;
    };
    auto base = [] { return Bitmap({}, { 0, 1, 0, 0, 1, 0, 0, 0 }, { 0, 0xFFFFFF }); };
    const Case cases[] = {
        { "index past palette", [](BitmapBuilder& b) { b.data[1] = 2; }, "palette index 2" },
        { "huge size", [](BitmapBuilder& b) { b.width = 65535; b.height = 65535; }, "too large" },
        { "data shorter than rows", [](BitmapBuilder& b) { b.data.resize(5); }, "pixel data" },
        { "zero width", [](BitmapBuilder& b) { b.width = 0; }, "not a picture" },
        { "depth 7", [](BitmapBuilder& b) { b.bitCount = 7; }, "bit count 7" },
        { "rle with 24 bits", [](BitmapBuilder& b) { b.compression = 1; b.bitCount = 24; }, "run-length" },
        { "rle run past row", [](BitmapBuilder& b) { b.compression = 1; b.data = { 3, 0, 0, 1 }; }, "end of row" },
        { "rle without end", [](BitmapBuilder& b) { b.compression = 1; b.data = { 2, 0, 0, 0 }; }, "run-length data" },
        { "rle past last row", [](BitmapBuilder& b) { b.compression = 1; b.data = { 0, 0, 0, 0, 1, 0, 0, 1 }; }, "last row" },
        { "rle skip outside", [](BitmapBuilder& b) { b.compression = 1; b.data = { 0, 2, 9, 0, 0, 1 }; }, "skip" },
        { "palette too long", [](BitmapBuilder& b) { b.clrUsed = 1000000; }, "palette" },
        { "bit fields missing blue", [](BitmapBuilder& b) { b.bitCount = 16; b.compression = 3; b.palette.clear();
              b.masks = { 0, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0, 0, 0, 0 }; }, "empty blue" },
        { "bit fields overlapping", [](BitmapBuilder& b) { b.bitCount = 16; b.compression = 3; b.palette.clear();
              b.masks = { 0, 0xF8, 0, 0, 0xE0, 0x0F, 0, 0, 0x1F, 0, 0, 0 }; }, "overlaps" },
        { "embedded jpeg", [](BitmapBuilder& b) { b.compression = 4; }, "embedded" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BitmapBuilder b = base();
        c.spoil(b);
        std::string rejection = Rejection(b.Build());
        EXPECT_EQ(rejection.rfind("Hra.bmp: bitmap: ", 0), 0u) << rejection;
        EXPECT_NE(rejection.find(c.expected), std::string::npos) << rejection;
    }
}

TEST(BitmapReader, EveryTruncationOfAGoodFileIsRejected)
{
    std::vector<uint8_t> good = ReadPictureBytes(Suite / "g" / "pal4rle.bmp");
    for (size_t cut = 0; cut < good.size(); cut += 7) {
        std::vector<uint8_t> part(good.begin(), good.begin() + cut);
        EXPECT_FALSE(DecodeBitmap(part, "cut.bmp")) << cut;
    }
}
