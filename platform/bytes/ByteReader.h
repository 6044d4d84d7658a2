#pragma once

// Little-endian numbers at byte offsets of a span, whatever the processor's own order. Every
// read checks that the whole field lies inside the span and throws ByteRangeError when it does
// not; a reader that fails in its own way asks Holds first or turns the error into its own.

#include "platform/bytes/ByteRangeError.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace platform {

class ByteReader {
public:
    ByteReader() = default;
    // `base` is where the span starts in the whole input, so errors name the input's offsets.
    explicit ByteReader(std::span<const uint8_t> bytes, uint64_t base = 0)
        : m_bytes(bytes)
        , m_base(base)
    {
    }
    explicit ByteReader(std::string_view bytes, uint64_t base = 0)
        : ByteReader(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), base)
    {
    }

    size_t Size() const { return m_bytes.size(); }
    uint64_t Base() const { return m_base; }
    std::span<const uint8_t> Data() const { return m_bytes; }
    bool Holds(uint64_t offset, uint64_t count) const { return offset <= m_bytes.size() && count <= m_bytes.size() - offset; }
    void Require(uint64_t offset, uint64_t count, const char* field) const;

    uint8_t U8(uint64_t offset, const char* field = "field") const;
    uint16_t U16(uint64_t offset, const char* field = "field") const;
    uint32_t U32(uint64_t offset, const char* field = "field") const;
    uint64_t U64(uint64_t offset, const char* field = "field") const;
    int32_t I32(uint64_t offset, const char* field = "field") const { return static_cast<int32_t>(U32(offset, field)); }

    std::span<const uint8_t> Bytes(uint64_t offset, uint64_t count, const char* field = "field") const;
    // The window [offset, offset + count), reporting offsets of the whole input.
    ByteReader Sub(uint64_t offset, uint64_t count, const char* field = "field") const;

private:
    uint64_t Number(uint64_t offset, int bytes, const char* field) const;

    std::span<const uint8_t> m_bytes;
    uint64_t m_base = 0;
};

// The 16-bit number at `at`, unchecked: for a pixel loop over a row whose span was checked once.
inline uint16_t LoadU16(const uint8_t* at) { return static_cast<uint16_t>(at[0] | at[1] << 8); }

}
