// JPEG through libjpeg-turbo, decoded straight into blue-green-red-alpha order by its own
// colour converter. The library reports fatal errors by a callback that must not return; we
// leave through longjmp into a frame that owns no C++ objects made after setjmp.

#include "platform/picture/Picture.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>

#include <jpeglib.h>
#include <jerror.h>

namespace platform {

namespace {

// Progressive pictures keep every coefficient in memory; this bounds what a hostile header
// can make the library allocate.
constexpr long MaxDecoderMemory = 512L << 20;
// Sequential Huffman data spends at least two bits (a DC code and an end-of-block code) on
// each 8 x 8 block of each component, so no such file holds more than 256 pixels per byte;
// twice that leaves room for any rounding of sizes to whole blocks.
constexpr uint64_t MaxSequentialPixelsPerByte = 512;

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    bool truncated;
};

extern "C" void OnFatalError(j_common_ptr cinfo)
{
    auto* errors = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, errors->message);
    std::longjmp(errors->jump, 1);
}

extern "C" void OnMessage(j_common_ptr cinfo, int level)
{
    // Only warnings (level -1) matter: a premature end means the picture is incomplete.
    auto* errors = reinterpret_cast<ErrorManager*>(cinfo->err);
    if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF)
        errors->truncated = true;
}

struct Decoder {
    jpeg_decompress_struct cinfo;
    ErrorManager errors;
    const char* failure = nullptr; // a check of ours that failed inside the guarded part
};

void ConvertCmyk(const uint8_t* src, uint32_t* dst, int width, bool inverted)
{
    for (int x = 0; x < width; ++x, src += 4) {
        unsigned c = src[0], m = src[1], y = src[2], k = src[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        // Inverted (Adobe) CMYK: each byte already holds 255 - ink.
        unsigned r = c * k / 255, g = m * k / 255, b = y * k / 255;
        dst[x] = 0xFF000000u | (r << 16) | (g << 8) | b;
    }
}

// Returns false with d.errors.message or d.failure set; fills out on success.
bool Decode(Decoder& d, std::span<const uint8_t> bytes, Picture& out, std::vector<uint8_t>& cmykRow)
{
    if (setjmp(d.errors.jump))
        return false;
    jpeg_create_decompress(&d.cinfo);
    d.cinfo.mem->max_memory_to_use = MaxDecoderMemory;
    jpeg_mem_src(&d.cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&d.cinfo, TRUE);

    const bool cmyk = d.cinfo.jpeg_color_space == JCS_CMYK || d.cinfo.jpeg_color_space == JCS_YCCK;
    d.cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
    jpeg_calc_output_dimensions(&d.cinfo);
    if (d.cinfo.output_width == 0 || d.cinfo.output_height == 0 || d.cinfo.output_width > MaxPictureSide
        || d.cinfo.output_height > MaxPictureSide
        || static_cast<int64_t>(d.cinfo.output_width) * d.cinfo.output_height > MaxPicturePixels) {
        d.failure = "picture size is too large";
        return false;
    }
    if (!d.cinfo.progressive_mode && !d.cinfo.arith_code
        && uint64_t(d.cinfo.output_width) * d.cinfo.output_height > bytes.size() * MaxSequentialPixelsPerByte) {
        d.failure = "file is far too short for the picture size it declares";
        return false;
    }
    out.width = static_cast<int>(d.cinfo.output_width);
    out.height = static_cast<int>(d.cinfo.output_height);
    out.pixels.resize(static_cast<size_t>(out.width) * out.height);
    if (cmyk)
        cmykRow.resize(static_cast<size_t>(out.width) * 4);

    jpeg_start_decompress(&d.cinfo);
    while (d.cinfo.output_scanline < d.cinfo.output_height) {
        uint32_t* row = out.pixels.data() + static_cast<size_t>(d.cinfo.output_scanline) * out.width;
        JSAMPROW target = cmyk ? cmykRow.data() : reinterpret_cast<JSAMPROW>(row);
        jpeg_read_scanlines(&d.cinfo, &target, 1);
        if (cmyk)
            ConvertCmyk(cmykRow.data(), row, out.width, d.cinfo.saw_Adobe_marker);
        if (d.errors.truncated) {
            d.failure = "file ends before the picture does";
            return false;
        }
    }
    jpeg_finish_decompress(&d.cinfo);
    if (d.errors.truncated) {
        d.failure = "file ends before the picture does";
        return false;
    }
    return true;
}

Picture ReadJpeg(std::span<const uint8_t> bytes)
{
    if (bytes.empty())
        throw PictureError("JPEG: empty file");
    Decoder d;
    std::memset(&d.cinfo, 0, sizeof d.cinfo);
    std::memset(&d.errors, 0, sizeof d.errors);
    d.cinfo.err = jpeg_std_error(&d.errors.base);
    d.errors.base.error_exit = OnFatalError;
    d.errors.base.emit_message = OnMessage;

    Picture out;
    std::vector<uint8_t> cmykRow;
    bool ok = Decode(d, bytes, out, cmykRow);
    jpeg_destroy_decompress(&d.cinfo);
    if (!ok)
        throw PictureError(std::string("JPEG: ") + (d.failure ? d.failure : d.errors.message));
    return out;
}

}

Result<Picture> DecodeJpeg(std::span<const uint8_t> bytes, const std::string& file)
{
    return RefusedOn<PictureError>(file, [&] { return ReadJpeg(bytes); });
}

}
