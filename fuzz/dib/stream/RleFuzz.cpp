// Run-length payloads from untrusted bytes; the first two bytes give the unpacked length.
#include "dib/stream/cDIBStandardCompressors.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    TRLEDIBCompressor rle;
    const uint32_t destSize = uint32_t(data[0]) | uint32_t(data[1]) << 8;
    const uint8_t* payload = data + 2;
    const uint32_t payloadSize = static_cast<uint32_t>(size - 2);
    std::vector<uint8_t> dest(destSize);
    try {
        rle.Decompress(nullptr, payload, payloadSize, dest.data(), destSize);
    } catch (const EDIBCompressError&) {
    }

    // And the payload taken as data to pack: a success must unpack to the same bytes.
    std::vector<uint8_t> packed(payloadSize);
    const uint32_t packedSize = rle.Compress(nullptr, payload, payloadSize, packed.data());
    if (packedSize > payloadSize)
        std::abort();
    if (packedSize > 0) {
        std::vector<uint8_t> restored(payloadSize);
        rle.Decompress(nullptr, packed.data(), packedSize, restored.data(), payloadSize);
        const size_t coded = payloadSize / 4 * 4;
        if (std::memcmp(restored.data(), payload, coded) != 0)
            std::abort();
    }
    return 0;
}
