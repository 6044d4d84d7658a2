// The INI reader on arbitrary bytes: it must not crash, must give back the text it read
// unchanged, and an edit must keep every entry it did not touch. The values it reads are the
// Windows paths and masks the menu goes on to fold and match, so those run on them as well.

#include "platform/files/Files.h"
#include "platform/files/NameFolding.h"
#include "platform/files/WinPath.h"
#include "platform/ini/IniDocument.h"

#include <cstdint>
#include <cstdlib>
#include <map>
#include <set>
#include <string>

namespace {

using platform::IniDocument;
using Snapshot = std::map<std::pair<std::string, std::string>, std::string>;

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

Snapshot Read(const IniDocument& document)
{
    Snapshot values;
    std::set<std::string> sections;
    for (const std::string& section : document.SectionNames()) {
        Require(document.HasSection(section));
        // A repeated section is listed again, but only the first is read.
        if (!sections.insert(platform::FoldName(section)).second)
            continue;
        // A repeated key is listed again, but only its first value is read.
        std::set<std::string> seen;
        for (const auto& [key, value] : document.Entries(section)) {
            if (!seen.insert(platform::FoldName(key)).second)
                continue;
            Require(document.Value(section, key) == value);
            values[{ section, key }] = value;
        }
    }
    return values;
}

// Every entry of `before` except the edited one reads the same after the edit, also after a
// round trip through the stored text.
void RequireKept(const Snapshot& before, const IniDocument& edited, const std::string& skipSection,
    const std::string& skipKey)
{
    IniDocument reread = IniDocument::Parse(edited.Text());
    for (const auto& [name, value] : before) {
        bool sameSection = platform::FoldName(name.first) == platform::FoldName(skipSection);
        if (sameSection && (skipKey.empty() || platform::FoldName(name.second) == platform::FoldName(skipKey)))
            continue;
        Require(edited.Value(name.first, name.second) == value);
        Require(reread.Value(name.first, name.second) == value);
    }
}

// A folded path is absolute, without "." or ".." or empty components.
void RequireFolded(const std::string& value)
{
    std::string full = platform::GetFullPathName(value);
    if (value.empty()) {
        Require(full.empty());
        return;
    }
    platform::WinPathParts parts = platform::SplitFullPath(full);
    Require(parts.unc || parts.drive != 0);
    for (const std::string& component : parts.components)
        Require(!component.empty() && component != "." && component != "..");
    Require(platform::GetFullPathName(full) == full);
}

void RunPathRules(const Snapshot& values)
{
    constexpr size_t kLongestName = 300; // file names are far shorter; keeps matching quick
    for (const auto& [name, value] : values) {
        RequireFolded(value);
        if (value.size() <= kLongestName && name.second.size() <= kLongestName)
            platform::MatchesMask(value, name.second);
    }
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    IniDocument document = IniDocument::Parse(text);
    Require(document.Text() == text);
    Snapshot before = Read(document);
    RunPathRules(before);

    std::vector<std::string> sections = document.SectionNames();
    std::string section = sections.empty() ? "Fuzz" : sections.front();
    std::vector<std::string> keys = document.KeyNames(section);
    std::string key = keys.empty() ? "Key" : keys.back();

    IniDocument set = document;
    if (set.SetValue(section, key, "new value")) {
        Require(set.Value(section, key) == "new value");
        Require(IniDocument::Parse(set.Text()).Value(section, key) == "new value");
        RequireKept(before, set, section, key);
    }

    IniDocument added = document;
    if (added.SetValue("Added Section", "added", "1")) {
        Require(IniDocument::Parse(added.Text()).Value("Added Section", "added") == "1");
        RequireKept(before, added, "Added Section", "added");
    }

    IniDocument deletedKey = document;
    Require(deletedKey.DeleteKey(section, key));
    Require(!IniDocument::Parse(deletedKey.Text()).Value(section, key));
    RequireKept(before, deletedKey, section, key);

    IniDocument deletedSection = document;
    Require(deletedSection.DeleteSection(section));
    Require(!IniDocument::Parse(deletedSection.Text()).HasSection(section));
    RequireKept(before, deletedSection, section, "");
    return 0;
}
