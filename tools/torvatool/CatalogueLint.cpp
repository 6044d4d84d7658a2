#include "tools/torvatool/CatalogueLint.h"

#include "menu/CatalogueText.h"

#include "platform/files/Files.h"
#include "platform/ini/IniDocument.h"
#include "platform/text/Codepage.h"
#include "platform/text/Text.h"
#include "shell/PathText.h"

#include <set>

namespace torvatool {

namespace {

struct Category {
    const char* countKey;
    const char* sectionPrefix;
    int capacity;
    const char* folder; // on the disc, joined with InstallDir; nullptr: no folder checks
    bool hasPicture;
};

// Section prefixes, the capacities of the menu's arrays, and how InstallDir is joined.
const Category kCategories[] = {
    { "Demos", "Demo", 30, "\\DEMOS\\", true },
    { "Shareware", "Share", 25, "\\Shareware\\", false },
    { "Shots", "Shot", 35, nullptr, true },
    { "Movies", "Movie", 30, "", true },
    { "Readers", "Reader", 40, "\\Readers\\", false },
    { "Fulls", "Full", 15, "\\", true },
    { "Drivers", "Driver", 15, "\\Drivers\\", false },
    { "Extra", "Extra", 15, "\\", true },
    { "Extra2", "Extra2", 15, "\\DEMOS\\", true },
};

const std::set<int> kInstallTypes = { 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 20 };

class Linter {
public:
    Linter(std::string drive, platform::IniDocument document)
        : m_drive(std::move(drive))
        , m_dataDir(m_drive + "\\TORVA\\")
        , m_ini(std::move(document))
    {
    }

    std::vector<LintFinding> Run()
    {
        CheckAllValues();
        for (auto& category : kCategories)
            CheckCategory(category);
        CheckUpdates();
        return std::move(m_findings);
    }

private:
    void Error(const std::string& where, const std::string& message) { m_findings.push_back({ true, where, message }); }
    void Warning(const std::string& where, const std::string& message) { m_findings.push_back({ false, where, message }); }

    std::string Value(const std::string& section, const std::string& key) const
    {
        return m_ini.Value(section, key).value_or("");
    }

    // Lengths and code page, for every key of every section.
    void CheckAllValues()
    {
        for (auto& section : m_ini.SectionNames()) {
            for (auto& [key, value] : m_ini.Entries(section)) {
                std::string where = "[" + section + "] " + key;
                if (value.size() > platform::kMaxProfileValueLength)
                    Error(where, "value is " + std::to_string(value.size()) + " characters long; the menu reads only the first 2047");
                if (!platform::IsValidCp1250(value))
                    Error(where, "value is not valid code page 1250 text");
            }
        }
    }

    int Count(const char* key)
    {
        auto value = m_ini.Value("Main", key);
        if (!value)
            return 0;
        auto number = platform::ParseNumber(*value);
        if (!number) {
            Error(std::string("[Main] ") + key, "\"" + *value + "\" is no number; read as 0");
            return 0;
        }
        return *number;
    }

    void CheckCategory(const Category& category)
    {
        int count = Count(category.countKey);
        std::string where = std::string("[Main] ") + category.countKey;
        if (count < 0)
            Error(where, "negative count " + std::to_string(count));
        if (count > category.capacity)
            Error(where, std::to_string(count) + " items, but the menu holds at most " + std::to_string(category.capacity));
        for (int n = 1; n <= std::min(count, category.capacity); ++n) {
            std::string section = category.sectionPrefix + std::to_string(n);
            if (!m_ini.HasSection(section)) {
                Error("[" + section + "]", "section missing; the item shows empty");
                continue;
            }
            CheckItem(category, section);
        }
        // Sections beyond the count are never shown.
        for (int n = std::max(count, 0) + 1; n <= count + 50; ++n) {
            std::string section = category.sectionPrefix + std::to_string(n);
            if (m_ini.HasSection(section) && !IsItemOfLongerPrefix(section, category))
                Warning("[" + section + "]", std::string("section present but [Main] ") + category.countKey + " is " + std::to_string(count) + "; it is not shown");
        }
    }

    // "Extra21" reads as item 21 of Extra but is item 1 of Extra2: a section that is an item of
    // a category whose prefix extends this one's belongs to that category.
    static bool IsItemOfLongerPrefix(const std::string& section, const Category& category)
    {
        const std::string prefix = category.sectionPrefix;
        for (auto& other : kCategories) {
            const std::string longer = other.sectionPrefix;
            if (longer.size() <= prefix.size() || longer.compare(0, prefix.size(), prefix) != 0)
                continue;
            if (section.size() <= longer.size() || section.compare(0, longer.size(), longer) != 0)
                continue;
            auto number = platform::ParseNumber(section.substr(longer.size()));
            if (number && *number >= 1 && section[longer.size()] != '0')
                return true;
        }
        return false;
    }

    bool DiscFileExists(const std::string& path) const { return platform::FileExists(path); }

    void CheckItem(const Category& category, const std::string& section)
    {
        std::string where = "[" + section + "] ";
        if (Value(section, "Name").empty())
            Warning(where + "Name", "empty name; the list row shows nothing");

        auto installType = platform::ParseNumber(Value(section, "InstallType"));
        if (m_ini.Value(section, "InstallType") && (!installType || !kInstallTypes.count(*installType)))
            Error(where + "InstallType", "unknown install type \"" + Value(section, "InstallType") + "\"");
        auto dirDetect = platform::ParseNumber(Value(section, "DirDetect"));
        if (m_ini.Value(section, "DirDetect") && (!dirDetect || *dirDetect < 0 || *dirDetect > 10))
            Error(where + "DirDetect", "unknown detection method \"" + Value(section, "DirDetect") + "\"");

        if (category.folder) {
            std::string installDir = Value(section, "InstallDir");
            std::string folder = m_drive + category.folder + installDir;
            if (!installDir.empty() && !platform::DirectoryExists(folder)) {
                Error(where + "InstallDir", "folder " + folder + " is not on the disc");
            } else if (!installDir.empty()) {
                CheckFileIn(folder, section, "InstallName");
                CheckFileIn(folder, section, "SetupName");
                CheckFileIn(folder, section, "ReadmeName");
                int type = installType.value_or(std::string(category.sectionPrefix) == "Extra" ? 5 : 0);
                if (type == 0 || type == 20)
                    CheckGameFiles(folder, section);
            }
        }
        if (category.hasPicture)
            CheckPicture(section);
        if (dirDetect && *dirDetect == 8)
            CheckSearchFile(section);
    }

    void CheckFileIn(const std::string& folder, const std::string& section, const char* key)
    {
        std::string name = Value(section, key);
        if (name.empty())
            return;
        std::string file = shell::CutAfterExtension(shell::StripQuotes(name));
        if (!DiscFileExists(folder + "\\" + file))
            Error("[" + section + "] " + key, "file " + folder + "\\" + file + " is not on the disc");
    }

    // Items that run from the disc need their program there; a list names several.
    void CheckGameFiles(const std::string& folder, const std::string& section)
    {
        std::string gameName = Value(section, "GameName");
        if (gameName.empty())
            return;
        auto entries = gameName.find(':') != std::string::npos ? shell::SplitList(gameName) : std::vector<std::string> { gameName };
        for (auto& entry : entries) {
            std::string file = shell::CutAfterExtension(shell::CutBeforeColon(entry));
            if (!DiscFileExists(folder + "\\" + file))
                Error("[" + section + "] GameName", "program " + folder + "\\" + file + " is not on the disc");
        }
    }

    void CheckPicture(const std::string& section)
    {
        std::string picture = Value(section, "Picture");
        if (picture.empty() || platform::EqualsNoCase(picture, "NUL"))
            return;
        bool gallery = DiscFileExists(m_dataDir + picture + "01.jpg");
        std::string small = m_dataDir + "Small\\" + picture + (gallery ? "01" : "") + ".bmp";
        if (!DiscFileExists(small))
            Error("[" + section + "] Picture", "small picture " + small + " is not on the disc");
    }

    void CheckSearchFile(const std::string& section)
    {
        auto entries = shell::SplitList(Value(section, "SearchFile"));
        if (entries.size() < 3)
            Error("[" + section + "] SearchFile", "expected three entries: file, number, folder to try first");
        else if (!platform::ParseNumber(entries[1]))
            Error("[" + section + "] SearchFile", "second entry \"" + entries[1] + "\" is no decimal number");
    }

    void CheckUpdates()
    {
        int count = std::min(Count("Updates"), 50);
        for (int n = 1; n <= count; ++n) {
            std::string key = "Update" + std::to_string(n);
            std::string where = "[Updates] " + key;
            auto value = m_ini.Value("Updates", key);
            if (!value || value->empty()) {
                Error(where, "missing or empty; the update shows no name");
                continue;
            }
            if (value->size() > 254)
                Error(where, "longer than 254 characters; the list is cut");
            auto fields = shell::SplitList(*value);
            if (fields.size() > 5)
                Error(where, std::to_string(fields.size()) + " fields; expected at most five (name, subtitle, setup, readme, no-run)");
            if (fields.size() < 3)
                Warning(where, "no setup field; the main button has nothing to start");
            if (fields.size() >= 3 && !fields[2].empty() && !DiscFileExists(m_drive + "\\Updates\\" + fields[2]))
                Error(where, "setup " + m_drive + "\\Updates\\" + fields[2] + " is not on the disc");
            if (fields.size() >= 5 && !platform::ParseNumber(fields[4]))
                Error(where, "fifth field \"" + fields[4] + "\" is no number");
        }
    }

    std::string m_drive;
    std::string m_dataDir;
    platform::IniDocument m_ini;
    std::vector<LintFinding> m_findings;
};

}

std::vector<LintFinding> LintCatalogue(const std::string& drive)
{
    std::string catalogue = drive + "\\TORVA\\torvaxp.ini";
    auto text = platform::ReadWholeFile(catalogue);
    if (!text)
        return { { true, catalogue, "catalogue not found" } };
    if (auto checked = CheckCatalogueText(*text, catalogue); !checked)
        return { { true, catalogue, "not a catalogue: the file " + checked.Error().reason } };
    std::vector<LintFinding> findings;
    if (!platform::FileExists(drive + "\\TORVA.EXE"))
        findings.push_back({ false, drive + "\\TORVA.EXE", "marker file missing; a menu started from C: will not find this disc" });
    auto lint = Linter(drive, platform::IniDocument::Parse(*text)).Run();
    findings.insert(findings.end(), lint.begin(), lint.end());
    return findings;
}

}
