#include "platform/avi/AviClip.h"
#include "platform/picture/Picture.h"

#include "Md5.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <regex>

using namespace platform;

namespace {

const std::filesystem::path AviDir = std::filesystem::path(TORVA_TEST_DATA_DIR) / "avi";

std::vector<uint8_t> ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << "missing test input " << path;
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

struct Surface {
    Surface(int w, int h)
        : pixels(size_t(w) * h, 0xDEADBEEF)
        , view { reinterpret_cast<uint8_t*>(pixels.data()), w, h }
    {
    }
    std::vector<uint32_t> pixels;
    PixelView view;
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
        auto clip = AviClip::FromBytes(ReadAll(AviDir / want.file));
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
        auto clip = AviClip::FromBytes(ReadAll(AviDir / row.file));
        EXPECT_EQ(clip.Width(), row.width);
        EXPECT_EQ(clip.Height(), row.height);
        EXPECT_EQ(clip.FrameCount(), row.frames);
        EXPECT_EQ(clip.BitsPerPixel(), row.bits);
        EXPECT_EQ(clip.Compression(), row.compression);
        EXPECT_EQ(clip.MicroSecPerFrame(), row.usec);
        EXPECT_EQ(clip.Palette().size(), row.palette);
    }
    auto dillo = AviClip::FromBytes(ReadAll(AviDir / "dillo.avi"));
    EXPECT_EQ(dillo.FrameDataSize(1), 0u);
    EXPECT_NEAR(dillo.FramesPerSecond(), 96.0, 0.01);
}

TEST(AviClipCorpus, FirstFramesMatchTheReferencePictures)
{
    for (const char* name : { "dillo", "filecopy", "search", "mfc2" }) {
        SCOPED_TRACE(name);
        auto clip = AviClip::FromBytes(ReadAll(AviDir / (std::string(name) + ".avi")));
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
    auto clip = AviClip::FromBytes(ReadAll(AviDir / "filecopy.avi"));
    Surface later(clip.Width(), clip.Height()), again(clip.Width(), clip.Height());
    clip.DecodeFrame(9, later.view);
    clip.DecodeFrame(3, again.view);
    auto fresh = AviClip::FromBytes(ReadAll(AviDir / "filecopy.avi"));
    Surface direct(clip.Width(), clip.Height());
    fresh.DecodeFrame(3, direct.view);
    EXPECT_EQ(again.pixels, direct.pixels);
    EXPECT_NE(later.pixels, direct.pixels);
}

TEST(AviClip, RejectsFramesOutsideTheClipAndTargetsOfAnotherSize)
{
    auto clip = AviClip::FromBytes(ReadAll(AviDir / "search.avi"));
    Surface right(clip.Width(), clip.Height()), wrong(clip.Width() - 1, clip.Height());
    EXPECT_THROW(clip.DecodeFrame(-1, right.view), AviError);
    EXPECT_THROW(clip.DecodeFrame(clip.FrameCount(), right.view), AviError);
    EXPECT_THROW(clip.DecodeFrame(0, wrong.view), AviError);
}

// ---- generated clips ----

namespace {

struct RawClip {
    int width = 4;
    int height = 2;
    int bits = 8;
    uint32_t compression = 0;
    uint32_t usec = 50000;
    std::vector<uint32_t> palette { 0x000000, 0xFF0000, 0x00FF00, 0x0000FF };
    std::vector<std::vector<uint8_t>> frames;
    bool audio = false;
    bool recList = false;
};

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}

void Put16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

std::vector<uint8_t> Chunk(const char* id, const std::vector<uint8_t>& data)
{
    std::vector<uint8_t> out(id, id + 4);
    Put32(out, uint32_t(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    if (data.size() & 1)
        out.push_back(0);
    return out;
}

std::vector<uint8_t> List(const char* type, const std::vector<uint8_t>& body)
{
    std::vector<uint8_t> data(type, type + 4);
    data.insert(data.end(), body.begin(), body.end());
    return Chunk("LIST", data);
}

std::vector<uint8_t> StreamList(const char* type, const std::vector<uint8_t>& format)
{
    std::vector<uint8_t> strh(type, type + 4);
    strh.resize(56, 0);
    return List("strl", [&] {
        auto a = Chunk("strh", strh);
        auto b = Chunk("strf", format);
        a.insert(a.end(), b.begin(), b.end());
        return a;
    }());
}

std::vector<uint8_t> Build(const RawClip& c)
{
    std::vector<uint8_t> avih;
    Put32(avih, c.usec);
    avih.resize(56, 0);
    std::vector<uint8_t> strf;
    Put32(strf, 40);
    Put32(strf, uint32_t(c.width));
    Put32(strf, uint32_t(c.height));
    Put16(strf, 1);
    Put16(strf, uint16_t(c.bits));
    Put32(strf, c.compression);
    strf.resize(32, 0);
    Put32(strf, uint32_t(c.palette.size()));
    Put32(strf, 0);
    for (uint32_t p : c.palette)
        Put32(strf, p);
    std::vector<uint8_t> hdrl = Chunk("avih", avih);
    auto video = StreamList("vids", strf);
    hdrl.insert(hdrl.end(), video.begin(), video.end());
    if (c.audio) {
        auto audio = StreamList("auds", std::vector<uint8_t>(18, 0));
        hdrl.insert(hdrl.end(), audio.begin(), audio.end());
    }
    std::vector<uint8_t> movi;
    for (const auto& f : c.frames) {
        auto chunk = Chunk("00dc", f);
        movi.insert(movi.end(), chunk.begin(), chunk.end());
    }
    if (c.recList)
        movi = List("rec ", movi);
    std::vector<uint8_t> body { 'A', 'V', 'I', ' ' };
    auto h = List("hdrl", hdrl);
    auto junk = Chunk("JUNK", std::vector<uint8_t>(5, 0));
    auto m = List("movi", movi);
    body.insert(body.end(), h.begin(), h.end());
    body.insert(body.end(), junk.begin(), junk.end());
    body.insert(body.end(), m.begin(), m.end());
    return Chunk("RIFF", body);
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

TEST(AviClipGenerated, UncompressedDepthsAndRowOrder)
{
    // 8-bit rows padded to four bytes, bottom row first.
    RawClip pal8;
    pal8.width = 3;
    pal8.frames = { { 1, 2, 3, 0, /*top*/ 3, 2, 1, 0 } };
    auto clip8 = AviClip::FromBytes(Build(pal8));
    EXPECT_EQ(Decode(clip8, 0), (std::vector<uint32_t> { B, G, R, R, G, B }));

    RawClip rgb24;
    rgb24.width = 1;
    rgb24.bits = 24;
    rgb24.palette.clear();
    rgb24.frames = { { 0x01, 0x02, 0x03, 0, /*top*/ 0x10, 0x20, 0x30, 0 } };
    auto clip24 = AviClip::FromBytes(Build(rgb24));
    EXPECT_EQ(Decode(clip24, 0), (std::vector<uint32_t> { 0x302010, 0x030201 }));

    RawClip rgb32 = rgb24;
    rgb32.bits = 32;
    rgb32.height = -2; // stored top-down
    auto clip32 = AviClip::FromBytes(Build(rgb32));
    EXPECT_EQ(Decode(clip32, 0), (std::vector<uint32_t> { 0x030201, 0x302010 }));
}

TEST(AviClipGenerated, EmptyChunksRepeatThePictureAndRecListsCount)
{
    RawClip c;
    c.width = 4;
    c.height = 1;
    c.recList = true;
    c.frames = { { 1, 1, 1, 1 }, {}, { 2, 2, 2, 2 } };
    auto clip = AviClip::FromBytes(Build(c));
    ASSERT_EQ(clip.FrameCount(), 3);
    EXPECT_EQ(Decode(clip, 1), (std::vector<uint32_t> { R, R, R, R }));
    EXPECT_EQ(Decode(clip, 2), (std::vector<uint32_t> { G, G, G, G }));
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
        RawClip c;
        c.compression = 1;
        c.frames = { { 4, 1, 0, 0, 4, 1, 0, 1 }, row.second };
        auto clip = AviClip::FromBytes(Build(c));
        EXPECT_EQ(Decode(clip, 1), row.want);
    }
}

TEST(AviClipGenerated, WriterRoundTripsThroughTheReader)
{
    Rle8ClipSource source;
    source.width = 37;
    source.height = 9;
    source.microSecPerFrame = 40000;
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
    auto clip = AviClip::FromBytes(WriteRle8Avi(source));
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
    Rle8ClipSource good;
    good.width = 2;
    good.height = 2;
    good.palette = { 0, 0xFFFFFF };
    good.frames = { { 0, 1, 1, 0 } };
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
    RawClip base;
    base.frames = { { 1, 2, 3, 0, 1, 2, 3, 0 } };
    auto good = Build(base);
    ASSERT_NO_THROW(AviClip::FromBytes(good));

    auto expectError = [](const std::vector<uint8_t>& bytes, const std::string& part) {
        try {
            AviClip::FromBytes(bytes);
            ADD_FAILURE() << "accepted, expected: " << part;
        } catch (const AviError& e) {
            EXPECT_NE(std::string(e.what()).find(part), std::string::npos) << e.what();
        }
    };
    expectError({}, "not a RIFF");
    expectError(std::vector<uint8_t>(good.begin(), good.begin() + 40), "claims");

    RawClip c = base;
    c.audio = true;
    expectError(Build(c), "sound");
    c = base;
    c.compression = 2;
    c.bits = 4;
    expectError(Build(c), "RLE4");
    c = base;
    c.bits = 16;
    c.palette.clear();
    expectError(Build(c), "16 bits");
    c = base;
    c.palette.clear();
    expectError(Build(c), "without a palette");
    c = base;
    c.frames.clear();
    expectError(Build(c), "no video frames");
    c = base;
    c.width = 0;
    expectError(Build(c), "frame size");
    c = base;
    c.width = 100000;
    expectError(Build(c), "frame size");
    c = base;
    c.frames = { { 1, 2, 3 } };
    expectError(Build(c), "needs 8");
    c = base;
    c.compression = 1;
    c.height = -2;
    expectError(Build(c), "top-down");
}

TEST(AviClipGenerated, MissingFrameTimeFallsBackToTheStreamRate)
{
    RawClip c;
    c.usec = 0;
    c.frames = { { 1, 2, 3, 0, 1, 2, 3, 0 } };
    auto bytes = Build(c);
    // strh follows "strl" + "strh" + size; put scale 1, rate 25 at offsets 20 and 24.
    auto at = std::search(bytes.begin(), bytes.end(), std::begin("strh"), std::begin("strh") + 4) - bytes.begin() + 8;
    bytes[size_t(at) + 20] = 1;
    bytes[size_t(at) + 24] = 25;
    EXPECT_EQ(AviClip::FromBytes(bytes).MicroSecPerFrame(), 40000u);
    c.usec = 0;
    EXPECT_EQ(AviClip::FromBytes(Build(c)).MicroSecPerFrame(), 66667u);
}
