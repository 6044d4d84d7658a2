#pragma once

// The stream format of a surface's pixels ("Data") and the compressed envelope around it.
//
// Raw stream: Width (u16 LE), Height (u16 LE), then Width x Height x 4 bytes of pixels in
// memory order (bottom row first). Envelope: "DIBCMP", the compressor's identifier, the raw
// length (u32 LE), then the compressor's payload up to the end of the stream.

#include "dib/stream/DIBStream.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

class TAbstractSuperDIB;

namespace dibstream {

inline constexpr uint8_t EnvelopeSignature[6] = { 'D', 'I', 'B', 'C', 'M', 'P' };
inline constexpr size_t EnvelopeSignatureOffset = 0;
inline constexpr size_t EnvelopeIdOffset = 6;
inline constexpr size_t EnvelopeRawLengthOffset = 22;
inline constexpr size_t EnvelopePayloadOffset = 26;
inline constexpr size_t EnvelopeHeaderSize = EnvelopePayloadOffset;

inline constexpr size_t RawWidthOffset = 0;
inline constexpr size_t RawHeightOffset = 2;
inline constexpr size_t RawPixelsOffset = 4;
inline constexpr size_t RawHeaderSize = RawPixelsOffset;

inline constexpr const char* NoDecompressorMessage = "Could not find a suitable decompressor.";

}

// The surface's "Data": the raw stream, or an envelope when the current compressor succeeds.
void WriteDIBData(const TAbstractSuperDIB& dib, TDIBStream& stream);
// Reads a raw stream or an envelope from the stream's position to its end. On any error the
// surface keeps its size and pixels.
void ReadDIBData(TAbstractSuperDIB& dib, TDIBStream& stream);

// The raw stream of a surface, and the check-and-apply of one.
std::vector<uint8_t> BuildRawDIBStream(const TAbstractSuperDIB& dib);
void ApplyRawDIBStream(TAbstractSuperDIB& dib, std::span<const uint8_t> raw);
