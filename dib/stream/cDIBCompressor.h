#pragma once

// The stream format of a surface's pixels ("Data"), the compressed envelope around it and the
// registry of compressors that unpack envelopes.
//
// Raw stream: Width (u16 LE), Height (u16 LE), then Width x Height x 4 bytes of pixels in
// memory order (bottom row first). Envelope: "DIBCMP", the compressor's identifier, the raw
// length (u32 LE), then the compressor's payload up to the end of the stream.

#include "dib/stream/DIBStream.h"

#include <array>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

class TAbstractSuperDIB;

class EDIBCompressError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A GUID in the platform's binary layout: 32-bit, 16-bit, 16-bit little-endian, then 8 bytes.
struct TGUID {
    uint32_t D1 = 0;
    uint16_t D2 = 0;
    uint16_t D3 = 0;
    std::array<uint8_t, 8> D4 {};

    static constexpr size_t ByteSize = 16;
    static TGUID FromBytes(const uint8_t* bytes);
    void ToBytes(uint8_t* bytes) const;
    friend bool operator==(const TGUID&, const TGUID&) = default;
};

namespace dibstream {

inline constexpr char EnvelopeSignature[6] = { 'D', 'I', 'B', 'C', 'M', 'P' };
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

class TAbstractDIBCompressor {
public:
    virtual ~TAbstractDIBCompressor() = default;

    virtual void GetID(TGUID& id) const = 0;
    virtual bool HandlesID(const TGUID& id) const = 0;
    // Dest has room for sourceSize bytes. Returns the length written, 0 for failure (which
    // includes any result that would not fit).
    virtual uint32_t Compress(const TAbstractSuperDIB* dib, const uint8_t* source, uint32_t sourceSize, uint8_t* dest) = 0;
    // Dest receives exactly destSize bytes; malformed payloads raise.
    virtual void Decompress(const TAbstractSuperDIB* dib, const uint8_t* source, uint32_t sourceSize, uint8_t* dest,
        uint32_t destSize)
        = 0;
    virtual std::string GetDisplayName() const = 0;
    virtual std::string GetDescription() const { return "No information supplied"; }
    virtual std::string GetAuthor() const { return "No information supplied"; }
    virtual std::string GetEMail() const { return {}; }
    virtual std::string GetURL() const { return {}; }

    // Largest raw length a payload of payloadSize bytes can genuinely unpack to, so that a
    // corrupt envelope cannot make the reader reserve gigabytes. Unbounded unless a compressor
    // knows better.
    virtual uint64_t MaxUnpackedSize(uint64_t payloadSize) const;
};

// The registry, filled with the standard compressors (run-length, then LZH) on first use and
// freed at shutdown.
void RegisterDIBCompressor(std::unique_ptr<TAbstractDIBCompressor> compressor);
// Hands a registered compressor back to the caller; clears the current compressor if it was
// that one. Null when it was not registered.
std::unique_ptr<TAbstractDIBCompressor> UnregisterDIBCompressor(TAbstractDIBCompressor* compressor);
std::vector<TAbstractDIBCompressor*> DIBCompressors();
// The last registered compressor that handles id, or null.
TAbstractDIBCompressor* FindDIBCompressor(const TGUID& id);

// The compressor WriteDIBData packs with; none by default.
TAbstractDIBCompressor* CurrentDIBCompressor();
void SetCurrentDIBCompressor(TAbstractDIBCompressor* compressor);

// The surface's "Data": the raw stream, or an envelope when the current compressor succeeds.
void WriteDIBData(const TAbstractSuperDIB& dib, TDIBStream& stream);
// Reads a raw stream or an envelope from the stream's position to its end. On any error the
// surface keeps its size and pixels.
void ReadDIBData(TAbstractSuperDIB& dib, TDIBStream& stream);

// The raw stream of a surface, and the check-and-apply of one.
std::vector<uint8_t> BuildRawDIBStream(const TAbstractSuperDIB& dib);
void ApplyRawDIBStream(TAbstractSuperDIB& dib, const uint8_t* raw, size_t rawSize);
