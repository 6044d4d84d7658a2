// Deciding for one item whether it is installed, where, and whether it runs or installs.

#include "menu/StatusCheck.h"

#include "platform/files/Files.h"
#include "platform/ini/IniFile.h"
#include "platform/registry/Registry.h"
#include "platform/text/Text.h"
#include "shell/PathText.h"

#include <algorithm>
#include <iterator>

using platform::UpperCase;

namespace {

const char* const kUninstallKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// The text up to and including its last backslash.
std::string CutAfterLastBackslash(const std::string& path)
{
    size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string FileNameOf(const std::string& path)
{
    size_t cut = path.find_last_of("\\:");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string FolderOf(const std::string& path)
{
    size_t cut = path.find_last_of("\\:");
    if (cut == std::string::npos)
        return {};
    // "C:\x" keeps its root backslash; "C:\Games\x" loses it.
    if (path[cut] == ':' || (cut == 2 && path[1] == ':'))
        return path.substr(0, cut + 1);
    return path.substr(0, cut);
}

bool StartsWithStar(const std::string& text)
{
    return !text.empty() && text[0] == '*';
}

std::string ReadRegistryString(platform::RootKey root, const std::string& key, const std::string& value)
{
    platform::Registry registry;
    registry.SetRootKey(root);
    if (!registry.OpenKeyReadOnly(key))
        return {};
    return registry.ReadString(value);
}

}

ItemStatus ItemStatus::Of(const TDemos& item)
{
    return { item.GameDir, item.UnInstallName, item.CanRun, item.Installed, item.NeedsInstall };
}

void ItemStatus::ApplyTo(TDemos& item) const
{
    item.GameDir = GameDir;
    item.UnInstallName = UnInstallName;
    item.CanRun = CanRun;
    item.Installed = Installed;
    item.NeedsInstall = NeedsInstall;
}

// Methods not listed (8 to 19 and unknown numbers) find nothing and are only tested.
const StatusCheck::MethodRule StatusCheck::kMethods[] = {
    { InstallMethod::RunsFromDisc, &StatusCheck::RunsFromDisc, Detects::Never, true },
    { InstallMethod::MenuAfterInstall, &StatusCheck::RecordedFolder, Detects::Never, false },
    { InstallMethod::MenuUnpacked, &StatusCheck::RecordedFolder, Detects::Never, false },
    { InstallMethod::MenuForcedFolder, &StatusCheck::RecordedFolder, Detects::Never, false },
    { InstallMethod::OwnSetupPolled, &StatusCheck::OwnSetupPolled, Detects::ProgramFolderOnly, false },
    { InstallMethod::OwnSetupDetected, &StatusCheck::OwnSetupDetected, Detects::Always, false },
    { InstallMethod::SierraSetup, &StatusCheck::SierraSetup, Detects::Never, false },
    { InstallMethod::OwnSetupProgramFolder, &StatusCheck::OwnSetupProgramFolder, Detects::Never, false },
    { InstallMethod::AlwaysFromDisc, &StatusCheck::AlwaysFromDisc, Detects::Never, true },
};

// ByInstallMethod and IniFileNamed look nowhere.
const StatusCheck::DetectionRule StatusCheck::kDetections[] = {
    { FolderDetection::UninstallerFolder, &StatusCheck::UninstallerFolder },
    { FolderDetection::MachineRegistryValue, &StatusCheck::RegistryValue },
    { FolderDetection::StartMenuShortcut, &StatusCheck::Shortcut },
    { FolderDetection::UserRegistryValue, &StatusCheck::RegistryValue },
    { FolderDetection::RecordedFolder, &StatusCheck::RecordedFolder },
    { FolderDetection::IniFileValue, &StatusCheck::IniFileValue },
    { FolderDetection::DesktopShortcut, &StatusCheck::Shortcut },
    { FolderDetection::DiskSearch, &StatusCheck::RecordedFolder },
    { FolderDetection::UninstallerProgramFolder, &StatusCheck::UninstallerProgramFolder },
};

StatusCheck::StatusCheck(MenuContext& context, shell::FileTree& fileTree, platform::Dialogs* dialogs)
    : m_context(context)
    , m_fileTree(fileTree)
    , m_dialogs(dialogs)
{
}

void StatusCheck::ShowError(const std::string& text)
{
    if (m_dialogs)
        m_dialogs->ShowError(text);
}

StateRecords StatusCheck::Records()
{
    return StateRecords(*m_context.StateIni, m_context.StateSection());
}

std::string StatusCheck::UninstallStringOf(const std::string& regUninstall)
{
    return ReadRegistryString(platform::HKEY_LOCAL_MACHINE, kUninstallKey + regUninstall, "UninstallString");
}

std::string StatusCheck::RecordedGameDir(const TDemos& item)
{
    std::string section = m_context.StateSection();
    std::string folder = Records().Folder(item.Name);
    if (!folder.empty() || !platform::FileExists("C:\\torva.ini"))
        return folder;
    folder = TIniFile("C:\\torva.ini").ReadString(section, item.Name, "");
    std::string windows = UpperCase(m_context.WindowsDir);
    bool windowsIsDefault = windows == "C:\\WINDOWS" || windows == "C:\\WINDOWS\\";
    if (folder.empty() && !windowsIsDefault && platform::FileExists("C:\\windows\\torva.ini"))
        folder = TIniFile("C:\\windows\\torva.ini").ReadString(section, item.Name, "");
    return folder;
}

// The folder a shortcut names: its working folder or its target, each cut after the last
// backslash. A shortcut that is not there gives an empty text.
std::string StatusCheck::ShortcutFolder(const std::string& shortcutPath, bool workingDir)
{
    if (!platform::FileExists(shortcutPath))
        return {};
    try {
        m_shellLink.SetFileName(shortcutPath);
        m_shellLink.ReadLink();
    } catch (const EQXShellLink&) {
        return {};
    }
    return CutAfterLastBackslash(workingDir ? m_shellLink.WorkingDir() : m_shellLink.Target());
}

std::string StatusCheck::UserProgramsDir() const
{
    std::string userPrograms = ReadRegistryString(platform::HKEY_CURRENT_USER,
        "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Programs");
    return userPrograms.empty() ? std::string() : shell::PostFixDir(userPrograms);
}

// A Start-menu shortcut's working folder. The user's folder comes first: the setups of the time
// made per-user shortcuts.
std::string StatusCheck::StartMenuShortcutFolder(const std::string& shortcut, std::string& shortcutPath)
{
    std::string userPrograms = UserProgramsDir();
    if (!userPrograms.empty()) {
        shortcutPath = userPrograms + shortcut;
        if (platform::FileExists(shortcutPath))
            return ShortcutFolder(shortcutPath, true);
    }
    shortcutPath = m_context.ProgramsDir + shortcut;
    return ShortcutFolder(shortcutPath, true);
}

bool StatusCheck::TestGame(const TDemos& item, std::string& gameEntry)
{
    return TestGame(item.GameDir, item.GameName, gameEntry);
}

bool StatusCheck::TestGame(const std::string& gameDir, const std::string& gameName, std::string& gameEntry)
{
    if (gameDir.empty())
        return false;
    if (gameName.find(':') != std::string::npos) {
        auto entries = shell::SplitList(gameName);
        for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
            std::string file = shell::CutBeforeColon(*it);
            if (file.find(' ') != std::string::npos)
                file = shell::CutAfterExtension(file);
            if (platform::FileExists(gameDir + "\\" + file)) {
                gameEntry = *it;
                return true;
            }
        }
        return false;
    }
    std::string file = gameName;
    if (file.find(' ') != std::string::npos)
        file = shell::CutAfterExtension(file);
    return platform::FileExists(gameDir + "\\" + file);
}

void StatusCheck::RunsFromDisc(const TDemos& item, ItemStatus& found)
{
    found.CanRun = item.GameName.empty() ? 0 : 1;
    found.NeedsInstall = 0;
    found.GameDir = item.InstallDir;
    if (!item.Param.empty() && platform::FileExists(item.Param)) {
        std::string fields = FileNameOf(item.Param) + ",," + item.Uninstall + "," + std::to_string(item.CD);
        Records().WriteFound(item.Name, FolderOf(item.Param), fields, "");
        found.Installed = 1;
    }
}

void StatusCheck::AlwaysFromDisc(const TDemos& item, ItemStatus& found)
{
    found.CanRun = 1;
    found.GameDir = item.InstallDir;
    found.NeedsInstall = 0;
    found.Installed = 0;
}

void StatusCheck::RecordedFolder(const TDemos& item, ItemStatus& found)
{
    found.GameDir = RecordedGameDir(item);
}

void StatusCheck::OwnSetupPolled(const TDemos& item, ItemStatus& found)
{
    found.UnInstallName = UninstallStringOf(item.RegUninstall);
    if (item.DirDetect == FolderDetection::ByInstallMethod)
        found.GameDir = shell::UninstallDirOf(found.UnInstallName);
    if (StartsWithStar(item.Uninstall))
        found.UnInstallName.clear();
    if (!item.Param.empty() && !platform::FileExists(found.GameDir + item.Param))
        found.GameDir.clear();
}

void StatusCheck::OwnSetupDetected(const TDemos& item, ItemStatus& found)
{
    if (found.UnInstallName.empty())
        found.UnInstallName = UninstallStringOf(item.RegUninstall);
    else if (StartsWithStar(item.Uninstall))
        found.UnInstallName.clear();
}

void StatusCheck::SierraSetup(const TDemos&, ItemStatus& found)
{
    std::string sierraIni = m_context.WindowsDir + "sierra.ini";
    if (!platform::FileExists(sierraIni))
        return;
    found.GameDir = shell::PostFixDir(TIniFile(sierraIni).ReadString("Sierra", "SierraDir", ""));
    bool onDisc = !found.GameDir.empty() && !m_context.DiscDrive.empty()
        && platform::UpperChar(found.GameDir[0]) == platform::UpperChar(m_context.DiscDrive[0]);
    if (!m_fileTree.DirExists(found.GameDir) || onDisc)
        found.GameDir.clear();
}

void StatusCheck::OwnSetupProgramFolder(const TDemos& item, ItemStatus& found)
{
    UninstallerProgramFolder(item, found);
    if (StartsWithStar(item.Uninstall))
        found.UnInstallName.clear();
}

void StatusCheck::UninstallerFolder(const TDemos&, ItemStatus& found)
{
    found.GameDir = shell::UninstallDirOf(found.UnInstallName);
}

void StatusCheck::RegistryValue(const TDemos& item, ItemStatus& found)
{
    auto root = item.DirDetect == FolderDetection::MachineRegistryValue ? platform::HKEY_LOCAL_MACHINE : platform::HKEY_CURRENT_USER;
    found.GameDir = m_fileTree.ProgramDirOf(ReadRegistryString(root, "\\SOFTWARE\\" + item.RegKey, item.RegName));
}

// A found folder is recorded at once; without a shortcut the recorded folder stands.
void StatusCheck::Shortcut(const TDemos& item, ItemStatus& found)
{
    std::string folder;
    std::string shortcut;
    if (item.DirDetect == FolderDetection::StartMenuShortcut) {
        folder = StartMenuShortcutFolder(item.Param, shortcut);
        if (item.ShortcutInSubfolder)
            folder = shell::GetParentDir(folder);
    } else {
        shortcut = m_context.DesktopDir + item.Param;
        if (!platform::FileExists(shortcut))
            shortcut = m_context.CommonDesktopDir + item.Param;
        folder = ShortcutFolder(shortcut, false);
    }
    // A folder no state file can hold (a line break or a NUL inside) is the shortcut's fault,
    // not the state file's: say which shortcut of which item, and go on without it.
    if (folder.find_first_of(std::string_view("\0\r\n", 3)) != std::string::npos) {
        ShowError("The shortcut " + shortcut + " of \"" + item.Name + "\" names a folder that cannot be recorded.");
        folder.clear();
    }
    if (folder.empty()) {
        found.GameDir = RecordedGameDir(item);
        return;
    }
    found.GameDir = folder;
    Records().WriteFolder(item.Name, folder);
}

void StatusCheck::IniFileValue(const TDemos& item, ItemStatus& found)
{
    auto parts = shell::SplitList(item.Param);
    auto part = [&](size_t i) { return i < parts.size() ? parts[i] : std::string(); };
    std::string file = part(0);
    if (UpperCase(file).find(".INI") == std::string::npos)
        file += ".INI";
    found.GameDir = TIniFile(file).ReadString(part(1), part(2), "");
}

void StatusCheck::UninstallerProgramFolder(const TDemos& item, ItemStatus& found)
{
    if (found.UnInstallName.empty())
        found.UnInstallName = UninstallStringOf(item.RegUninstall);
    found.GameDir = m_fileTree.ProgramDirOf(found.UnInstallName);
}

// A game found in its folder is recorded; one not found loses its records.
void StatusCheck::RecordTest(const TDemos& item, ItemStatus& found)
{
    std::string gameEntry;
    if (!TestGame(found.GameDir, item.GameName, gameEntry)) {
        found.NeedsInstall = 1;
        found.CanRun = 0;
        found.Installed = 0;
        Records().Delete(item.Name);
        return;
    }
    found.CanRun = 1;
    found.Installed = 1;
    found.NeedsInstall = 0;
    bool listed = item.GameName.find(':') != std::string::npos && item.GameName.find(';') == std::string::npos;
    std::string entry = listed ? gameEntry : item.GameName;
    std::string discNumber = item.CD >= 10 ? std::to_string(item.CD) : std::string();
    Records().WriteFound(item.Name, found.GameDir, entry + "," + item.RegUninstall + "," + item.Uninstall + "," + discNumber,
        found.UnInstallName);
}

ItemStatus StatusCheck::Check(const TDemos& item)
{
    ItemStatus found = ItemStatus::Of(item);
    if (item.UnInstallName.starts_with("?I"))
        found.UnInstallName = platform::GetFullPathName(item.InstallDir + "\\" + item.UnInstallName.substr(2));
    else if (item.UnInstallName.starts_with("?W"))
        found.UnInstallName = platform::GetFullPathName(m_context.WindowsDir + item.UnInstallName.substr(2));

    auto method = std::ranges::find(kMethods, item.InstallType, &MethodRule::method);
    bool listed = method != std::end(kMethods);
    if (listed)
        (this->*method->find)(item, found);
    bool detects = listed
        && (method->detects == Detects::Always
            || (method->detects == Detects::ProgramFolderOnly && item.DirDetect == FolderDetection::UninstallerProgramFolder));
    if (detects) {
        auto detection = std::ranges::find(kDetections, item.DirDetect, &DetectionRule::detection);
        if (detection != std::end(kDetections))
            (this->*detection->find)(item, found);
    }

    if (!found.GameDir.empty() && found.GameDir.back() == '\\')
        found.GameDir.pop_back();
    if (!(listed && method->fromDisc))
        RecordTest(item, found);
    return found;
}
