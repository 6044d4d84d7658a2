#include "tools/samplesetups/InstallLog.h"

#include <array>

namespace samplesetups {

namespace {

struct KindName {
    LogKind kind;
    std::string_view name;
    size_t fields;
};

constexpr std::array<KindName, 5> kKinds { {
    { LogKind::File, "FILE", 1 },
    { LogKind::Folder, "FOLDER", 1 },
    { LogKind::Key, "KEY", 2 },
    { LogKind::Value, "VALUE", 3 },
    { LogKind::Ini, "INI", 3 },
} };

std::vector<std::string> SplitTabs(std::string_view line)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find('\t', start);
        parts.emplace_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
        if (tab == std::string_view::npos)
            return parts;
        start = tab + 1;
    }
}

}

std::string InstallLog::Serialize() const
{
    std::string text;
    for (const auto& entry : m_entries) {
        for (const auto& kind : kKinds) {
            if (kind.kind == entry.kind)
                text += kind.name;
        }
        for (const auto& field : entry.fields)
            text += "\t" + field;
        text += "\r\n";
    }
    return text;
}

std::optional<InstallLog> InstallLog::Parse(std::string_view text)
{
    InstallLog log;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            continue;
        std::vector<std::string> parts = SplitTabs(line);
        const KindName* kind = nullptr;
        for (const auto& candidate : kKinds) {
            if (candidate.name == parts[0])
                kind = &candidate;
        }
        if (!kind || parts.size() != kind->fields + 1)
            return std::nullopt;
        for (size_t i = 1; i < parts.size(); ++i) {
            if (parts[i].empty())
                return std::nullopt;
        }
        parts.erase(parts.begin());
        log.m_entries.push_back({ kind->kind, std::move(parts) });
    }
    return log;
}

}
