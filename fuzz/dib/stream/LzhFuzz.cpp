// LZH code from untrusted bytes, and the bytes themselves packed and unpacked again.
#include "dib/LzhCodec.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> input(data, size);
    try {
        const std::vector<uint8_t> output = lzh::Decode(input);
        if (output.size() != lzh::DecodedLength(input))
            std::abort();
    } catch (const ElzhException&) {
    }
    try {
        const std::vector<uint8_t> packed = lzh::Encode(input);
        if (packed.size() > size + lzh::HeaderSize || lzh::Decode(packed) != std::vector<uint8_t>(data, data + size))
            std::abort();
    } catch (const ElzhException&) {
    }
    return 0;
}
