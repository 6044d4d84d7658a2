// Reading the disc's catalogue into its lists: a table of fields for each kind of section.

#include "menu/DiscCatalogue.h"

#include "menu/CatalogueText.h"

#include "platform/files/Files.h"
#include "platform/ini/IniDocument.h"
#include "platform/text/Text.h"
#include "shell/PathText.h"

#include <algorithm>
#include <span>

using platform::EqualsNoCase;
using platform::UpperCase;
using platform::UpperCaseCp1250;
using shell::DoubleAmpersands;

namespace {

// Names as the list shows them: lone ampersands doubled, then every letter upper-cased, the
// accented ones too. Records written under names upper-cased in a to z only are still found:
// state file keys compare without regard to case.
std::string AmpUpper(const std::string& text)
{
    return UpperCaseCp1250(DoubleAmpersands(text));
}

// Mends the entries of titles whose catalogue does not name what their setup registers. It runs
// once as the entry is read, so that the status check, which may run any number of times, sees
// the mended entry.
void MendTitle(TDemos& item)
{
    // These setups register their uninstaller under the title with a trailing blank; the
    // catalogue names it without one.
    bool polled = item.InstallType == InstallMethod::OwnSetupPolled;
    bool programFolder = item.InstallType == InstallMethod::OwnSetupProgramFolder
        || ((polled || item.InstallType == InstallMethod::OwnSetupDetected) && item.DirDetect == FolderDetection::UninstallerProgramFolder);
    if ((polled && EqualsNoCase(item.Name, "Starships Unlim.")) || (programFolder && EqualsNoCase(item.Name, "SOF 2")))
        item.RegUninstall += ' ';
    // This title's shortcut starts in a subfolder of the game's folder, and the catalogue names
    // no other way to find it.
    if (item.Name == "BATTLEZONE")
        item.ShortcutInSubfolder = true;
}

// How a text is taken from the catalogue.
enum class Form : uint8_t {
    AsWritten,
    Ampersands, // lone ampersands doubled, so that a label shows them
    ShownName,  // as AmpUpper makes it
    UpperCase,  // every letter upper-cased, the accented ones too
    UpperAscii, // a to z upper-cased only
    OnDisc,     // a folder on the disc: the drive, the kind's folder, then the value
};

template <typename Item>
struct TextField {
    const char* key; // null for the edition's own description, "Describe" and its number
    std::string Item::*field;
    Form form = Form::AsWritten;
};

template <typename Item>
struct NumberField {
    const char* key;
    int32_t defaultValue;
    void (*store)(Item& item, int32_t value);
};

// The fields one kind of section holds, and the folder on the disc its InstallDir is under.
template <typename Item>
struct SectionFields {
    std::span<const TextField<Item>> texts;
    std::span<const NumberField<Item>> numbers;
    const char* folder = "";
};

using D = TDemos;
constexpr NumberField<TDemos> kInstallType { "InstallType", 0, [](TDemos& item, int32_t value) { item.InstallType = static_cast<InstallMethod>(value); } };
constexpr NumberField<TDemos> kDirDetect { "DirDetect", 0, [](TDemos& item, int32_t value) { item.DirDetect = static_cast<FolderDetection>(value); } };
constexpr NumberField<TDemos> kFlags { "Flags", 0, [](TDemos& item, int32_t value) { item.Flags = value; } };
constexpr NumberField<TDemos> kDiscNumber { "CD", 1, [](TDemos& item, int32_t value) { item.CD = static_cast<uint8_t>(value); } };

// Demos and the second demo list; full games lack the date and the registry value.
constexpr TextField<TDemos> kDemoTexts[] = {
    { "Name", &D::Name, Form::ShownName },
    { "FullName", &D::FullName, Form::ShownName },
    { "Firm", &D::Firm, Form::ShownName },
    { nullptr, &D::Describe, Form::Ampersands },
    { "Describe0", &D::Describe0, Form::Ampersands },
    { "Techinfo", &D::TechInfo, Form::Ampersands },
    { "InstallDir", &D::InstallDir, Form::OnDisc },
    { "InstallName", &D::InstallName },
    { "SetupName", &D::SetupName },
    { "Gamename", &D::GameName },
    { "Readmename", &D::ReadmeName },
    { "Web", &D::Web },
    { "Picture", &D::Picture },
    { "RegUninstall", &D::RegUninstall },
    { "UnInstallName", &D::UnInstallName },
    { "Uninstall", &D::Uninstall },
    { "Date", &D::Date },
    { "RegKey", &D::RegKey },
    { "RegName", &D::RegName },
};
constexpr NumberField<TDemos> kDemoNumbers[] = { kInstallType, kDirDetect, kFlags, kDiscNumber };
constexpr SectionFields<TDemos> kDemoFields { kDemoTexts, kDemoNumbers, "\\DEMOS\\" };
constexpr SectionFields<TDemos> kFullFields { std::span(kDemoTexts).first(16), kDemoNumbers, "\\" };

// Readers' contributions always carry the first edition's text.
constexpr TextField<TDemos> kReaderTexts[] = {
    { "Name", &D::Name, Form::ShownName },
    { "Firm", &D::Firm, Form::ShownName },
    { "Describe1", &D::Describe, Form::Ampersands },
    { "InstallDir", &D::InstallDir, Form::OnDisc },
    { "InstallName", &D::InstallName },
    { "SetupName", &D::SetupName },
    { "Gamename", &D::GameName },
    { "Readmename", &D::ReadmeName },
    { "RegUninstall", &D::RegUninstall },
    { "Uninstall", &D::Uninstall },
};
constexpr NumberField<TDemos> kReaderNumbers[] = { kInstallType, kDirDetect };
constexpr SectionFields<TDemos> kReaderFields { kReaderTexts, kReaderNumbers, "\\Readers\\" };

// Shareware folders stay relative to the disc's Shareware folder.
constexpr TextField<TDemos> kShareTexts[] = {
    { "Name", &D::Name, Form::ShownName },
    { "FullName", &D::FullName, Form::ShownName },
    { nullptr, &D::Describe, Form::Ampersands },
    { "Describe0", &D::Describe0, Form::Ampersands },
    { "InstallDir", &D::InstallDir },
    { "InstallName", &D::InstallName },
    { "GameName", &D::GameName },
    { "ReadmeName", &D::ReadmeName },
};
constexpr SectionFields<TDemos> kShareFields { kShareTexts, {} };

constexpr TextField<TDemos> kDriverTexts[] = {
    { "Name", &D::Name, Form::UpperCase },
    { nullptr, &D::Describe, Form::Ampersands },
    { "Describe0", &D::Describe0, Form::Ampersands },
    { "TechInfo", &D::TechInfo },
    { "InstallDir", &D::InstallDir, Form::OnDisc },
    { "InstallName", &D::InstallName },
    { "ReadmeName", &D::ReadmeName },
};
constexpr NumberField<TDemos> kDriverNumbers[] = { kInstallType, kDiscNumber };
constexpr SectionFields<TDemos> kDriverFields { kDriverTexts, kDriverNumbers, "\\Drivers\\" };

// Extras install with their own waited setup and need a 3D card unless they say otherwise.
constexpr TextField<TDemos> kExtraTexts[] = {
    { "Name", &D::Name, Form::ShownName },
    { "FullName", &D::FullName, Form::ShownName },
    { "Firm", &D::Firm, Form::ShownName },
    { nullptr, &D::Describe, Form::Ampersands },
    { "Describe0", &D::Describe0, Form::Ampersands },
    { "TechInfo", &D::TechInfo, Form::Ampersands },
    { "InstallDir", &D::InstallDir, Form::OnDisc },
    { "InstallName", &D::InstallName },
    { "GameName", &D::GameName, Form::UpperAscii },
    { "ReadmeName", &D::ReadmeName },
    { "Web", &D::Web },
    { "Picture", &D::Picture },
};
constexpr NumberField<TDemos> kExtraNumbers[] = {
    { "InstallType", 5, kInstallType.store },
    { "Flags", 1, kFlags.store },
    kDiscNumber,
};
constexpr SectionFields<TDemos> kExtraFields { kExtraTexts, kExtraNumbers, "\\" };

constexpr TextField<TShot> kShotTexts[] = {
    { "Name", &TShot::Name, Form::ShownName },
    { "FullName", &TShot::FullName, Form::ShownName },
    { "Firm", &TShot::Firm, Form::UpperCase },
    { nullptr, &TShot::Describe, Form::Ampersands },
    { "Describe0", &TShot::Describe0, Form::Ampersands },
    { "Date", &TShot::Date },
    { "Picture", &TShot::Picture },
};
constexpr SectionFields<TShot> kShotFields { kShotTexts, {} };

// Films join the drive and the value directly, so their folders begin with a backslash.
constexpr TextField<TMovies> kMovieTexts[] = {
    { "Name", &TMovies::Name, Form::ShownName },
    { "FullName", &TMovies::FullName, Form::ShownName },
    { "Firm", &TMovies::Firm, Form::UpperCase },
    { nullptr, &TMovies::Describe, Form::Ampersands },
    { "Describe0", &TMovies::Describe0, Form::Ampersands },
    { "TechInfo", &TMovies::TechInfo },
    { "InstallDir", &TMovies::InstallDir, Form::OnDisc },
    { "InstallName", &TMovies::InstallName },
    { "GameName", &TMovies::GameName },
    { "Date", &TMovies::Date },
    { "Picture", &TMovies::Picture },
};
constexpr NumberField<TMovies> kMovieNumbers[] = {
    { "InstallType", 0, [](TMovies& item, int32_t value) { item.InstallType = static_cast<uint8_t>(value); } },
};
constexpr SectionFields<TMovies> kMovieFields { kMovieTexts, kMovieNumbers, "" };

// Reads the fields of one section into an item.
template <typename Item>
void ReadFields(const TIniFile& ini, const std::string& discDrive, int32_t edition, Item& item, const std::string& section,
    const SectionFields<Item>& fields)
{
    const std::string describe = "Describe" + std::to_string(edition);
    for (const TextField<Item>& text : fields.texts) {
        std::string value = ini.ReadString(section, text.key ? text.key : describe.c_str(), "");
        switch (text.form) {
        case Form::AsWritten: break;
        case Form::Ampersands: value = DoubleAmpersands(value); break;
        case Form::ShownName: value = AmpUpper(value); break;
        case Form::UpperCase: value = UpperCaseCp1250(value); break;
        case Form::UpperAscii: value = UpperCase(value); break;
        case Form::OnDisc: value = discDrive + fields.folder + value; break;
        }
        item.*text.field = std::move(value);
    }
    for (const NumberField<Item>& number : fields.numbers)
        number.store(item, ini.ReadInteger(section, number.key, number.defaultValue));
}

// Update lists are at most this long: the list splitting counts positions in one byte.
constexpr size_t kMaxUpdateLength = 254;

}

std::string DiscCatalogue::Text(const std::string& section, const char* key, const std::string& defaultValue) const
{
    return Ini->ReadString(section, key, defaultValue);
}

int32_t DiscCatalogue::Number(const std::string& section, const char* key, int32_t defaultValue) const
{
    return Ini->ReadInteger(section, key, defaultValue);
}

int32_t DiscCatalogue::ReadCount(const char* key, int32_t capacity)
{
    int32_t count = Number("Main", key, 0);
    if (count < 0) {
        LoadWarnings.push_back(std::string("[Main] ") + key + "=" + std::to_string(count) + " is negative; read as 0");
        return 0;
    }
    if (count > capacity) {
        LoadWarnings.push_back(std::string("[Main] ") + key + "=" + std::to_string(count) + " exceeds the capacity of "
            + std::to_string(capacity) + "; items above it are not loaded");
        return capacity;
    }
    return count;
}

void DiscCatalogue::ReadDemoSection(TDemos& item, const std::string& section)
{
    ReadDemoOrFullSection(item, section, false);
}

void DiscCatalogue::ReadFullSection(TDemos& item, const std::string& section)
{
    ReadDemoOrFullSection(item, section, true);
}

// Demo, second demo list and full-game sections; `isFull` picks the full games' differences.
void DiscCatalogue::ReadDemoOrFullSection(TDemos& item, const std::string& section, bool isFull)
{
    item.Installed = 0;
    ReadFields(*Ini, m_context.DiscDrive, Version, item, section, isFull ? kFullFields : kDemoFields);
    item.Title = item.Name;
    switch (item.InstallType) {
    case InstallMethod::RunsFromDisc:
    case InstallMethod::OwnSetupPolled:
    case InstallMethod::DriverSetup:
        item.Param = Text(section, "TestName");
        break;
    case InstallMethod::MenuAfterInstall:
        if (!isFull)
            item.Param = Text(section, "AfterInstall");
        break;
    case InstallMethod::MenuUnpacked:
        item.Param = Text(section, isFull ? "FilesInArchive" : "UnpackedSize", "0");
        break;
    case InstallMethod::MenuForcedFolder:
        item.Param = Text(section, "ForcedDir");
        break;
    default:
        break;
    }
    ReadDirDetectParam(item, section);
    MendTitle(item);
    item.Describe4 = item.Describe;
}

// The key DirDetect names is read after the InstallType one and overwrites it.
void DiscCatalogue::ReadDirDetectParam(TDemos& item, const std::string& section)
{
    switch (item.DirDetect) {
    case FolderDetection::StartMenuShortcut: item.Param = Text(section, "ShortCut"); break;
    case FolderDetection::IniFileValue:
    case FolderDetection::IniFileNamed: item.Param = Text(section, "IniFile"); break;
    case FolderDetection::DesktopShortcut: item.Param = Text(section, "DesktopShortCut"); break;
    case FolderDetection::DiskSearch: item.Param = Text(section, "SearchFile"); break;
    default: break;
    }
}

void DiscCatalogue::ReadReaderSection(TDemos& item, const std::string& section)
{
    item.Installed = 0;
    item.NeedsInstall = 1;
    ReadFields(*Ini, m_context.DiscDrive, Version, item, section, kReaderFields);
    if (item.InstallType == InstallMethod::MenuForcedFolder)
        item.Param = Text(section, "ForcedDir");
    ReadDirDetectParam(item, section);
    MendTitle(item);
    item.Describe4 = item.Describe;
}

void DiscCatalogue::ReadShareSection(TDemos& item, const std::string& section)
{
    ReadFields(*Ini, m_context.DiscDrive, Version, item, section, kShareFields);
    item.Describe4 = item.Describe;
}

void DiscCatalogue::ReadDriverSection(TDemos& item, const std::string& section)
{
    ReadFields(*Ini, m_context.DiscDrive, Version, item, section, kDriverFields);
    item.NeedsInstall = 1;
    item.Describe4 = item.Describe;
}

void DiscCatalogue::ReadExtraSection(TDemos& item, const std::string& section)
{
    ReadFields(*Ini, m_context.DiscDrive, Version, item, section, kExtraFields);
    item.NeedsInstall = 1;
    item.Describe4 = item.Describe;
}

void DiscCatalogue::ReadShotSection(TShot& item, const std::string& section)
{
    ReadFields(*Ini, m_context.DiscDrive, Version, item, section, kShotFields);
    item.Describe4 = item.Describe;
}

void DiscCatalogue::ReadMovieSection(TMovies& item, const std::string& section)
{
    ReadFields(*Ini, m_context.DiscDrive, Version, item, section, kMovieFields);
}

// An update is one list of up to five fields: name, subtitle, setup, readme, no-run flag.
void DiscCatalogue::ReadUpdate(TUpdate& item, const std::string& key)
{
    std::string value = Text("Updates", key.c_str());
    if (value.empty())
        LoadWarnings.push_back("[Updates] " + key + " is missing or empty; the update has no name");
    if (value.size() > kMaxUpdateLength) {
        LoadWarnings.push_back("[Updates] " + key + " is longer than 254 characters; cut");
        value.resize(kMaxUpdateLength);
    }
    auto fields = shell::SplitList(value);
    auto field = [&](size_t i) { return i < fields.size() ? fields[i] : std::string(); };
    item.Name = AmpUpper(field(0));
    item.Subtitle = field(1);
    item.SetupName = field(2);
    item.ReadmeName = field(3);
    item.NoRun = 0;
    if (fields.size() > 4) {
        auto noRun = platform::ParseNumber(fields[4]);
        if (noRun)
            item.NoRun = static_cast<uint8_t>(*noRun);
        else
            LoadWarnings.push_back("[Updates] " + key + ": the fifth field \"" + fields[4] + "\" is no number; running stays enabled");
    }
}

DiscCatalogue::DiscCatalogue(MenuContext& context)
    : m_context(context)
{
}

// Sections are named by their kind's prefix and number; updates are keys of one [Updates]
// section named the same way.
template <typename Visit>
void DiscCatalogue::ForEachList(Visit&& visit)
{
    visit(Demos, SectionKind { "Demos", "Demo" }, &DiscCatalogue::ReadDemoSection);
    visit(Shareware, SectionKind { "Shareware", "Share" }, &DiscCatalogue::ReadShareSection);
    visit(Updates, SectionKind { "Updates", "Update" }, &DiscCatalogue::ReadUpdate);
    visit(Shots, SectionKind { "Shots", "Shot" }, &DiscCatalogue::ReadShotSection);
    visit(Movies, SectionKind { "Movies", "Movie" }, &DiscCatalogue::ReadMovieSection);
    visit(Readers, SectionKind { "Readers", "Reader" }, &DiscCatalogue::ReadReaderSection);
    visit(Fulls, SectionKind { "Fulls", "Full" }, &DiscCatalogue::ReadFullSection);
    visit(Drivers, SectionKind { "Drivers", "Driver" }, &DiscCatalogue::ReadDriverSection);
    visit(Extra, SectionKind { "Extra", "Extra" }, &DiscCatalogue::ReadExtraSection);
    visit(Extra2, SectionKind { "Extra2", "Extra2" }, &DiscCatalogue::ReadDemoSection);
}

platform::Result<void> DiscCatalogue::Load()
{
    std::string catalogueFile = m_context.DataDir + "torvaxp.ini";
    if (!platform::FileExists(catalogueFile))
        return platform::Problem { catalogueFile, CatalogueMissingReason };
    // A file that is no catalogue at all would load as an empty disc; the user is told instead.
    if (auto bytes = platform::ReadWholeFile(catalogueFile)) {
        if (auto checked = CheckCatalogueText(*bytes, catalogueFile); !checked)
            return checked;
    }
    Ini = std::make_unique<TIniFile>(catalogueFile);
    // The disc does not change under the loader: one look at the file serves every value.
    TIniFile::ReadBatch catalogueBatch(*Ini);
    ReadLists();
    return {};
}

platform::Result<void> DiscCatalogue::LoadText(std::string_view bytes, const std::string& name)
{
    if (auto checked = CheckCatalogueText(bytes, name); !checked)
        return checked;
    LoadDocument(std::make_shared<const platform::IniDocument>(platform::IniDocument::Parse(bytes)), name);
    return {};
}

void DiscCatalogue::LoadDocument(std::shared_ptr<const platform::IniDocument> document, const std::string& name)
{
    Ini = std::make_unique<TIniFile>(name, std::move(document));
    ReadLists();
}

void DiscCatalogue::ReadLists()
{
    LoadWarnings.clear();
    ForEachList([&](auto& list, const SectionKind& kind, auto) { list.SetCount(ReadCount(kind.countKey, list.capacity)); });

    m_context.DiscId = Text("Main", "CD");
    DiscLabel = Text("Main", "CDLabel");
    // A stray line break inside the label cannot be stored on one line of the state file; the
    // label ends there.
    DiscLabel = DiscLabel.substr(0, DiscLabel.find_first_of("\r\n"));
    DebugMode = Number("Main", "Debug", 0) != 0;
    Version = Number("Main", "Version", 1);
    if (Version < 0 || Version > 6)
        Version = 1;

    ForEachList([&](auto& list, const SectionKind& kind, auto read) {
        for (int32_t n = 1; n <= list.Count(); ++n)
            (this->*read)(list[n], kind.prefix + std::to_string(n));
    });
    DropCzechDrivers();
}

// Czech drivers are dropped from every edition but the first; the rest close up.
void DiscCatalogue::DropCzechDrivers()
{
    if (Version == 1)
        return;
    int32_t kept = 0;
    for (int32_t n = 1; n <= Drivers.Count(); ++n) {
        if (UpperCase(Drivers[n].Name).find("CZ") != std::string::npos)
            continue;
        if (++kept != n)
            Drivers[kept] = std::move(Drivers[n]);
    }
    Drivers.SetCount(kept);
}

TDemos* DiscCatalogue::ItemOf(CategoryCode category, int32_t n)
{
    switch (category) {
    case CategoryCode::Demos: return Demos.Find(n);
    case CategoryCode::Extra: return Extra.Find(n);
    case CategoryCode::Shareware: return Shareware.Find(n);
    case CategoryCode::Drivers: return Drivers.Find(n);
    case CategoryCode::Readers: return Readers.Find(n);
    case CategoryCode::Fulls: return Fulls.Find(n);
    case CategoryCode::Extra2: return Extra2.Find(n);
    case CategoryCode::Installed: return InstalledList.Find(n);
    default: return nullptr;
    }
}
