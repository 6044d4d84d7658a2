#include "tools/artwork/Output.h"

#include "dib/stream/DIBStream.h"
#include "dib/surface/cDIB.h"
#include "platform/picture/BitmapHeaders.h"
#include "platform/picture/Picture.h"

#include <fstream>
#include <stdexcept>

namespace artwork {

namespace {

platform::Picture ToPicture(const Raster& raster)
{
    platform::Picture picture;
    picture.width = raster.Width();
    picture.height = raster.Height();
    picture.pixels = raster.Pixels();
    return picture;
}

}

std::vector<uint8_t> RawDibStream(const Raster& raster)
{
    // Written through the surface itself, so the stream is exactly what a surface reads back.
    TMemoryDIB dib(raster.Width(), raster.Height());
    std::vector<uint32_t> pixels = raster.Pixels();
    for (int y = 0; y < raster.Height(); ++y)
        for (int x = 0; x < raster.Width(); ++x)
            dib.SetPixel(x, y, pixels[static_cast<size_t>(y) * raster.Width() + x]);
    TDIBMemoryStream stream;
    dib.WriteData(stream);
    return stream.TakeBytes();
}

std::vector<uint8_t> OneBitBitmap(int width, int height, const std::function<bool(int x, int y)>& isWhite)
{
    // Index 0 black, index 1 white; rows padded to 4 bytes.
    const uint32_t palette[] = { 0x000000, 0xFFFFFF };
    std::vector<uint8_t> out = platform::BitmapHeaders(width, height, 1, palette);
    const size_t bitsOffset = out.size();
    const size_t stride = platform::bitmap::RowStride(static_cast<size_t>(width), 1);
    out.resize(bitsOffset + stride * height, 0);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = out.data() + bitsOffset + stride * static_cast<size_t>(height - 1 - y);
        for (int x = 0; x < width; ++x)
            if (isWhite(x, y))
                row[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
    }
    return out;
}

std::vector<uint8_t> JpegFile(const Raster& raster, int quality)
{
    return platform::EncodeJpeg(ToPicture(raster), quality);
}

std::vector<uint8_t> PngFile(const Raster& raster)
{
    return platform::EncodePng(ToPicture(raster), false);
}

void WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

}
