// "torvatool dib": surfaces' "Data" streams to PNG and back, for artwork and for checking what
// a stored form holds.

#include "dib/surface/cDIB.h"
#include "dib/surface/DIBData.h"
#include "dib/stream/cDIBCompressor.h"
#include "dib/stream/cDIBStandardCompressors.h"
#include "platform/picture/Picture.h"
#include "tools/torvatool/Command.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <ostream>

namespace torvatool {

std::vector<uint8_t> ReadToolFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw ToolError("cannot open " + path);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

void WriteToolFile(const std::string& path, std::span<const uint8_t> bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw ToolError("cannot write " + path);
}

// Pixels keep their fourth byte both ways.
platform::Picture PictureOfSurface(const TAbstractSuperDIB& dib)
{
    platform::Picture picture;
    picture.width = dib.Width();
    picture.height = dib.Height();
    picture.pixels.resize(size_t(picture.width) * picture.height);
    for (int y = 0; y < picture.height; ++y)
        std::memcpy(picture.pixels.data() + size_t(y) * picture.width, dib.ScanLine(y), size_t(picture.width) * 4);
    return picture;
}

void SurfaceOfPicture(const platform::Picture& picture, TAbstractSuperDIB& dib)
{
    dib.SetSize(picture.width, picture.height);
    for (int y = 0; y < picture.height; ++y)
        std::memcpy(dib.ScanLine(y), picture.pixels.data() + size_t(y) * picture.width, size_t(picture.width) * 4);
    dib.Changed();
}

static std::string Described(const std::string& path, const std::exception& error) { return path + ": " + error.what(); }

static int Decode(const std::string& in, const std::string& out, bool alpha, std::ostream& log)
{
    const std::vector<uint8_t> bytes = ReadToolFile(in);
    TMemoryDIB dib;
    TDIBMemoryStream stream(bytes);
    try {
        ReadDIBData(dib, stream);
    } catch (const std::exception& error) {
        throw ToolError(Described(in, error));
    }
    platform::WritePictureFile(out, platform::EncodePng(PictureOfSurface(dib), alpha));
    log << dib.Width() << " x " << dib.Height() << "\n";
    return 0;
}

static int Encode(const std::string& in, const std::string& out, TAbstractDIBCompressor* compressor, std::ostream& log)
{
    platform::Picture picture;
    try {
        picture = platform::ReadPictureFile(in); // its errors name the file
    } catch (const std::exception& error) {
        throw ToolError(error.what());
    }
    TMemoryDIB dib;
    SurfaceOfPicture(picture, dib);
    SetCurrentDIBCompressor(compressor);
    TDIBMemoryStream stream;
    WriteDIBData(dib, stream);
    SetCurrentDIBCompressor(nullptr);
    WriteToolFile(out, stream.Bytes());
    const bool packed = stream.Size() >= dibstream::EnvelopeHeaderSize
        && std::memcmp(stream.Bytes().data(), dibstream::EnvelopeSignature, sizeof dibstream::EnvelopeSignature) == 0;
    log << (packed ? compressor->GetDisplayName() : std::string("raw")) << " " << stream.Size() << " bytes\n";
    return 0;
}

static int RunDib(Arguments& args, std::ostream& out)
{
    const std::string usage = "dib decode STREAM OUT.png [--alpha] | dib encode IN.(bmp|png|jpg) OUT [--rle|--lzh]";
    const bool rle = args.TakeFlag("--rle");
    const bool lzhFlag = args.TakeFlag("--lzh");
    const bool alpha = args.TakeFlag("--alpha");
    auto& words = args.Positional(3, 3, usage);
    if (words[0] == "decode")
        return Decode(words[1], words[2], alpha, out);
    if (words[0] != "encode" || (rle && lzhFlag))
        throw ToolError("usage: " + usage);
    TAbstractDIBCompressor* compressor = nullptr;
    if (rle)
        compressor = FindDIBCompressor(TRLEDIBCompressor::ID);
    if (lzhFlag)
        compressor = FindDIBCompressor(TLZHDIBCompressor::ID);
    return Encode(words[1], words[2], compressor, out);
}

static CommandRegistration registration({ "dib",
    "dib decode STREAM OUT.png [--alpha]   a surface's Data stream (raw or compressed) as PNG\n"
    "  torvatool dib encode IN OUT [--rle|--lzh]   a BMP, PNG or JPEG picture as a Data stream",
    RunDib });

}
