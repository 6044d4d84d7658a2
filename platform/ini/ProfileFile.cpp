#include "platform/ini/ProfileFile.h"

#include "platform/files/AtomicFile.h"
#include "platform/text/Text.h"

#include <sys/stat.h>
#include <unordered_map>

namespace platform {

namespace fs = std::filesystem;

namespace {

struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified {};

    bool operator==(const FileIdentity& other) const
    {
        return device == other.device && inode == other.inode && size == other.size
            && modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
    }
};

FileIdentity IdentityOf(const struct stat& info)
{
    return { info.st_dev, info.st_ino, info.st_size, info.st_mtim };
}

struct CachedProfile {
    FileIdentity identity;
    std::shared_ptr<const IniDocument> document;
};

constexpr size_t kMaxCachedProfiles = 64;

std::unordered_map<std::string, CachedProfile>& Cache()
{
    static std::unordered_map<std::string, CachedProfile> cache;
    return cache;
}

const std::shared_ptr<const IniDocument>& EmptyDocument()
{
    static const std::shared_ptr<const IniDocument> empty = std::make_shared<IniDocument>();
    return empty;
}

void Remember(const std::string& key, const FileIdentity& identity, std::shared_ptr<const IniDocument> document)
{
    auto& cache = Cache();
    if (cache.size() >= kMaxCachedProfiles && !cache.count(key))
        cache.clear();
    cache[key] = { identity, std::move(document) };
}

}

std::shared_ptr<const IniDocument> LoadProfile(const fs::path& file)
{
    const std::string key = file.string();
    struct stat before {};
    if (::stat(file.c_str(), &before) != 0 || !S_ISREG(before.st_mode)) {
        Cache().erase(key);
        return EmptyDocument();
    }
    auto cached = Cache().find(key);
    if (cached != Cache().end() && cached->second.identity == IdentityOf(before))
        return cached->second.document;

    std::optional<std::string> text = ReadHostFile(file);
    if (!text)
        return EmptyDocument();
    auto document = std::make_shared<const IniDocument>(IniDocument::Parse(*text));
    // A file that changed while it was read is parsed again next time.
    struct stat after {};
    if (::stat(file.c_str(), &after) == 0 && IdentityOf(after) == IdentityOf(before))
        Remember(key, IdentityOf(after), document);
    else
        Cache().erase(key);
    return document;
}

std::string ReadProfileString(const fs::path& file, std::string_view section, std::string_view key,
    std::string_view defaultValue)
{
    std::optional<std::string> value = LoadProfile(file)->Value(section, key);
    std::string result = value ? std::move(*value) : std::string(defaultValue);
    if (result.size() > kMaxProfileValueLength)
        result.resize(kMaxProfileValueLength);
    return result;
}

int32_t ReadProfileInt(const fs::path& file, std::string_view section, std::string_view key, int32_t defaultValue)
{
    std::optional<std::string> value = LoadProfile(file)->Value(section, key);
    return value ? ReadNumber(*value, defaultValue) : defaultValue;
}

std::vector<std::string> ReadProfileSectionNames(const fs::path& file)
{
    return LoadProfile(file)->SectionNames();
}

std::vector<std::string> ReadProfileKeyNames(const fs::path& file, std::string_view section)
{
    return LoadProfile(file)->KeyNames(section);
}

bool WriteProfileString(const fs::path& file, std::string_view section, std::optional<std::string_view> key,
    std::optional<std::string_view> value)
{
    bool accepted = true;
    std::shared_ptr<IniDocument> edited;
    bool stored = EditHostFileAtomically(file, [&](const std::optional<std::string>& current) -> std::optional<std::string> {
        if (!current && (!key || !value))
            return std::nullopt;
        edited = std::make_shared<IniDocument>(IniDocument::Parse(current ? *current : std::string()));
        if (!key)
            accepted = edited->DeleteSection(section);
        else if (!value)
            accepted = edited->DeleteKey(section, *key);
        else
            accepted = edited->SetValue(section, *key, *value);
        if (!accepted || !edited->Modified())
            return std::nullopt;
        return edited->Text();
    });
    Cache().erase(file.string());
    if (stored && accepted && edited && edited->Modified()) {
        struct stat info {};
        if (::stat(file.c_str(), &info) == 0)
            Remember(file.string(), IdentityOf(info), edited);
    }
    return stored && accepted;
}

void FlushProfileCache()
{
    Cache().clear();
}

}
