#pragma once

// Little-endian fields read at named offsets of a byte span; a read that would leave the
// span raises PictureError with the field's name, so a short file never reads past its end.

#include "platform/picture/Picture.h"

#include <cstdint>
#include <span>
#include <string>

namespace platform::picture_detail {

class ByteSpan {
public:
    ByteSpan(std::span<const uint8_t> bytes, std::string what)
        : m_bytes(bytes)
        , m_what(std::move(what))
    {
    }

    size_t Size() const { return m_bytes.size(); }
    bool Holds(uint64_t offset, uint64_t count) const { return offset <= m_bytes.size() && count <= m_bytes.size() - offset; }

    void Require(uint64_t offset, uint64_t count, const char* field) const
    {
        if (!Holds(offset, count))
            Fail(std::string("file ends inside the ") + field);
    }

    uint8_t U8(uint64_t offset, const char* field) const
    {
        Require(offset, 1, field);
        return m_bytes[offset];
    }
    uint16_t U16(uint64_t offset, const char* field) const
    {
        Require(offset, 2, field);
        return static_cast<uint16_t>(m_bytes[offset] | (m_bytes[offset + 1] << 8));
    }
    uint32_t U32(uint64_t offset, const char* field) const
    {
        Require(offset, 4, field);
        return static_cast<uint32_t>(m_bytes[offset]) | (static_cast<uint32_t>(m_bytes[offset + 1]) << 8)
            | (static_cast<uint32_t>(m_bytes[offset + 2]) << 16) | (static_cast<uint32_t>(m_bytes[offset + 3]) << 24);
    }
    int32_t I32(uint64_t offset, const char* field) const { return static_cast<int32_t>(U32(offset, field)); }

    const uint8_t* At(uint64_t offset) const { return m_bytes.data() + offset; }

    [[noreturn]] void Fail(const std::string& message) const { throw PictureError(m_what + ": " + message); }

private:
    std::span<const uint8_t> m_bytes;
    std::string m_what;
};

}
