#include "platform/ini/ProfileFile.h"

#include "platform/atomicfile/AtomicFile.h"
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

std::shared_ptr<const IniDocument> LoadExistingProfile(const fs::path& file)
{
    const std::string key = file.string();
    struct stat before {};
    if (::stat(file.c_str(), &before) != 0 || !S_ISREG(before.st_mode)) {
        Cache().erase(key);
        return nullptr;
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

std::shared_ptr<const IniDocument> LoadProfile(const fs::path& file)
{
    auto document = LoadExistingProfile(file);
    return document ? document : EmptyDocument();
}

std::string DefaultProfileString(std::string_view defaultValue)
{
    size_t end = defaultValue.find_last_not_of(' ');
    return std::string(defaultValue.substr(0, end == std::string_view::npos ? 0 : end + 1));
}

std::string ProfileString(const IniDocument& document, std::string_view section, std::string_view key,
    std::string_view defaultValue)
{
    std::optional<std::string> value = document.Value(section, key);
    std::string result = value ? std::move(*value) : DefaultProfileString(defaultValue);
    if (result.size() > kMaxProfileValueLength)
        result.resize(kMaxProfileValueLength);
    return result;
}

int32_t ProfileInt(const IniDocument& document, std::string_view section, std::string_view key, int32_t defaultValue)
{
    std::optional<std::string> value = document.Value(section, key);
    return value ? ReadNumber(*value, defaultValue) : defaultValue;
}

std::string ReadProfileString(const fs::path& file, std::string_view section, std::string_view key,
    std::string_view defaultValue)
{
    return ProfileString(*LoadProfile(file), section, key, defaultValue);
}

int32_t ReadProfileInt(const fs::path& file, std::string_view section, std::string_view key, int32_t defaultValue)
{
    return ProfileInt(*LoadProfile(file), section, key, defaultValue);
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
    auto apply = [&](IniDocument& document) {
        if (!key)
            return document.DeleteSection(section);
        if (!value)
            return document.DeleteKey(section, *key);
        return document.SetValue(section, *key, *value);
    };
    // Most writes of the status check store what the file already says; the copy parsed at
    // the file's present identity tells so without locking and rewriting the file.
    struct stat present {};
    if (::stat(file.c_str(), &present) == 0 && S_ISREG(present.st_mode)) {
        auto cached = Cache().find(file.string());
        if (cached != Cache().end() && cached->second.identity == IdentityOf(present)) {
            IniDocument probe = *cached->second.document;
            if (apply(probe) && !probe.Modified())
                return true;
        }
    }

    return EditProfile(file, apply);
}

bool EditProfile(const fs::path& file, const std::function<bool(IniDocument&)>& edit)
{
    bool accepted = true;
    std::shared_ptr<IniDocument> edited;
    bool stored = EditHostFileAtomically(file, [&](const std::optional<std::string>& current) -> std::optional<std::string> {
        edited = std::make_shared<IniDocument>(IniDocument::Parse(current ? *current : std::string()));
        accepted = edit(*edited);
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
