#pragma once

// Field types of ISO 9660 and Joliet records: both-endian numbers (read from their
// little-endian half by ByteReader) and UCS-2 big-endian names, for the volume descriptors and
// the image library's directory records.

#include "platform/text/Codepage.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// UCS-2 has no surrogate pairs; a lone surrogate becomes "?".
inline std::string Ucs2BeToUtf8(std::string_view bytes)
{
    std::string out;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char32_t unit = char32_t(static_cast<uint8_t>(bytes[i])) << 8 | static_cast<uint8_t>(bytes[i + 1]);
        AppendUtf8(out, unit >= 0xD800 && unit < 0xE000 ? U'?' : unit);
    }
    return out;
}

}
