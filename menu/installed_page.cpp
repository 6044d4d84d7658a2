// The installed page: everything the state file records from this and earlier discs, with the
// records of games that have gone removed.

#include "menu/main_f.h"

#include "dib/image/cDIBImage.h"
#include "platform/components/StdCtrls.h"
#include "platform/registry/Registry.h"
#include "platform/text/Text.h"
#include "shell/PathText.h"

#include <algorithm>

namespace {

constexpr int32_t InstalledPageText = 33;
constexpr int32_t MostInstalledEntries = 48;

const char* const kUninstallKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

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

std::string RegisteredUninstallString(const std::string& regUninstall)
{
    platform::Registry registry;
    registry.SetRootKey(platform::HKEY_LOCAL_MACHINE);
    if (!registry.OpenKeyReadOnly(kUninstallKey + regUninstall))
        return {};
    return registry.ReadString("UninstallString");
}

}

std::string TForm1::DiscCaption(const std::string& discId)
{
    auto month = platform::ParseNumber(discId.substr(0, 2));
    if (discId.size() >= 4 && month && *month >= 1 && *month <= 12)
        return "Torva " + discId.substr(0, 2) + "-" + discId.substr(2, 2);
    return StateIni->ReadString("Main", discId, "");
}

std::vector<std::pair<std::string, std::string>> TForm1::InstalledElements()
{
    std::vector<Element> elements;
    for (const std::string& section : StateIni->ReadSections()) {
        if (!IsDiscSection(section))
            continue;
        for (const std::string& key : StateIni->ReadSection(section)) {
            if (!key.empty() && key.back() != '_')
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
bool TForm1::FillInstalledEntry(TDemos& entry, const std::string& name, const std::string& section)
{
    entry.CanRun = 1;
    entry.Name = name;
    const std::string discId = section.substr(2, 4);
    entry.GameDir = StateIni->ReadString(section, name, "");
    entry.TechInfo = DiscCaption(discId);

    std::string recordText = StateIni->ReadString(section, name + "_", "");
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
            if (discId != DiscId)
                entry.CanRun = 0;
        }
        if (d != 0)
            entry.TechInfo += "-" + std::to_string(d);
    }

    entry.UnInstallName = StateIni->ReadString(section, name + "__", "");
    // That disc recorded no uninstall command for items that have their own uninstaller.
    if (discId == "0198" && entry.UnInstallName.empty())
        entry.UnInstallName = RegisteredUninstallString(entry.RegUninstall);
    entry.InstallType = entry.UnInstallName.empty() ? InstallMethod::MenuUnpacked : InstallMethod::OwnSetupPolled;

    // A list of versions counts as present when any of its files is there.
    std::string gameEntry;
    if (TestGame(entry, gameEntry)) {
        entry.Installed = 1;
        entry.NeedsInstall = 0;
        return true;
    }
    StateIni->DeleteKey(section, name);
    StateIni->DeleteKey(section, name + "_");
    StateIni->DeleteKey(section, name + "__");
    return false;
}

void TForm1::SetInstalledPage()
{
    Category = CatInstalled;
    TopIndex = 1;
    ItemIndex = 1;
    if (HasWindowLayout())
        FillList();

    for (int32_t n = 1; n <= InstalledCount; ++n)
        InstalledList[n].Name.clear();
    InstalledCount = 0;
    for (const auto& [name, section] : InstalledElements()) {
        if (InstalledCount == MostInstalledEntries)
            break;
        if (FillInstalledEntry(InstalledList[InstalledCount + 1], name, section))
            ++InstalledCount;
    }
    InstalledList[InstalledCount + 1].Name.clear();

    if (TextLabel)
        TextLabel->SetCaption(LoadSpecial(InstalledPageText, "2-98"));
    if (DIBImage4)
        DIBImage4->SetVisible(false);
    if (InstalledCount == 0) {
        if (HasWindowLayout())
            ClearList();
    } else {
        RefreshItemViews();
    }
}
