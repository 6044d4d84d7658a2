#include "dib/LzhCodec.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

namespace lzh {
namespace {

constexpr int Nil = RingSize; // "no node" in the search trees
constexpr int LiteralCount = 256;
constexpr int MatchSymbolBase = LiteralCount - 1 - Threshold; // symbol = length + 253
constexpr uint16_t FrequencySentinel = 0xFFFF;
constexpr int PositionLowBits = 6;
constexpr uint8_t Space = 0x20;

// The fixed prefix code of a match distance's upper six bits: so many codes of each length,
// assigned in increasing order of length and value.
struct PositionCodeTable {
    uint8_t length[64] {};
    uint8_t code[64] {};
    uint8_t upperOfByte[256] {};  // upper six bits coded by a byte's leading bits
    uint8_t lengthOfByte[256] {}; // how many of the byte's bits that code takes
};

constexpr PositionCodeTable MakePositionCodeTable()
{
    constexpr int codesOfLength[9] = { 0, 0, 0, 1, 3, 8, 12, 24, 16 };
    PositionCodeTable table;
    unsigned next = 0;
    int upper = 0;
    for (int length = 3; length <= 8; ++length) {
        for (int n = 0; n < codesOfLength[length]; ++n, ++next, ++upper) {
            table.length[upper] = static_cast<uint8_t>(length);
            table.code[upper] = static_cast<uint8_t>(next);
            for (unsigned low = 0; low < (1u << (8 - length)); ++low) {
                const unsigned byte = next << (8 - length) | low;
                table.upperOfByte[byte] = static_cast<uint8_t>(upper);
                table.lengthOfByte[byte] = static_cast<uint8_t>(length);
            }
        }
        next <<= 1;
    }
    return table;
}

constexpr PositionCodeTable PositionCode = MakePositionCodeTable();

// The adaptive Huffman tree shared by both directions. Nodes are kept in order of frequency;
// leaves are the entries of child[] that are NodeCount or above (NodeCount + symbol).
struct HuffmanTree {
    uint16_t frequency[NodeCount + 1];
    int16_t parent[NodeCount + SymbolCount];
    int16_t child[NodeCount];

    void Start()
    {
        for (int i = 0; i < SymbolCount; ++i) {
            frequency[i] = 1;
            child[i] = static_cast<int16_t>(i + NodeCount);
            parent[i + NodeCount] = static_cast<int16_t>(i);
        }
        for (int i = 0, j = SymbolCount; j <= Root; i += 2, ++j) {
            frequency[j] = static_cast<uint16_t>(frequency[i] + frequency[i + 1]);
            child[j] = static_cast<int16_t>(i);
            parent[i] = parent[i + 1] = static_cast<int16_t>(j);
        }
        frequency[NodeCount] = FrequencySentinel;
        parent[Root] = 0;
    }

    // Halves every leaf's frequency and builds the inner nodes afresh, each inserted after
    // the last node that is not more frequent.
    void Rebuild()
    {
        int leaves = 0;
        for (int i = 0; i < NodeCount; ++i) {
            if (child[i] >= NodeCount) {
                frequency[leaves] = static_cast<uint16_t>((frequency[i] + 1) / 2);
                child[leaves] = child[i];
                ++leaves;
            }
        }
        for (int i = 0, j = SymbolCount; j < NodeCount; i += 2, ++j) {
            const uint16_t sum = static_cast<uint16_t>(frequency[i] + frequency[i + 1]);
            int k = j - 1;
            while (sum < frequency[k])
                --k;
            ++k;
            const size_t moved = static_cast<size_t>(j - k);
            std::memmove(&frequency[k + 1], &frequency[k], moved * sizeof frequency[0]);
            frequency[k] = sum;
            std::memmove(&child[k + 1], &child[k], moved * sizeof child[0]);
            child[k] = static_cast<int16_t>(i);
        }
        for (int i = 0; i < NodeCount; ++i) {
            const int k = child[i];
            parent[k] = static_cast<int16_t>(i);
            if (k < NodeCount)
                parent[k + 1] = static_cast<int16_t>(i);
        }
    }

    void Update(int symbol)
    {
        if (frequency[Root] == RebuildFrequency)
            Rebuild();
        // Address-wide node numbers: each level's load of the parent waits for no widening.
        ptrdiff_t c = parent[symbol + NodeCount];
        do {
            const uint16_t k = ++frequency[c];
            if (k > frequency[c + 1]) {
                ptrdiff_t l = c + 1;
                while (k > frequency[l + 1])
                    ++l;
                frequency[c] = frequency[l];
                frequency[l] = k;

                const int i = child[c];
                parent[i] = static_cast<int16_t>(l);
                if (i < NodeCount)
                    parent[i + 1] = static_cast<int16_t>(l);
                const int j = child[l];
                child[l] = static_cast<int16_t>(i);
                parent[j] = static_cast<int16_t>(c);
                if (j < NodeCount)
                    parent[j + 1] = static_cast<int16_t>(c);
                child[c] = static_cast<int16_t>(j);
                c = l;
            }
            c = parent[c];
        } while (c != 0);
    }
};

void WriteLength(uint8_t* at, uint32_t length)
{
    at[0] = static_cast<uint8_t>(length);
    at[1] = static_cast<uint8_t>(length >> 8);
    at[2] = static_cast<uint8_t>(length >> 16);
    at[3] = static_cast<uint8_t>(length >> 24);
}

// Collects codes most significant bit first into the code area of the output, refusing to let
// the code grow past the input's length.
class BitWriter {
public:
    BitWriter(uint8_t* code, size_t limit)
        : m_code(code)
        , m_limit(limit)
    {
    }

    void Put(uint32_t value, int length)
    {
        m_pending = m_pending << length | value;
        m_bits += length;
        if (m_bits >= 32) {
            m_bits -= 32;
            Reserve(4);
            const uint32_t word = static_cast<uint32_t>(m_pending >> m_bits);
            m_code[m_written] = static_cast<uint8_t>(word >> 24);
            m_code[m_written + 1] = static_cast<uint8_t>(word >> 16);
            m_code[m_written + 2] = static_cast<uint8_t>(word >> 8);
            m_code[m_written + 3] = static_cast<uint8_t>(word);
            m_written += 4;
        }
    }

    // The last byte is completed with zero bits.
    size_t Finish()
    {
        while (m_bits > 0) {
            Reserve(1);
            const int shift = m_bits >= 8 ? m_bits - 8 : 0;
            const uint8_t byte = m_bits >= 8 ? static_cast<uint8_t>(m_pending >> shift)
                                             : static_cast<uint8_t>(m_pending << (8 - m_bits));
            m_code[m_written++] = byte;
            m_bits = m_bits >= 8 ? m_bits - 8 : 0;
        }
        return m_written;
    }

private:
    void Reserve(size_t count)
    {
        if (m_written + count > m_limit)
            throw ElzhException(TooLargeMessage);
    }

    uint8_t* m_code;
    size_t m_limit;
    size_t m_written = 0;
    uint64_t m_pending = 0;
    int m_bits = 0;
};

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

// First index in 1..LookAhead-1 at which the two keys differ, LookAhead when none does.
// Both keys have eight readable bytes beyond their look-ahead.
int CommonLength(const uint8_t* a, const uint8_t* b, int from)
{
    for (int i = from; i < LookAhead; i += 8) {
        uint64_t x;
        uint64_t y;
        std::memcpy(&x, a + i, sizeof x);
        std::memcpy(&y, b + i, sizeof y);
        if (const uint64_t difference = x ^ y) {
            const int at = i + std::countr_zero(difference) / 8;
            return std::min(at, LookAhead);
        }
    }
    return LookAhead;
}

// Bytes as read from memory turned so that the first is the most significant.
uint64_t BigEndian(uint64_t raw)
{
    if constexpr (std::endian::native == std::endian::little)
        return __builtin_bswap64(raw);
    return raw;
}

// Bytes 1 to 8 of a string as they lie in memory.
uint64_t RawLeadingWord(const uint8_t* text)
{
    uint64_t word;
    std::memcpy(&word, text + 1, sizeof word);
    return word;
}

// The same with the first of them most significant: comparing two such words compares the
// strings' bytes in order.
uint64_t LeadingWord(const uint8_t* text)
{
    return BigEndian(RawLeadingWord(text));
}

// Where a step of the tree walk goes: the node and, read ahead, its leading bytes as stored
// and its children.
struct TreeStep {
    // Node numbers as wide as addresses, so that they index the tables without being widened.
    ptrdiff_t node;
    uint64_t raw;
    ptrdiff_t left;
    ptrdiff_t right;

    // Becomes `other` when `key` is above `word`. The walk's direction is as good as random,
    // so conditional moves beat any branch; compilers turn the plain form into branches, hence
    // the instructions spelt out where the processor has them.
    void TakeIfAbove(uint64_t key, uint64_t word, const TreeStep& other)
    {
#if defined(__x86_64__) && defined(__GNUC__)
        asm("cmp %[w], %[k]\n\t"
            "cmova %[on], %[n]\n\t"
            "cmova %[ow], %[rw]\n\t"
            "cmova %[ol], %[l]\n\t"
            "cmova %[ort], %[r]"
            : [n] "+r"(node), [rw] "+r"(raw), [l] "+r"(left), [r] "+r"(right)
            : [k] "r"(key), [w] "r"(word), [on] "r"(other.node), [ow] "r"(other.raw), [ol] "r"(other.left),
            [ort] "r"(other.right)
            : "cc");
#else
        if (key > word)
            *this = other;
#endif
    }
};

class Encoder {
public:
    explicit Encoder(std::span<const uint8_t> input)
        : m_input(input)
    {
    }

    size_t Run(uint8_t* code)
    {
        BitWriter writer(code, m_input.size());
        m_writer = &writer;
        m_tree.Start();
        StartTrees();
        std::memset(m_text, Space, RingStart);

        int s = 0;
        int r = RingStart;
        int len = 0;
        while (len < LookAhead && m_read < m_input.size())
            m_text[r + len++] = m_input[m_read++];
        for (int i = 1; i <= LookAhead; ++i)
            InsertNode(r - i);
        InsertNode(r);

        do {
            if (m_matchLength > len)
                m_matchLength = len;
            if (m_matchLength <= Threshold) {
                m_matchLength = 1;
                EncodeSymbol(m_text[r]);
            } else {
                EncodeSymbol(m_matchLength + MatchSymbolBase);
                EncodePosition(m_matchPosition);
            }
            const int lastMatchLength = m_matchLength;
            int i = 0;
            for (; i < lastMatchLength && m_read < m_input.size(); ++i) {
                DeleteNode(s);
                const uint8_t c = m_input[m_read++];
                m_text[s] = c;
                if (s < LookAhead - 1)
                    m_text[s + RingSize] = c;
                s = (s + 1) & (RingSize - 1);
                r = (r + 1) & (RingSize - 1);
                InsertNode(r);
            }
            for (; i < lastMatchLength; ++i) {
                DeleteNode(s);
                s = (s + 1) & (RingSize - 1);
                r = (r + 1) & (RingSize - 1);
                if (--len)
                    InsertNode(r);
            }
        } while (len > 0);
        return writer.Finish();
    }

private:
    void StartTrees()
    {
        for (int i = RingSize + 1; i <= RingSize + 256; ++i)
            Right(i) = Nil;
        for (int i = 0; i < RingSize; ++i)
            m_parent[i] = Nil;
        // The walk reads ahead into Nil's children before it knows it stops there.
        Left(Nil) = Right(Nil) = Nil;
    }

    uint64_t RawWord(ptrdiff_t p) const { return RawLeadingWord(&m_text[p]); }
    ptrdiff_t LeftOf(ptrdiff_t p) const { return m_links[2 * p]; }
    ptrdiff_t RightOf(ptrdiff_t p) const { return m_links[2 * p + 1]; }

    // Longer wins, then nearer: one number orders both, the length less one above twelve bits
    // of nearness, (p - r) mod RingSize, which grows as p comes closer behind r.
    static int Score(int length, ptrdiff_t nearness) { return (length - 1) << 12 | static_cast<int>(nearness & (RingSize - 1)); }

    // The same from leading words that differ: their first differing byte is the length.
    static int ScoreOfDifference(uint64_t difference, ptrdiff_t nearness)
    {
        return (std::countl_zero(difference) & 0x38) << 9 | static_cast<int>(nearness & (RingSize - 1));
    }

    void NoteBest(int score)
    {
        m_matchLength = (score >> 12) + 1;
        m_matchPosition = RingSize - 1 - (score & (RingSize - 1));
    }

    uint16_t& Left(int p) { return m_links[2 * p]; }
    uint16_t& Right(int p) { return m_links[2 * p + 1]; }

    // Inserts the string at r into the tree of its first byte, finding on the way the longest
    // (and among those the nearest) earlier match; a full-length match replaces its node.
    // The walk is a chain of dependent loads, so each step fetches both children's links and
    // leading bytes while it compares, and picks the chosen child's by conditional moves: the
    // next step's data is then on its way before the direction is known. Leading bytes decide
    // most steps by one comparison and give the common length from their first differing bit.
    void InsertNode(int r)
    {
        const uint8_t* key = &m_text[r];
        const uint64_t keyWord = LeadingWord(key);
        const ptrdiff_t root = RingSize + 1 + key[0];
        Left(r) = Right(r) = Nil;
        // Starting at Threshold's score is safe because lengths up to Threshold are coded as
        // literals whatever their position.
        int best = Score(Threshold, 0);
        const ptrdiff_t first = RightOf(root);
        if (first == Nil) {
            Attach(r, root, 1);
            NoteBest(best);
            return;
        }
        const ptrdiff_t towardsR = RingSize - r;
        TreeStep step { first, RawWord(first), LeftOf(first), RightOf(first) };
        for (;;) {
            const ptrdiff_t p = step.node;
            const TreeStep toLeft { step.left, RawWord(step.left), LeftOf(step.left), RightOf(step.left) };
            const TreeStep toRight { step.right, RawWord(step.right), LeftOf(step.right), RightOf(step.right) };
            const uint64_t word = BigEndian(step.raw);
            const uint64_t difference = keyWord ^ word;
            int direction;
            if (difference != 0) [[likely]] {
                best = std::max(best, ScoreOfDifference(difference, p + towardsR));
                step = toLeft;
                step.TakeIfAbove(keyWord, word, toRight);
                if (step.node != Nil) [[likely]]
                    continue;
                direction = keyWord > word;
            } else {
                const uint8_t* other = &m_text[p];
                const int length = CommonLength(key, other, 9);
                best = std::max(best, Score(length, p + towardsR));
                if (length == LookAhead) [[unlikely]] {
                    NoteBest(best);
                    Replace(p, r);
                    return;
                }
                direction = key[length] >= other[length];
                step = direction ? toRight : toLeft;
                if (step.node != Nil)
                    continue;
            }
            Attach(r, p, direction);
            NoteBest(best);
            return;
        }
    }

    void Attach(int r, ptrdiff_t parent, int direction)
    {
        m_links[2 * parent + direction] = static_cast<uint16_t>(r);
        m_parent[r] = static_cast<uint16_t>(parent);
    }

    // Node r takes p's place in its tree.
    void Replace(ptrdiff_t p, int r)
    {
        m_parent[r] = m_parent[p];
        Left(r) = Left(static_cast<int>(p));
        Right(r) = Right(static_cast<int>(p));
        m_parent[Left(r)] = static_cast<uint16_t>(r);
        m_parent[Right(r)] = static_cast<uint16_t>(r);
        if (Right(m_parent[p]) == p)
            Right(m_parent[p]) = static_cast<uint16_t>(r);
        else
            Left(m_parent[p]) = static_cast<uint16_t>(r);
        m_parent[p] = Nil;
    }

    void DeleteNode(int p)
    {
        if (m_parent[p] == Nil)
            return;
        int q;
        if (Right(p) == Nil) {
            q = Left(p);
        } else if (Left(p) == Nil) {
            q = Right(p);
        } else {
            q = Left(p);
            if (Right(q) != Nil) {
                do
                    q = Right(q);
                while (Right(q) != Nil);
                Right(m_parent[q]) = Left(q);
                m_parent[Left(q)] = m_parent[q];
                Left(q) = Left(p);
                m_parent[Left(p)] = static_cast<uint16_t>(q);
            }
            Right(q) = Right(p);
            m_parent[Right(p)] = static_cast<uint16_t>(q);
        }
        m_parent[q] = m_parent[p];
        if (Right(m_parent[p]) == p)
            Right(m_parent[p]) = static_cast<uint16_t>(q);
        else
            Left(m_parent[p]) = static_cast<uint16_t>(q);
        m_parent[p] = Nil;
    }

    // A symbol's code is the path from the root to its leaf, an odd node meaning 1.
    void EncodeSymbol(int symbol)
    {
        uint32_t code = 0;
        int length = 0;
        int k = m_tree.parent[symbol + NodeCount];
        do {
            code |= static_cast<uint32_t>(k & 1) << length;
            ++length;
            k = m_tree.parent[k];
        } while (k != Root);
        m_writer->Put(code, length);
        m_tree.Update(symbol);
    }

    void EncodePosition(int position)
    {
        const int upper = position >> PositionLowBits;
        const uint32_t code = static_cast<uint32_t>(PositionCode.code[upper]) << PositionLowBits
            | static_cast<uint32_t>(position & ((1 << PositionLowBits) - 1));
        m_writer->Put(code, PositionCode.length[upper] + PositionLowBits);
    }

    std::span<const uint8_t> m_input;
    size_t m_read = 0;
    BitWriter* m_writer = nullptr;
    HuffmanTree m_tree;
    // The ring, a mirror of its first LookAhead - 1 bytes, and slack for word-wide compares.
    uint8_t m_text[RingSize + LookAhead - 1 + 8] {};
    // Left and right child of every node side by side; nodes above RingSize are the roots of
    // the trees, one per first byte.
    uint16_t m_links[2 * (RingSize + 257)];
    uint16_t m_parent[RingSize + 1];
    int m_matchPosition = 0;
    int m_matchLength = 0;
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

template <class T, class... Args>
std::unique_ptr<T> AllocateTables(Args&&... args)
{
    try {
        return std::make_unique<T>(std::forward<Args>(args)...);
    } catch (const std::bad_alloc&) {
        throw ElzhException(NoMemoryMessage);
    }
}

} // namespace

std::vector<uint8_t> Encode(std::span<const uint8_t> input)
{
    if (input.size() > UINT32_MAX)
        throw ElzhException(TooLargeMessage);
    std::vector<uint8_t> packed;
    try {
        packed.resize(HeaderSize + input.size());
    } catch (const std::bad_alloc&) {
        throw ElzhException(NoMemoryMessage);
    }
    WriteLength(packed.data(), static_cast<uint32_t>(input.size()));
    if (input.empty())
        return packed;
    auto encoder = AllocateTables<Encoder>(input);
    const size_t codeLength = encoder->Run(packed.data() + CodeOffset);
    packed.resize(HeaderSize + codeLength);
    return packed;
}

uint32_t DecodedLength(std::span<const uint8_t> packed)
{
    if (packed.size() < HeaderSize)
        throw ElzhException("LZH : The packed data has no length header.");
    return uint32_t(packed[0]) | uint32_t(packed[1]) << 8 | uint32_t(packed[2]) << 16 | uint32_t(packed[3]) << 24;
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

void TLZHStream::Encode()
{
    const std::vector<uint8_t> input = m_in.ReadRest();
    m_out.WriteBytes(lzh::Encode(input));
}

void TLZHStream::Decode()
{
    const std::vector<uint8_t> packed = m_in.ReadRest();
    m_out.WriteBytes(lzh::Decode(packed));
}
