#pragma once

// Small text rules every part of the system shares.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Upper-cases the letters a to z only; every other byte, accented letters included, stays.
std::string UpperCase(std::string_view text);
char UpperChar(char ch);

// Upper-cases every letter of the code page, accented ones included ("OCELOVÁ LEGIE"): the
// form of names the user reads. Letters without a capital (ß, the dotted ˙) stay.
std::string UpperCaseCp1250(std::string_view text);
char UpperCharCp1250(char ch);

// Case-insensitive equality under the same a-to-z rule.
bool EqualsNoCase(std::string_view a, std::string_view b);

// A whole decimal integer ("-12", "+7") or "0x"/"0X" followed by hexadecimal digits, with
// surrounding blanks ignored. Anything else, an empty text, or a value outside 32 bits is no
// number.
std::optional<int32_t> ParseNumber(std::string_view text);
int32_t ReadNumber(std::string_view text, int32_t defaultValue);

// Drops blanks (space, tab, CR, LF) at both ends.
std::string_view TrimBlanks(std::string_view text);

// Calls `visit` with each piece of `text` between `separator`s, empty ones included; a separator
// at the very end closes the last piece. Nothing is collected, for loops over large texts.
template <class Visit>
void ForEachPiece(std::string_view text, char separator, Visit&& visit)
{
    for (size_t start = 0; start < text.size();) {
        const size_t end = std::min(text.find(separator, start), text.size());
        visit(text.substr(start, end - start));
        start = end + 1;
    }
}

// The lines of `text` without their '\n' (a '\r' before it stays). A newline ends a line rather
// than starting one: "a\nb\n" is two lines, "a\n\n" is "a" and an empty line, "" is none.
std::vector<std::string_view> SplitLines(std::string_view text);

// The pieces of `text` between `separator`s, empty ones left out: " a  b " split at ' ' is "a"
// and "b".
std::vector<std::string_view> SplitNonEmpty(std::string_view text, char separator);

}
