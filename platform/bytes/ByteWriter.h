#pragma once

// Little-endian numbers written into a growing buffer: appended at its end, or put at a byte
// offset inside it (a header's fields, a size known only later). A put outside the buffer throws
// ByteRangeError instead of writing past it.

#include "platform/bytes/ByteRangeError.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace platform {

class ByteWriter {
public:
    // Starts with `size` zero bytes.
    explicit ByteWriter(size_t size = 0)
        : m_bytes(size, 0)
    {
    }

    size_t Size() const { return m_bytes.size(); }
    const std::vector<uint8_t>& Bytes() const { return m_bytes; }
    std::vector<uint8_t> Take() { return std::move(m_bytes); }

    void Put8(uint64_t offset, uint8_t value) { Put(offset, value, 1); }
    void Put16(uint64_t offset, uint16_t value) { Put(offset, value, 2); }
    void Put32(uint64_t offset, uint32_t value) { Put(offset, value, 4); }
    void Put64(uint64_t offset, uint64_t value) { Put(offset, value, 8); }
    void PutBytes(uint64_t offset, std::span<const uint8_t> bytes);

    void Append8(uint8_t value) { Append(value, 1); }
    void Append16(uint16_t value) { Append(value, 2); }
    void Append32(uint32_t value) { Append(value, 4); }
    void Append64(uint64_t value) { Append(value, 8); }
    void AppendBytes(std::span<const uint8_t> bytes) { m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end()); }
    void AppendText(std::string_view text) { m_bytes.insert(m_bytes.end(), text.begin(), text.end()); }

private:
    void Put(uint64_t offset, uint64_t value, int bytes);
    void Append(uint64_t value, int bytes);

    std::vector<uint8_t> m_bytes;
};

// Stores a 16-bit number at `at`, unchecked: for a pixel loop over a row of known size.
inline void StoreU16(uint8_t* at, uint16_t value)
{
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

}
