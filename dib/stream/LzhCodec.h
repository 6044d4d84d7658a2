#pragma once

// The LZH codec of the compressed DIB envelopes: LZSS over a 4096-byte ring with adaptive
// Huffman coding of literals and match lengths. Packed data is the unpacked length (32-bit
// little-endian) followed by the code, most significant bit first. Stored envelopes depend on
// every parameter here, so none of them may change.

#include "dib/stream/DIBStream.h"
#include "platform/types/Exception.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

class ElzhException : public platform::Exception {
public:
    using platform::Exception::Exception;
};

namespace lzh {

inline constexpr int RingSize = 4096;
inline constexpr int LookAhead = 60;
inline constexpr int Threshold = 2;                             // longest length coded as literals
inline constexpr int RingStart = RingSize - LookAhead;          // 4036: first position coded
inline constexpr int SymbolCount = 256 - Threshold + LookAhead; // 314
inline constexpr int NodeCount = SymbolCount * 2 - 1;           // 627
inline constexpr int Root = NodeCount - 1;                      // 626
inline constexpr unsigned RebuildFrequency = 0x8000;
inline constexpr size_t LengthOffset = 0; // unpacked length, u32 LE
inline constexpr size_t HeaderSize = 4;
inline constexpr size_t CodeOffset = HeaderSize;

inline constexpr const char* TooLargeMessage = "Compressed file is larger than the original.";
inline constexpr const char* NoMemoryMessage = "LZH : Cannot get memory for dictionary tables";
inline constexpr const char* FreeMemoryMessage = "LZH : Error freeing memory for dictionary tables";

// Header and code for input. Raises ElzhException TooLargeMessage as soon as the code would
// grow past input.size() bytes.
std::vector<uint8_t> Encode(std::span<const uint8_t> input);

// The same code, searched on the calling thread alone (1) or in two shares on it and one more
// thread (2). Encode(input) takes two from SharedSearchFrom bytes on where the processor has
// more than one core: below that, starting the thread costs more than it saves.
std::vector<uint8_t> Encode(std::span<const uint8_t> input, int searchThreads);
inline constexpr size_t SharedSearchFrom = 32 * 1024;

// The unpacked length stated by packed data's header; ElzhException when there is no header.
uint32_t DecodedLength(std::span<const uint8_t> packed);

// Largest unpacked length that a code of codeBytes bytes can produce: one bit per literal at
// best, ten bits per 60-byte match. Longer stated lengths cannot be genuine.
uint64_t MaxDecodedLength(size_t codeBytes);

// Unpacks packed (header and code) into output, which must be exactly as long as the header
// states. Bits past the end of the code read as zero.
void Decode(std::span<const uint8_t> packed, std::span<uint8_t> output);
std::vector<uint8_t> Decode(std::span<const uint8_t> packed);

}

// The codec as a pair of streams: reads everything from In, writes to Out.
class TAbstractLZH {
public:
    virtual ~TAbstractLZH() = default;
    virtual void Encode() = 0;
    virtual void Decode() = 0;
};

class TLZHStream : public TAbstractLZH {
public:
    TLZHStream(TDIBStream& in, TDIBStream& out)
        : m_in(in)
        , m_out(out)
    {
    }
    void Encode() override;
    void Decode() override;

private:
    TDIBStream& m_in;
    TDIBStream& m_out;
};
