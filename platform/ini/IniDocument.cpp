#include "platform/ini/IniDocument.h"

#include "platform/files/NameFolding.h"
#include "platform/text/Text.h"

namespace platform {

namespace {

constexpr std::string_view kNewLine = "\r\n";

std::string_view TrimName(std::string_view text)
{
    return TrimBlanks(text);
}

std::string Unquoted(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    size_t nul = value.find('\0');
    if (nul != std::string_view::npos)
        value = value.substr(0, nul);
    return std::string(value);
}

}

IniDocument IniDocument::Parse(std::string_view text)
{
    IniDocument document;
    size_t start = 0;
    while (start < text.size()) {
        // CR LF, LF, and a CR alone (as Windows reads such files) each end a line.
        size_t end = text.find_first_of("\r\n", start);
        Line line;
        if (end == std::string_view::npos) {
            line.raw = std::string(text.substr(start));
            start = text.size();
        } else {
            size_t endingLength = text.compare(end, 2, "\r\n") == 0 ? 2 : 1;
            line.raw = std::string(text.substr(start, end - start));
            line.ending = std::string(text.substr(end, endingLength));
            start = end + endingLength;
        }
        document.m_lines.push_back(std::move(line));
    }
    document.Reindex();
    return document;
}

void IniDocument::Reindex()
{
    m_sections.clear();
    m_sectionIndex.clear();
    // Lines of a repeated section header belong to that repeat, which readers never see.
    Section* current = nullptr;
    bool inShadowedSection = false;
    for (size_t i = 0; i < m_lines.size(); ++i) {
        Line& line = m_lines[i];
        std::string_view trimmed = TrimBlanks(line.raw);
        line.kind = LineKind::Other;
        line.name.clear();
        line.value.clear();
        if (trimmed.empty() || trimmed.front() == ';')
            continue;
        if (trimmed.front() == '[') {
            // A header without its closing bracket names a section all the same, up to the
            // line's end.
            size_t close = trimmed.find(']');
            line.kind = LineKind::Section;
            line.name = std::string(TrimName(trimmed.substr(1, close == std::string_view::npos ? close : close - 1)));
            if (current)
                current->endLine = i;
            std::string folded = FoldName(line.name);
            if (m_sectionIndex.count(folded)) {
                current = nullptr;
                inShadowedSection = true;
                continue;
            }
            m_sectionIndex.emplace(std::move(folded), m_sections.size());
            m_sections.push_back({ line.name, i, m_lines.size(), {}, {} });
            current = &m_sections.back();
            inShadowedSection = false;
            continue;
        }
        size_t equals = trimmed.find('=');
        if (equals == std::string_view::npos)
            continue;
        std::string_view key = TrimName(trimmed.substr(0, equals));
        if (key.empty())
            continue;
        line.kind = LineKind::Entry;
        line.name = std::string(key);
        line.value = std::string(TrimBlanks(trimmed.substr(equals + 1)));
        if (!current || inShadowedSection)
            continue;
        current->keyIndex.emplace(FoldName(key), i);
        current->entryLines.push_back(i);
    }
    if (current)
        current->endLine = m_lines.size();
}

const IniDocument::Section* IniDocument::FindSection(std::string_view section) const
{
    auto it = m_sectionIndex.find(FoldName(TrimName(section)));
    return it == m_sectionIndex.end() ? nullptr : &m_sections[it->second];
}

std::optional<std::string> IniDocument::Value(std::string_view section, std::string_view key) const
{
    const Section* found = FindSection(section);
    if (!found)
        return std::nullopt;
    auto it = found->keyIndex.find(FoldName(TrimName(key)));
    if (it == found->keyIndex.end())
        return std::nullopt;
    return Unquoted(m_lines[it->second].value);
}

bool IniDocument::HasSection(std::string_view section) const
{
    return FindSection(section) != nullptr;
}

std::vector<std::string> IniDocument::SectionNames() const
{
    std::vector<std::string> names;
    for (const Line& line : m_lines) {
        if (line.kind == LineKind::Section)
            names.push_back(line.name);
    }
    return names;
}

std::vector<std::string> IniDocument::KeyNames(std::string_view section) const
{
    std::vector<std::string> names;
    if (const Section* found = FindSection(section)) {
        for (size_t line : found->entryLines)
            names.push_back(m_lines[line].name);
    }
    return names;
}

std::vector<std::pair<std::string, std::string>> IniDocument::Entries(std::string_view section) const
{
    std::vector<std::pair<std::string, std::string>> entries;
    if (const Section* found = FindSection(section)) {
        for (size_t line : found->entryLines)
            entries.emplace_back(m_lines[line].name, Unquoted(m_lines[line].value));
    }
    return entries;
}

bool IniDocument::CanWrite(std::string_view text)
{
    return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

bool IniDocument::SetValue(std::string_view section, std::string_view key, std::string_view value)
{
    section = TrimName(section);
    key = TrimName(key);
    if (!CanWrite(section) || !CanWrite(key) || !CanWrite(value) || key.empty()
        || section.find(']') != std::string_view::npos || key.find('=') != std::string_view::npos
        || key.front() == '[' || key.front() == ';')
        return false;

    std::string entryText(key);
    entryText.append("=").append(value);
    const Section* found = FindSection(section);
    if (!found) {
        if (!m_lines.empty()) {
            if (m_lines.back().ending.empty())
                m_lines.back().ending = kNewLine;
            if (!TrimBlanks(m_lines.back().raw).empty())
                m_lines.push_back({ "", std::string(kNewLine) });
        }
        std::string header = "[";
        header.append(section).append("]");
        m_lines.push_back({ std::move(header), std::string(kNewLine) });
        m_lines.push_back({ entryText, std::string(kNewLine) });
        m_modified = true;
        Reindex();
        return true;
    }

    auto existing = found->keyIndex.find(FoldName(key));
    if (existing != found->keyIndex.end()) {
        Line& line = m_lines[existing->second];
        if (line.value == value)
            return true;
        line.raw = line.name;
        line.raw.append("=").append(value);
        m_modified = true;
        Reindex();
        return true;
    }

    size_t after = found->entryLines.empty() ? found->headerLine : found->entryLines.back();
    for (size_t line : found->entryLines)
        after = std::max(after, line);
    if (m_lines[after].ending.empty())
        m_lines[after].ending = kNewLine;
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(after + 1), Line { entryText, std::string(kNewLine) });
    m_modified = true;
    Reindex();
    return true;
}

bool IniDocument::DeleteKey(std::string_view section, std::string_view key)
{
    const Section* found = FindSection(section);
    if (!found)
        return true;
    std::string folded = FoldName(TrimName(key));
    bool removed = false;
    for (size_t i = found->endLine; i-- > found->headerLine + 1;) {
        if (m_lines[i].kind == LineKind::Entry && FoldName(m_lines[i].name) == folded) {
            m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(i));
            removed = true;
        }
    }
    if (removed) {
        m_modified = true;
        Reindex();
    }
    return true;
}

bool IniDocument::DeleteSection(std::string_view section)
{
    // Every header of the name goes with its entries; comments and odd lines after a section's
    // last entry may belong to what follows, so they stay.
    std::string folded = FoldName(TrimName(section));
    bool removed = false;
    for (;;) {
        size_t header = m_lines.size();
        for (size_t i = 0; i < m_lines.size(); ++i) {
            if (m_lines[i].kind == LineKind::Section && FoldName(m_lines[i].name) == folded) {
                header = i;
                break;
            }
        }
        if (header == m_lines.size())
            break;
        size_t last = header;
        for (size_t i = header + 1; i < m_lines.size() && m_lines[i].kind != LineKind::Section; ++i) {
            if (m_lines[i].kind == LineKind::Entry)
                last = i;
        }
        m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(header),
            m_lines.begin() + static_cast<std::ptrdiff_t>(last + 1));
        // Line kinds are stale after the erase; refresh before looking again.
        Reindex();
        removed = true;
    }
    if (removed)
        m_modified = true;
    return true;
}

std::string IniDocument::Text() const
{
    std::string text;
    for (const Line& line : m_lines) {
        text += line.raw;
        text += line.ending;
    }
    return text;
}

}
