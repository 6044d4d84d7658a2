#include "platform/text/Text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

namespace platform {

namespace {

constexpr std::array<uint8_t, 256> MakeUpperTable()
{
    std::array<uint8_t, 256> table {};
    for (int i = 0; i < 256; ++i)
        table[i] = static_cast<uint8_t>(i);
    for (int c = 'a'; c <= 'z'; ++c)
        table[c] = static_cast<uint8_t>(c - 'a' + 'A');
    // Lower-case letters of code page 1250 outside a-z and their capitals.
    constexpr std::pair<uint8_t, uint8_t> pairs[] = {
        { 0x9A, 0x8A },
        { 0x9C, 0x8C },
        { 0x9D, 0x8D },
        { 0x9E, 0x8E },
        { 0x9F, 0x8F },
        { 0xB3, 0xA3 },
        { 0xB9, 0xA5 },
        { 0xBA, 0xAA },
        { 0xBE, 0xBC },
        { 0xBF, 0xAF },
    };
    for (auto [lower, upper] : pairs)
        table[lower] = upper;
    // 0xE0..0xFE mirror 0xC0..0xDE, except the division sign (0xF7) against the times sign.
    for (int c = 0xE0; c <= 0xFE; ++c) {
        if (c != 0xF7)
            table[c] = static_cast<uint8_t>(c - 0x20);
    }
    return table;
}

constexpr std::array<uint8_t, 256> kUpper = MakeUpperTable();

}

char UpperCharCp1250(char ch)
{
    return static_cast<char>(kUpper[static_cast<uint8_t>(ch)]);
}

std::string UpperCaseCp1250(std::string_view text)
{
    std::string out(text);
    for (char& ch : out)
        ch = UpperCharCp1250(ch);
    return out;
}

char UpperChar(char ch)
{
    return (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch;
}

std::string UpperCase(std::string_view text)
{
    std::string out(text);
    for (char& ch : out)
        ch = UpperChar(ch);
    return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    return std::ranges::equal(a, b, {}, UpperChar, UpperChar);
}

std::string_view TrimBlanks(std::string_view text)
{
    auto isBlank = [](char ch) { return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n'; };
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    ForEachPiece(text, '\n', [&](std::string_view line) { lines.push_back(line); });
    return lines;
}

std::vector<std::string_view> SplitNonEmpty(std::string_view text, char separator)
{
    std::vector<std::string_view> pieces;
    ForEachPiece(text, separator, [&](std::string_view piece) {
        if (!piece.empty())
            pieces.push_back(piece);
    });
    return pieces;
}

namespace {

int DigitValue(char ch, int base)
{
    int value = 99;
    if (ch >= '0' && ch <= '9')
        value = ch - '0';
    else if (ch >= 'a' && ch <= 'f')
        value = ch - 'a' + 10;
    else if (ch >= 'A' && ch <= 'F')
        value = ch - 'A' + 10;
    return value < base ? value : -1;
}

}

std::optional<int32_t> ParseNumber(std::string_view text)
{
    text = TrimBlanks(text);
    bool negative = false;
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    } else if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    // Hexadecimal values cover the full 32 bits ("0xFFFFFFFF" is -1), as the platform reads them.
    uint64_t limit = base == 16 ? 0xFFFFFFFFull : negative ? 0x80000000ull
                                                           : 0x7FFFFFFFull;
    uint64_t value = 0;
    for (char ch : text) {
        int digit = DigitValue(ch, base);
        if (digit < 0)
            return std::nullopt;
        value = value * base + digit;
        if (value > limit)
            return std::nullopt;
    }
    if (base == 16)
        return static_cast<int32_t>(static_cast<uint32_t>(value));
    return negative ? static_cast<int32_t>(-static_cast<int64_t>(value)) : static_cast<int32_t>(value);
}

int32_t ReadNumber(std::string_view text, int32_t defaultValue)
{
    return ParseNumber(text).value_or(defaultValue);
}

}
