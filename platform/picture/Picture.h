#pragma once

// Picture files decoded to 32-bit pixels and written back. The loader of the surfaces reads
// Windows bitmaps (our own reader) and JPEG (libjpeg-turbo); PNG is read and written only for
// tools, screenshots and golden images.
//
// Decoded pixels: one uint32_t per pixel, memory order blue, green, red, fourth byte (read as
// a little-endian word 0xAARRGGBB, as the surfaces keep them). Rows are TOP-DOWN: pixels[0]
// is the top-left pixel, row y starts at pixels[y * width]; there is no padding. A surface,
// whose rows run bottom-up, copies row y to its memory row height - 1 - y.
//
// The fourth byte:
// - 32-bit bitmaps: the alpha of the file when it has one (an alpha mask in its header, or an
//   uncompressed 32-bit bitmap whose fourth bytes are not all zero); 255 otherwise, since a
//   fourth byte that is zero everywhere is padding, not "fully see-through".
// - 16-bit bitmaps with an alpha mask: that alpha, scaled to 0..255.
// - every other bitmap, JPEG: 255 (opaque), so a picture drawn with its mask shows whole.
// - PNG: its alpha (255 where the file has none).
// `hasAlpha` tells whether the fourth byte came from the file.

#include "platform/types/Result.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace platform {

// An unreadable picture: truncated, inconsistent, too big, or of a format we do not read.
// The message names what is wrong ("bitmap: palette index 7 outside the 2-colour palette").
class PictureError : public Exception {
public:
    using Exception::Exception;
};

enum class PictureFormat { Unknown,
    Bitmap,
    Jpeg,
    Png };

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels; // width * height, top-down
    bool hasAlpha = false;

    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Largest picture any decoder accepts, in each dimension and in pixels overall; surfaces are
// at most 65535 wide and high, and nothing on a disc comes near the pixel count.
constexpr int MaxPictureSide = 65535;
constexpr int64_t MaxPicturePixels = int64_t(1) << 25;

// Tells the format from the content, never from a file name.
PictureFormat SniffPictureFormat(std::span<const uint8_t> bytes);

// Bitmap or JPEG, as sniffed: what the surfaces' LoadPictureFile accepts. The decoders refuse
// the bytes of `file` (empty for bytes without a name) with what is wrong in them.
Result<Picture> DecodePicture(std::span<const uint8_t> bytes, const std::string& file);

Result<Picture> DecodeBitmap(std::span<const uint8_t> bytes, const std::string& file);
Result<Picture> DecodeJpeg(std::span<const uint8_t> bytes, const std::string& file);
Result<Picture> DecodePng(std::span<const uint8_t> bytes, const std::string& file);

// A bottom-up Windows bitmap with a 40-byte header, uncompressed; bitsPerPixel 24 (the fourth
// byte dropped) or 32 (the fourth byte kept). Throws PictureError for other depths.
std::vector<uint8_t> EncodeBitmap(const Picture& picture, int bitsPerPixel);

// The file header, 40-byte info header and palette (0x00RRGGBB entries) of an uncompressed
// bottom-up bitmap, sized for the padded rows that are to follow them. Throws PictureError when
// the file would pass 4 GB.
std::vector<uint8_t> BitmapHeaders(int width, int height, int bitsPerPixel, std::span<const uint32_t> palette = {});

// A baseline JPEG of the picture (the fourth byte dropped), quality 1..100. Throws PictureError.
std::vector<uint8_t> EncodeJpeg(const Picture& picture, int quality);

// An 8-bit RGB PNG, or RGBA carrying the fourth byte when withAlpha.
std::vector<uint8_t> EncodePng(const Picture& picture, bool withAlpha);

// Host-file helpers for tools and tests (the menu reads its files through the drive layer and
// decodes the bytes). Reading refuses files above MaxPictureFileBytes.
constexpr int64_t MaxPictureFileBytes = int64_t(256) << 20;
std::vector<uint8_t> ReadPictureBytes(const std::filesystem::path& path);
// Bitmap, JPEG or PNG; these two throw PictureError naming the file.
Picture ReadPictureFile(const std::filesystem::path& path);
void WritePictureFile(const std::filesystem::path& path, std::span<const uint8_t> bytes);

}
