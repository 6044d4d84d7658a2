#include "platform/bytes/ByteWriter.h"

#include <algorithm>

namespace platform {

void ByteWriter::Put(uint64_t offset, uint64_t value, int bytes)
{
    if (offset > m_bytes.size() || static_cast<uint64_t>(bytes) > m_bytes.size() - offset)
        throw ByteRangeError("written field", offset);
    for (int i = 0; i < bytes; ++i)
        m_bytes[offset + static_cast<uint64_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

void ByteWriter::PutBytes(uint64_t offset, std::span<const uint8_t> bytes)
{
    if (offset > m_bytes.size() || bytes.size() > m_bytes.size() - offset)
        throw ByteRangeError("written bytes", offset);
    std::copy(bytes.begin(), bytes.end(), m_bytes.begin() + static_cast<std::ptrdiff_t>(offset));
}

void ByteWriter::Append(uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        m_bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}
