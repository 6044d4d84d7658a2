#pragma once

// The system's texts are byte strings in Windows code page 1250. These conversions are the only
// way text crosses to the host (file names, glyphs, JSON, logs), which speaks UTF-8.

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// Byte 0x80..0xFF of code page 1250 as a Unicode code point; the five undefined bytes give U+FFFD.
char32_t Cp1250ToCodePoint(uint8_t byte);

// A code point as a code page 1250 byte, or -1 when the code page has no such character.
int CodePointToCp1250(char32_t codePoint);

std::string Cp1250ToUtf8(std::string_view text);

// Characters the code page lacks, and malformed UTF-8, become `replacement`.
std::string Utf8ToCp1250(std::string_view utf8, char replacement = '?');

std::u16string Cp1250ToUtf16(std::string_view text);
std::string Utf16ToCp1250(std::u16string_view utf16, char replacement = '?');

// Decodes UTF-8 to code points; a malformed sequence yields U+FFFD and resynchronises.
std::u32string Utf8ToCodePoints(std::string_view utf8);
void AppendUtf8(std::string& out, char32_t codePoint);

// True when every byte is a defined character of the code page (controls other than
// tab, CR and LF count as undefined).
bool IsValidCp1250(std::string_view text);

}
