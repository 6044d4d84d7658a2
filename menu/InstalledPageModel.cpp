// The installed page's entries from the state file.

#include "menu/InstalledPageModel.h"

#include "menu/StateRecords.h"
#include "menu/StatusCheck.h"
#include "platform/files/NameFolding.h"
#include "platform/text/Text.h"
#include "shell/PathText.h"

#include <algorithm>
#include <set>

namespace {

constexpr int32_t MostInstalledEntries = 48;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Disc sections are "CD" and the identifier MMYY. Every disc of the series is listed, those
// from 2000 on as well as 1998 and 1999: the year digits only have to be a number.
bool IsDiscSection(const std::string& section)
{
    if (platform::EqualsNoCase(section, "MAIN") || section.size() < 6)
        return false;
    return IsDigit(section[4]) && IsDigit(section[5]);
}

struct Element {
    std::string name;
    std::string section;
};

// The four fields of a "Name_" record: game entry, RegUninstall, Uninstall and disc number.
// Uninstall instructions may themselves be separated by commas, so everything between the
// second field and the last one belongs to Uninstall.
struct InstalledRecord {
    std::string gameName;
    std::string regUninstall;
    std::string uninstall;
    std::string discNumber;
};

InstalledRecord ParseRecord(const std::string& value)
{
    std::vector<std::string> fields = shell::SplitList(value);
    InstalledRecord record;
    auto field = [&](size_t i) { return i < fields.size() ? fields[i] : std::string(); };
    record.gameName = field(0);
    record.regUninstall = field(1);
    if (fields.size() <= 3) {
        record.uninstall = field(2);
        return record;
    }
    for (size_t i = 2; i + 1 < fields.size(); ++i)
        record.uninstall += (i == 2 ? "" : ",") + fields[i];
    record.discNumber = fields.back();
    return record;
}

}

InstalledPageModel::InstalledPageModel(MenuContext& context)
    : m_context(context)
{
}

std::string InstalledPageModel::DiscCaption(const std::string& discId) const
{
    auto month = platform::ParseNumber(discId.substr(0, 2));
    if (discId.size() >= 4 && month && *month >= 1 && *month <= 12)
        return "Torva " + discId.substr(0, 2) + "-" + discId.substr(2, 2);
    return m_context.StateIni->ReadString("Main", discId, "");
}

std::vector<std::pair<std::string, std::string>> InstalledPageModel::InstalledElements() const
{
    std::vector<Element> elements;
    // The state file lists a repeated section or record as often as it appears; the entry is
    // one item all the same.
    std::set<std::string> seen;
    for (const std::string& section : m_context.StateIni->ReadSections()) {
        if (!IsDiscSection(section) || !seen.insert(platform::FoldName(section)).second)
            continue;
        for (const std::string& key : m_context.StateIni->ReadSection(section)) {
            if (!key.empty() && key.back() != '_' && seen.insert(platform::FoldName(section + "]" + key)).second)
                elements.push_back({ key, section });
        }
    }
    // Alphabetical by name as the list shows it; the same name from two discs stays adjacent.
    std::stable_sort(elements.begin(), elements.end(), [](const Element& a, const Element& b) {
        return platform::UpperCaseCp1250(a.name) < platform::UpperCaseCp1250(b.name);
    });
    std::vector<std::pair<std::string, std::string>> result;
    for (Element& element : elements)
        result.emplace_back(std::move(element.name), std::move(element.section));
    return result;
}

// Fills one entry from its records; false when the entry is to be left out (no record, or
// the game has gone, whose records are then removed).
bool InstalledPageModel::FillInstalledEntry(TDemos& entry, const std::string& name, const std::string& section)
{
    entry.CanRun = 1;
    entry.Name = name;
    const std::string discId = section.substr(2, 4);
    StateRecords records(*m_context.StateIni, section);
    entry.GameDir = records.Folder(name);
    entry.TechInfo = DiscCaption(discId);

    std::string recordText = records.Fields(name);
    if (recordText.empty())
        return false;
    InstalledRecord record = ParseRecord(recordText);
    entry.GameName = record.gameName;
    entry.RegUninstall = record.regUninstall;
    entry.Uninstall = record.uninstall;
    // A disc number that is no number counts as none.
    if (auto number = platform::ParseNumber(record.discNumber)) {
        int32_t d = ((*number % 256) + 256) % 256;
        if (d >= 10) {
            d -= 10;
            if (discId != m_context.DiscId)
                entry.CanRun = 0;
        }
        if (d != 0)
            entry.TechInfo += "-" + std::to_string(d);
    }

    entry.UnInstallName = records.Uninstaller(name);
    // That disc recorded no uninstall command for items that have their own uninstaller.
    if (discId == "0198" && entry.UnInstallName.empty())
        entry.UnInstallName = StatusCheck::UninstallStringOf(entry.RegUninstall);
    entry.InstallType = entry.UnInstallName.empty() ? InstallMethod::MenuUnpacked : InstallMethod::OwnSetupPolled;

    // A list of versions counts as present when any of its files is there.
    std::string gameEntry;
    if (StatusCheck::TestGame(entry, gameEntry)) {
        entry.Installed = 1;
        entry.NeedsInstall = 0;
        return true;
    }
    records.Delete(name);
    return false;
}

void InstalledPageModel::Fill(BoundedList<TDemos, 50>& list)
{
    for (int32_t n = 1; n <= list.Count(); ++n)
        list[n].Name.clear();
    int32_t count = 0;
    for (const auto& [name, section] : InstalledElements()) {
        if (count == MostInstalledEntries)
            break;
        if (FillInstalledEntry(list[count + 1], name, section))
            ++count;
    }
    list[count + 1].Name.clear();
    list.SetCount(count);
}
