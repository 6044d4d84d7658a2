#include "platform/text/Codepage.h"

#include <array>

namespace platform {

namespace {

constexpr char16_t Undefined = 0xFFFD;

// Code points of bytes 0x80..0xFF; the low half is ASCII.
constexpr std::array<char16_t, 128> HighHalf = {
    0x20AC, 0xFFFD, 0x201A, 0xFFFD, 0x201E, 0x2026, 0x2020, 0x2021, // 0x80
    0xFFFD, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179, // 0x88
    0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 0x90
    0xFFFD, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, // 0x98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7, // 0xA0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B, // 0xA8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, // 0xB0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C, // 0xB8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7, // 0xC0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, // 0xC8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, // 0xD0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF, // 0xD8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, // 0xE0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F, // 0xE8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7, // 0xF0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9, // 0xF8
};

struct ReverseTable {
    // Indexed by code point for the range the code page uses (up to U+2122).
    std::array<int16_t, 0x2200> byteOf {};
    constexpr ReverseTable()
    {
        for (auto& entry : byteOf)
            entry = -1;
        for (int i = 0; i < 128; ++i)
            byteOf[i] = static_cast<int16_t>(i);
        for (int i = 0; i < 128; ++i) {
            if (HighHalf[i] != Undefined)
                byteOf[HighHalf[i]] = static_cast<int16_t>(0x80 + i);
        }
    }
};

constexpr ReverseTable Reverse;

}

char32_t Cp1250ToCodePoint(uint8_t byte)
{
    return byte < 0x80 ? byte : HighHalf[byte - 0x80];
}

int CodePointToCp1250(char32_t codePoint)
{
    if (codePoint >= Reverse.byteOf.size())
        return -1;
    return Reverse.byteOf[codePoint];
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string Cp1250ToUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    for (char ch : text)
        AppendUtf8(out, Cp1250ToCodePoint(static_cast<uint8_t>(ch)));
    return out;
}

std::u32string Utf8ToCodePoints(std::string_view utf8)
{
    std::u32string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        uint8_t lead = static_cast<uint8_t>(utf8[i]);
        int length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2
            : (lead >> 4) == 14                         ? 3
            : (lead >> 3) == 30                         ? 4
                                                        : 0;
        if (length == 0 || i + length > utf8.size()) {
            out += Undefined;
            ++i;
            continue;
        }
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        bool valid = true;
        for (int k = 1; k < length; ++k) {
            uint8_t next = static_cast<uint8_t>(utf8[i + k]);
            if ((next & 0xC0) != 0x80) {
                valid = false;
                break;
            }
            c = (c << 6) | (next & 0x3F);
        }
        static constexpr char32_t Smallest[] = { 0, 0, 0x80, 0x800, 0x10000 };
        if (!valid || c < Smallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            out += Undefined;
            ++i;
            continue;
        }
        out += c;
        i += length;
    }
    return out;
}

std::string Utf8ToCp1250(std::string_view utf8, char replacement)
{
    std::string out;
    out.reserve(utf8.size());
    for (char32_t c : Utf8ToCodePoints(utf8)) {
        int byte = CodePointToCp1250(c);
        out += byte < 0 ? replacement : static_cast<char>(byte);
    }
    return out;
}

std::u16string Cp1250ToUtf16(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    for (char ch : text)
        out += static_cast<char16_t>(Cp1250ToCodePoint(static_cast<uint8_t>(ch)));
    return out;
}

std::string Utf16ToCp1250(std::u16string_view utf16, char replacement)
{
    std::string out;
    out.reserve(utf16.size());
    for (char16_t unit : utf16) {
        int byte = CodePointToCp1250(unit);
        out += byte < 0 ? replacement : static_cast<char>(byte);
    }
    return out;
}

bool IsValidCp1250(std::string_view text)
{
    for (char ch : text) {
        uint8_t byte = static_cast<uint8_t>(ch);
        if (byte < 0x20 && byte != '\t' && byte != '\r' && byte != '\n')
            return false;
        if (byte >= 0x80 && HighHalf[byte - 0x80] == Undefined)
            return false;
    }
    return true;
}

}
