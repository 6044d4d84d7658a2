#pragma once

// The interface of the compressors that pack a surface's "Data", the GUID that names each, and
// the registry that finds them.

#include "platform/types/Exception.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

class TAbstractSuperDIB;

class EDIBCompressError : public platform::Exception {
public:
    using platform::Exception::Exception;
};

// A GUID in the platform's binary layout: 32-bit, 16-bit, 16-bit little-endian, then 8 bytes.
struct TGUID {
    uint32_t D1 = 0;
    uint16_t D2 = 0;
    uint16_t D3 = 0;
    std::array<uint8_t, 8> D4 {};

    static constexpr size_t D1Offset = 0;
    static constexpr size_t D2Offset = 4;
    static constexpr size_t D3Offset = 6;
    static constexpr size_t D4Offset = 8;
    static constexpr size_t ByteSize = 16;
    // The first ByteSize bytes; platform::ByteRangeError when there are fewer.
    static TGUID FromBytes(std::span<const uint8_t> bytes);
    std::array<uint8_t, ByteSize> ToBytes() const;
    friend bool operator==(const TGUID&, const TGUID&) = default;
};

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
        uint32_t destSize) = 0;
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
