#pragma once

// zisofs: a file stored as zlib-compressed blocks, marked by Rock Ridge's ZF entry. The stored
// bytes start with a header (magic, uncompressed size, header size, block size) and a table of
// block offsets; a block of zero stored bytes is a block of zeros.

#include "platform/types/Result.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// `length` bytes at `offset` of the stored file; empty when the image cannot give them.
using StoredBytes = std::function<std::optional<std::string>(uint64_t offset, size_t length)>;
// Takes the inflated bytes in order; false stops.
using InflatedBytes = std::function<bool(std::string_view bytes)>;

enum class InflateResult { Done,
    Stopped,
    Unreadable };

// Inflates the file `name` of `stored` bytes whose ZF entry states `size` uncompressed bytes;
// never hands on more than `size`. Refused, saying what is damaged, when its header, block
// table or a block is no zisofs.
Result<InflateResult> InflateZisofs(uint64_t stored, uint64_t size, const StoredBytes& read, const InflatedBytes& write,
    const std::string& name);

}
