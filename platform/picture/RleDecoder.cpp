#include "platform/picture/RleDecoder.h"

#include <algorithm>

namespace platform {

RleDecoder::RleDecoder(int bitsPerPixel, int width, int height, Overflow overflow)
    : m_bits(bitsPerPixel)
    , m_width(width)
    , m_height(height)
    , m_overflow(overflow)
{
}

RleOutcome RleDecoder::Decode(std::span<const uint8_t> data, std::span<uint8_t> indices, std::span<uint8_t> written)
{
    m_data = data;
    m_indices = indices;
    m_written = written;
    m_pos = 0;
    m_x = 0;
    m_y = 0;
    m_stop = RleStop::EndOfBitmap;
    while (Next()) {
    }
    return { m_stop, m_y };
}

// Reads and applies one code; false once decoding ends.
bool RleDecoder::Next()
{
    if (m_overflow == Overflow::Clip && m_y >= m_height)
        return false;
    if (m_data.size() - m_pos < 2)
        return Stop(RleStop::DataEnds);
    uint8_t count = m_data[m_pos];
    uint8_t code = m_data[m_pos + 1];
    m_pos += 2;
    if (count != RleCode::Escape)
        return Run(count, code);
    switch (code) {
    case RleCode::EndOfLine:
        m_x = 0;
        ++m_y;
        return true;
    case RleCode::EndOfBitmap:
        return false;
    case RleCode::Skip:
        return SkipAhead();
    default:
        return Literal(code);
    }
}

bool RleDecoder::Stop(RleStop stop)
{
    m_stop = stop;
    return false;
}

bool RleDecoder::Put(uint8_t index)
{
    bool inside = m_x < m_width && m_y < m_height;
    if (!inside && m_overflow == Overflow::Strict)
        return Stop(m_y >= m_height ? RleStop::PastLastRow : RleStop::PastRowEnd);
    if (inside) {
        size_t at = size_t(m_y) * size_t(m_width) + size_t(m_x);
        m_indices[at] = index;
        if (!m_written.empty())
            m_written[at] = 1;
    }
    ++m_x;
    return true;
}

// A run of one index; at 4 bits the byte's two nibbles alternate.
bool RleDecoder::Run(uint8_t count, uint8_t value)
{
    for (int i = 0; i < count; ++i) {
        uint8_t index = m_bits == 8 ? value : (i % 2 == 0 ? value >> 4 : value & 0x0F);
        if (!Put(index))
            return false;
    }
    return true;
}

// `count` indices as they are, padded to a 16-bit boundary; what data there is gets drawn.
bool RleDecoder::Literal(uint8_t count)
{
    size_t bytes = m_bits == 8 ? count : (count + 1u) / 2;
    size_t available = std::min(bytes, m_data.size() - m_pos);
    const uint8_t* src = m_data.data() + m_pos;
    size_t pixels = m_bits == 8 ? available : std::min<size_t>(count, available * 2);
    for (size_t i = 0; i < pixels; ++i) {
        uint8_t index = m_bits == 8 ? src[i] : (i % 2 == 0 ? src[i / 2] >> 4 : src[i / 2] & 0x0F);
        if (!Put(index))
            return false;
    }
    if (available < bytes)
        return Stop(RleStop::DataEnds);
    m_pos += std::min(bytes + (bytes & 1), m_data.size() - m_pos);
    return true;
}

bool RleDecoder::SkipAhead()
{
    if (m_data.size() - m_pos < 2)
        return Stop(RleStop::DataEnds);
    m_x += m_data[m_pos];
    m_y += m_data[m_pos + 1];
    m_pos += 2;
    if (m_overflow == Overflow::Strict && (m_x > m_width || m_y > m_height))
        return Stop(RleStop::SkipLeaves);
    return true;
}

}
