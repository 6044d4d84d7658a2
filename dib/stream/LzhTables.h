#pragma once

// What both directions of the LZH codec share: the symbol alphabet, the fixed prefix code of
// match positions and the adaptive Huffman tree.

#include "dib/stream/LzhCodec.h"

#include <cstring>
#include <memory>
#include <new>
#include <utility>

namespace lzh::detail {

inline constexpr int LiteralCount = 256;
inline constexpr int MatchSymbolBase = LiteralCount - 1 - Threshold; // symbol = length + 253
inline constexpr uint16_t FrequencySentinel = 0xFFFF;
inline constexpr int PositionLowBits = 6;
inline constexpr uint8_t Space = 0x20;

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

inline constexpr PositionCodeTable PositionCode = MakePositionCodeTable();

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
        ContinueUpdate(parent[symbol + NodeCount]);
    }

    // A symbol's code is the path from the root to its leaf, an odd node meaning 1; the
    // first bit of the path is the most significant of `code`.
    struct Code {
        uint32_t code;
        int length;
    };

    Code CodeFrom(ptrdiff_t k, Code from = { 0, 0 }) const
    {
        for (; k != Root; k = parent[k]) {
            from.code |= static_cast<uint32_t>(k & 1) << from.length;
            ++from.length;
        }
        return from;
    }

    // The code of symbol as the tree stands, then the tree updated for it. Until the update
    // first moves a node, it climbs the code's own path, so the one climb serves both.
    Code CodeAndUpdate(int symbol)
    {
        if (frequency[Root] == RebuildFrequency) {
            const Code code = CodeFrom(parent[symbol + NodeCount]);
            Update(symbol);
            return code;
        }
        Code code { 0, 0 };
        ptrdiff_t c = parent[symbol + NodeCount];
        for (;;) {
            const uint16_t k = ++frequency[c];
            if (k > frequency[c + 1]) {
                code = CodeFrom(c, code);
                c = parent[MoveUp(c, k)];
                if (c != 0)
                    ContinueUpdate(c);
                return code;
            }
            if (c == Root)
                return code;
            code.code |= static_cast<uint32_t>(c & 1) << code.length;
            ++code.length;
            c = parent[c];
        }
    }

private:
    // Adds one to the frequency of c and of every node above it, keeping the nodes in order.
    // Address-wide node numbers: each level's load of the parent waits for no widening.
    // c may be node 0: the climb ends on reaching it from above, not on starting there.
    void ContinueUpdate(ptrdiff_t c)
    {
        do {
            const uint16_t k = ++frequency[c];
            if (k > frequency[c + 1])
                c = MoveUp(c, k);
            c = parent[c];
        } while (c != 0);
    }

    // Node c, whose frequency k has just outgrown its successor's, trades places with the
    // last node that is still less frequent; returns where c's subtree now is.
    ptrdiff_t MoveUp(ptrdiff_t c, uint16_t k)
    {
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
        return l;
    }
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

}
