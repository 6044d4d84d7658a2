#include "platform/strings/StringTable.h"

#include "platform/resources/Resources.h"
#include "platform/text/Codepage.h"
#include "platform/text/Text.h"

namespace platform {

namespace {

constexpr std::string_view kTableResource = "strings/StringTable.txt";

std::string Unescaped(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == '\\' || text[i + 1] == 'n')) {
            result += text[i + 1] == 'n' ? '\n' : '\\';
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

const std::map<uint32_t, std::string>& Table()
{
    static const std::map<uint32_t, std::string> table = [] {
        std::map<uint32_t, std::string> converted;
        for (auto& [id, text] : ParseStringTable(ResourceText(kTableResource).value_or("")))
            converted.emplace(id, Utf8ToCp1250(text));
        return converted;
    }();
    return table;
}

}

std::map<uint32_t, std::string> ParseStringTable(std::string_view utf8Source)
{
    std::map<uint32_t, std::string> table;
    for (std::string_view line : SplitLines(utf8Source)) {
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line.front() == '#')
            continue;
        size_t space = line.find(' ');
        if (space == std::string_view::npos || space == 0)
            continue;
        std::string_view digits = line.substr(0, space);
        if (digits.find_first_not_of("0123456789") != std::string_view::npos || digits.size() > 9)
            continue;
        auto id = ParseNumber(digits);
        if (!id || *id < 0)
            continue;
        table.emplace(static_cast<uint32_t>(*id), Unescaped(line.substr(space + 1)));
    }
    return table;
}

std::string LoadString(uint32_t id)
{
    const auto& table = Table();
    auto it = table.find(id);
    return it == table.end() ? std::string() : it->second;
}

std::string LoadSpecial(uint32_t id, std::string_view argument)
{
    std::string text = LoadString(id);
    size_t marker = text.find("%1");
    if (marker != std::string::npos)
        text.replace(marker, 2, argument);
    return text;
}

}
