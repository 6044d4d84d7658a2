#pragma once

// The escaped text of Wine's registry files: key names between [ ] and names and strings
// between quotes. Characters above 127 are written as \x and their UTF-16 code, controls as C
// or octal escapes, so the files stay 7-bit.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Escapes `text`; backslash and the two delimiter characters get a backslash before them.
std::string EscapeRegistryText(std::u16string_view text, std::string_view delimiters);

// Reads escaped text from `pos` up to the first unescaped `close`, leaving `pos` just after it.
// Bytes above 127 in the file are read as UTF-8 where they form it, else one character each.
// Unknown escapes give the escaped character itself. nullopt when `close` never comes.
std::optional<std::u16string> UnescapeRegistryText(std::string_view line, size_t& pos, char close);

// One value line, possibly with continuation lines already joined (without the "\" and the
// line break). A value line the reader does not understand gives nullopt.
struct ParsedValueLine {
    std::u16string name;
    uint32_t type = 0;
    std::vector<uint8_t> data;
};
std::optional<ParsedValueLine> ParseRegistryValueLine(std::string_view line);

// The value as Wine writes it, one or more lines without the final line break.
std::string FormatRegistryValue(std::u16string_view name, uint32_t type, const std::vector<uint8_t>& data);

// UTF-16LE bytes of `text` with a terminating NUL, as string values are stored.
std::vector<uint8_t> RegistryStringBytes(std::u16string_view text);
// The text of string value bytes up to the first NUL.
std::u16string RegistryBytesString(const std::vector<uint8_t>& data);

// A REG_DWORD's four little-endian bytes and back; nullopt unless there are exactly four.
std::vector<uint8_t> RegistryDwordBytes(uint32_t value);
std::optional<uint32_t> RegistryBytesDword(const std::vector<uint8_t>& data);

}
