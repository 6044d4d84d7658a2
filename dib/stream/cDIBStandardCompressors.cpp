#include "dib/stream/cDIBStandardCompressors.h"

#include "dib/stream/LzhCodec.h"

#include <algorithm>
#include <cstring>

namespace shuffle4 {

constexpr size_t Planes = 4;
constexpr int MaxRun = 255;

void Shuffle(std::span<const uint8_t> source, uint8_t* planes)
{
    const size_t n = source.size() / Planes;
    for (size_t i = 0; i < n; ++i) {
        const uint8_t* group = source.data() + i * Planes;
        planes[i] = group[0];
        planes[n + i] = group[1];
        planes[2 * n + i] = group[2];
        planes[3 * n + i] = group[3];
    }
}

void Unshuffle(const uint8_t* planes, std::span<uint8_t> dest)
{
    const size_t n = dest.size() / Planes;
    for (size_t i = 0; i < n; ++i) {
        uint8_t* group = dest.data() + i * Planes;
        group[0] = planes[i];
        group[1] = planes[n + i];
        group[2] = planes[2 * n + i];
        group[3] = planes[3 * n + i];
    }
    std::fill(dest.begin() + static_cast<ptrdiff_t>(n * Planes), dest.end(), uint8_t(0));
}

size_t RunLengthEncode(std::span<const uint8_t> source, size_t maxPairs, uint8_t* dest)
{
    size_t pairs = 0;
    size_t i = 0;
    while (i < source.size()) {
        if (pairs == maxPairs)
            return 0;
        const uint8_t value = source[i];
        size_t run = 1;
        while (i + run < source.size() && source[i + run] == value && run < MaxRun)
            ++run;
        dest[2 * pairs] = static_cast<uint8_t>(run);
        dest[2 * pairs + 1] = value;
        ++pairs;
        i += run;
    }
    return 2 * pairs;
}

void RunLengthDecode(std::span<const uint8_t> source, std::span<uint8_t> dest)
{
    size_t written = 0;
    for (size_t pair = 0; pair + 1 < source.size(); pair += 2) {
        const size_t count = source[pair];
        if (count > dest.size() - written)
            throw EDIBCompressError("Shuffle4 RLE data unpacks to more than its stated length.");
        std::memset(dest.data() + written, source[pair + 1], count);
        written += count;
    }
    if (written != dest.size())
        throw EDIBCompressError("Shuffle4 RLE data unpacks to less than its stated length.");
}

}

uint32_t TRLEDIBCompressor::Compress(const TAbstractSuperDIB*, const uint8_t* source, uint32_t sourceSize, uint8_t* dest)
{
    const size_t coded = sourceSize / shuffle4::Planes * shuffle4::Planes;
    std::vector<uint8_t> planes(coded);
    shuffle4::Shuffle({ source, sourceSize }, planes.data());
    return static_cast<uint32_t>(shuffle4::RunLengthEncode(planes, sourceSize / 2, dest));
}

void TRLEDIBCompressor::Decompress(const TAbstractSuperDIB*, const uint8_t* source, uint32_t sourceSize, uint8_t* dest,
    uint32_t destSize)
{
    const size_t coded = destSize / shuffle4::Planes * shuffle4::Planes;
    std::vector<uint8_t> planes(coded);
    shuffle4::RunLengthDecode({ source, sourceSize }, planes);
    shuffle4::Unshuffle(planes.data(), { dest, destSize });
}

std::string TRLEDIBCompressor::GetDescription() const
{
    return "Splits the pixels into blue, green, red and mask planes and run-length codes them.";
}

std::string TRLEDIBCompressor::GetAuthor() const { return "Torva CD v2 DIB library"; }

uint64_t TRLEDIBCompressor::MaxUnpackedSize(uint64_t payloadSize) const
{
    return payloadSize / 2 * shuffle4::MaxRun + shuffle4::Planes - 1;
}

uint32_t TLZHDIBCompressor::Compress(const TAbstractSuperDIB*, const uint8_t* source, uint32_t sourceSize, uint8_t* dest)
{
    std::vector<uint8_t> packed;
    try {
        packed = lzh::Encode({ source, sourceSize });
    } catch (const ElzhException&) {
        return 0;
    }
    if (packed.size() > sourceSize)
        return 0;
    std::memcpy(dest, packed.data(), packed.size());
    return static_cast<uint32_t>(packed.size());
}

void TLZHDIBCompressor::Decompress(const TAbstractSuperDIB*, const uint8_t* source, uint32_t sourceSize, uint8_t* dest,
    uint32_t destSize)
{
    lzh::Decode({ source, sourceSize }, { dest, destSize });
}

std::string TLZHDIBCompressor::GetDescription() const
{
    return "LZSS over a 4096-byte window with adaptive Huffman coding.";
}

std::string TLZHDIBCompressor::GetAuthor() const { return "Torva CD v2 DIB library"; }

uint64_t TLZHDIBCompressor::MaxUnpackedSize(uint64_t payloadSize) const
{
    if (payloadSize < lzh::HeaderSize)
        return 0;
    return lzh::MaxDecodedLength(static_cast<size_t>(payloadSize - lzh::HeaderSize));
}

void AddStandardDIBCompressors(std::vector<std::unique_ptr<TAbstractDIBCompressor>>& registry)
{
    registry.push_back(std::make_unique<TRLEDIBCompressor>());
    registry.push_back(std::make_unique<TLZHDIBCompressor>());
}
