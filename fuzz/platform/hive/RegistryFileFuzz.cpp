// Any bytes as a hive file: parsing must not fail, writing back an unchanged hive must give the
// same bytes (up to line ends and blank lines between keys), and a change must keep every line.

#include "platform/hive/RegistryFile.h"
#include "platform/hive/RegistryText.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

// Lines that carry content, in order; blank lines and a missing final line break are layout.
std::string ContentLines(std::string_view text)
{
    std::string out;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        bool blank = line.find_first_not_of(" \t\r") == std::string_view::npos;
        if (!blank) {
            out.append(line);
            out += '\n';
        }
        pos = end + 1;
    }
    return out;
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    platform::RegistryFile file = platform::RegistryFile::Parse(text);
    std::string written = file.Serialize();
    // Duplicate keys and values are merged (fewer lines); otherwise every line comes back.
    std::string before = ContentLines(text);
    std::string after = ContentLines(written);
    size_t linesBefore = std::count(before.begin(), before.end(), '\n');
    size_t linesAfter = std::count(after.begin(), after.end(), '\n');
    if (linesAfter > linesBefore || (linesAfter == linesBefore && after != before))
        std::abort();
    platform::RegistryFile again = platform::RegistryFile::Parse(written);
    if (again.Serialize() != written)
        std::abort();

    auto names = file.SubKeyNames(u"");
    for (auto& name : names) {
        file.HasSubKeys(name);
        for (auto* value : file.Values(name))
            platform::FormatRegistryValue(value->name, value->type, value->data);
    }
    file.SetClock([] { return int64_t { 0 }; });
    file.SetValue(u"Fuzz\\Key", u"v", 1, platform::RegistryStringBytes(u"x"));
    if (!names.empty())
        file.DeleteKeyTree(names.front());
    std::string changed = file.Serialize();
    platform::RegistryFile reread = platform::RegistryFile::Parse(changed);
    auto* value = reread.FindValue(u"fuzz\\key", u"V");
    if (!value || platform::RegistryBytesString(value->data) != u"x")
        std::abort();
    return 0;
}
