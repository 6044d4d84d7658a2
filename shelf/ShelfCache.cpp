#include "shelf/ShelfCache.h"

#include "platform/atomicfile/AtomicFile.h"

#include <charconv>
#include <cstdint>

namespace shelf {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view Header = "torva-shelf 1\n";

// Highest values the enumerations stored as numbers take.
constexpr int64_t LastKind = static_cast<int64_t>(DiscKind::Nrg);
constexpr int64_t LastProblem = static_cast<int64_t>(platform::ImageProblem::TooLarge);

class Writer {
public:
    void Text(std::string_view value)
    {
        m_out += std::to_string(value.size());
        m_out += ':';
        m_out += value;
        m_out += '\n';
    }
    void Number(int64_t value) { Text(std::to_string(value)); }
    std::string Take() { return std::move(m_out); }

private:
    std::string m_out { Header };
};

class Reader {
public:
    explicit Reader(std::string_view text)
        : m_rest(text)
    {
    }

    std::optional<std::string_view> Text()
    {
        size_t colon = m_rest.find(':');
        if (colon == std::string_view::npos || colon == 0 || colon > 10)
            return std::nullopt;
        uint64_t length = 0;
        auto [end, error] = std::from_chars(m_rest.data(), m_rest.data() + colon, length);
        if (error != std::errc() || end != m_rest.data() + colon || length > m_rest.size() - colon - 1)
            return std::nullopt;
        std::string_view value = m_rest.substr(colon + 1, static_cast<size_t>(length));
        m_rest.remove_prefix(colon + 1 + static_cast<size_t>(length));
        if (m_rest.empty() || m_rest.front() != '\n')
            return std::nullopt;
        m_rest.remove_prefix(1);
        return value;
    }

    std::optional<int64_t> Number(int64_t lowest, int64_t highest)
    {
        std::optional<std::string_view> text = Text();
        int64_t value = 0;
        if (!text || text->empty())
            return std::nullopt;
        auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
        if (error != std::errc() || end != text->data() + text->size() || value < lowest || value > highest)
            return std::nullopt;
        return value;
    }

    bool AtEnd() const { return m_rest.empty(); }

private:
    std::string_view m_rest;
};

bool KnownCategory(int64_t code)
{
    switch (static_cast<CategoryCode>(code)) {
    case CategoryCode::Demos:
    case CategoryCode::Extra:
    case CategoryCode::Shareware:
    case CategoryCode::Drivers:
    case CategoryCode::Updates:
    case CategoryCode::Readers:
    case CategoryCode::Shots:
    case CategoryCode::Movies:
    case CategoryCode::Fulls:
    case CategoryCode::Extra2:
        return true;
    default:
        return false;
    }
}

void WriteDisc(Writer& out, const ShelfDisc& disc)
{
    out.Number(static_cast<int64_t>(disc.kind));
    out.Text(disc.label);
    out.Text(disc.discId);
    out.Text(disc.date);
    out.Number(disc.problem ? static_cast<int64_t>(disc.problem->kind) : -1);
    out.Text(disc.problem ? disc.problem->file.string() : "");
    out.Text(disc.problem ? disc.problem->reason : "");
    out.Number(static_cast<int64_t>(disc.counts.size()));
    for (const CategoryCount& count : disc.counts) {
        out.Number(static_cast<int64_t>(count.category));
        out.Number(count.count);
    }
    out.Number(static_cast<int64_t>(disc.items.size()));
    for (const ShelfItem& item : disc.items) {
        out.Number(static_cast<int64_t>(item.category));
        out.Number(item.number);
        out.Text(item.name);
        out.Text(item.firm);
        out.Text(item.description);
    }
}

std::optional<ShelfDisc> ReadDisc(Reader& in, const std::string& source)
{
    ShelfDisc disc;
    disc.source = source;
    auto kind = in.Number(0, LastKind);
    auto label = in.Text();
    auto discId = in.Text();
    auto date = in.Text();
    auto problem = in.Number(-1, LastProblem);
    auto problemFile = in.Text();
    auto reason = in.Text();
    if (!kind || !label || !discId || !date || !problem || !problemFile || !reason)
        return std::nullopt;
    disc.kind = static_cast<DiscKind>(*kind);
    disc.label = *label;
    disc.discId = *discId;
    disc.date = *date;
    if (*problem >= 0)
        disc.problem = DiscProblem { static_cast<platform::ImageProblem>(*problem), fs::path(*problemFile), std::string(*reason) };
    auto counts = in.Number(0, ShelfCache::MaxCounts);
    for (int64_t i = 0; counts && i < *counts; ++i) {
        auto category = in.Number(0, 255);
        auto count = in.Number(0, ShelfCache::MaxItems);
        if (!category || !KnownCategory(*category) || !count)
            return std::nullopt;
        disc.counts.push_back({ static_cast<CategoryCode>(*category), static_cast<int32_t>(*count) });
    }
    auto items = in.Number(0, ShelfCache::MaxItems);
    if (!counts || !items)
        return std::nullopt;
    disc.items.reserve(static_cast<size_t>(*items));
    for (int64_t i = 0; i < *items; ++i) {
        auto category = in.Number(0, 255);
        auto number = in.Number(1, ShelfCache::MaxItems);
        auto name = in.Text();
        auto firm = in.Text();
        auto description = in.Text();
        if (!category || !KnownCategory(*category) || !number || !name || !firm || !description)
            return std::nullopt;
        disc.items.push_back({ static_cast<CategoryCode>(*category), static_cast<int32_t>(*number), std::string(*name), std::string(*firm),
            std::string(*description) });
    }
    return disc;
}

std::optional<StampedFile> ReadStampedFile(Reader& in)
{
    auto path = in.Text();
    auto device = in.Number(0, INT64_MAX);
    auto inode = in.Number(0, INT64_MAX);
    auto size = in.Number(0, INT64_MAX);
    auto modified = in.Number(INT64_MIN, INT64_MAX);
    auto folder = in.Number(0, 1);
    if (!path || path->empty() || !device || !inode || !size || !modified || !folder)
        return std::nullopt;
    platform::FileStamp stamp { static_cast<uint64_t>(*device), static_cast<uint64_t>(*inode), static_cast<uint64_t>(*size), *modified, *folder == 1 };
    return StampedFile { fs::path(*path), stamp };
}

}

std::string ShelfCache::Write(const CacheEntries& entries)
{
    Writer out;
    out.Number(static_cast<int64_t>(entries.size()));
    for (const auto& [source, entry] : entries) {
        out.Text(source);
        out.Number(static_cast<int64_t>(entry.files.size()));
        for (const StampedFile& file : entry.files) {
            out.Text(file.path.string());
            // Device and inode numbers are unsigned; stored as they are, they stay below 2^63
            // on every file system Linux has.
            out.Number(static_cast<int64_t>(file.stamp.device));
            out.Number(static_cast<int64_t>(file.stamp.inode));
            out.Number(static_cast<int64_t>(file.stamp.size));
            out.Number(file.stamp.modifiedNs);
            out.Number(file.stamp.folder ? 1 : 0);
        }
        out.Number(entry.disc ? 1 : 0);
        if (entry.disc)
            WriteDisc(out, *entry.disc);
    }
    return out.Take();
}

std::optional<CacheEntries> ShelfCache::Parse(std::string_view text)
{
    if (text.size() > MaxFileBytes || text.substr(0, Header.size()) != Header)
        return std::nullopt;
    Reader in(text.substr(Header.size()));
    auto count = in.Number(0, MaxEntries);
    if (!count)
        return std::nullopt;
    CacheEntries entries;
    for (int64_t i = 0; i < *count; ++i) {
        auto source = in.Text();
        auto files = in.Number(1, MaxFiles);
        if (!source || source->empty() || !files)
            return std::nullopt;
        CacheEntry entry;
        for (int64_t f = 0; f < *files; ++f) {
            auto file = ReadStampedFile(in);
            if (!file)
                return std::nullopt;
            entry.files.push_back(std::move(*file));
        }
        auto isDisc = in.Number(0, 1);
        if (!isDisc)
            return std::nullopt;
        if (*isDisc == 1) {
            entry.disc = ReadDisc(in, std::string(*source));
            if (!entry.disc)
                return std::nullopt;
        }
        if (!entries.emplace(std::string(*source), std::move(entry)).second)
            return std::nullopt;
    }
    if (!in.AtEnd())
        return std::nullopt;
    return entries;
}

CacheEntries ShelfCache::Load(const fs::path& file)
{
    std::error_code error;
    uint64_t bytes = fs::file_size(file, error);
    if (error || bytes > MaxFileBytes)
        return {};
    std::optional<std::string> text = platform::ReadHostFile(file);
    if (!text)
        return {};
    std::optional<CacheEntries> entries = Parse(*text);
    return entries ? std::move(*entries) : CacheEntries {};
}

bool ShelfCache::Store(const fs::path& file, const CacheEntries& entries)
{
    std::error_code error;
    fs::create_directories(file.parent_path(), error);
    return platform::WriteHostFileAtomically(file, Write(entries));
}

}
