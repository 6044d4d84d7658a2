#pragma once

// The private-profile functions over host paths. Reads come from a parsed copy that is parsed
// again only when the file changed (size, modification time or identity), so reading a whole
// catalogue key by key parses it once. Writes take an advisory lock, edit the current text and
// replace the file atomically; the next read sees them at once.

#include "platform/ini/IniDocument.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The parsed file, shared; an empty document when the file is missing or unreadable.
std::shared_ptr<const IniDocument> LoadProfile(const std::filesystem::path& file);
// The same, but nothing when the file is missing or not a regular file.
std::shared_ptr<const IniDocument> LoadExistingProfile(const std::filesystem::path& file);

// The default as a read returns it: without its trailing blanks (leading ones and tabs stay).
std::string DefaultProfileString(std::string_view defaultValue);
// GetPrivateProfileStringA for one key: the value cut at kMaxProfileValueLength, or the
// default when the key is missing.
std::string ReadProfileString(const std::filesystem::path& file, std::string_view section,
    std::string_view key, std::string_view defaultValue);
// Decimal or "0x" hexadecimal; missing or non-numeric values give the default.
int32_t ReadProfileInt(const std::filesystem::path& file, std::string_view section,
    std::string_view key, int32_t defaultValue);
// The same two reads on a document already loaded.
std::string ProfileString(const IniDocument& document, std::string_view section, std::string_view key,
    std::string_view defaultValue);
int32_t ProfileInt(const IniDocument& document, std::string_view section, std::string_view key, int32_t defaultValue);
std::vector<std::string> ReadProfileSectionNames(const std::filesystem::path& file);
std::vector<std::string> ReadProfileKeyNames(const std::filesystem::path& file, std::string_view section);

// WritePrivateProfileStringA: a value sets the key; no value deletes the key; no key deletes
// the whole section. False when the file cannot be written (folder missing or read-only, the
// file read-only) or the text cannot be stored (see IniDocument).
bool WriteProfileString(const std::filesystem::path& file, std::string_view section,
    std::optional<std::string_view> key, std::optional<std::string_view> value);
// Several edits stored in one replacement of the file (created when missing), so a reader sees
// all of them or none. The edit returns false to refuse; the file is then left as it was.
bool EditProfile(const std::filesystem::path& file, const std::function<bool(IniDocument&)>& edit);

// Forgets every parsed copy (tests that rewrite files within one clock tick use it).
void FlushProfileCache();

}
