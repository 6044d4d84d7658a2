#include "platform/hive/RegistryFile.h"

#include "platform/hive/RegistryText.h"
#include "platform/text/Text.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace platform {

namespace {

constexpr std::string_view HeaderLine = "WINE REGISTRY Version 2";
constexpr std::string_view Win64Line = "#arch=win64";
constexpr std::string_view TimePrefix = "#time=";
// Seconds from 1601 (the system's file time epoch) to 1970, and file time ticks per second.
constexpr int64_t SecondsFrom1601To1970 = 11644473600;
constexpr int64_t FileTimeTicksPerSecond = 10000000;
// The system's limits for a key name and the depth of the tree.
constexpr size_t MaxKeyNameLength = 255;
constexpr size_t MaxKeyDepth = 512;

std::string_view WithoutCarriageReturn(std::string_view line)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

bool IsBlank(std::string_view line)
{
    for (char ch : line) {
        if (ch != ' ' && ch != '\t' && ch != '\r')
            return false;
    }
    return true;
}

int64_t SystemNow()
{
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

std::string TimeLineFor(int64_t seconds)
{
    auto ticks = static_cast<uint64_t>((seconds + SecondsFrom1601To1970) * FileTimeTicksPerSecond);
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "#time=%x%08x", static_cast<unsigned>(ticks >> 32), static_cast<unsigned>(ticks & 0xFFFFFFFFu));
    return buffer;
}

// "[Software\\Wine] 1234": the key path and, when present, the seconds after it.
struct KeyLine {
    std::u16string path;
    std::optional<int64_t> seconds;
};

std::optional<KeyLine> ParseKeyLine(std::string_view line)
{
    line = WithoutCarriageReturn(line);
    if (line.empty() || line[0] != '[')
        return std::nullopt;
    size_t pos = 1;
    auto path = UnescapeRegistryText(line, pos, ']');
    if (!path)
        return std::nullopt;
    KeyLine key { NormaliseRegistryPath(*path), std::nullopt };
    if (!IsUsableRegistryPath(key.path))
        return std::nullopt;
    while (pos < line.size() && line[pos] == ' ')
        ++pos;
    int64_t seconds = 0;
    size_t digits = 0;
    while (pos < line.size() && line[pos] >= '0' && line[pos] <= '9' && digits < 18) {
        seconds = seconds * 10 + (line[pos++] - '0');
        ++digits;
    }
    if (digits)
        key.seconds = seconds;
    return key;
}

bool IsHexValueStart(std::string_view line)
{
    size_t equals = line.find("=hex");
    return equals != std::string_view::npos;
}

bool EndsWithContinuation(std::string_view line)
{
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r'))
        line.remove_suffix(1);
    return !line.empty() && line.back() == '\\';
}

std::string_view WithoutContinuation(std::string_view line)
{
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r'))
        line.remove_suffix(1);
    line.remove_suffix(1);
    return line;
}

bool SameName(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i] >= u'A' && a[i] <= u'Z' ? static_cast<char16_t>(a[i] + 32) : a[i];
        char16_t y = b[i] >= u'A' && b[i] <= u'Z' ? static_cast<char16_t>(b[i] + 32) : b[i];
        if (x != y)
            return false;
    }
    return true;
}

// Blank lines are layout that a rewrite does not keep, so they never continue a value.
bool IsContinuationLine(std::string_view line)
{
    return !IsBlank(line) && !line.starts_with('[') && !line.starts_with('"') && !line.starts_with('@');
}

std::string_view WithoutLeadingBlanks(std::string_view line)
{
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
        line.remove_prefix(1);
    return line;
}

}

std::u16string NormaliseRegistryPath(std::u16string_view path)
{
    std::u16string out;
    size_t pos = 0;
    while (pos <= path.size()) {
        size_t end = path.find(u'\\', pos);
        if (end == std::u16string_view::npos)
            end = path.size();
        if (end > pos) {
            if (!out.empty())
                out += u'\\';
            out.append(path.substr(pos, end - pos));
        }
        pos = end + 1;
    }
    return out;
}

bool IsUsableRegistryPath(std::u16string_view path)
{
    if (path.empty())
        return false;
    size_t depth = 0;
    size_t pos = 0;
    while (pos <= path.size()) {
        size_t end = path.find(u'\\', pos);
        if (end == std::u16string_view::npos)
            end = path.size();
        if (end - pos > MaxKeyNameLength || ++depth > MaxKeyDepth)
            return false;
        pos = end + 1;
    }
    return true;
}

RegistryFile::RegistryFile()
    : m_now(SystemNow)
{
}

RegistryFile RegistryFile::Create(std::u16string_view relativeTo, bool win64)
{
    RegistryFile file;
    file.m_preamble.emplace_back(HeaderLine);
    file.m_preamble.push_back(";; All keys relative to " + EscapeRegistryText(relativeTo, ""));
    file.m_preamble.emplace_back();
    file.m_preamble.push_back(win64 ? std::string(Win64Line) : std::string("#arch=win32"));
    return file;
}

RegistryFile RegistryFile::Parse(std::string_view text)
{
    return ParseOwned(std::string(text));
}

RegistryFile RegistryFile::ParseOwned(std::string&& text)
{
    RegistryFile file;
    file.m_source = std::make_shared<const std::string>(std::move(text));
    file.ParseLines(*file.m_source);
    return file;
}

// Folded paths in the arena: ASCII as one byte, anything else as 0xFF and its two bytes, which
// keeps the byte order of paths that share a prefix together.
std::string RegistryFile::ArenaForm(std::u16string_view folded)
{
    std::string out;
    out.reserve(folded.size());
    for (char16_t ch : folded) {
        if (ch > 0 && ch < 0x80) {
            out += static_cast<char>(ch);
        } else {
            out += '\xFF';
            out += static_cast<char>(ch >> 8);
            out += static_cast<char>(ch & 0xFF);
        }
    }
    return out;
}

std::string_view RegistryFile::ArenaKey(uint32_t index) const
{
    const FileKey& key = m_fileKeys[index];
    return std::string_view(m_arena).substr(key.folded, key.foldedLength);
}

std::u16string RegistryFile::FileKeyPath(uint32_t index) const
{
    const FileKey& key = m_fileKeys[index];
    std::string_view text = std::string_view(*m_source).substr(key.begin, key.end - key.begin);
    auto parsed = ParseKeyLine(text.substr(0, text.find('\n')));
    return parsed ? parsed->path : std::u16string();
}

void RegistryFile::ParseLines(std::string_view text)
{
    // Lines before the first key are the preamble; each key then owns the lines up to the next.
    // Text beyond what the index can address is kept as it is, unread.
    constexpr size_t kMaxIndexed = 0xFFFFFFFFu;
    if (text.size() > kMaxIndexed) {
        m_preamble.emplace_back(text.substr(0, text.size() - (text.ends_with('\n') ? 1 : 0)));
        return;
    }
    size_t pos = 0;
    bool seenKey = false;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        if (line.starts_with('[')) {
            if (auto key = ParseKeyLine(line)) {
                if (!m_fileKeys.empty())
                    m_fileKeys.back().end = static_cast<uint32_t>(pos);
                std::string folded = ArenaForm(Fold(key->path));
                FileKey fileKey;
                fileKey.folded = static_cast<uint32_t>(m_arena.size());
                fileKey.foldedLength = static_cast<uint32_t>(folded.size());
                fileKey.begin = static_cast<uint32_t>(pos);
                m_arena += folded;
                m_fileKeys.push_back(fileKey);
                seenKey = true;
            } else if (!seenKey) {
                m_preamble.emplace_back(line);
            }
        } else if (!seenKey) {
            m_preamble.emplace_back(line);
        }
        pos = end + 1;
    }
    if (!m_fileKeys.empty())
        m_fileKeys.back().end = static_cast<uint32_t>(text.size());
    while (!m_preamble.empty() && IsBlank(m_preamble.back()))
        m_preamble.pop_back();
    m_nextOrder = m_fileKeys.size();

    m_byPath.resize(m_fileKeys.size());
    for (uint32_t i = 0; i < m_byPath.size(); ++i)
        m_byPath[i] = i;
    std::stable_sort(m_byPath.begin(), m_byPath.end(), [&](uint32_t a, uint32_t b) { return ArenaKey(a) < ArenaKey(b); });
    // A key written twice is one key: its later lines join the first.
    for (size_t i = 0; i + 1 < m_byPath.size();) {
        size_t j = i + 1;
        while (j < m_byPath.size() && ArenaKey(m_byPath[j]) == ArenaKey(m_byPath[i]))
            ++j;
        if (j > i + 1) {
            uint32_t first = *std::min_element(m_byPath.begin() + static_cast<std::ptrdiff_t>(i), m_byPath.begin() + static_cast<std::ptrdiff_t>(j));
            KeyBody& body = *Materialize(first).body;
            body.block = {};
            std::vector<uint32_t> later(m_byPath.begin() + static_cast<std::ptrdiff_t>(i), m_byPath.begin() + static_cast<std::ptrdiff_t>(j));
            std::sort(later.begin(), later.end());
            for (uint32_t index : later) {
                if (index == first)
                    continue;
                FileKey& key = m_fileKeys[index];
                std::string_view block = std::string_view(*m_source).substr(key.begin, key.end - key.begin);
                size_t newline = block.find('\n');
                ParseBlock(body, newline == std::string_view::npos ? std::string_view() : block.substr(newline + 1));
                key.taken = true;
            }
        }
        i = j;
    }
}

// The lines of one key after its key line, read into values, with every line it does not
// understand kept where it stood.
void RegistryFile::ParseBlock(KeyBody& body, std::string_view text) const
{
    std::vector<std::string_view> lines = SplitLines(text);
    bool readValues = true; // false after a key line that could not be read: its lines stay raw
    auto keepRaw = [&](std::string raw) {
        Entry entry;
        entry.rawLine = std::move(raw);
        body.entries.push_back(std::move(entry));
    };
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string_view line = lines[i];
        if (line.starts_with('[')) {
            readValues = false;
            keepRaw(std::string(line));
            continue;
        }
        if (IsBlank(line))
            continue;
        if (readValues && line.starts_with(TimePrefix) && body.timeLine.empty() && body.entries.empty()) {
            body.timeLine = std::string(line);
            continue;
        }
        if (line.starts_with('@') || line.starts_with('"')) {
            std::string raw(line);
            std::string joined(line);
            bool hex = IsHexValueStart(joined);
            while (hex && EndsWithContinuation(joined) && i + 1 < lines.size() && IsContinuationLine(lines[i + 1])) {
                ++i;
                joined.resize(WithoutContinuation(joined).size());
                joined.append(WithoutLeadingBlanks(lines[i]));
                raw += '\n';
                raw += lines[i];
            }
            auto parsed = readValues ? ParseRegistryValueLine(joined) : std::nullopt;
            if (!parsed) {
                keepRaw(std::move(raw));
                continue;
            }
            RegistryFileValue value { std::move(parsed->name), parsed->type, std::move(parsed->data), std::move(raw) };
            Entry* existing = nullptr;
            for (auto& entry : body.entries) {
                if (entry.isValue && SameName(entry.value.name, value.name))
                    existing = &entry;
            }
            if (existing) {
                existing->value = std::move(value);
            } else {
                Entry entry;
                entry.isValue = true;
                entry.value = std::move(value);
                body.entries.push_back(std::move(entry));
            }
            continue;
        }
        keepRaw(std::string(line));
    }
}

RegistryFile::Node& RegistryFile::Materialize(uint32_t index) const
{
    FileKey& key = m_fileKeys[index];
    key.taken = true;
    std::u16string path = FileKeyPath(index);
    Node& node = EnsureNode(path);
    node.path = path;
    node.body = std::make_unique<KeyBody>();
    KeyBody& body = *node.body;
    std::string_view block = std::string_view(*m_source).substr(key.begin, key.end - key.begin);
    size_t newline = block.find('\n');
    std::string_view header = block.substr(0, newline);
    body.order = index;
    body.headerText = std::string(header);
    body.seconds = ParseKeyLine(header)->seconds;
    body.block = block;
    ParseBlock(body, newline == std::string_view::npos ? std::string_view() : block.substr(newline + 1));
    return node;
}

std::pair<size_t, size_t> RegistryFile::FileKeyRange(std::string_view prefix) const
{
    auto less = [&](uint32_t index, std::string_view value) { return ArenaKey(index) < value; };
    auto first = std::lower_bound(m_byPath.begin(), m_byPath.end(), prefix, less);
    auto last = first;
    while (last != m_byPath.end() && ArenaKey(*last).starts_with(prefix))
        ++last;
    return { static_cast<size_t>(first - m_byPath.begin()), static_cast<size_t>(last - m_byPath.begin()) };
}

std::optional<uint32_t> RegistryFile::FindFileKey(std::string_view arenaPath) const
{
    auto less = [&](uint32_t index, std::string_view value) { return ArenaKey(index) < value; };
    auto found = std::lower_bound(m_byPath.begin(), m_byPath.end(), arenaPath, less);
    for (; found != m_byPath.end() && ArenaKey(*found) == arenaPath; ++found) {
        if (!m_fileKeys[*found].taken)
            return *found;
    }
    return std::nullopt;
}

void RegistryFile::SerializeBlock(std::string& out, std::string_view block) const
{
    ForEachPiece(block, '\n', [&](std::string_view line) {
        if (!IsBlank(line)) {
            out += line;
            out += '\n';
        }
    });
}

std::string RegistryFile::Serialize() const
{
    std::string out;
    out.reserve(m_source ? m_source->size() + 4096 : 4096);
    for (auto& line : m_preamble) {
        out += line;
        out += '\n';
    }
    std::vector<const Node*> ordered;
    for (auto& [folded, node] : m_nodes) {
        if (node.body)
            ordered.push_back(&node);
    }
    std::sort(ordered.begin(), ordered.end(), [](const Node* a, const Node* b) { return a->body->order < b->body->order; });
    auto nextNode = ordered.begin();
    auto writeNode = [&](const Node& node) {
        const KeyBody& body = *node.body;
        out += '\n';
        if (!body.block.empty()) {
            SerializeBlock(out, body.block);
            return;
        }
        if (!body.headerText.empty()) {
            out += body.headerText;
        } else {
            out += '[';
            size_t pos = 0;
            while (pos <= node.path.size()) {
                size_t end = node.path.find(u'\\', pos);
                if (end == std::u16string::npos)
                    end = node.path.size();
                if (pos)
                    out += "\\\\";
                out += EscapeRegistryText(std::u16string_view(node.path).substr(pos, end - pos), "[]");
                pos = end + 1;
            }
            out += ']';
            if (body.seconds)
                out += ' ' + std::to_string(*body.seconds);
        }
        out += '\n';
        if (!body.timeLine.empty()) {
            out += body.timeLine;
            out += '\n';
        }
        for (auto& entry : body.entries) {
            if (!entry.isValue)
                out += entry.rawLine;
            else if (!entry.value.sourceText.empty())
                out += entry.value.sourceText;
            else
                out += FormatRegistryValue(entry.value.name, entry.value.type, entry.value.data);
            out += '\n';
        }
    };
    for (uint32_t index = 0; index < m_fileKeys.size(); ++index) {
        while (nextNode != ordered.end() && (*nextNode)->body->order <= index)
            writeNode(**nextNode++);
        const FileKey& key = m_fileKeys[index];
        if (!key.taken) {
            out += '\n';
            SerializeBlock(out, std::string_view(*m_source).substr(key.begin, key.end - key.begin));
        }
    }
    while (nextNode != ordered.end())
        writeNode(**nextNode++);
    return out;
}

bool RegistryFile::IsWin64() const
{
    for (auto& line : m_preamble) {
        if (WithoutCarriageReturn(line) == Win64Line)
            return true;
    }
    return false;
}

std::u16string RegistryFile::Fold(std::u16string_view path)
{
    std::u16string folded(path);
    for (auto& ch : folded) {
        if (ch >= u'A' && ch <= u'Z')
            ch = static_cast<char16_t>(ch + (u'a' - u'A'));
    }
    return folded;
}

// The key at `path`: one read before, one of the text read now, or a parent that exists only
// through keys of the text below it.
RegistryFile::Node* RegistryFile::FindNode(std::u16string_view path) const
{
    std::u16string normal = NormaliseRegistryPath(path);
    std::u16string folded = Fold(normal);
    auto found = m_nodes.find(folded);
    if (found != m_nodes.end() && found->second.body)
        return &found->second;
    std::string arenaPath = ArenaForm(folded);
    if (auto index = FindFileKey(arenaPath))
        return &Materialize(*index);
    if (found != m_nodes.end())
        return &found->second;
    auto [first, last] = FileKeyRange(arenaPath + '\\');
    for (size_t i = first; i < last; ++i) {
        uint32_t index = m_byPath[i];
        if (m_fileKeys[index].taken)
            continue;
        // Spelled as the key below it spells it.
        std::u16string below = FileKeyPath(index);
        return &EnsureNode(below.substr(0, normal.size()));
    }
    return nullptr;
}

RegistryFile::Node& RegistryFile::EnsureNode(const std::u16string& path) const
{
    size_t pos = 0;
    Node* node = nullptr;
    while (true) {
        size_t end = path.find(u'\\', pos);
        std::u16string prefix = path.substr(0, end);
        auto [it, inserted] = m_nodes.try_emplace(Fold(prefix));
        if (inserted)
            it->second.path = prefix;
        node = &it->second;
        if (end == std::u16string::npos)
            return *node;
        pos = end + 1;
    }
}

RegistryFile::KeyBody& RegistryFile::EnsureBody(Node& node)
{
    if (!node.body) {
        if (auto index = FindFileKey(ArenaForm(Fold(node.path))))
            return *Materialize(*index).body;
        node.body = std::make_unique<KeyBody>();
        node.body->order = m_nextOrder++;
        Touch(*node.body);
    }
    return *node.body;
}

void RegistryFile::Touch(KeyBody& body)
{
    int64_t now = m_now();
    body.headerText.clear();
    body.block = {};
    body.seconds = now;
    body.timeLine = TimeLineFor(now);
}

bool RegistryFile::KeyExists(std::u16string_view path) const
{
    return NormaliseRegistryPath(path).empty() || FindNode(path) != nullptr;
}

bool RegistryFile::CreateKey(std::u16string_view path)
{
    std::u16string normal = NormaliseRegistryPath(path);
    if (normal.empty())
        return true;
    if (!IsUsableRegistryPath(normal))
        return false;
    if (Node* existing = FindNode(normal))
        EnsureBody(*existing);
    else
        EnsureBody(EnsureNode(normal));
    return true;
}

bool RegistryFile::DeleteKeyTree(std::u16string_view path)
{
    std::u16string normal = NormaliseRegistryPath(path);
    if (normal.empty() || !FindNode(normal))
        return false;
    std::u16string folded = Fold(normal);
    auto self = m_nodes.find(folded);
    auto first = m_nodes.lower_bound(folded + u'\\');
    auto last = m_nodes.lower_bound(folded + u']');
    m_nodes.erase(first, last);
    if (self != m_nodes.end())
        m_nodes.erase(self);
    std::string arenaPath = ArenaForm(folded);
    for (const std::string& prefix : { arenaPath, arenaPath + '\\' }) {
        auto [from, to] = FileKeyRange(prefix);
        for (size_t i = from; i < to; ++i) {
            if (prefix.back() == '\\' || ArenaKey(m_byPath[i]) == arenaPath)
                m_fileKeys[m_byPath[i]].taken = true;
        }
    }

    // A parent that existed only through this key would vanish from the file: keep it.
    size_t cut = normal.rfind(u'\\');
    if (cut != std::u16string::npos) {
        std::u16string parent = normal.substr(0, cut);
        Node* parentNode = FindNode(parent);
        if (parentNode && !parentNode->body && !HasSubKeys(parent))
            EnsureBody(*parentNode);
    }
    return true;
}

bool RegistryFile::HasSubKeys(std::u16string_view path) const
{
    std::u16string normal = NormaliseRegistryPath(path);
    std::u16string prefix = normal.empty() ? std::u16string() : Fold(normal) + u'\\';
    auto first = m_nodes.lower_bound(prefix);
    if (first != m_nodes.end() && first->first.starts_with(prefix))
        return true;
    auto [from, to] = FileKeyRange(ArenaForm(prefix));
    for (size_t i = from; i < to; ++i) {
        if (!m_fileKeys[m_byPath[i]].taken)
            return true;
    }
    return false;
}

std::vector<std::u16string> RegistryFile::SubKeyNames(std::u16string_view path) const
{
    std::u16string normal = NormaliseRegistryPath(path);
    if (!KeyExists(normal))
        return {};
    std::u16string prefix = normal.empty() ? std::u16string() : Fold(normal) + u'\\';
    std::map<std::u16string, std::u16string> byFolded;
    for (auto it = m_nodes.lower_bound(prefix); it != m_nodes.end() && it->first.starts_with(prefix); ++it) {
        std::u16string_view rest = std::u16string_view(it->first).substr(prefix.size());
        if (rest.find(u'\\') == std::u16string_view::npos)
            byFolded.emplace(it->first.substr(prefix.size()), it->second.path.substr(prefix.size()));
    }
    auto [from, to] = FileKeyRange(ArenaForm(prefix));
    for (size_t i = from; i < to; ++i) {
        uint32_t index = m_byPath[i];
        if (m_fileKeys[index].taken)
            continue;
        std::u16string below = FileKeyPath(index).substr(prefix.size());
        std::u16string name = below.substr(0, below.find(u'\\'));
        byFolded.emplace(Fold(name), name);
    }
    std::vector<std::u16string> names;
    for (auto& [folded, name] : byFolded)
        names.push_back(name);
    return names;
}

const RegistryFileValue* RegistryFile::FindValue(std::u16string_view path, std::u16string_view name) const
{
    const Node* node = FindNode(path);
    if (!node || !node->body)
        return nullptr;
    for (auto& entry : node->body->entries) {
        if (entry.isValue && SameName(entry.value.name, name))
            return &entry.value;
    }
    return nullptr;
}

std::vector<const RegistryFileValue*> RegistryFile::Values(std::u16string_view path) const
{
    std::vector<const RegistryFileValue*> values;
    const Node* node = FindNode(path);
    if (!node || !node->body)
        return values;
    for (auto& entry : node->body->entries) {
        if (entry.isValue)
            values.push_back(&entry.value);
    }
    return values;
}

bool RegistryFile::SetValue(std::u16string_view path, std::u16string_view name, uint32_t type, std::vector<uint8_t> data)
{
    std::u16string normal = NormaliseRegistryPath(path);
    if (!IsUsableRegistryPath(normal))
        return false;
    Node* existing = FindNode(normal);
    KeyBody& body = EnsureBody(existing ? *existing : EnsureNode(normal));
    Touch(body);
    for (auto& entry : body.entries) {
        if (entry.isValue && SameName(entry.value.name, name)) {
            entry.value.type = type;
            entry.value.data = std::move(data);
            entry.value.sourceText.clear();
            return true;
        }
    }
    Entry entry;
    entry.isValue = true;
    entry.value = RegistryFileValue { std::u16string(name), type, std::move(data), {} };
    body.entries.push_back(std::move(entry));
    return true;
}

bool RegistryFile::DeleteValue(std::u16string_view path, std::u16string_view name)
{
    Node* node = FindNode(path);
    if (!node || !node->body)
        return false;
    auto& entries = node->body->entries;
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        if (it->isValue && SameName(it->value.name, name)) {
            entries.erase(it);
            Touch(*node->body);
            return true;
        }
    }
    return false;
}

std::optional<int64_t> RegistryFile::KeyTimestamp(std::u16string_view path) const
{
    const Node* node = FindNode(path);
    if (!node || !node->body)
        return std::nullopt;
    return node->body->seconds;
}

}
