#include "platform/hive/RegistryText.h"

#include "platform/bytes/ByteReader.h"
#include "platform/bytes/ByteWriter.h"

#include <cstdio>

namespace platform {

namespace {

constexpr uint32_t TypeSz = 1;
constexpr uint32_t TypeBinary = 3;
constexpr uint32_t TypeDword = 4;
constexpr uint32_t MaxType = 0xFFFFFFFFu;

// The C escapes Wine uses for control characters; '.' means octal.
constexpr char ControlEscapes[33] = ".......abtnvfr.............e....";

bool IsHexDigit(char ch)
{
    return (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F');
}

int HexValue(char ch)
{
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    return ch - 'A' + 10;
}

bool IsOctalDigit(char16_t ch) { return ch >= u'0' && ch <= u'7'; }

void AppendHex(std::string& out, unsigned value, int width)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*x", width, value);
    out += buffer;
}

// Decodes one UTF-8 sequence at `pos`; on a malformed one takes the single byte as it is.
char32_t ReadHostCharacter(std::string_view line, size_t& pos)
{
    auto lead = static_cast<uint8_t>(line[pos]);
    int length = lead >= 0xF0 && lead < 0xF5 ? 4 : lead >= 0xE0 ? 3
        : lead >= 0xC2 && lead < 0xE0                           ? 2
                                                                : 1;
    if (lead < 0xC2 || lead >= 0xF5 || pos + length > line.size()) {
        ++pos;
        return lead;
    }
    char32_t code = lead & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        auto next = static_cast<uint8_t>(line[pos + i]);
        if ((next & 0xC0) != 0x80) {
            ++pos;
            return lead;
        }
        code = (code << 6) | (next & 0x3F);
    }
    bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    if (overlong || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        ++pos;
        return lead;
    }
    pos += length;
    return code;
}

void AppendUtf16(std::u16string& out, char32_t code)
{
    if (code < 0x10000) {
        out += static_cast<char16_t>(code);
        return;
    }
    code -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (code >> 10));
    out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
}

char16_t EscapedCharacter(char letter)
{
    switch (letter) {
    case 'a': return 7;
    case 'b': return 8;
    case 't': return 9;
    case 'n': return 10;
    case 'v': return 11;
    case 'f': return 12;
    case 'r': return 13;
    case 'e': return 27;
    default: return static_cast<uint8_t>(letter);
    }
}

std::optional<uint32_t> ParseHexNumber(std::string_view text, size_t maxDigits)
{
    if (text.empty() || text.size() > maxDigits)
        return std::nullopt;
    uint32_t value = 0;
    for (char ch : text) {
        if (!IsHexDigit(ch))
            return std::nullopt;
        value = (value << 4) | static_cast<uint32_t>(HexValue(ch));
    }
    return value;
}

std::string_view TrimSpaces(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

std::optional<std::vector<uint8_t>> ParseHexBytes(std::string_view text)
{
    std::vector<uint8_t> bytes;
    text = TrimSpaces(text);
    while (!text.empty()) {
        size_t comma = text.find(',');
        std::string_view item = TrimSpaces(text.substr(0, comma));
        auto byte = ParseHexNumber(item, 2);
        if (!byte)
            return std::nullopt;
        bytes.push_back(static_cast<uint8_t>(*byte));
        if (comma == std::string_view::npos)
            break;
        text = TrimSpaces(text.substr(comma + 1));
        if (text.empty())
            return std::nullopt; // a trailing comma means the data was cut short
    }
    return bytes;
}

// The first `count` UTF-16LE code units of `data`, NULs included.
std::u16string Utf16Units(const std::vector<uint8_t>& data, size_t count)
{
    const ByteReader units(data);
    std::u16string text;
    for (size_t i = 0; i < count; ++i)
        text += static_cast<char16_t>(units.U16(i * 2, "UTF-16 code unit"));
    return text;
}

bool IsWellFormedString(uint32_t type, const std::vector<uint8_t>& data)
{
    if (type != 1 && type != 2 && type != 7)
        return false;
    return data.size() >= 2 && data.size() % 2 == 0 && data[data.size() - 1] == 0 && data[data.size() - 2] == 0;
}

}

std::string EscapeRegistryText(std::u16string_view text, std::string_view delimiters)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t ch = text[i];
        bool nextIsHex = i + 1 < text.size() && text[i + 1] < 128 && IsHexDigit(static_cast<char>(text[i + 1]));
        if (ch > 127) {
            out += "\\x";
            AppendHex(out, ch, nextIsHex ? 4 : 0);
        } else if (ch < 32) {
            out += '\\';
            if (ControlEscapes[ch] != '.') {
                out += ControlEscapes[ch];
            } else {
                bool nextIsOctal = i + 1 < text.size() && IsOctalDigit(text[i + 1]);
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, nextIsOctal ? "%03o" : "%o", static_cast<unsigned>(ch));
                out += buffer;
            }
        } else {
            char ascii = static_cast<char>(ch);
            if (ascii == '\\' || delimiters.find(ascii) != std::string_view::npos)
                out += '\\';
            out += ascii;
        }
    }
    return out;
}

std::optional<std::u16string> UnescapeRegistryText(std::string_view line, size_t& pos, char close)
{
    std::u16string out;
    while (pos < line.size()) {
        char ch = line[pos];
        if (ch == close) {
            ++pos;
            return out;
        }
        if (static_cast<uint8_t>(ch) > 127) {
            AppendUtf16(out, ReadHostCharacter(line, pos));
            continue;
        }
        ++pos;
        if (ch != '\\') {
            out += static_cast<char16_t>(ch);
            continue;
        }
        if (pos >= line.size())
            return std::nullopt;
        char escaped = line[pos];
        if (escaped == 'x') {
            ++pos;
            unsigned value = 0;
            int digits = 0;
            while (digits < 4 && pos < line.size() && IsHexDigit(line[pos])) {
                value = value * 16 + static_cast<unsigned>(HexValue(line[pos++]));
                ++digits;
            }
            out += digits ? static_cast<char16_t>(value) : u'x';
        } else if (escaped >= '0' && escaped <= '7') {
            unsigned value = 0;
            for (int digits = 0; digits < 3 && pos < line.size() && line[pos] >= '0' && line[pos] <= '7'; ++digits)
                value = value * 8 + static_cast<unsigned>(line[pos++] - '0');
            out += static_cast<char16_t>(value);
        } else if (static_cast<uint8_t>(escaped) > 127) {
            AppendUtf16(out, ReadHostCharacter(line, pos));
        } else {
            ++pos;
            out += EscapedCharacter(escaped);
        }
    }
    return std::nullopt;
}

std::optional<ParsedValueLine> ParseRegistryValueLine(std::string_view line)
{
    ParsedValueLine value;
    size_t pos = 0;
    if (line.empty())
        return std::nullopt;
    if (line[0] == '@') {
        pos = 1;
    } else if (line[0] == '"') {
        pos = 1;
        auto name = UnescapeRegistryText(line, pos, '"');
        if (!name)
            return std::nullopt;
        value.name = std::move(*name);
    } else {
        return std::nullopt;
    }
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t'))
        ++pos;
    if (pos >= line.size() || line[pos] != '=')
        return std::nullopt;
    std::string_view data = TrimSpaces(line.substr(pos + 1));

    auto parseString = [&](std::string_view quoted, uint32_t type) -> bool {
        if (quoted.empty() || quoted[0] != '"')
            return false;
        size_t at = 1;
        auto text = UnescapeRegistryText(quoted, at, '"');
        if (!text || !TrimSpaces(quoted.substr(at)).empty())
            return false;
        value.type = type;
        value.data = RegistryStringBytes(*text);
        return true;
    };
    auto typeInParentheses = [&](std::string_view rest, size_t& consumed) -> std::optional<uint32_t> {
        if (rest.empty() || rest[0] != '(')
            return std::nullopt;
        size_t end = rest.find(')');
        if (end == std::string_view::npos)
            return std::nullopt;
        auto type = ParseHexNumber(rest.substr(1, end - 1), 8);
        consumed = end + 1;
        return type;
    };

    if (data.starts_with('"'))
        return parseString(data, TypeSz) ? std::optional(value) : std::nullopt;
    if (data.starts_with("str:"))
        return parseString(data.substr(4), TypeSz) ? std::optional(value) : std::nullopt;
    if (data.starts_with("str(")) {
        size_t consumed = 0;
        auto type = typeInParentheses(data.substr(3), consumed);
        if (!type || data.substr(3 + consumed, 1) != ":")
            return std::nullopt;
        return parseString(data.substr(3 + consumed + 1), *type) ? std::optional(value) : std::nullopt;
    }
    if (data.starts_with("dword:")) {
        auto number = ParseHexNumber(TrimSpaces(data.substr(6)), 8);
        if (!number)
            return std::nullopt;
        value.type = TypeDword;
        value.data = RegistryDwordBytes(*number);
        return value;
    }
    if (data.starts_with("hex")) {
        size_t at = 3;
        uint32_t type = TypeBinary;
        if (data.substr(at, 1) == "(") {
            size_t consumed = 0;
            auto parsed = typeInParentheses(data.substr(at), consumed);
            if (!parsed || *parsed > MaxType)
                return std::nullopt;
            type = *parsed;
            at += consumed;
        }
        if (data.substr(at, 1) != ":")
            return std::nullopt;
        auto bytes = ParseHexBytes(data.substr(at + 1));
        if (!bytes)
            return std::nullopt;
        value.type = type;
        value.data = std::move(*bytes);
        return value;
    }
    return std::nullopt;
}

std::string FormatRegistryValue(std::u16string_view name, uint32_t type, const std::vector<uint8_t>& data)
{
    std::string out = name.empty() ? std::string() : EscapeRegistryText(name, "\"\"");
    if (name.empty()) {
        out.push_back('@');
    } else {
        out.insert(out.begin(), '"');
        out.push_back('"');
    }
    out.push_back('=');
    if (IsWellFormedString(type, data)) {
        if (type != TypeSz) {
            out += "str(";
            AppendHex(out, type, 0);
            out += "):";
        }
        // Every unit but the terminating NUL: a multi-string keeps the NULs between its strings.
        out += '"';
        out += EscapeRegistryText(Utf16Units(data, data.size() / 2 - 1), "\"\"");
        out += '"';
        return out;
    }
    if (auto number = RegistryBytesDword(data); type == TypeDword && number) {
        out += "dword:";
        AppendHex(out, *number, 8);
        return out;
    }
    if (type == TypeBinary) {
        out += "hex:";
    } else {
        out += "hex(";
        AppendHex(out, type, 0);
        out += "):";
    }
    size_t count = out.size();
    for (size_t i = 0; i < data.size(); ++i) {
        AppendHex(out, data[i], 2);
        count += 2;
        if (i + 1 < data.size()) {
            out += ',';
            if (++count > 76) {
                out += "\\\n  ";
                count = 2;
            }
        }
    }
    return out;
}

std::vector<uint8_t> RegistryStringBytes(std::u16string_view text)
{
    ByteWriter bytes;
    for (char16_t ch : text)
        bytes.Append16(ch);
    bytes.Append16(0);
    return bytes.Take();
}

std::vector<uint8_t> RegistryDwordBytes(uint32_t value)
{
    ByteWriter bytes;
    bytes.Append32(value);
    return bytes.Take();
}

std::optional<uint32_t> RegistryBytesDword(const std::vector<uint8_t>& data)
{
    if (data.size() != 4)
        return std::nullopt;
    return ByteReader(data).U32(0);
}

std::u16string RegistryBytesString(const std::vector<uint8_t>& data)
{
    // An odd last byte is no whole unit and is left out.
    const std::u16string text = Utf16Units(data, data.size() / 2);
    return text.substr(0, text.find(u'\0'));
}

}
