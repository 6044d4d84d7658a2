#include "platform/bytes/ByteReader.h"

namespace platform {

void ByteReader::Require(uint64_t offset, uint64_t count, const char* field) const
{
    if (!Holds(offset, count))
        throw ByteRangeError(field, m_base + offset);
}

uint64_t ByteReader::Number(uint64_t offset, int bytes, const char* field) const
{
    Require(offset, static_cast<uint64_t>(bytes), field);
    uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = value << 8 | m_bytes[offset + static_cast<uint64_t>(i)];
    return value;
}

uint8_t ByteReader::U8(uint64_t offset, const char* field) const { return static_cast<uint8_t>(Number(offset, 1, field)); }
uint16_t ByteReader::U16(uint64_t offset, const char* field) const { return static_cast<uint16_t>(Number(offset, 2, field)); }
uint32_t ByteReader::U32(uint64_t offset, const char* field) const { return static_cast<uint32_t>(Number(offset, 4, field)); }
uint64_t ByteReader::U64(uint64_t offset, const char* field) const { return Number(offset, 8, field); }

std::span<const uint8_t> ByteReader::Bytes(uint64_t offset, uint64_t count, const char* field) const
{
    Require(offset, count, field);
    return m_bytes.subspan(offset, count);
}

ByteReader ByteReader::Sub(uint64_t offset, uint64_t count, const char* field) const
{
    return ByteReader(Bytes(offset, count, field), m_base + offset);
}

}
