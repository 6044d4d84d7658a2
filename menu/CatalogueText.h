#pragma once

// Whether a file can be a catalogue at all: INI text in code page 1250. A file that is not
// would load as an empty disc without a word.

#include <optional>
#include <string>
#include <string_view>

// Why the bytes are no catalogue ("is empty", "is UTF-16 text", ...), or nothing when they may
// be one. Odd but readable text (LF or CR line ends, an end-of-file mark, padding) passes.
std::optional<std::string> NotACatalogue(std::string_view bytes);
