#pragma once

// Whether a file can be a catalogue at all: INI text in code page 1250. A file that is not
// would load as an empty disc without a word.

#include "platform/types/Result.h"

#include <string>
#include <string_view>

// Refuses the bytes of `file` when they are no catalogue, the reason completing "the file ..."
// ("is empty", "is UTF-16 text", ...). Odd but readable text (LF or CR line ends, an
// end-of-file mark, padding) passes.
platform::Result<void> CheckCatalogueText(std::string_view bytes, const std::string& file);

// The reason of a catalogue that does not exist at all.
inline constexpr const char* CatalogueMissingReason = "does not exist";

// The message the user sees for a catalogue the menu cannot load.
std::string CatalogueProblemText(const platform::Problem& problem);
