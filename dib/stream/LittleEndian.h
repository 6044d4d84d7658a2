#pragma once

// Little-endian fields of the stream formats at a pointer into a buffer its caller has sized
// for them; the platform's reader and writer assemble the bytes.

#include "platform/bytes/ByteReader.h"
#include "platform/bytes/ByteWriter.h"

#include <algorithm>
#include <cstdint>
#include <span>

namespace dibstream {

inline uint16_t ReadLE16(const uint8_t* at) { return platform::ByteReader(std::span(at, 2)).U16(0); }

inline uint32_t ReadLE32(const uint8_t* at) { return platform::ByteReader(std::span(at, 4)).U32(0); }

inline void WriteLE16(uint8_t* at, uint16_t value)
{
    platform::ByteWriter field;
    field.Append16(value);
    std::copy(field.Bytes().begin(), field.Bytes().end(), at);
}

inline void WriteLE32(uint8_t* at, uint32_t value)
{
    platform::ByteWriter field;
    field.Append32(value);
    std::copy(field.Bytes().begin(), field.Bytes().end(), at);
}

}
