#include "tools/sampledisc/DiscBuilder.h"

#include "tools/artwork/Output.h"
#include "tools/sampledisc/GalleryArt.h"

#include "platform/ini/IniDocument.h"
#include "platform/picture/Picture.h"
#include "platform/text/Text.h"

#include <fstream>
#include <set>
#include <sstream>
#include <vector>

namespace sampledisc {

namespace fs = std::filesystem;

namespace {

constexpr int GalleryWidth = 638, GalleryHeight = 482; // the viewer's whole screen
constexpr int SmallWidth = 243, SmallHeight = 151;     // the detail view's picture box

// Item sections by category: catalogue count key, section prefix, the disc folder InstallDir
// is relative to, and whether the category shows pictures.
struct Category {
    const char* countKey;
    const char* prefix;
    const char* folder;
    bool pictures;
};
const Category Categories[] = {
    { "Demos", "Demo", "DEMOS", true },
    { "Extra2", "Extra2", "DEMOS", true },
    { "Fulls", "Full", "", true },
    { "Extra", "Extra", "", true },
    { "Shareware", "Share", "Shareware", false },
    { "Drivers", "Driver", "Drivers", false },
    { "Readers", "Reader", "Readers", false },
    { "Shots", "Shot", nullptr, true },
    { "Movies", "Movie", "", true },
};

std::string ReadText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw DiscError("cannot read " + path.string());
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteText(const fs::path& path, const std::string& cp1250)
{
    std::string crlf;
    for (char c : cp1250) {
        if (c == '\n')
            crlf += '\r';
        crlf += c;
    }
    artwork::WriteFile(path, std::vector<uint8_t>(crlf.begin(), crlf.end()));
}

// A Windows path relative to the disc's root, as a host path under it.
fs::path OnDisc(const fs::path& root, std::string windowsPath)
{
    for (char& c : windowsPath)
        if (c == '\\')
            c = '/';
    while (!windowsPath.empty() && windowsPath.front() == '/')
        windowsPath.erase(0, 1);
    return root / windowsPath;
}

std::string TwoDigits(int n) { return n < 10 ? "0" + std::to_string(n) : std::to_string(n); }

class Builder {
public:
    Builder(const DiscSources& sources, fs::path out)
        : m_sources(sources)
        , m_out(std::move(out))
    {
    }

    void Run()
    {
        PrepareOutput();
        fs::copy(m_sources.discTree, m_out, fs::copy_options::recursive);
        WriteText(m_out / "TORVA.EXE", "Torva CD v2: the menu's marker on the disc's root.\n");
        fs::copy_file(m_sources.regularFont, m_out / "Torva" / "bb.jpg");
        fs::copy_file(m_sources.boldFont, m_out / "Torva" / "bc.jpg");
        m_counts = ReadPictureCounts(ReadText(m_sources.pictureCounts));
        m_catalogue = platform::IniDocument::Parse(ReadText(m_out / "Torva" / "torvaxp.ini"));
        if (!m_sources.moreCatalogue.empty())
            LayOver(m_sources.moreCatalogue);
        for (const Category& category : Categories) {
            int count = platform::ParseNumber(Value("Main", category.countKey)).value_or(0);
            for (int n = 1; n <= count; ++n)
                Item(category, category.prefix + std::to_string(n));
        }
    }

private:
    void PrepareOutput()
    {
        if (fs::exists(m_out)) {
            bool empty = fs::is_directory(m_out) && fs::directory_iterator(m_out) == fs::directory_iterator();
            // Only a folder we made before is cleared: a mistyped path must not lose someone's files.
            if (!empty && !fs::exists(m_out / "TORVA.EXE"))
                throw DiscError(m_out.string() + " exists and is no sample disc; not replacing it");
            fs::remove_all(m_out);
        }
        fs::create_directories(m_out);
    }

    void LayOver(const fs::path& more)
    {
        auto added = platform::IniDocument::Parse(ReadText(more));
        for (const std::string& section : added.SectionNames()) {
            for (const auto& [key, value] : added.Entries(section)) {
                if (!m_catalogue.SetValue(section, key, value))
                    throw DiscError(more.string() + ": cannot add [" + section + "] " + key);
            }
        }
        std::string text = m_catalogue.Text();
        artwork::WriteFile(m_out / "Torva" / "torvaxp.ini", std::vector<uint8_t>(text.begin(), text.end()));
    }

    std::string Value(const std::string& section, const std::string& key) const
    {
        return m_catalogue.Value(section, key).value_or("");
    }

    void Item(const Category& category, const std::string& section)
    {
        if (!m_catalogue.HasSection(section))
            throw DiscError("catalogue has no section [" + section + "]");
        std::string installDir = Value(section, "InstallDir");
        fs::path folder;
        if (category.folder && !installDir.empty()) {
            folder = OnDisc(m_out, std::string(category.folder) + "\\" + installDir);
            fs::create_directories(folder);
            std::string readme = Value(section, "ReadmeName");
            if (!readme.empty() && !fs::exists(folder / readme))
                WriteText(folder / readme, Readme(section));
        }
        CardText text { Value(section, "FullName").empty() ? Value(section, "Name") : Value(section, "FullName"), Value(section, "Firm") };
        std::string picture = Value(section, "Picture");
        if (category.pictures && !picture.empty() && !platform::EqualsNoCase(picture, "NUL"))
            Pictures(picture, text);
        if (std::string(category.prefix) == "Movie" && !Value(section, "GameName").empty())
            artwork::WriteFile(folder / Value(section, "GameName"), FilmClip(picture, text));
        // An extra that runs from the disc carries its pictures as files to take away.
        if (std::string(category.prefix) == "Extra" && Value(section, "InstallType") == "0" && !folder.empty())
            for (int n = 1; n <= Count(picture); ++n)
                fs::copy_file(m_out / "Torva" / (picture + TwoDigits(n) + ".jpg"), folder / ("TAPETA" + TwoDigits(n) + ".JPG"),
                    fs::copy_options::overwrite_existing);
    }

    int Count(const std::string& picture) const
    {
        auto it = m_counts.find(picture);
        return it == m_counts.end() ? 0 : it->second;
    }

    void Pictures(const std::string& picture, const CardText& text)
    {
        if (!m_drawn.insert(picture).second)
            return;
        int count = Count(picture);
        fs::path dataDir = m_out / "Torva";
        for (int n = 1; n <= count; ++n) {
            artwork::Raster card = TitleCard(picture, n, GalleryWidth, GalleryHeight, text);
            artwork::WriteFile(dataDir / (picture + TwoDigits(n) + ".jpg"), artwork::JpegFile(card, 85));
        }
        artwork::Raster small = TitleCard(picture, 0, SmallWidth, SmallHeight, text);
        platform::Picture bitmap { small.Width(), small.Height(), small.Pixels(), false };
        std::string name = picture + (count > 0 ? "01" : "") + ".bmp";
        artwork::WriteFile(dataDir / "Small" / name, platform::EncodeBitmap(bitmap, 24));
    }

    std::string Readme(const std::string& section) const
    {
        std::string title = Value(section, "FullName").empty() ? Value(section, "Name") : Value(section, "FullName");
        std::string text = title + "\n" + std::string(title.size(), '=') + "\n\n";
        if (!Value(section, "Firm").empty())
            text += "Autor: " + Value(section, "Firm") + "\n\n";
        text += Value(section, "Describe1") + "\n";
        std::string tech = Value(section, "TechInfo");
        if (!tech.empty())
            text += "\nPo\x9e"
                    "adavky: "
                + tech + "\n";
        if (!Value(section, "Web").empty())
            text += "\nWeb: http://" + Value(section, "Web") + "\n";
        return text;
    }

    const DiscSources& m_sources;
    fs::path m_out;
    std::map<std::string, int> m_counts;
    platform::IniDocument m_catalogue;
    std::set<std::string> m_drawn;
};

}

std::map<std::string, int> ReadPictureCounts(const std::string& text)
{
    std::map<std::string, int> counts;
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        if (auto hash = line.find('#'); hash != std::string::npos)
            line.erase(hash);
        std::istringstream words(line);
        std::string base, rest;
        int count = -1;
        if (!(words >> base))
            continue;
        if (!(words >> count) || count < 0 || count > 99 || (words >> rest))
            throw DiscError("picture counts, line " + std::to_string(number) + ": expected a base name and a count 0..99");
        counts[base] = count;
    }
    return counts;
}

void BuildDisc(const DiscSources& sources, const fs::path& out)
{
    Builder(sources, out).Run();
}

}
