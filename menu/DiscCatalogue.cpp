// Reading the disc's catalogue into the arrays.

#include "menu/DiscCatalogue.h"

#include "menu/CatalogueText.h"

#include "platform/files/Files.h"
#include "platform/text/Text.h"
#include "shell/PathText.h"

#include <algorithm>

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

std::string Section(const char* prefix, int32_t n)
{
    return prefix + std::to_string(n);
}

template <typename Array>
TDemos* Entry(Array& items, int32_t count, int32_t n)
{
    return n >= 1 && n <= count && n <= Array::capacity ? &items[n] : nullptr;
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

// Demo, second demo list and full-game sections; `isFull` picks the full games' differences.
void DiscCatalogue::ReadDemoSection(TDemos& item, const std::string& section, bool isFull)
{
    item.Name = AmpUpper(Text(section, "Name"));
    item.Title = item.Name;
    item.FullName = AmpUpper(Text(section, "FullName"));
    item.Firm = AmpUpper(Text(section, "Firm"));
    item.Describe = DoubleAmpersands(Text(section, ("Describe" + std::to_string(Version)).c_str()));
    item.Describe0 = DoubleAmpersands(Text(section, "Describe0"));
    item.TechInfo = DoubleAmpersands(Text(section, "Techinfo"));
    item.InstallDir = m_context.DiscDrive + (isFull ? "\\" : "\\DEMOS\\") + Text(section, "InstallDir");
    item.InstallName = Text(section, "InstallName");
    item.SetupName = Text(section, "SetupName");
    item.GameName = Text(section, "Gamename");
    item.ReadmeName = Text(section, "Readmename");
    item.Web = Text(section, "Web");
    if (!isFull)
        item.Date = Text(section, "Date");
    item.Picture = Text(section, "Picture");
    item.InstallType = static_cast<InstallMethod>(Number(section, "InstallType", 0));
    item.DirDetect = static_cast<FolderDetection>(Number(section, "DirDetect", 0));
    item.Flags = Number(section, "Flags", 0);
    item.CD = static_cast<uint8_t>(Number(section, "CD", 1));
    if (!isFull) {
        item.RegKey = Text(section, "RegKey");
        item.RegName = Text(section, "RegName");
    }
    item.RegUninstall = Text(section, "RegUninstall");
    item.UnInstallName = Text(section, "UnInstallName");
    item.Uninstall = Text(section, "Uninstall");

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
    item.Name = AmpUpper(Text(section, "Name"));
    item.Firm = AmpUpper(Text(section, "Firm"));
    // Readers' contributions always carry the first edition's text.
    item.Describe = DoubleAmpersands(Text(section, "Describe1"));
    item.InstallDir = m_context.DiscDrive + "\\Readers\\" + Text(section, "InstallDir");
    item.InstallName = Text(section, "InstallName");
    item.SetupName = Text(section, "SetupName");
    item.GameName = Text(section, "Gamename");
    item.ReadmeName = Text(section, "Readmename");
    item.InstallType = static_cast<InstallMethod>(Number(section, "InstallType", 0));
    item.DirDetect = static_cast<FolderDetection>(Number(section, "DirDetect", 0));
    item.RegUninstall = Text(section, "RegUninstall");
    item.Uninstall = Text(section, "Uninstall");
    if (item.InstallType == InstallMethod::MenuForcedFolder)
        item.Param = Text(section, "ForcedDir");
    ReadDirDetectParam(item, section);
    MendTitle(item);
}

void DiscCatalogue::ReadShareSection(TDemos& item, const std::string& section)
{
    item.Name = AmpUpper(Text(section, "Name"));
    item.FullName = AmpUpper(Text(section, "FullName"));
    item.Describe = DoubleAmpersands(Text(section, ("Describe" + std::to_string(Version)).c_str()));
    item.Describe0 = DoubleAmpersands(Text(section, "Describe0"));
    // Shareware folders stay relative to the disc's Shareware folder.
    item.InstallDir = Text(section, "InstallDir");
    item.InstallName = Text(section, "InstallName");
    item.GameName = Text(section, "GameName");
    item.ReadmeName = Text(section, "ReadmeName");
}

void DiscCatalogue::ReadDriverSection(TDemos& item, const std::string& section)
{
    item.Name = UpperCaseCp1250(Text(section, "Name"));
    item.Describe = DoubleAmpersands(Text(section, ("Describe" + std::to_string(Version)).c_str()));
    item.Describe0 = DoubleAmpersands(Text(section, "Describe0"));
    item.TechInfo = Text(section, "TechInfo");
    item.InstallDir = m_context.DiscDrive + "\\Drivers\\" + Text(section, "InstallDir");
    item.InstallName = Text(section, "InstallName");
    item.ReadmeName = Text(section, "ReadmeName");
    item.InstallType = static_cast<InstallMethod>(Number(section, "InstallType", 0));
    item.CD = static_cast<uint8_t>(Number(section, "CD", 1));
    item.NeedsInstall = 1;
}

void DiscCatalogue::ReadExtraSection(TDemos& item, const std::string& section)
{
    item.Name = AmpUpper(Text(section, "Name"));
    item.FullName = AmpUpper(Text(section, "FullName"));
    item.Firm = AmpUpper(Text(section, "Firm"));
    item.Describe = DoubleAmpersands(Text(section, ("Describe" + std::to_string(Version)).c_str()));
    item.Describe0 = DoubleAmpersands(Text(section, "Describe0"));
    item.TechInfo = DoubleAmpersands(Text(section, "TechInfo"));
    item.InstallDir = m_context.DiscDrive + "\\" + Text(section, "InstallDir");
    item.InstallName = Text(section, "InstallName");
    item.GameName = UpperCase(Text(section, "GameName"));
    item.ReadmeName = Text(section, "ReadmeName");
    item.Web = Text(section, "Web");
    item.Picture = Text(section, "Picture");
    item.InstallType = static_cast<InstallMethod>(Number(section, "InstallType", 5));
    item.Flags = Number(section, "Flags", 1);
    item.CD = static_cast<uint8_t>(Number(section, "CD", 1));
    item.NeedsInstall = 1;
}

void DiscCatalogue::ReadShotSection(TShot& item, const std::string& section)
{
    item.Name = AmpUpper(Text(section, "Name"));
    item.FullName = AmpUpper(Text(section, "FullName"));
    item.Firm = UpperCaseCp1250(Text(section, "Firm"));
    item.Describe = DoubleAmpersands(Text(section, ("Describe" + std::to_string(Version)).c_str()));
    item.Describe0 = DoubleAmpersands(Text(section, "Describe0"));
    item.Date = Text(section, "Date");
    item.Picture = Text(section, "Picture");
}

void DiscCatalogue::ReadMovieSection(TMovies& item, const std::string& section)
{
    item.Name = AmpUpper(Text(section, "Name"));
    item.FullName = AmpUpper(Text(section, "FullName"));
    item.Firm = UpperCaseCp1250(Text(section, "Firm"));
    item.Describe = DoubleAmpersands(Text(section, ("Describe" + std::to_string(Version)).c_str()));
    item.Describe0 = DoubleAmpersands(Text(section, "Describe0"));
    item.TechInfo = Text(section, "TechInfo");
    // Films join the drive and the value directly, so their folders begin with a backslash.
    item.InstallDir = m_context.DiscDrive + Text(section, "InstallDir");
    item.InstallName = Text(section, "InstallName");
    item.GameName = Text(section, "GameName");
    item.Date = Text(section, "Date");
    item.Picture = Text(section, "Picture");
    item.InstallType = static_cast<uint8_t>(Number(section, "InstallType", 0));
}

// An update is one list of up to five fields: name, subtitle, setup, readme, no-run flag.
void DiscCatalogue::ReadUpdate(TUpdate& item, int32_t n)
{
    std::string key = "Update" + std::to_string(n);
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

std::optional<std::string> DiscCatalogue::Load(const ItemCheck& check)
{
    std::string catalogueFile = m_context.DataDir + "torvaxp.ini";
    if (!platform::FileExists(catalogueFile))
        return "Where is my TORVAXP.INI?????";
    // A file that is no catalogue at all would load as an empty disc; the user is told instead.
    if (auto bytes = platform::ReadWholeFile(catalogueFile)) {
        if (auto problem = NotACatalogue(*bytes))
            return "The catalogue " + catalogueFile + " " + *problem + ".";
    }
    Ini = std::make_unique<TIniFile>(catalogueFile);
    LoadWarnings.clear();
    // The disc does not change under the loader: one look at each file serves every value.
    TIniFile::ReadBatch catalogueBatch(*Ini);
    TIniFile::ReadBatch stateBatch(*m_context.StateIni);

    DemoCount = ReadCount("Demos", Demos.capacity);
    ShareCount = ReadCount("Shareware", Shareware.capacity);
    UpdateCount = ReadCount("Updates", Updates.capacity);
    ShotCount = ReadCount("Shots", Shots.capacity);
    MovieCount = ReadCount("Movies", Movies.capacity);
    ReaderCount = ReadCount("Readers", Readers.capacity);
    FullCount = ReadCount("Fulls", Fulls.capacity);
    DriverCount = ReadCount("Drivers", Drivers.capacity);
    ExtraCount = ReadCount("Extra", Extra.capacity);
    Extra2Count = ReadCount("Extra2", Extra2.capacity);

    m_context.DiscId = Text("Main", "CD");
    DiscLabel = Text("Main", "CDLabel");
    // A stray line break inside the label cannot be stored on one line of the state file; the
    // label ends there rather than the whole load failing on the refused write.
    DiscLabel = DiscLabel.substr(0, DiscLabel.find_first_of("\r\n"));
    if (!DiscLabel.empty())
        m_context.StateIni->WriteString("Main", m_context.DiscId, DiscLabel);

    DebugMode = Number("Main", "Debug", 0) != 0;
    Version = Number("Main", "Version", 1);
    if (Version < 0 || Version > 6)
        Version = 1;

    ReadItems(check);
    return std::nullopt;
}

void DiscCatalogue::ReadItems(const ItemCheck& check)
{
    for (int32_t n = 1; n <= UpdateCount; ++n)
        ReadUpdate(Updates[n], n);
    for (int32_t n = 1; n <= ShareCount; ++n)
        ReadShareSection(Shareware[n], Section("Share", n));

    // Czech drivers are dropped from every edition but the first; the rest close up.
    int32_t kept = 0;
    for (int32_t n = 1; n <= DriverCount; ++n) {
        TDemos driver = Drivers[kept + 1];
        ReadDriverSection(driver, Section("Driver", n));
        if (UpperCase(driver.Name).find("CZ") != std::string::npos && Version != 1)
            continue;
        Drivers[++kept] = std::move(driver);
    }
    DriverCount = kept;

    for (int32_t n = 1; n <= ShotCount; ++n)
        ReadShotSection(Shots[n], Section("Shot", n));
    for (int32_t n = 1; n <= ExtraCount; ++n)
        ReadExtraSection(Extra[n], Section("Extra", n));
    for (int32_t n = 1; n <= MovieCount; ++n)
        ReadMovieSection(Movies[n], Section("Movie", n));
    for (int32_t n = 1; n <= ReaderCount; ++n) {
        ReadReaderSection(Readers[n], Section("Reader", n));
        if (check)
            check(Readers[n]);
    }
    for (int32_t n = 1; n <= DemoCount; ++n) {
        Demos[n].Installed = 0;
        ReadDemoSection(Demos[n], Section("Demo", n), false);
    }
    for (int32_t n = 1; n <= Extra2Count; ++n) {
        Extra2[n].Installed = 0;
        ReadDemoSection(Extra2[n], Section("Extra2", n), false);
    }
    for (int32_t n = 1; n <= FullCount; ++n) {
        Fulls[n].Installed = 0;
        ReadDemoSection(Fulls[n], Section("Full", n), true);
        if (check)
            check(Fulls[n]);
    }

    auto copyDescribe = [](auto& array, int32_t count) {
        for (int32_t n = 1; n <= count; ++n)
            array[n].Describe4 = array[n].Describe;
    };
    copyDescribe(Demos, DemoCount);
    copyDescribe(Extra2, Extra2Count);
    copyDescribe(Fulls, FullCount);
    copyDescribe(Shareware, ShareCount);
    copyDescribe(Drivers, DriverCount);
    copyDescribe(Extra, ExtraCount);
    copyDescribe(Readers, ReaderCount);
    copyDescribe(Shots, ShotCount);
}

TDemos* DiscCatalogue::ItemOf(CategoryCode category, int32_t n)
{
    switch (category) {
    case CategoryCode::Demos: return Entry(Demos, DemoCount, n);
    case CategoryCode::Extra: return Entry(Extra, ExtraCount, n);
    case CategoryCode::Shareware: return Entry(Shareware, ShareCount, n);
    case CategoryCode::Drivers: return Entry(Drivers, DriverCount, n);
    case CategoryCode::Readers: return Entry(Readers, ReaderCount, n);
    case CategoryCode::Fulls: return Entry(Fulls, FullCount, n);
    case CategoryCode::Extra2: return Entry(Extra2, Extra2Count, n);
    case CategoryCode::Installed: return Entry(InstalledList, InstalledCount, n);
    default: return nullptr;
    }
}
