// LZH code from untrusted bytes, and the bytes themselves packed and unpacked again, with
// the search on one thread and in two shares.
#include "dib/stream/LzhCodec.h"

#include <cstdlib>
#include <optional>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> input(data, size);
    try {
        const std::vector<uint8_t> output = lzh::Decode(input);
        if (output.size() != lzh::DecodedLength(input))
            std::abort();
    } catch (const ElzhException&) {
    }
    std::optional<std::vector<uint8_t>> packed[2];
    for (int threads = 1; threads <= 2; ++threads) {
        try {
            packed[threads - 1] = lzh::Encode(input, threads);
        } catch (const ElzhException&) {
        }
    }
    if (packed[0] != packed[1])
        std::abort();
    if (packed[0]
        && (packed[0]->size() > size + lzh::HeaderSize || lzh::Decode(*packed[0]) != std::vector<uint8_t>(data, data + size)))
        std::abort();
    return 0;
}
