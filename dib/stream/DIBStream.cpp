#include "dib/stream/DIBStream.h"

#include "platform/bytes/ByteReader.h"
#include "platform/bytes/ByteWriter.h"

#include <algorithm>
#include <cstring>
#include <utility>

void TDIBStream::ReadBuffer(void* buffer, size_t count)
{
    if (count > Remaining())
        throw EDIBStreamError(StreamReadErrorMessage);
    if (Read(buffer, count) != count)
        throw EDIBStreamError(StreamReadErrorMessage);
}

uint16_t TDIBStream::ReadUInt16()
{
    uint8_t bytes[2];
    ReadBuffer(bytes, sizeof bytes);
    return platform::ByteReader(bytes).U16(0);
}

uint32_t TDIBStream::ReadUInt32()
{
    uint8_t bytes[4];
    ReadBuffer(bytes, sizeof bytes);
    return platform::ByteReader(bytes).U32(0);
}

void TDIBStream::WriteUInt16(uint16_t value)
{
    uint8_t bytes[2];
    platform::StoreU16(bytes, value);
    WriteBytes(bytes);
}

void TDIBStream::WriteUInt32(uint32_t value)
{
    WriteUInt16(static_cast<uint16_t>(value));
    WriteUInt16(static_cast<uint16_t>(value >> 16));
}

std::vector<uint8_t> TDIBStream::ReadRest()
{
    std::vector<uint8_t> bytes(static_cast<size_t>(Remaining()));
    ReadBuffer(bytes.data(), bytes.size());
    return bytes;
}

size_t TDIBMemoryStream::Read(void* buffer, size_t count)
{
    if (m_position >= m_bytes.size())
        return 0;
    const size_t available = static_cast<size_t>(m_bytes.size() - m_position);
    const size_t taken = std::min(count, available);
    if (taken > 0)
        std::memcpy(buffer, m_bytes.data() + m_position, taken);
    m_position += taken;
    return taken;
}

void TDIBMemoryStream::Write(const void* buffer, size_t count)
{
    if (count == 0)
        return;
    const uint64_t end = m_position + count;
    if (end > m_bytes.size())
        m_bytes.resize(static_cast<size_t>(end));
    std::memcpy(m_bytes.data() + m_position, buffer, count);
    m_position = end;
}

std::vector<uint8_t> TDIBMemoryStream::TakeBytes()
{
    m_position = 0;
    return std::exchange(m_bytes, {});
}
