#include "tools/artwork/Output.h"

#include "dib/stream/DIBStream.h"
#include "dib/surface/cDIB.h"
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

void PutLe(std::vector<uint8_t>& out, size_t offset, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out[offset + i] = static_cast<uint8_t>(value >> (8 * i));
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
    // File header 14 bytes, info header 40, two palette entries, then rows padded to 4 bytes.
    constexpr size_t FileHeader = 14, InfoHeader = 40, PaletteBytes = 8;
    constexpr size_t BitsOffset = FileHeader + InfoHeader + PaletteBytes;
    size_t stride = ((static_cast<size_t>(width) + 31) / 32) * 4;
    std::vector<uint8_t> out(BitsOffset + stride * height, 0);
    out[0] = 'B';
    out[1] = 'M';
    PutLe(out, 2, static_cast<uint32_t>(out.size()), 4);
    PutLe(out, 10, BitsOffset, 4);
    PutLe(out, FileHeader + 0, InfoHeader, 4);
    PutLe(out, FileHeader + 4, static_cast<uint32_t>(width), 4);
    PutLe(out, FileHeader + 8, static_cast<uint32_t>(height), 4);
    PutLe(out, FileHeader + 12, 1, 2);  // planes
    PutLe(out, FileHeader + 14, 1, 2);  // bits per pixel
    PutLe(out, FileHeader + 20, static_cast<uint32_t>(stride * height), 4);
    PutLe(out, FileHeader + 24, 3780, 4); // 96 dpi
    PutLe(out, FileHeader + 28, 3780, 4);
    PutLe(out, FileHeader + 32, 2, 4);  // colours used
    PutLe(out, FileHeader + InfoHeader + 4, 0x00FFFFFF, 4); // index 1 white; index 0 stays black
    for (int y = 0; y < height; ++y) {
        uint8_t* row = out.data() + BitsOffset + stride * static_cast<size_t>(height - 1 - y);
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
