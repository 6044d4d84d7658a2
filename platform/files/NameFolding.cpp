#include "platform/files/NameFolding.h"

#include <array>
#include <cstdint>

namespace platform {

namespace {

constexpr std::array<uint8_t, 256> MakeFoldTable()
{
    std::array<uint8_t, 256> table {};
    for (int i = 0; i < 256; ++i)
        table[i] = static_cast<uint8_t>(i);
    for (int c = 'a'; c <= 'z'; ++c)
        table[c] = static_cast<uint8_t>(c - 'a' + 'A');
    // Lower-case letters of code page 1250 outside a-z and their capitals.
    constexpr std::pair<uint8_t, uint8_t> pairs[] = {
        { 0x9A, 0x8A }, { 0x9C, 0x8C }, { 0x9D, 0x8D }, { 0x9E, 0x8E }, { 0x9F, 0x8F },
        { 0xB3, 0xA3 }, { 0xB9, 0xA5 }, { 0xBA, 0xAA }, { 0xBE, 0xBC }, { 0xBF, 0xAF },
    };
    for (auto [lower, upper] : pairs)
        table[lower] = upper;
    for (int c = 0xE0; c <= 0xFE; ++c) {
        if (c != 0xF7)
            table[c] = static_cast<uint8_t>(c - 0x20);
    }
    return table;
}

constexpr std::array<uint8_t, 256> kFold = MakeFoldTable();

}

char FoldNameChar(char ch)
{
    return static_cast<char>(kFold[static_cast<uint8_t>(ch)]);
}

std::string FoldName(std::string_view name)
{
    std::string folded(name);
    for (char& ch : folded)
        ch = FoldNameChar(ch);
    return folded;
}

bool EqualsName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldNameChar(a[i]) != FoldNameChar(b[i]))
            return false;
    }
    return true;
}

}
