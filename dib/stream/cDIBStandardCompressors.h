#pragma once

// The two standard compressors of the DIB envelope: byte planes run-length coded, and LZH.

#include "dib/stream/cDIBCompressor.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

class TRLEDIBCompressor : public TAbstractDIBCompressor {
public:
    // {CABA9056-7349-43A4-B010-3764FBFAC230}
    static constexpr TGUID ID { 0xCABA9056, 0x7349, 0x43A4, { 0xB0, 0x10, 0x37, 0x64, 0xFB, 0xFA, 0xC2, 0x30 } };

    void GetID(TGUID& id) const override { id = ID; }
    bool HandlesID(const TGUID& id) const override { return id == ID; }
    uint32_t Compress(const TAbstractSuperDIB* dib, const uint8_t* source, uint32_t sourceSize, uint8_t* dest) override;
    void Decompress(const TAbstractSuperDIB* dib, const uint8_t* source, uint32_t sourceSize, uint8_t* dest,
        uint32_t destSize) override;
    std::string GetDisplayName() const override { return "Shuffle4 RLE"; }
    std::string GetDescription() const override;
    std::string GetAuthor() const override;
    uint64_t MaxUnpackedSize(uint64_t payloadSize) const override;
};

class TLZHDIBCompressor : public TAbstractDIBCompressor {
public:
    // {BC0C10FC-E045-41E7-A37C-B86AF21320B8}
    static constexpr TGUID ID { 0xBC0C10FC, 0xE045, 0x41E7, { 0xA3, 0x7C, 0xB8, 0x6A, 0xF2, 0x13, 0x20, 0xB8 } };

    void GetID(TGUID& id) const override { id = ID; }
    bool HandlesID(const TGUID& id) const override { return id == ID; }
    uint32_t Compress(const TAbstractSuperDIB* dib, const uint8_t* source, uint32_t sourceSize, uint8_t* dest) override;
    void Decompress(const TAbstractSuperDIB* dib, const uint8_t* source, uint32_t sourceSize, uint8_t* dest,
        uint32_t destSize) override;
    std::string GetDisplayName() const override { return "DIB LZH"; }
    std::string GetDescription() const override;
    std::string GetAuthor() const override;
    uint64_t MaxUnpackedSize(uint64_t payloadSize) const override;
};

// Appends the standard compressors in their registration order: run-length, then LZH.
void AddStandardDIBCompressors(std::vector<std::unique_ptr<TAbstractDIBCompressor>>& registry);

namespace shuffle4 {

// Byte n of every four-byte group goes to plane n, planes one after another; the bytes after
// the last whole group are left out.
void Shuffle(std::span<const uint8_t> source, uint8_t* planes);
void Unshuffle(const uint8_t* planes, std::span<uint8_t> dest);

// (count, value) pairs with counts of 1..255; 0 when more than maxPairs would be needed,
// else the bytes written (dest has room for 2 * maxPairs).
size_t RunLengthEncode(std::span<const uint8_t> source, size_t maxPairs, uint8_t* dest);
// Expands every whole pair of source; raises EDIBCompressError unless they fill dest exactly.
void RunLengthDecode(std::span<const uint8_t> source, std::span<uint8_t> dest);

}
