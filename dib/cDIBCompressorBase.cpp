#include "dib/cDIBCompressor.h"

#include <cstring>

// The parts of the compressor unit that need no surface, so the codecs build on their own.

namespace {

uint16_t ReadLE16(const uint8_t* at) { return static_cast<uint16_t>(at[0] | at[1] << 8); }

uint32_t ReadLE32(const uint8_t* at)
{
    return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}

void WriteLE16(uint8_t* at, uint16_t value)
{
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

void WriteLE32(uint8_t* at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<uint8_t>(value >> (8 * i));
}

}

TGUID TGUID::FromBytes(const uint8_t* bytes)
{
    TGUID id;
    id.D1 = ReadLE32(bytes);
    id.D2 = ReadLE16(bytes + 4);
    id.D3 = ReadLE16(bytes + 6);
    std::memcpy(id.D4.data(), bytes + 8, id.D4.size());
    return id;
}

void TGUID::ToBytes(uint8_t* bytes) const
{
    WriteLE32(bytes, D1);
    WriteLE16(bytes + 4, D2);
    WriteLE16(bytes + 6, D3);
    std::memcpy(bytes + 8, D4.data(), D4.size());
}

uint64_t TAbstractDIBCompressor::MaxUnpackedSize(uint64_t) const { return UINT64_MAX; }
