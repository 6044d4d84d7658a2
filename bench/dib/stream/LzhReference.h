#pragma once

// A plain, unoptimised coder of the same LZH format, kept only as the speed baseline of the
// benchmarks: byte-wise key comparison, one bit at a time in and out.

#include <cstdint>
#include <span>
#include <vector>

namespace lzhreference {

std::vector<uint8_t> Encode(std::span<const uint8_t> input);
std::vector<uint8_t> Decode(std::span<const uint8_t> packed);

}
