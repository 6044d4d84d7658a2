// Format sniffing, the loader's dispatch and the host-file helpers of tools and tests.

#include "platform/picture/Picture.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace platform {

namespace {

constexpr uint8_t JpegStart[] = { 0xFF, 0xD8, 0xFF };
constexpr uint8_t PngSignature[] = { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n' };

bool StartsWith(std::span<const uint8_t> bytes, const uint8_t* prefix, size_t count)
{
    return bytes.size() >= count && std::memcmp(bytes.data(), prefix, count) == 0;
}

}

PictureFormat SniffPictureFormat(std::span<const uint8_t> bytes)
{
    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M')
        return PictureFormat::Bitmap;
    if (StartsWith(bytes, JpegStart, sizeof JpegStart))
        return PictureFormat::Jpeg;
    if (StartsWith(bytes, PngSignature, sizeof PngSignature))
        return PictureFormat::Png;
    return PictureFormat::Unknown;
}

Result<Picture> DecodePicture(std::span<const uint8_t> bytes, const std::string& file)
{
    switch (SniffPictureFormat(bytes)) {
    case PictureFormat::Bitmap:
        return DecodeBitmap(bytes, file);
    case PictureFormat::Jpeg:
        return DecodeJpeg(bytes, file);
    default:
        return Problem { file, bytes.empty() ? "picture: empty file" : "picture: unknown format (neither a bitmap nor JPEG)" };
    }
}

std::vector<uint8_t> ReadPictureBytes(const std::filesystem::path& path)
{
    std::error_code error;
    auto size = std::filesystem::file_size(path, error);
    if (error)
        throw PictureError(path.string() + ": cannot read: " + error.message());
    if (size > static_cast<uintmax_t>(MaxPictureFileBytes))
        throw PictureError(path.string() + ": too large for a picture (" + std::to_string(size) + " bytes)");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw PictureError(path.string() + ": cannot open");
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throw PictureError(path.string() + ": read error");
    return bytes;
}

Picture ReadPictureFile(const std::filesystem::path& path)
{
    std::vector<uint8_t> bytes = ReadPictureBytes(path);
    auto picture = SniffPictureFormat(bytes) == PictureFormat::Png ? DecodePng(bytes, path.string()) : DecodePicture(bytes, path.string());
    if (!picture)
        throw PictureError(picture.Error().Message());
    return std::move(picture).Value();
}

void WritePictureFile(const std::filesystem::path& path, std::span<const uint8_t> bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out)
        throw PictureError(path.string() + ": cannot write");
}

}
