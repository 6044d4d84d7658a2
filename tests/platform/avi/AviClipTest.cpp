#include "platform/avi/AviClip.h"
#include "platform/picture/Picture.h"

#include "Md5.h"
#include "tests/support/BitmapBytes.h"
#include "tests/support/PixelBuffer.h"
#include "tests/support/TestFiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <random>
#include <regex>

using namespace platform;
using testing::HasSubstr;
using testing::StartsWith;

namespace {

const std::filesystem::path AviDir = std::filesystem::path(TORVA_TEST_DATA_DIR) / "avi";

std::vector<uint8_t> ReadAll(const std::filesystem::path& path)
{
    EXPECT_TRUE(std::filesystem::exists(path)) << "missing test input " << path;
    return torva::test::ReadBytes(path);
}

// Filled with a colour no decoder writes, so pixels it leaves out show.
struct Surface : torva::test::PixelBuffer {
    Surface(int w, int h)
        : PixelBuffer(w, h, 0xDEADBEEF) {}
};

// The corpus checksums are over R, G, B bytes of top-down rows.
std::vector<uint8_t> TopDownRgb(const PixelView& view)
{
    std::vector<uint8_t> rgb;
    for (int y = 0; y < view.height; ++y)
        for (int x = 0; x < view.width; ++x) {
            uint32_t p = view.At(x, y);
            rgb.push_back(uint8_t(p >> 16));
            rgb.push_back(uint8_t(p >> 8));
            rgb.push_back(uint8_t(p));
        }
    return rgb;
}

struct ExpectedClip {
    std::string file;
    std::vector<std::string> frameMd5;
};

// Just enough of expected.json: each clip's file name and its list of frame checksums.
std::vector<ExpectedClip> ReadExpected()
{
    auto bytes = ReadAll(AviDir / "expected.json");
    std::string text(bytes.begin(), bytes.end());
    std::vector<ExpectedClip> clips;
    std::regex fileRe("\"file\": \"([^\"]+)\"");
    std::regex listRe("\"frame_md5\": \\[([^\\]]*)\\]");
    std::regex md5Re("\"([0-9a-f]{32})\"");
    auto files = std::sregex_iterator(text.begin(), text.end(), fileRe);
    auto lists = std::sregex_iterator(text.begin(), text.end(), listRe);
    for (; files != std::sregex_iterator() && lists != std::sregex_iterator(); ++files, ++lists) {
        ExpectedClip clip { (*files)[1].str(), {} };
        std::string list = (*lists)[1].str();
        for (auto it = std::sregex_iterator(list.begin(), list.end(), md5Re); it != std::sregex_iterator(); ++it)
            clip.frameMd5.push_back((*it)[1].str());
        clips.push_back(clip);
    }
    return clips;
}

}

TEST(AviClipCorpus, EveryFrameOfEveryClipMatchesItsChecksum)
{
    auto expected = ReadExpected();
    ASSERT_EQ(expected.size(), 4u);
    for (const auto& want : expected) {
        SCOPED_TRACE(want.file);
        auto clip = AviClip::FromBytes(ReadAll(AviDir / want.file), "test.avi").Value();
        ASSERT_EQ(clip.FrameCount(), static_cast<int>(want.frameMd5.size()));
        Surface frame(clip.Width(), clip.Height());
        for (int n = 0; n < clip.FrameCount(); ++n) {
            clip.DecodeFrame(n, frame.view);
            EXPECT_EQ(Md5Hex(TopDownRgb(frame.view)), want.frameMd5[size_t(n)]) << "frame " << n;
        }
    }
}

TEST(AviClipCorpus, HeaderFacts)
{
    struct Row {
        const char* file;
        int width, height, frames, bits;
        AviCompression compression;
        uint32_t usec;
        size_t palette;
    } rows[] = {
        { "dillo.avi", 80, 48, 71, 8, AviCompression::Rle8, 10417, 256 },
        { "filecopy.avi", 260, 40, 17, 8, AviCompression::Rle8, 100000, 16 },
        { "search.avi", 80, 48, 29, 8, AviCompression::Rle8, 166666, 17 },
        { "mfc2.avi", 40, 40, 40, 24, AviCompression::Rgb, 66667, 0 },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        auto clip = AviClip::FromBytes(ReadAll(AviDir / row.file), "test.avi").Value();
        EXPECT_EQ(clip.Width(), row.width);
        EXPECT_EQ(clip.Height(), row.height);
        EXPECT_EQ(clip.FrameCount(), row.frames);
        EXPECT_EQ(clip.BitsPerPixel(), row.bits);
        EXPECT_EQ(clip.Compression(), row.compression);
        EXPECT_EQ(clip.MicroSecPerFrame(), row.usec);
        EXPECT_EQ(clip.Palette().size(), row.palette);
    }
    auto dillo = AviClip::FromBytes(ReadAll(AviDir / "dillo.avi"), "test.avi").Value();
    EXPECT_EQ(dillo.FrameDataSize(1), 0u);
    EXPECT_NEAR(dillo.FramesPerSecond(), 96.0, 0.01);
}

TEST(AviClipCorpus, FirstFramesMatchTheReferencePictures)
{
    for (const char* name : { "dillo", "filecopy", "search", "mfc2" }) {
        SCOPED_TRACE(name);
        auto clip = AviClip::FromBytes(ReadAll(AviDir / (std::string(name) + ".avi")), "test.avi").Value();
        Picture ref = ReadPictureFile(AviDir / "ref" / (std::string(name) + "_frame000.png"));
        ASSERT_EQ(ref.width, clip.Width());
        ASSERT_EQ(ref.height, clip.Height());
        Surface frame(clip.Width(), clip.Height());
        clip.DecodeFrame(0, frame.view);
        for (int y = 0; y < ref.height; ++y)
            for (int x = 0; x < ref.width; ++x)
                ASSERT_EQ(frame.view.At(x, y) & 0xFFFFFFu, ref.At(x, y) & 0xFFFFFFu) << x << "," << y;
        EXPECT_EQ(frame.view.At(0, 0) >> 24, 0xFFu);
    }
}

TEST(AviClipCorpus, GoingBackDecodesFromTheStart)
{
    auto clip = AviClip::FromBytes(ReadAll(AviDir / "filecopy.avi"), "test.avi").Value();
    Surface later(clip.Width(), clip.Height()), again(clip.Width(), clip.Height());
    clip.DecodeFrame(9, later.view);
    clip.DecodeFrame(3, again.view);
    auto fresh = AviClip::FromBytes(ReadAll(AviDir / "filecopy.avi"), "test.avi").Value();
    Surface direct(clip.Width(), clip.Height());
    fresh.DecodeFrame(3, direct.view);
    EXPECT_EQ(again.pixels, direct.pixels);
    EXPECT_NE(later.pixels, direct.pixels);
}

TEST(AviClip, RejectsFramesOutsideTheClipAndTargetsOfAnotherSize)
{
    auto clip = AviClip::FromBytes(ReadAll(AviDir / "search.avi"), "test.avi").Value();
    Surface right(clip.Width(), clip.Height()), wrong(clip.Width() - 1, clip.Height());
    EXPECT_THROW(clip.DecodeFrame(-1, right.view), AviError);
    EXPECT_THROW(clip.DecodeFrame(clip.FrameCount(), right.view), AviError);
    EXPECT_THROW(clip.DecodeFrame(0, wrong.view), AviError);
}

// ---- generated clips ----

namespace {

struct RawClip : torva::test::InfoHeaderFields {
    RawClip() { width = 4; }
    uint32_t usec = 50000;
    std::vector<uint32_t> palette { 0x000000, 0xFF0000, 0x00FF00, 0x0000FF };
    std::vector<std::vector<uint8_t>> frames;
    bool audio = false;
    bool recList = false;
};

RawClip Clip(torva::test::InfoHeaderFields format, std::vector<std::vector<uint8_t>> frames)
{
    RawClip clip;
    static_cast<torva::test::InfoHeaderFields&>(clip) = format;
    clip.frames = std::move(frames);
    return clip;
}

// A chunk's id, size, data and pad byte; a list is a chunk whose data starts with its type.
void AppendChunk(ByteWriter& out, const char* id, const std::function<void(ByteWriter&)>& data)
{
    ByteWriter chunk;
    data(chunk);
    out.AppendText(std::string_view(id, 4));
    out.Append32(uint32_t(chunk.Size()));
    out.AppendBytes(chunk.Bytes());
    if (chunk.Size() & 1)
        out.Append8(0);
}

void AppendList(ByteWriter& out, const char* type, const std::function<void(ByteWriter&)>& body)
{
    AppendChunk(out, "LIST", [&](ByteWriter& list) {
        list.AppendText(std::string_view(type, 4));
        body(list);
    });
}

void AppendStream(ByteWriter& out, const char* type, const std::function<void(ByteWriter&)>& format)
{
    AppendList(out, "strl", [&](ByteWriter& strl) {
        AppendChunk(strl, "strh", [&](ByteWriter& strh) {
            strh.AppendText(std::string_view(type, 4));
            strh.AppendBytes(std::vector<uint8_t>(52, 0));
        });
        AppendChunk(strl, "strf", format);
    });
}

std::vector<uint8_t> Build(const RawClip& c)
{
    ByteWriter out;
    AppendChunk(out, "RIFF", [&](ByteWriter& riff) {
        riff.AppendText("AVI ");
        AppendList(riff, "hdrl", [&](ByteWriter& hdrl) {
            AppendChunk(hdrl, "avih", [&](ByteWriter& avih) {
                avih.Append32(c.usec);
                avih.AppendBytes(std::vector<uint8_t>(52, 0));
            });
            AppendStream(hdrl, "vids", [&](ByteWriter& strf) {
                RawClip format = c;
                format.clrUsed = uint32_t(c.palette.size());
                torva::test::AppendInfoHeader(strf, format);
                torva::test::AppendPalette(strf, c.palette);
            });
            if (c.audio)
                AppendStream(hdrl, "auds", [](ByteWriter& strf) { strf.AppendBytes(std::vector<uint8_t>(18, 0)); });
        });
        AppendChunk(riff, "JUNK", [](ByteWriter& junk) { junk.AppendBytes(std::vector<uint8_t>(5, 0)); });
        AppendList(riff, "movi", [&](ByteWriter& movi) {
            auto frames = [&](ByteWriter& to) {
                for (const auto& f : c.frames)
                    AppendChunk(to, "00dc", [&](ByteWriter& chunk) { chunk.AppendBytes(f); });
            };
            if (c.recList)
                AppendList(movi, "rec ", frames);
            else
                frames(movi);
        });
    });
    return out.Take();
}

std::vector<uint32_t> Decode(AviClip& clip, int n)
{
    Surface s(clip.Width(), clip.Height());
    clip.DecodeFrame(n, s.view);
    std::vector<uint32_t> topDown;
    for (int y = 0; y < s.view.height; ++y)
        for (int x = 0; x < s.view.width; ++x)
            topDown.push_back(s.view.At(x, y) & 0xFFFFFFu);
    return topDown;
}

constexpr uint32_t K = 0x000000, R = 0xFF0000, G = 0x00FF00, B = 0x0000FF;

}

TEST(AviClipGenerated, UncompressedDepthsRowOrderAndRepeatedPictures)
{
    using Pixels = std::vector<uint32_t>;
    RawClip rgb24 = Clip({ .width = 1, .bitCount = 24 }, { { 0x01, 0x02, 0x03, 0, /*top*/ 0x10, 0x20, 0x30, 0 } });
    rgb24.palette.clear();
    RawClip rgb32 = rgb24;
    rgb32.bitCount = 32;
    rgb32.height = -2; // stored top-down
    // An empty chunk repeats the picture before it; frames inside a rec list count.
    RawClip repeated = Clip({ .width = 4, .height = 1 }, { { 1, 1, 1, 1 }, {}, { 2, 2, 2, 2 } });
    repeated.recList = true;
    const struct {
        const char* what;
        RawClip clip;
        int frame;
        Pixels want;
    } cases[] = {
        // 8-bit rows padded to four bytes, bottom row first.
        { "8 bits", Clip({ .width = 3 }, { { 1, 2, 3, 0, /*top*/ 3, 2, 1, 0 } }), 0, { B, G, R, R, G, B } },
        { "24 bits", rgb24, 0, { 0x302010, 0x030201 } },
        { "32 bits top-down", rgb32, 0, { 0x030201, 0x302010 } },
        { "empty chunk", repeated, 1, { R, R, R, R } },
        { "after the empty chunk", repeated, 2, { G, G, G, G } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto clip = AviClip::FromBytes(Build(c.clip), "test.avi").Value();
        ASSERT_EQ(clip.FrameCount(), int(c.clip.frames.size()));
        EXPECT_EQ(Decode(clip, c.frame), c.want);
    }
}

TEST(AviClipGenerated, Rle8EscapesAndRobustness)
{
    struct Row {
        const char* what;
        std::vector<uint8_t> second; // drawn over a first frame of all colour 1
        std::vector<uint32_t> want;  // 4 x 2, top row first
    } rows[] = {
        { "run and end of line", { 2, 2, 0, 0, 4, 3, 0, 1 }, { B, B, B, B, G, G, R, R } },
        { "delta skips pixels", { 0, 2, 1, 1, 1, 3, 0, 1 }, { R, B, R, R, R, R, R, R } },
        { "absolute mode with pad", { 0, 3, 2, 3, 2, 0, 1, 3, 0, 1 }, { R, R, R, R, G, B, G, B } },
        { "run past the right edge is cut", { 9, 2, 0, 1 }, { R, R, R, R, G, G, G, G } },
        { "delta past the top stops", { 0, 2, 0, 9, 4, 2 }, { R, R, R, R, R, R, R, R } },
        { "data ends without end of bitmap", { 4, 2, 2 }, { R, R, R, R, G, G, G, G } },
        { "absolute run cut by the end of data", { 0, 8, 3, 3 }, { R, R, R, R, B, B, R, R } },
        { "index beyond the palette is black", { 1, 200, 0, 1 }, { R, R, R, R, K, R, R, R } },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        auto clip = AviClip::FromBytes(Build(Clip({ .width = 4, .compression = 1 }, { { 4, 1, 0, 0, 4, 1, 0, 1 }, row.second })), "test.avi").Value();
        EXPECT_EQ(Decode(clip, 1), row.want);
    }
}

TEST(AviClipGenerated, WriterRoundTripsThroughTheReader)
{
    Rle8ClipSource source { .width = 37, .height = 9, .microSecPerFrame = 40000, .palette = {}, .frames = {} };
    for (uint32_t i = 0; i < 20; ++i)
        source.palette.push_back(i * 0x0A0B0C);
    std::mt19937 random(7);
    std::vector<uint8_t> picture(size_t(source.width) * source.height);
    for (auto& p : picture)
        p = uint8_t(random() % 20);
    for (int f = 0; f < 8; ++f) {
        source.frames.push_back(picture);
        // Change a few rows and leave long runs, so delta, run and literal paths all occur.
        int row = int(random() % source.height);
        for (int x = 0; x < source.width; ++x)
            picture[size_t(row) * source.width + x] = x < 20 ? uint8_t(f) : uint8_t(random() % 20);
    }
    source.frames.push_back(source.frames.back()); // an unchanged frame
    auto clip = AviClip::FromBytes(WriteRle8Avi(source), "test.avi").Value();
    ASSERT_EQ(clip.FrameCount(), 9);
    EXPECT_EQ(clip.MicroSecPerFrame(), 40000u);
    EXPECT_EQ(clip.Compression(), AviCompression::Rle8);
    for (int f = 0; f < clip.FrameCount(); ++f) {
        std::vector<uint32_t> want;
        for (uint8_t index : source.frames[size_t(f)])
            want.push_back(source.palette[index]);
        EXPECT_EQ(Decode(clip, f), want) << "frame " << f;
    }
    EXPECT_LE(clip.FrameDataSize(8), 2u);
}

TEST(AviClipGenerated, WriterRefusesInconsistentSources)
{
    const Rle8ClipSource good { .width = 2, .height = 2, .palette = { 0, 0xFFFFFF }, .frames = { { 0, 1, 1, 0 } } };
    EXPECT_NO_THROW(WriteRle8Avi(good));
    auto bad = good;
    bad.frames[0].pop_back();
    EXPECT_THROW(WriteRle8Avi(bad), AviError);
    bad = good;
    bad.frames[0][0] = 2;
    EXPECT_THROW(WriteRle8Avi(bad), AviError);
    bad = good;
    bad.palette.clear();
    EXPECT_THROW(WriteRle8Avi(bad), AviError);
    bad = good;
    bad.frames.clear();
    EXPECT_THROW(WriteRle8Avi(bad), AviError);
}

TEST(AviClipGenerated, BrokenClipsFailWithAMessage)
{
    const RawClip base = Clip({ .width = 4 }, { { 1, 2, 3, 0, 1, 2, 3, 0 } });
    const auto good = Build(base);
    ASSERT_TRUE(AviClip::FromBytes(good, "good.avi"));
    const struct {
        const char* expected;
        void (*spoil)(RawClip&);
    } cases[] = {
        { "sound", [](RawClip& c) { c.audio = true; } },
        { "RLE4", [](RawClip& c) { c.compression = 2; c.bitCount = 4; } },
        { "16 bits", [](RawClip& c) { c.bitCount = 16; c.palette.clear(); } },
        { "without a palette", [](RawClip& c) { c.palette.clear(); } },
        { "no video frames", [](RawClip& c) { c.frames.clear(); } },
        { "frame size", [](RawClip& c) { c.width = 0; } },
        { "frame size", [](RawClip& c) { c.width = 100000; } },
        { "needs 8", [](RawClip& c) { c.frames = { { 1, 2, 3 } }; } },
        { "top-down", [](RawClip& c) { c.compression = 1; c.height = -2; } },
    };
    auto errorOf = [](const std::vector<uint8_t>& bytes) {
        auto clip = AviClip::FromBytes(bytes, "Hra.avi");
        return clip ? "accepted" : clip.Error().Message();
    };
    EXPECT_THAT(errorOf({}), StartsWith("Hra.avi: "));
    EXPECT_THAT(errorOf({}), HasSubstr("not a RIFF"));
    EXPECT_THAT(errorOf(std::vector<uint8_t>(good.begin(), good.begin() + 40)), HasSubstr("claims"));
    for (const auto& c : cases) {
        RawClip clip = base;
        c.spoil(clip);
        EXPECT_THAT(errorOf(Build(clip)), HasSubstr(c.expected));
    }
}

TEST(AviClipGenerated, MissingFrameTimeFallsBackToTheStreamRate)
{
    RawClip c = Clip({ .width = 4 }, { { 1, 2, 3, 0, 1, 2, 3, 0 } });
    c.usec = 0;
    auto bytes = Build(c);
    // strh follows "strl" + "strh" + size; put scale 1, rate 25 at offsets 20 and 24.
    auto at = std::search(bytes.begin(), bytes.end(), std::begin("strh"), std::begin("strh") + 4) - bytes.begin() + 8;
    bytes[size_t(at) + 20] = 1;
    bytes[size_t(at) + 24] = 25;
    EXPECT_EQ(AviClip::FromBytes(bytes, "test.avi").Value().MicroSecPerFrame(), 40000u);
    c.usec = 0;
    EXPECT_EQ(AviClip::FromBytes(Build(c), "test.avi").Value().MicroSecPerFrame(), 66667u);
}
