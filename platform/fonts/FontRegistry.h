#pragma once

// Where a face name leads: font files the process registered (AddFontResourceA), then the
// FontSubstitutes values of the machine's registry, then the host's fontconfig, and when all of
// them fail a default sans face, silently, as the window system falls back.

#include "platform/fonts/SizedFont.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace platform {

// Fontconfig stands for the host's fonts: what fontconfig lists and the added font folders.
enum class FontSource { Registered,
    Substitute,
    Fontconfig,
    Fallback };

struct FontMatch {
    std::string path; // host file (empty for a registered file's bytes)
    int faceIndex = 0;
    bool syntheticBold = false;
    bool syntheticItalic = false;
    FontSource source = FontSource::Fallback;
    std::string family;                                // the family the match carries, UTF-8
    std::shared_ptr<const std::vector<uint8_t>> bytes; // a registered file's contents
};

class FontRegistry {
public:
    FontRegistry();
    ~FontRegistry();
    FontRegistry(const FontRegistry&) = delete;
    FontRegistry& operator=(const FontRegistry&) = delete;

    // The registry the canvases of the process use.
    static FontRegistry& Default();

    // Registers every face of a font file (whatever its extension) for this process; returns
    // how many faces were added, 0 for a missing or unreadable file. Registering a file twice
    // counts it twice, as the window system does.
    int AddFontFile(const std::string& hostPath);
    int AddFontBytes(const std::string& key, std::vector<uint8_t> bytes);
    // Families of the registered faces (UTF-8), in registration order.
    std::vector<std::string> RegisteredFamilies() const;
    // Drops one registration of the file; false when it was not registered.
    bool RemoveFontFile(const std::string& hostPath);

    // Gives the FontSubstitutes value for a face name (code page 1250), if there is one.
    using SubstituteLookup = std::function<std::optional<std::string>(std::string_view face)>;
    void SetSubstituteLookup(SubstituteLookup lookup);

    // Folders of host fonts searched after fontconfig (fonts-wine keeps "Tahoma" and
    // "MS Sans Serif" outside the system fonts).
    void AddFontDirectory(const std::string& hostDir);

    // A face name in code page 1250.
    FontMatch Resolve(std::string_view face, bool bold, bool italic);

    // A face at a size; cached, so repeated requests are cheap. Never fails: an unusable match
    // falls back to the default sans, and when even that is missing to an empty face.
    std::shared_ptr<SizedFont> Open(std::string_view face, int height, bool bold, bool italic, uint8_t charset);

    // Counts changes of registrations, for callers caching lookups.
    uint64_t Generation() const { return m_generation; }

    struct FaceInfo {
        int index = 0;
        std::vector<std::string> names; // lower-case UTF-8: family, full and typographic names
        std::string family;
        bool bold = false;
        bool italic = false;
        bool unicode = false;
    };

private:
    struct Registered;
    std::optional<FontMatch> FindRegistered(std::string_view utf8Face, bool bold, bool italic) const;
    static std::optional<FontMatch> FindIn(const std::vector<std::unique_ptr<Registered>>& files, std::string_view utf8Face, bool bold, bool italic, FontSource source);
    std::optional<FontMatch> FindInDirectories(std::string_view utf8Face, bool bold, bool italic);
    std::optional<FontMatch> FindFontconfig(std::string_view utf8Face, bool bold, bool italic);
    std::optional<FontMatch> FindFallback(bool bold, bool italic);

    std::vector<std::unique_ptr<Registered>> m_registered;
    SubstituteLookup m_substitutes;
    std::vector<std::string> m_directories;
    bool m_directoriesScanned = false;
    std::vector<std::unique_ptr<Registered>> m_directoryFaces;
    uint64_t m_generation = 0;
    using CacheKey = std::tuple<std::string, int, bool, bool, uint8_t>;
    std::map<CacheKey, std::shared_ptr<SizedFont>> m_cache;
    uint64_t m_cacheGeneration = 0;
};

// The window system's calls, on host paths given in code page 1250; a resolver set by the layer
// that maps Windows paths to host files turns the menu's paths into host paths first.
using FontPathResolver = std::function<std::optional<std::string>(std::string_view windowsPath)>;
void SetFontPathResolver(FontPathResolver resolver);
int AddFontResourceA(std::string_view path);
bool RemoveFontResourceA(std::string_view path);

}
