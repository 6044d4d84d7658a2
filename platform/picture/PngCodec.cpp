// PNG through libpng's simplified interface, which converts every colour type and bit depth
// to 8-bit blue-green-red-alpha for us and reports errors without longjmp on our side.

#include "platform/picture/Picture.h"

#include <cstring>
#include <string>

#include <png.h>

namespace platform {

namespace {

class PngImage {
public:
    PngImage()
    {
        std::memset(&m_image, 0, sizeof m_image);
        m_image.version = PNG_IMAGE_VERSION;
    }
    ~PngImage() { png_image_free(&m_image); }
    PngImage(const PngImage&) = delete;
    PngImage& operator=(const PngImage&) = delete;

    png_image* operator->() { return &m_image; }
    png_image* get() { return &m_image; }

    [[noreturn]] void Fail(const char* what)
    {
        throw PictureError(std::string("PNG: ") + what + ": " + m_image.message);
    }

private:
    png_image m_image;
};

Picture ReadPng(std::span<const uint8_t> bytes)
{
    PngImage image;
    if (!png_image_begin_read_from_memory(image.get(), bytes.data(), bytes.size()))
        image.Fail("cannot read the header");
    if (image->width == 0 || image->height == 0 || image->width > MaxPictureSide || image->height > MaxPictureSide
        || static_cast<int64_t>(image->width) * image->height > MaxPicturePixels)
        throw PictureError("PNG: size " + std::to_string(image->width) + " x " + std::to_string(image->height) + " is too large");
    const bool alpha = (image->format & PNG_FORMAT_FLAG_ALPHA) != 0;
    image->format = PNG_FORMAT_BGRA;

    Picture out;
    out.width = static_cast<int>(image->width);
    out.height = static_cast<int>(image->height);
    out.hasAlpha = alpha;
    out.pixels.resize(static_cast<size_t>(out.width) * out.height);
    // A colour-mapped file's background is not ours to pick: composite on nothing.
    if (!png_image_finish_read(image.get(), nullptr, out.pixels.data(), out.width * 4, nullptr))
        image.Fail("cannot decode");
    return out;
}

}

Result<Picture> DecodePng(std::span<const uint8_t> bytes, const std::string& file)
{
    return RefusedOn<PictureError>(file, [&] { return ReadPng(bytes); });
}

std::vector<uint8_t> EncodePng(const Picture& picture, bool withAlpha)
{
    if (picture.width <= 0 || picture.height <= 0 || picture.pixels.size() != static_cast<size_t>(picture.width) * picture.height)
        throw PictureError("PNG: nothing to write");
    PngImage image;
    image->width = static_cast<png_uint_32>(picture.width);
    image->height = static_cast<png_uint_32>(picture.height);
    image->format = PNG_FORMAT_BGRA;

    std::vector<uint32_t> pixels;
    const void* source = picture.pixels.data();
    if (!withAlpha) {
        // The simplified writer takes the layout it is given; dropping alpha means BGR rows.
        image->format = PNG_FORMAT_BGR;
        pixels.resize((picture.pixels.size() * 3 + 3) / 4);
        auto* dst = reinterpret_cast<uint8_t*>(pixels.data());
        for (uint32_t p : picture.pixels) {
            *dst++ = static_cast<uint8_t>(p);
            *dst++ = static_cast<uint8_t>(p >> 8);
            *dst++ = static_cast<uint8_t>(p >> 16);
        }
        source = pixels.data();
    }
    const png_int_32 stride = static_cast<png_int_32>(picture.width) * (withAlpha ? 4 : 3);

    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(image.get(), nullptr, &size, 0, source, stride, nullptr))
        image.Fail("cannot encode");
    std::vector<uint8_t> out(size);
    if (!png_image_write_to_memory(image.get(), out.data(), &size, 0, source, stride, nullptr))
        image.Fail("cannot encode");
    out.resize(size);
    return out;
}

}
