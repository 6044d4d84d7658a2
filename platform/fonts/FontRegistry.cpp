#include "platform/fonts/FontRegistry.h"

#include "platform/fonts/FreeTypeLibrary.h"
#include "platform/fonts/MachineFontSubstitutes.h"
#include "platform/text/Codepage.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SFNT_NAMES_H
#include FT_TRUETYPE_IDS_H

#include <algorithm>
#include <climits>
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
// A collection with more faces than this is not something the menu asks for.
constexpr FT_Long MaxFacesPerFile = 64;

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

// The names and style of every face of a font file, through an opener of face n.
template <typename Open>
std::vector<FontRegistry::FaceInfo> ScanFaces(Open open)
{
    std::vector<FontRegistry::FaceInfo> faces;
    FT_Long faceCount = 1;
    for (FT_Long index = 0; index < faceCount && index < MaxFacesPerFile; ++index) {
        FT_Face face = nullptr;
        if (open(index, &face) != 0)
            break;
        faceCount = face->num_faces;
        FontRegistry::FaceInfo info;
        info.index = static_cast<int>(index);
        info.bold = (face->style_flags & FT_STYLE_FLAG_BOLD) != 0;
        info.italic = (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
        for (int i = 0; i < face->num_charmaps; ++i)
            info.unicode |= face->charmaps[i]->encoding == FT_ENCODING_UNICODE;
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
            faces.push_back(std::move(info));
    }
    return faces;
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
    std::string key;                                   // host path
    std::shared_ptr<const std::vector<uint8_t>> bytes; // null: opened from `key` when used
    std::vector<FaceInfo> faces;
};

FontRegistry::FontRegistry() = default;
FontRegistry::~FontRegistry() = default;

FontRegistry& FontRegistry::Default()
{
    static FontRegistry registry;
    static bool configured = false;
    if (!configured) {
        configured = true;
        registry.SetSubstituteLookup(MachineFontSubstitutes());
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
    FT_Library library = FreeTypeLibrary();
    if (!library || bytes.empty())
        return 0;
    auto entry = std::make_unique<Registered>();
    entry->key = key;
    entry->bytes = std::make_shared<const std::vector<uint8_t>>(std::move(bytes));
    const auto& data = *entry->bytes;
    entry->faces = ScanFaces([&](FT_Long index, FT_Face* face) {
        return FT_New_Memory_Face(library, data.data(), static_cast<FT_Long>(data.size()), index, face);
    });
    int added = static_cast<int>(entry->faces.size());
    if (added > 0) {
        m_registered.push_back(std::move(entry));
        ++m_generation;
    }
    return added;
}

std::vector<std::string> FontRegistry::RegisteredFamilies() const
{
    std::vector<std::string> families;
    for (const auto& file : m_registered)
        for (const auto& face : file->faces)
            families.push_back(face.family.empty() ? face.names.front() : face.family);
    return families;
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
    m_directoriesScanned = false;
    m_directoryFaces.clear();
    ++m_generation;
}

std::optional<FontMatch> FontRegistry::FindRegistered(std::string_view utf8Face, bool bold, bool italic) const
{
    return FindIn(m_registered, utf8Face, bold, italic, FontSource::Registered);
}

std::optional<FontMatch> FontRegistry::FindIn(const std::vector<std::unique_ptr<Registered>>& files, std::string_view utf8Face, bool bold, bool italic, FontSource source)
{
    std::string wanted = LowerAscii(utf8Face);
    const Registered* bestFile = nullptr;
    const FaceInfo* best = nullptr;
    int bestScore = -1;
    // The latest registration wins among equals, as a later AddFontResourceA shadows an earlier one.
    for (const auto& file : files) {
        for (const auto& face : file->faces) {
            if (std::find(face.names.begin(), face.names.end(), wanted) == face.names.end())
                continue;
            // Style first; then a Unicode face over a single-code-page bitmap one.
            int score = (face.bold == bold ? 4 : 0) + (face.italic == italic ? 2 : 0) + (face.unicode ? 1 : 0);
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
    match.source = source;
    return match;
}

// Font folders are read once, when a face is first looked for in them; fontconfig would skip
// their bitmap faces ("MS Sans Serif"), so they are scanned here.
std::optional<FontMatch> FontRegistry::FindInDirectories(std::string_view utf8Face, bool bold, bool italic)
{
    if (!m_directoriesScanned) {
        m_directoriesScanned = true;
        FT_Library library = FreeTypeLibrary();
        for (const auto& dir : m_directories) {
            std::error_code error;
            std::vector<std::string> files;
            for (const auto& entry : std::filesystem::directory_iterator(dir, error))
                if (entry.is_regular_file(error) && entry.file_size(error) <= MaxFontFileBytes)
                    files.push_back(entry.path().string());
            std::sort(files.begin(), files.end());
            for (const auto& file : files) {
                auto entry = std::make_unique<Registered>();
                entry->key = file;
                if (library)
                    entry->faces = ScanFaces([&](FT_Long index, FT_Face* face) { return FT_New_Face(library, file.c_str(), index, face); });
                if (!entry->faces.empty())
                    m_directoryFaces.push_back(std::move(entry));
            }
        }
    }
    return FindIn(m_directoryFaces, utf8Face, bold, italic, FontSource::Fontconfig);
}

// Fonts whose family is exactly the name (fontconfig's own matching would hand out a
// look-alike, which must not shadow the substitutes or the fallback), best style first.
std::optional<FontMatch> FontRegistry::FindFontconfig(std::string_view utf8Face, bool bold, bool italic)
{
    if (!FontconfigInit())
        return std::nullopt;
    std::string family(utf8Face);
    FcPattern* pattern = FcPatternCreate();
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_FILE, FC_INDEX, FC_WEIGHT, FC_SLANT, nullptr);
    FcFontSet* fonts = nullptr;
    if (pattern && objects) {
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
        fonts = FcFontList(nullptr, pattern, objects);
    }
    if (objects)
        FcObjectSetDestroy(objects);
    if (pattern)
        FcPatternDestroy(pattern);
    if (!fonts)
        return std::nullopt;

    std::optional<FontMatch> best;
    int bestScore = INT32_MAX;
    int wantedWeight = bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR;
    for (int i = 0; i < fonts->nfont; ++i) {
        FcPattern* font = fonts->fonts[i];
        FcChar8* file = nullptr;
        if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch)
            continue;
        int index = 0, weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
        FcPatternGetInteger(font, FC_INDEX, 0, &index);
        FcPatternGetInteger(font, FC_WEIGHT, 0, &weight);
        FcPatternGetInteger(font, FC_SLANT, 0, &slant);
        int score = std::abs(weight - wantedWeight) + ((slant != FC_SLANT_ROMAN) != italic ? 1000 : 0);
        if (score >= bestScore)
            continue;
        bestScore = score;
        FontMatch match;
        match.path = reinterpret_cast<const char*>(file);
        match.faceIndex = index;
        FcChar8* name = nullptr;
        match.family = FcPatternGetString(font, FC_FAMILY, 0, &name) == FcResultMatch ? reinterpret_cast<const char*>(name) : family;
        match.syntheticBold = bold && weight < FC_WEIGHT_DEMIBOLD;
        match.syntheticItalic = italic && slant == FC_SLANT_ROMAN;
        match.source = FontSource::Fontconfig;
        best = std::move(match);
    }
    FcFontSetDestroy(fonts);
    return best;
}

// Whatever fontconfig thinks closest to a generic family.
std::optional<FontMatch> FontRegistry::FindFallback(bool bold, bool italic)
{
    if (!FontconfigInit())
        return std::nullopt;
    FcPattern* pattern = FcPatternCreate();
    if (!pattern)
        return std::nullopt;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>("sans-serif"));
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
    if (FcPatternGetString(found, FC_FILE, 0, &file) == FcResultMatch) {
        int index = 0, weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
        FcPatternGetInteger(found, FC_INDEX, 0, &index);
        FcPatternGetInteger(found, FC_WEIGHT, 0, &weight);
        FcPatternGetInteger(found, FC_SLANT, 0, &slant);
        match.emplace();
        match->path = reinterpret_cast<const char*>(file);
        match->faceIndex = index;
        FcChar8* name = nullptr;
        if (FcPatternGetString(found, FC_FAMILY, 0, &name) == FcResultMatch)
            match->family = reinterpret_cast<const char*>(name);
        match->syntheticBold = bold && weight < FC_WEIGHT_DEMIBOLD;
        match->syntheticItalic = italic && slant == FC_SLANT_ROMAN;
        match->source = FontSource::Fallback;
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
                    match = FindFontconfig(name, bold, italic);
                if (!match)
                    match = FindInDirectories(name, bold, italic);
                if (match) {
                    match->source = FontSource::Substitute;
                    return *match;
                }
            }
        }
    }
    if (!utf8.empty()) {
        if (auto match = FindFontconfig(utf8, bold, italic))
            return *match;
        if (auto match = FindInDirectories(utf8, bold, italic))
            return *match;
    }
    if (auto match = FindFallback(bold, italic))
        return *match;
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
        if (auto fallback = FindFallback(bold, italic))
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
