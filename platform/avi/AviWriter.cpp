#include "platform/avi/AviClip.h"

#include "platform/bytes/ByteWriter.h"
#include "platform/picture/BitmapHeaders.h"
#include "platform/picture/RleDecoder.h"

#include <algorithm>
#include <cstring>

namespace platform {

namespace {

namespace Info = bitmap::InfoHeader;
constexpr uint32_t AvifHasIndex = 0x10;
constexpr uint32_t AviifKeyFrame = 0x10;
constexpr int MaxSide = 4096;

constexpr size_t RleMinAbsolute = 3;
constexpr size_t RleMaxCount = 255;
// A run this long is cheaper as a run than inside a literal stretch.
constexpr size_t RleWorthwhileRun = 3;

// RIFF chunks over the little-endian writer.
class Writer : public ByteWriter {
public:
    void Id(const char* id) { AppendText(std::string_view(id, 4)); }
    void U32(uint32_t v) { Append32(v); }
    void U16(uint16_t v) { Append16(v); }
    // Starts a chunk and returns where its size goes.
    size_t Begin(const char* id)
    {
        Id(id);
        U32(0);
        return Size() - 4;
    }
    size_t BeginList(const char* type)
    {
        size_t at = Begin("LIST");
        Id(type);
        return at;
    }
    void End(size_t sizeAt)
    {
        uint32_t size = static_cast<uint32_t>(Size() - sizeAt - 4);
        Put32(sizeAt, size);
        if (size & 1)
            Append8(0);
    }
};

// Encodes one stored row: runs where a value repeats, absolute stretches elsewhere.
void EncodeRow(const uint8_t* row, int width, std::vector<uint8_t>& out)
{
    size_t n = size_t(width);
    size_t i = 0;
    auto runAt = [&](size_t at) {
        size_t r = 1;
        while (at + r < n && r < RleMaxCount && row[at + r] == row[at])
            ++r;
        return r;
    };
    while (i < n) {
        size_t run = runAt(i);
        if (run >= RleWorthwhileRun || i + run == n) {
            out.push_back(static_cast<uint8_t>(run));
            out.push_back(row[i]);
            i += run;
            continue;
        }
        size_t end = i;
        while (end < n && end - i < RleMaxCount && runAt(end) < RleWorthwhileRun)
            ++end;
        size_t literal = end - i;
        if (literal < RleMinAbsolute) {
            for (size_t k = i; k < end; ++k) {
                out.push_back(1);
                out.push_back(row[k]);
            }
        } else {
            out.push_back(RleCode::Escape);
            out.push_back(static_cast<uint8_t>(literal));
            out.insert(out.end(), row + i, row + end);
            if (literal & 1)
                out.push_back(0);
        }
        i = end;
    }
}

void EmitDelta(std::vector<uint8_t>& out, size_t rows)
{
    while (rows > 0) {
        size_t step = std::min(rows, RleMaxCount);
        out.insert(out.end(), { RleCode::Escape, RleCode::Skip, 0, static_cast<uint8_t>(step) });
        rows -= step;
    }
}

}

std::vector<uint8_t> EncodeRle8Frame(const std::vector<uint8_t>& frame, const std::vector<uint8_t>* previous, int width, int height)
{
    std::vector<uint8_t> out;
    size_t rowAt = 0; // stored row the decoder's position is on, column 0
    for (int stored = 0; stored < height; ++stored) {
        const uint8_t* row = frame.data() + size_t(height - 1 - stored) * width;
        if (previous && std::equal(row, row + width, previous->data() + size_t(height - 1 - stored) * width))
            continue;
        EmitDelta(out, size_t(stored) - rowAt);
        EncodeRow(row, width, out);
        out.push_back(RleCode::Escape);
        out.push_back(RleCode::EndOfLine);
        rowAt = size_t(stored) + 1;
    }
    out.push_back(RleCode::Escape);
    out.push_back(RleCode::EndOfBitmap);
    return out;
}

std::vector<uint8_t> WriteRle8Avi(const Rle8ClipSource& source)
{
    if (source.width <= 0 || source.height <= 0 || source.width > MaxSide || source.height > MaxSide)
        throw AviError("AVI writer: frame size " + std::to_string(source.width) + " x " + std::to_string(source.height) + " is not playable");
    if (source.palette.empty() || source.palette.size() > 256)
        throw AviError("AVI writer: a palette needs 1 to 256 colours, not " + std::to_string(source.palette.size()));
    if (source.frames.empty())
        throw AviError("AVI writer: a clip needs at least one frame");
    if (source.microSecPerFrame == 0)
        throw AviError("AVI writer: a frame time of 0");
    size_t pixels = size_t(source.width) * source.height;
    for (size_t i = 0; i < source.frames.size(); ++i) {
        const auto& frame = source.frames[i];
        if (frame.size() != pixels)
            throw AviError("AVI writer: frame " + std::to_string(i) + " has " + std::to_string(frame.size()) + " pixels, not " + std::to_string(pixels));
        if (auto high = *std::max_element(frame.begin(), frame.end()); high >= source.palette.size())
            throw AviError("AVI writer: frame " + std::to_string(i) + " uses colour " + std::to_string(high) + " of a " + std::to_string(source.palette.size()) + "-colour palette");
    }

    std::vector<std::vector<uint8_t>> encoded;
    size_t largest = 0;
    for (size_t i = 0; i < source.frames.size(); ++i) {
        encoded.push_back(EncodeRle8Frame(source.frames[i], i == 0 ? nullptr : &source.frames[i - 1], source.width, source.height));
        largest = std::max(largest, encoded.back().size());
    }
    uint32_t frameCount = static_cast<uint32_t>(source.frames.size());
    uint32_t w = static_cast<uint32_t>(source.width), h = static_cast<uint32_t>(source.height);

    Writer out;
    size_t riff = out.Begin("RIFF");
    out.Id("AVI ");
    size_t hdrl = out.BeginList("hdrl");
    size_t avih = out.Begin("avih");
    out.U32(source.microSecPerFrame);
    out.U32(static_cast<uint32_t>(uint64_t(largest) * 1000000u / source.microSecPerFrame));
    out.U32(0);
    out.U32(AvifHasIndex);
    out.U32(frameCount);
    out.U32(0);
    out.U32(1);
    out.U32(static_cast<uint32_t>(largest));
    out.U32(w);
    out.U32(h);
    for (int i = 0; i < 4; ++i)
        out.U32(0);
    out.End(avih);
    size_t strl = out.BeginList("strl");
    size_t strh = out.Begin("strh");
    out.Id("vids");
    out.Id("RLE ");
    out.U32(0);
    out.U16(0);
    out.U16(0);
    out.U32(0);
    out.U32(source.microSecPerFrame);
    out.U32(1000000);
    out.U32(0);
    out.U32(frameCount);
    out.U32(static_cast<uint32_t>(largest));
    out.U32(0xFFFFFFFFu);
    out.U32(0);
    out.U16(0);
    out.U16(0);
    out.U16(static_cast<uint16_t>(w));
    out.U16(static_cast<uint16_t>(h));
    out.End(strh);
    size_t strf = out.Begin("strf");
    size_t info = out.Size();
    out.AppendBytes(std::vector<uint8_t>(bitmap::HeaderBytes::Info, 0));
    out.Put32(info + Info::Size, bitmap::HeaderBytes::Info);
    out.Put32(info + Info::Width, w);
    out.Put32(info + Info::Height, h);
    out.Put16(info + Info::Planes, 1);
    out.Put16(info + Info::BitCount, 8);
    out.Put32(info + Info::Compression, bitmap::Compression::Rle8);
    out.Put32(info + Info::SizeImage, static_cast<uint32_t>(pixels));
    out.Put32(info + Info::ClrUsed, static_cast<uint32_t>(source.palette.size()));
    for (uint32_t colour : source.palette)
        out.U32(colour & 0x00FFFFFFu);
    out.End(strf);
    out.End(strl);
    out.End(hdrl);

    size_t movi = out.BeginList("movi");
    size_t moviType = movi + 4;
    std::vector<std::pair<uint32_t, uint32_t>> index;
    for (const auto& data : encoded) {
        index.emplace_back(static_cast<uint32_t>(out.Size() - moviType), static_cast<uint32_t>(data.size()));
        size_t chunk = out.Begin("00dc");
        out.AppendBytes(data);
        out.End(chunk);
    }
    out.End(movi);
    size_t idx1 = out.Begin("idx1");
    for (size_t i = 0; i < index.size(); ++i) {
        out.Id("00dc");
        out.U32(i == 0 ? AviifKeyFrame : 0);
        out.U32(index[i].first);
        out.U32(index[i].second);
    }
    out.End(idx1);
    out.End(riff);
    return out.Take();
}

}
