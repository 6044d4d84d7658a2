#include "platform/avi/AviClip.h"

#include "platform/bytes/ByteReader.h"
#include "platform/picture/BitmapHeaders.h"
#include "platform/picture/RleDecoder.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace platform {

namespace {

// RIFF chunk header: four-character id, then the size of the data that follows.
constexpr size_t ChunkIdOffset = 0;
constexpr size_t ChunkSizeOffset = 4;
constexpr size_t ChunkHeaderBytes = 8;
constexpr size_t ListTypeBytes = 4;

// MainAVIHeader (avih).
constexpr size_t AvihMicroSecPerFrame = 0;
constexpr size_t AvihMinBytes = 40;

// AVIStreamHeader (strh); 48 bytes from older writers.
constexpr size_t StrhType = 0;
constexpr size_t StrhScale = 20;
constexpr size_t StrhRate = 24;
constexpr size_t StrhMinBytes = 48;

// A video strf is a bitmap info header and the palette.
namespace Info = bitmap::InfoHeader;
namespace Compression = bitmap::Compression;
constexpr size_t BiMinBytes = bitmap::HeaderBytes::Info;

// Sizes beyond anything the control shows; they keep a bad header from asking for gigabytes.
constexpr int MaxSide = 4096;
constexpr int64_t MaxPixels = int64_t(1) << 22;
constexpr size_t MaxFrames = 100000;
constexpr int MaxListDepth = 8;

// The control's period when a clip gives none at all (15 frames a second).
constexpr uint32_t FallbackMicroSecPerFrame = 66667;

constexpr uint32_t OpaqueAlpha = 0xFF000000u;

constexpr size_t IdBytes = 4;

bool IsId(const ByteReader& data, size_t offset, const char* id)
{
    return std::memcmp(data.Bytes(offset, IdBytes, "chunk id").data(), id, IdBytes) == 0;
}

std::string IdText(const ByteReader& data, size_t offset)
{
    std::string text;
    for (uint8_t byte : data.Bytes(offset, IdBytes, "chunk id")) {
        char ch = static_cast<char>(byte);
        text += (ch >= 0x20 && ch < 0x7F) ? ch : '?';
    }
    return text;
}

[[noreturn]] void Fail(const std::string& message)
{
    throw AviError("AVI clip: " + message);
}

struct Chunk {
    size_t offset = 0; // of the header
    std::string id;
    size_t dataOffset = 0;
    size_t size = 0; // data bytes
};

// Walks the chunks of [begin, end); a chunk that claims more than its container holds is an
// error, since what follows it could not be found.
std::vector<Chunk> ReadChunks(const ByteReader& file, size_t begin, size_t end)
{
    std::vector<Chunk> chunks;
    size_t pos = begin;
    while (pos + ChunkHeaderBytes <= end) {
        Chunk chunk;
        chunk.offset = pos;
        chunk.id = IdText(file, pos + ChunkIdOffset);
        chunk.size = file.U32(pos + ChunkSizeOffset, "chunk size");
        chunk.dataOffset = pos + ChunkHeaderBytes;
        if (chunk.size > end - chunk.dataOffset)
            Fail("chunk '" + chunk.id + "' at offset " + std::to_string(pos) + " claims " + std::to_string(chunk.size) + " bytes, only " + std::to_string(end - chunk.dataOffset) + " follow");
        chunks.push_back(chunk);
        pos = chunk.dataOffset + chunk.size + (chunk.size & 1);
    }
    return chunks;
}

bool IsList(const ByteReader& file, const Chunk& chunk, const char* type)
{
    return chunk.id == "LIST" && chunk.size >= ListTypeBytes && IsId(file, chunk.dataOffset, type);
}

std::optional<Chunk> Find(const std::vector<Chunk>& chunks, const char* id)
{
    for (const auto& chunk : chunks)
        if (chunk.id == id)
            return chunk;
    return std::nullopt;
}

struct VideoStream {
    int number = -1;
    Chunk strh;
    Chunk strf;
};

// Frames are the stream's 'db'/'dc' chunks in file order, inside LIST 'rec ' groups too; the
// two letters are not trusted to tell compressed from uncompressed.
void CollectFrames(const ByteReader& file, size_t begin, size_t end, const std::string& prefix, int depth, std::vector<std::pair<size_t, size_t>>& frames)
{
    if (depth > MaxListDepth)
        Fail("lists nested too deeply in 'movi'");
    for (const Chunk& chunk : ReadChunks(file, begin, end)) {
        if (chunk.id == "LIST" && chunk.size >= ListTypeBytes) {
            CollectFrames(file, chunk.dataOffset + ListTypeBytes, chunk.dataOffset + chunk.size, prefix, depth + 1, frames);
            continue;
        }
        if (chunk.id.compare(0, 2, prefix) == 0 && (chunk.id.compare(2, 2, "db") == 0 || chunk.id.compare(2, 2, "dc") == 0)) {
            if (frames.size() >= MaxFrames)
                Fail("more than " + std::to_string(MaxFrames) + " frames");
            frames.emplace_back(chunk.dataOffset, chunk.size);
        }
    }
}

std::string StreamPrefix(int number)
{
    return { static_cast<char>('0' + number / 10 % 10), static_cast<char>('0' + number % 10) };
}

}

Result<AviClip> AviClip::FromBytes(std::span<const uint8_t> bytes, const std::string& file)
{
    return RefusedOn<AviError>(file, [&]() -> AviClip {
        try {
            return Read(bytes);
        } catch (const ByteRangeError& e) {
            Fail("the clip ends inside a " + e.Field() + " at offset " + std::to_string(e.Offset()));
        }
    });
}

AviClip AviClip::Read(std::span<const uint8_t> bytes)
{
    ByteReader whole(bytes);
    if (!whole.Holds(0, ChunkHeaderBytes + ListTypeBytes) || !IsId(whole, 0, "RIFF") || !IsId(whole, ChunkHeaderBytes, "AVI "))
        Fail("not a RIFF 'AVI ' file");
    AviClip clip;
    clip.m_bytes.assign(bytes.begin(), bytes.end());
    ByteReader file(clip.m_bytes);

    // A RIFF size beyond the file is a truncated download: read what is there.
    size_t riffEnd = std::min<size_t>(file.Size(), size_t(file.U32(ChunkSizeOffset, "RIFF size")) + ChunkHeaderBytes);
    std::vector<Chunk> top = ReadChunks(file, ChunkHeaderBytes + ListTypeBytes, riffEnd);

    std::optional<Chunk> hdrl, movi;
    for (const auto& chunk : top) {
        if (!hdrl && IsList(file, chunk, "hdrl"))
            hdrl = chunk;
        if (!movi && IsList(file, chunk, "movi"))
            movi = chunk;
    }
    if (!hdrl)
        Fail("no 'hdrl' header list");
    if (!movi)
        Fail("no 'movi' list");

    std::vector<Chunk> headers = ReadChunks(file, hdrl->dataOffset + ListTypeBytes, hdrl->dataOffset + hdrl->size);
    auto avih = Find(headers, "avih");
    if (!avih || avih->size < AvihMinBytes)
        Fail("missing or short 'avih' main header");
    ByteReader mainHeader = file.Sub(avih->dataOffset, avih->size, "'avih' main header");

    VideoStream video;
    int streamNumber = 0;
    for (const auto& chunk : headers) {
        if (!IsList(file, chunk, "strl"))
            continue;
        std::vector<Chunk> parts = ReadChunks(file, chunk.dataOffset + ListTypeBytes, chunk.dataOffset + chunk.size);
        auto strh = Find(parts, "strh");
        auto strf = Find(parts, "strf");
        if (!strh || strh->size < StrhMinBytes)
            Fail("stream " + std::to_string(streamNumber) + " has no complete 'strh' header");
        if (IsId(file, strh->dataOffset + StrhType, "vids")) {
            if (video.number >= 0)
                Fail("more than one video stream");
            if (!strf)
                Fail("the video stream has no 'strf' format");
            video = { streamNumber, *strh, *strf };
        } else if (IsId(file, strh->dataOffset + StrhType, "auds")) {
            Fail("sound streams are not supported");
        }
        ++streamNumber;
    }
    if (video.number < 0)
        Fail("no video stream");

    ByteReader format = file.Sub(video.strf.dataOffset, video.strf.size, "video format");
    if (format.Size() < BiMinBytes)
        Fail("video format is " + std::to_string(format.Size()) + " bytes, a bitmap header needs 40");
    uint32_t headerSize = format.U32(Info::Size, "bitmap header size");
    if (headerSize < BiMinBytes || headerSize > format.Size())
        Fail("bitmap header size " + std::to_string(headerSize) + " does not fit the video format");
    int32_t width = format.I32(Info::Width, "frame width");
    int32_t height = format.I32(Info::Height, "frame height");
    int bitCount = format.U16(Info::BitCount, "bit count");
    uint32_t compression = format.U32(Info::Compression, "compression");
    if (width <= 0 || height == 0 || height == INT32_MIN || width > MaxSide || std::abs(height) > MaxSide || int64_t(width) * std::abs(height) > MaxPixels)
        Fail("frame size " + std::to_string(width) + " x " + std::to_string(height) + " is not playable");
    clip.m_width = width;
    clip.m_height = std::abs(height);
    clip.m_topDown = height < 0;
    clip.m_bitsPerPixel = bitCount;
    if (compression == Compression::Rle8) {
        if (bitCount != 8)
            Fail("RLE8 frames with " + std::to_string(bitCount) + " bits per pixel");
        if (clip.m_topDown)
            Fail("RLE8 frames stored top-down");
        clip.m_compression = AviCompression::Rle8;
    } else if (compression == Compression::Rgb) {
        if (bitCount != 8 && bitCount != 24 && bitCount != 32)
            Fail("uncompressed frames with " + std::to_string(bitCount) + " bits per pixel are not supported");
        clip.m_compression = AviCompression::Rgb;
    } else if (compression == Compression::Rle4) {
        Fail("RLE4 frames are not supported");
    } else {
        Fail("compression " + IdText(format, Info::Compression) + " is not supported");
    }

    if (bitCount == 8) {
        size_t available = (format.Size() - headerSize) / bitmap::PaletteEntryBytes;
        uint32_t declared = format.U32(Info::ClrUsed, "colours used");
        size_t count = std::min<size_t>({ available, declared == 0 ? 256 : declared, 256 });
        if (count == 0)
            Fail("8-bit frames without a palette");
        for (size_t i = 0; i < count; ++i)
            clip.m_palette.push_back(format.U32(headerSize + i * bitmap::PaletteEntryBytes, "palette") & 0x00FFFFFFu);
        clip.m_lookup.assign(256, OpaqueAlpha);
        for (size_t i = 0; i < count; ++i)
            clip.m_lookup[i] = clip.m_palette[i] | OpaqueAlpha;
    }

    clip.m_microSecPerFrame = mainHeader.U32(AvihMicroSecPerFrame, "frame time");
    if (clip.m_microSecPerFrame == 0) {
        uint32_t scale = file.U32(video.strh.dataOffset + StrhScale, "stream scale");
        uint32_t rate = file.U32(video.strh.dataOffset + StrhRate, "stream rate");
        if (rate != 0 && scale != 0)
            clip.m_microSecPerFrame = static_cast<uint32_t>(std::min<uint64_t>(UINT32_MAX, uint64_t(scale) * 1000000u / rate));
    }
    if (clip.m_microSecPerFrame == 0)
        clip.m_microSecPerFrame = FallbackMicroSecPerFrame;

    std::vector<std::pair<size_t, size_t>> frames;
    CollectFrames(file, movi->dataOffset + ListTypeBytes, movi->dataOffset + movi->size, StreamPrefix(video.number), 0, frames);
    if (frames.empty())
        Fail("no video frames in 'movi'");
    if (clip.m_compression == AviCompression::Rgb) {
        size_t stride = bitmap::RowStride(size_t(clip.m_width), size_t(bitCount));
        size_t needed = stride * clip.m_height;
        for (size_t i = 0; i < frames.size(); ++i)
            if (frames[i].second != 0 && frames[i].second < needed)
                Fail("frame " + std::to_string(i) + " holds " + std::to_string(frames[i].second) + " bytes, an uncompressed frame needs " + std::to_string(needed));
    }
    for (const auto& [offset, size] : frames)
        clip.m_frames.push_back({ offset, size });
    clip.Reset();
    return clip;
}

void AviClip::Reset()
{
    size_t pixels = size_t(m_width) * m_height;
    if (m_bitsPerPixel == 8) {
        m_indices.assign(pixels, 0);
    } else {
        m_pixels.assign(pixels, OpaqueAlpha);
    }
    m_current = -1;
}

void AviClip::DecodeFrame(int n, const PixelView& target)
{
    if (n < 0 || n >= FrameCount())
        throw AviError("AVI clip: frame " + std::to_string(n) + " outside the clip's " + std::to_string(FrameCount()) + " frames");
    if (target.bits == nullptr || target.width != m_width || target.height != m_height)
        throw AviError("AVI clip: target of " + std::to_string(target.width) + " x " + std::to_string(target.height) + " for frames of " + std::to_string(m_width) + " x " + std::to_string(m_height));
    if (n < m_current)
        Reset();
    // Whole uncompressed frames make everything before the last non-empty one irrelevant.
    int first = m_current + 1;
    if (m_compression == AviCompression::Rgb) {
        for (int i = n; i >= first; --i) {
            if (m_frames[size_t(i)].size != 0) {
                first = i;
                break;
            }
        }
    }
    for (int i = first; i <= n; ++i)
        ApplyFrame(i);
    m_current = n;

    for (int stored = 0; stored < m_height; ++stored) {
        uint32_t* out = target.Row(static_cast<int>(PictureRowOfStoredRow(stored)));
        if (m_bitsPerPixel == 8) {
            const uint8_t* in = m_indices.data() + size_t(stored) * m_width;
            for (int x = 0; x < m_width; ++x)
                out[x] = m_lookup[in[x]];
        } else {
            std::copy_n(m_pixels.data() + size_t(stored) * m_width, m_width, out);
        }
    }
}

uint32_t AviClip::PictureRowOfStoredRow(int storedRow) const
{
    return static_cast<uint32_t>(m_topDown ? storedRow : m_height - 1 - storedRow);
}

void AviClip::ApplyFrame(int n)
{
    const FrameChunk& chunk = m_frames[size_t(n)];
    if (chunk.size == 0)
        return;
    std::span<const uint8_t> data(m_bytes.data() + chunk.offset, chunk.size);
    if (m_compression == AviCompression::Rle8)
        ApplyRle8(data);
    else
        ApplyUncompressed(data);
}

// Writes past the right edge or the top are dropped and the data may end without an
// end-of-bitmap code; pixels the data skips keep the previous frame's colours.
void AviClip::ApplyRle8(std::span<const uint8_t> data)
{
    RleDecoder(8, m_width, m_height, RleDecoder::Overflow::Clip).Decode(data, m_indices);
}

void AviClip::ApplyUncompressed(std::span<const uint8_t> data)
{
    size_t stride = bitmap::RowStride(size_t(m_width), size_t(m_bitsPerPixel));
    for (int row = 0; row < m_height; ++row) {
        const uint8_t* in = data.data() + size_t(row) * stride;
        if (m_bitsPerPixel == 8) {
            std::copy_n(in, m_width, m_indices.data() + size_t(row) * m_width);
            continue;
        }
        uint32_t* out = m_pixels.data() + size_t(row) * m_width;
        size_t step = size_t(m_bitsPerPixel / 8);
        for (int x = 0; x < m_width; ++x, in += step)
            out[x] = uint32_t(in[0]) | uint32_t(in[1]) << 8 | uint32_t(in[2]) << 16 | OpaqueAlpha;
    }
}

}
