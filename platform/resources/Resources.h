#pragma once

// Files compiled into the executable (cmake/Embed.cmake), found by name at run time.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The bytes of an embedded file, by the name given to torva_embed (case-sensitive), or empty.
std::optional<std::span<const uint8_t>> FindResource(std::string_view name);
std::optional<std::string> ResourceText(std::string_view name);
// Every embedded name, sorted.
std::vector<std::string> ResourceNames();

// Called by the generated code of each embedded library before main.
void RegisterResource(std::string_view name, const uint8_t* data, size_t size);

}
