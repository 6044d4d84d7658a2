#include "platform/fonts/FontRegistry.h"

#include "platform/text/Codepage.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SFNT_NAMES_H
#include FT_TRUETYPE_IDS_H

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace platform {

namespace {

// Font files beyond this are not fonts the menu could want; refusing them keeps a bad path from
// pulling a huge file into memory.
constexpr std::uintmax_t MaxFontFileBytes = 64u << 20;

// Name table entries the window system matches a face name against.
constexpr FT_UShort NameFamily = 1;
constexpr FT_UShort NameFullName = 4;
constexpr FT_UShort NameTypographicFamily = 16;

// Where fonts-wine keeps its metric-compatible faces; fontconfig does not search it by itself.
constexpr const char* WineFontDirectory = "/usr/share/wine/fonts";

std::string LowerAscii(std::string_view text)
{
    std::string out(text);
    for (char& ch : out)
        if (ch >= 'A' && ch <= 'Z')
            ch = static_cast<char>(ch - 'A' + 'a');
    return out;
}

std::string NameToUtf8(const FT_SfntName& name)
{
    std::string out;
    if (name.platform_id == TT_PLATFORM_MICROSOFT || name.platform_id == TT_PLATFORM_APPLE_UNICODE) {
        for (FT_UInt i = 0; i + 1 < name.string_len; i += 2) {
            char32_t unit = static_cast<char32_t>((name.string[i] << 8) | name.string[i + 1]);
            if (unit >= 0xD800 && unit < 0xE000)
                unit = 0xFFFD;
            AppendUtf8(out, unit);
        }
    } else {
        for (FT_UInt i = 0; i < name.string_len; ++i)
            AppendUtf8(out, name.string[i] < 0x80 ? char32_t(name.string[i]) : char32_t(0xFFFD));
    }
    return out;
}

FT_Library NamesLibrary()
{
    static FT_Library library = [] {
        FT_Library lib = nullptr;
        if (FT_Init_FreeType(&lib) != 0)
            lib = nullptr;
        return lib;
    }();
    return library;
}

std::optional<std::vector<uint8_t>> ReadFontFile(const std::string& hostPath)
{
    std::error_code error;
    auto size = std::filesystem::file_size(hostPath, error);
    if (error || size == 0 || size > MaxFontFileBytes)
        return std::nullopt;
    std::ifstream in(hostPath, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() != size)
        return std::nullopt;
    return bytes;
}

bool fontconfigReady = false;

bool FontconfigInit()
{
    if (!fontconfigReady) {
        fontconfigReady = FcInit() == FcTrue;
        // Its configuration lives until exit; releasing it then keeps leak checks meaningful.
        if (fontconfigReady)
            std::atexit([] { FcFini(); });
    }
    return fontconfigReady;
}

}

struct FontRegistry::Registered {
    struct Face {
        int index = 0;
        std::vector<std::string> names; // lower-case UTF-8
        std::string family;
        bool bold = false;
        bool italic = false;
    };
    std::string key;
    std::shared_ptr<const std::vector<uint8_t>> bytes;
    std::vector<Face> faces;
};

FontRegistry::FontRegistry() = default;
FontRegistry::~FontRegistry() = default;

FontRegistry& FontRegistry::Default()
{
    static FontRegistry registry;
    static bool directoriesSet = false;
    if (!directoriesSet) {
        directoriesSet = true;
        std::error_code error;
        if (std::filesystem::is_directory(WineFontDirectory, error))
            registry.AddFontDirectory(WineFontDirectory);
    }
    return registry;
}

int FontRegistry::AddFontFile(const std::string& hostPath)
{
    auto bytes = ReadFontFile(hostPath);
    if (!bytes)
        return 0;
    return AddFontBytes(hostPath, std::move(*bytes));
}

int FontRegistry::AddFontBytes(const std::string& key, std::vector<uint8_t> bytes)
{
    FT_Library library = NamesLibrary();
    if (!library || bytes.empty())
        return 0;
    auto entry = std::make_unique<Registered>();
    entry->key = key;
    entry->bytes = std::make_shared<const std::vector<uint8_t>>(std::move(bytes));
    const auto& data = *entry->bytes;
    FT_Long faceCount = 1;
    for (FT_Long index = 0; index < faceCount && index < 64; ++index) {
        FT_Face face = nullptr;
        if (FT_New_Memory_Face(library, data.data(), static_cast<FT_Long>(data.size()), index, &face) != 0)
            break;
        faceCount = face->num_faces;
        Registered::Face info;
        info.index = static_cast<int>(index);
        info.bold = (face->style_flags & FT_STYLE_FLAG_BOLD) != 0;
        info.italic = (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
        if (face->family_name) {
            info.family = face->family_name;
            info.names.push_back(LowerAscii(face->family_name));
        }
        FT_UInt nameCount = FT_Get_Sfnt_Name_Count(face);
        for (FT_UInt i = 0; i < nameCount; ++i) {
            FT_SfntName name;
            if (FT_Get_Sfnt_Name(face, i, &name) != 0)
                continue;
            if (name.name_id != NameFamily && name.name_id != NameFullName && name.name_id != NameTypographicFamily)
                continue;
            std::string text = LowerAscii(NameToUtf8(name));
            if (!text.empty() && std::find(info.names.begin(), info.names.end(), text) == info.names.end())
                info.names.push_back(std::move(text));
        }
        bool usable = FT_IS_SCALABLE(face) || face->num_fixed_sizes > 0;
        FT_Done_Face(face);
        if (usable && !info.names.empty())
            entry->faces.push_back(std::move(info));
    }
    int added = static_cast<int>(entry->faces.size());
    if (added > 0) {
        m_registered.push_back(std::move(entry));
        ++m_generation;
    }
    return added;
}

bool FontRegistry::RemoveFontFile(const std::string& hostPath)
{
    for (auto it = m_registered.rbegin(); it != m_registered.rend(); ++it) {
        if ((*it)->key == hostPath) {
            m_registered.erase(std::next(it).base());
            ++m_generation;
            return true;
        }
    }
    return false;
}

void FontRegistry::SetSubstituteLookup(SubstituteLookup lookup)
{
    m_substitutes = std::move(lookup);
    ++m_generation;
}

void FontRegistry::AddFontDirectory(const std::string& hostDir)
{
    m_directories.push_back(hostDir);
    m_directoriesAdded = false;
    ++m_generation;
}

std::optional<FontMatch> FontRegistry::FindRegistered(std::string_view utf8Face, bool bold, bool italic) const
{
    std::string wanted = LowerAscii(utf8Face);
    const Registered* bestFile = nullptr;
    const Registered::Face* best = nullptr;
    int bestScore = -1;
    // The latest registration wins among equals, as a later AddFontResourceA shadows an earlier one.
    for (const auto& file : m_registered) {
        for (const auto& face : file->faces) {
            if (std::find(face.names.begin(), face.names.end(), wanted) == face.names.end())
                continue;
            int score = (face.bold == bold ? 2 : 0) + (face.italic == italic ? 1 : 0);
            if (score >= bestScore) {
                bestScore = score;
                best = &face;
                bestFile = file.get();
            }
        }
    }
    if (!best)
        return std::nullopt;
    FontMatch match;
    match.path = bestFile->key;
    match.faceIndex = best->index;
    match.bytes = bestFile->bytes;
    match.family = best->family;
    match.syntheticBold = bold && !best->bold;
    match.syntheticItalic = italic && !best->italic;
    match.source = FontSource::Registered;
    return match;
}

std::optional<FontMatch> FontRegistry::FindFontconfig(std::string_view utf8Face, bool bold, bool italic, bool exactFamily)
{
    if (!FontconfigInit())
        return std::nullopt;
    if (!m_directoriesAdded) {
        for (const auto& dir : m_directories)
            FcConfigAppFontAddDir(nullptr, reinterpret_cast<const FcChar8*>(dir.c_str()));
        m_directoriesAdded = true;
    }
    std::string family(utf8Face);
    FcPattern* pattern = FcPatternCreate();
    if (!pattern)
        return std::nullopt;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* found = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!found)
        return std::nullopt;

    std::optional<FontMatch> match;
    FcChar8* file = nullptr;
    bool familyMatches = !exactFamily;
    std::string matchedFamily;
    FcChar8* value = nullptr;
    for (int i = 0; FcPatternGetString(found, FC_FAMILY, i, &value) == FcResultMatch; ++i) {
        std::string name(reinterpret_cast<const char*>(value));
        if (i == 0)
            matchedFamily = name;
        if (LowerAscii(name) == LowerAscii(family)) {
            familyMatches = true;
            matchedFamily = name;
        }
    }
    if (familyMatches && FcPatternGetString(found, FC_FILE, 0, &file) == FcResultMatch) {
        int index = 0;
        int weight = FC_WEIGHT_REGULAR;
        int slant = FC_SLANT_ROMAN;
        FcPatternGetInteger(found, FC_INDEX, 0, &index);
        FcPatternGetInteger(found, FC_WEIGHT, 0, &weight);
        FcPatternGetInteger(found, FC_SLANT, 0, &slant);
        match.emplace();
        match->path = reinterpret_cast<const char*>(file);
        match->faceIndex = index;
        match->family = matchedFamily;
        match->syntheticBold = bold && weight < FC_WEIGHT_DEMIBOLD;
        match->syntheticItalic = italic && slant == FC_SLANT_ROMAN;
        match->source = FontSource::Fontconfig;
    }
    FcPatternDestroy(found);
    return match;
}

FontMatch FontRegistry::Resolve(std::string_view face, bool bold, bool italic)
{
    std::string utf8 = Cp1250ToUtf8(face);
    if (auto match = FindRegistered(utf8, bold, italic))
        return *match;
    if (m_substitutes) {
        if (auto substitute = m_substitutes(face)) {
            // A value may carry a character set after a comma ("Tahoma,238").
            std::string name = Cp1250ToUtf8(substitute->substr(0, substitute->find(',')));
            if (!name.empty()) {
                auto match = FindRegistered(name, bold, italic);
                if (!match)
                    match = FindFontconfig(name, bold, italic, true);
                if (match) {
                    match->source = FontSource::Substitute;
                    return *match;
                }
            }
        }
    }
    if (!utf8.empty())
        if (auto match = FindFontconfig(utf8, bold, italic, true))
            return *match;
    if (auto match = FindFontconfig("sans-serif", bold, italic, false)) {
        match->source = FontSource::Fallback;
        return *match;
    }
    return FontMatch {};
}

std::shared_ptr<SizedFont> FontRegistry::Open(std::string_view face, int height, bool bold, bool italic, uint8_t charset)
{
    if (m_cacheGeneration != m_generation) {
        m_cache.clear();
        m_cacheGeneration = m_generation;
    }
    CacheKey key { LowerAscii(face), height, bold, italic, charset };
    if (auto it = m_cache.find(key); it != m_cache.end())
        return it->second;
    std::shared_ptr<SizedFont> font;
    FontMatch match = Resolve(face, bold, italic);
    if (match.bytes || !match.path.empty())
        font = SizedFont::Create(match, height, bold, italic, charset);
    if (!font && match.source != FontSource::Fallback) {
        if (auto fallback = FindFontconfig("sans-serif", bold, italic, false))
            font = SizedFont::Create(*fallback, height, bold, italic, charset);
    }
    if (!font)
        font = SizedFont::Empty(height);
    m_cache.emplace(std::move(key), font);
    return font;
}

namespace {

FontPathResolver& PathResolver()
{
    static FontPathResolver resolver;
    return resolver;
}

std::optional<std::string> HostFontPath(std::string_view path)
{
    if (PathResolver())
        return PathResolver()(path);
    return Cp1250ToUtf8(path);
}

}

void SetFontPathResolver(FontPathResolver resolver)
{
    PathResolver() = std::move(resolver);
}

int AddFontResourceA(std::string_view path)
{
    auto host = HostFontPath(path);
    return host ? FontRegistry::Default().AddFontFile(*host) : 0;
}

bool RemoveFontResourceA(std::string_view path)
{
    auto host = HostFontPath(path);
    return host && FontRegistry::Default().RemoveFontFile(*host);
}

}
