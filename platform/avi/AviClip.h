#pragma once

// Clips of the kind the common-controls animation control plays: RIFF AVI with one video
// stream, frames uncompressed (8-bit with a palette, 24- or 32-bit) or RLE8. A clip is opened
// from its bytes (a resource of the program or a file) and decodes frame n into 32-bit pixels.
//
// Frames build on their predecessors (RLE8 leaves skipped pixels as they were, an empty chunk
// repeats the picture), so the clip keeps the last decoded picture and decodes forward from
// it; asking for an earlier frame starts again from frame 0.

#include "platform/types/Result.h"
#include "platform/types/PixelView.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace platform {

// A clip that cannot be played; the message says what is wrong and where.
class AviError : public Exception {
public:
    using Exception::Exception;
};

enum class AviCompression { Rgb,
    Rle8 };

class AviClip {
public:
    // Refuses anything that is not a playable clip, saying what is wrong and where; `file`
    // names the bytes (empty when they have no name).
    static Result<AviClip> FromBytes(std::span<const uint8_t> bytes, const std::string& file);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    int FrameCount() const { return static_cast<int>(m_frames.size()); }
    int BitsPerPixel() const { return m_bitsPerPixel; }
    AviCompression Compression() const { return m_compression; }
    // Display time of one frame.
    uint32_t MicroSecPerFrame() const { return m_microSecPerFrame; }
    double FramesPerSecond() const { return 1e6 / m_microSecPerFrame; }
    // Pixel order (0x00RRGGBB); empty for 24- and 32-bit clips.
    const std::vector<uint32_t>& Palette() const { return m_palette; }
    // Bytes of frame n's chunk; 0 for a frame that repeats the previous picture.
    size_t FrameDataSize(int n) const { return m_frames.at(static_cast<size_t>(n)).size; }

    // Writes frame n into target, which must be Width x Height; the fourth byte is 255.
    // Throws AviError for a frame number outside the clip or a target of another size.
    void DecodeFrame(int n, const PixelView& target);

private:
    struct FrameChunk {
        size_t offset = 0;
        size_t size = 0;
    };
    AviClip() = default;
    static AviClip Read(std::span<const uint8_t> bytes);
    void Reset();
    void ApplyFrame(int n);
    void ApplyRle8(std::span<const uint8_t> data);
    void ApplyUncompressed(std::span<const uint8_t> data);
    uint32_t PictureRowOfStoredRow(int storedRow) const;

    std::vector<uint8_t> m_bytes;
    std::vector<FrameChunk> m_frames;
    int m_width = 0;
    int m_height = 0;
    bool m_topDown = false;
    int m_bitsPerPixel = 0;
    AviCompression m_compression = AviCompression::Rgb;
    uint32_t m_microSecPerFrame = 0;
    std::vector<uint32_t> m_palette;
    std::vector<uint32_t> m_lookup; // 256 entries, 0xFF fourth byte, black where the palette ends
    std::vector<uint8_t> m_indices; // 8-bit clips: the current picture, stored-row order
    std::vector<uint32_t> m_pixels; // 24/32-bit clips: the current picture, stored-row order
    int m_current = -1;
};

// An RLE8 clip for the artwork generator: every frame is a top-down picture of palette
// indices, each frame after the first stored as the change from its predecessor.
struct Rle8ClipSource {
    int width = 0;
    int height = 0;
    uint32_t microSecPerFrame = 100000;
    std::vector<uint32_t> palette;            // pixel order, at most 256 entries
    std::vector<std::vector<uint8_t>> frames; // width * height indices each, top row first
};

// Throws AviError when the source is inconsistent (sizes, palette, indices).
std::vector<uint8_t> WriteRle8Avi(const Rle8ClipSource& source);

// One frame's RLE8 data (bottom-up, as stored), drawn over `previous` (nullptr: a key frame that
// writes every pixel). Exposed for tests of the encoder.
std::vector<uint8_t> EncodeRle8Frame(const std::vector<uint8_t>& frame, const std::vector<uint8_t>* previous, int width, int height);

}
