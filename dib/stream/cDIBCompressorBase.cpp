#include "dib/stream/cDIBCompressor.h"

#include "dib/stream/LittleEndian.h"

#include <cstring>

using namespace dibstream;

// The parts of the compressor unit that need no surface, so the codecs build on their own.

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
