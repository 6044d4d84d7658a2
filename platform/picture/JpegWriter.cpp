// JPEG encoding through libjpeg, for the tools that make pictures (the sample disc's galleries
// and the connect button). Errors leave through longjmp as in the reader; nothing owned by C++
// is created between setjmp and the end of compression.

#include "platform/picture/Picture.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <jpeglib.h>

namespace platform {

namespace {

struct WriterErrors {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

extern "C" void OnWriterError(j_common_ptr cinfo)
{
    auto* errors = reinterpret_cast<WriterErrors*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, errors->message);
    std::longjmp(errors->jump, 1);
}

// Compresses prepared RGB rows; returns false with the library's message on failure.
bool Compress(const std::vector<uint8_t>& rgb, int width, int height, int quality, std::vector<uint8_t>& out,
    std::string& error)
{
    jpeg_compress_struct cinfo {};
    WriterErrors errors {};
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    cinfo.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = OnWriterError;
    if (setjmp(errors.jump)) {
        error = errors.message;
        jpeg_destroy_compress(&cinfo);
        std::free(buffer);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb.data() + static_cast<size_t>(cinfo.next_scanline) * width * 3);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    out.assign(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return true;
}

}

std::vector<uint8_t> EncodeJpeg(const Picture& picture, int quality)
{
    if (picture.width <= 0 || picture.height <= 0 || picture.width > MaxPictureSide || picture.height > MaxPictureSide
        || picture.pixels.size() != static_cast<size_t>(picture.width) * picture.height)
        throw PictureError("jpeg: cannot encode a " + std::to_string(picture.width) + " x " + std::to_string(picture.height) + " picture");
    if (quality < 1 || quality > 100)
        throw PictureError("jpeg: quality " + std::to_string(quality) + " outside 1..100");
    std::vector<uint8_t> rgb(picture.pixels.size() * 3);
    for (size_t i = 0; i < picture.pixels.size(); ++i) {
        uint32_t p = picture.pixels[i];
        rgb[i * 3] = static_cast<uint8_t>(p >> 16);
        rgb[i * 3 + 1] = static_cast<uint8_t>(p >> 8);
        rgb[i * 3 + 2] = static_cast<uint8_t>(p);
    }
    std::vector<uint8_t> out;
    std::string error;
    if (!Compress(rgb, picture.width, picture.height, quality, out, error))
        throw PictureError("jpeg: " + error);
    return out;
}

}
