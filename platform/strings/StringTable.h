#pragma once

// The executable's string table: message n of a language block lives under identifier
// 100 * language + n (0 English, 1 Czech, 2 Turkish, 3 Romanian, 4 Slovak, 5 German).
// Texts are code page 1250.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace platform {

// The text under the identifier, or an empty text when there is none.
std::string LoadString(uint32_t id);
// LoadString with the first "%1" replaced by the argument; a text without it stays unchanged.
std::string LoadSpecial(uint32_t id, std::string_view argument);

// Reads the table's source form: lines "<identifier> <text>" in UTF-8, "#" comment lines and
// blank lines skipped, "\n" and "\\" escapes in texts. Malformed lines are skipped; the first
// text of an identifier wins.
std::map<uint32_t, std::string> ParseStringTable(std::string_view utf8Source);

}
