#include "dib/stream/LzhCodec.h"

#include "platform/bytes/ByteReader.h"
#include "dib/stream/LzhTables.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace lzh {
namespace {

using namespace detail;

// Reads bits most significant first from a left-aligned 64-bit window; past the end of the
// code the window fills with zero bits.
class BitReader {
public:
    explicit BitReader(std::span<const uint8_t> code)
        : m_next(code.data())
        , m_end(code.data() + code.size())
    {
    }

    void Refill()
    {
        if (m_end - m_next >= 8) {
            uint64_t word;
            std::memcpy(&word, m_next, sizeof word);
            if constexpr (std::endian::native == std::endian::little)
                word = __builtin_bswap64(word);
            m_window |= word >> m_bits;
            m_next += (63 - m_bits) >> 3;
            m_bits |= 56;
            return;
        }
        while (m_bits <= 56) {
            const uint64_t byte = m_next < m_end ? *m_next++ : 0;
            m_window |= byte << (56 - m_bits);
            m_bits += 8;
        }
    }

    unsigned Bit()
    {
        if (m_bits == 0)
            Refill();
        const unsigned bit = static_cast<unsigned>(m_window >> 63);
        m_window <<= 1;
        --m_bits;
        return bit;
    }

    // The next count bits (count <= 32) without consuming them.
    uint32_t Peek(int count)
    {
        if (m_bits < count)
            Refill();
        return static_cast<uint32_t>(m_window >> (64 - count));
    }

    void Skip(int count)
    {
        m_window <<= count;
        m_bits -= count;
    }

    void EnsureBits(int count)
    {
        if (m_bits < count)
            Refill();
    }

private:
    const uint8_t* m_next;
    const uint8_t* m_end;
    uint64_t m_window = 0;
    int m_bits = 0;
};

// Output byte n sits at ring position RingStart + n; before the output has reached it, a ring
// position still holds its start value (a space below RingStart, zero above).
uint8_t InitialRingByte(int64_t outputIndex)
{
    return outputIndex >= -RingStart ? Space : 0;
}

class Decoder {
public:
    void Run(std::span<const uint8_t> code, std::span<uint8_t> output)
    {
        m_tree.Start();
        BitReader reader(code);
        uint8_t* out = output.data();
        const size_t total = output.size();
        size_t count = 0;
        while (count < total) {
            const int symbol = DecodeSymbol(reader);
            if (symbol < LiteralCount) {
                out[count++] = static_cast<uint8_t>(symbol);
                continue;
            }
            const size_t back = static_cast<size_t>(DecodePosition(reader)) + 1;
            const size_t length = std::min<size_t>(static_cast<size_t>(symbol - MatchSymbolBase), total - count);
            CopyMatch(out, count, back, length);
            count += length;
        }
    }

private:
    int DecodeSymbol(BitReader& reader)
    {
        reader.EnsureBits(32);
        int c = m_tree.child[Root];
        while (c < NodeCount)
            c = m_tree.child[c + reader.Bit()];
        c -= NodeCount;
        m_tree.Update(c);
        return c;
    }

    static int DecodePosition(BitReader& reader)
    {
        const uint32_t leading = reader.Peek(8);
        const int length = PositionCode.lengthOfByte[leading];
        const int upper = PositionCode.upperOfByte[leading];
        const uint32_t bits = reader.Peek(length + PositionLowBits);
        reader.Skip(length + PositionLowBits);
        return upper << PositionLowBits | static_cast<int>(bits & ((1u << PositionLowBits) - 1));
    }

    static void CopyMatch(uint8_t* out, size_t count, size_t back, size_t length)
    {
        if (back <= count) {
            const uint8_t* from = out + (count - back);
            uint8_t* to = out + count;
            if (back >= length) {
                std::memcpy(to, from, length);
            } else {
                for (size_t k = 0; k < length; ++k)
                    to[k] = from[k];
            }
            return;
        }
        for (size_t k = 0; k < length; ++k) {
            const int64_t index = static_cast<int64_t>(count + k) - static_cast<int64_t>(back);
            out[count + k] = index >= 0 ? out[index] : InitialRingByte(index);
        }
    }

    HuffmanTree m_tree;
};

} // namespace

uint32_t DecodedLength(std::span<const uint8_t> packed)
{
    if (packed.size() < HeaderSize)
        throw ElzhException("LZH : The packed data has no length header.");
    return platform::ByteReader(packed).U32(LengthOffset);
}

uint64_t MaxDecodedLength(size_t codeBytes)
{
    constexpr uint64_t bytesPerBit = LookAhead / (1 + 3 + PositionLowBits);
    return static_cast<uint64_t>(codeBytes) * 8 * bytesPerBit + LookAhead;
}

void Decode(std::span<const uint8_t> packed, std::span<uint8_t> output)
{
    const uint32_t total = DecodedLength(packed);
    if (total != output.size())
        throw ElzhException("LZH : The packed data does not unpack to the expected length.");
    if (total > MaxDecodedLength(packed.size() - HeaderSize))
        throw ElzhException("LZH : The packed data is too short for its stated length.");
    if (total == 0)
        return;
    auto decoder = AllocateTables<Decoder>();
    decoder->Run(packed.subspan(CodeOffset), output);
}

std::vector<uint8_t> Decode(std::span<const uint8_t> packed)
{
    const uint32_t total = DecodedLength(packed);
    if (total > MaxDecodedLength(packed.size() - HeaderSize))
        throw ElzhException("LZH : The packed data is too short for its stated length.");
    std::vector<uint8_t> output;
    try {
        output.resize(total);
    } catch (const std::bad_alloc&) {
        throw ElzhException(NoMemoryMessage);
    }
    Decode(packed, output);
    return output;
}

}

void TLZHStream::Decode()
{
    const std::vector<uint8_t> packed = m_in.ReadRest();
    m_out.WriteBytes(lzh::Decode(packed));
}
