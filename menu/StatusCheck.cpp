// Deciding for one item whether it is installed, where, and whether it runs or installs.

#include "menu/StatusCheck.h"

#include "platform/files/Files.h"
#include "platform/ini/IniFile.h"
#include "platform/registry/Registry.h"
#include "platform/text/Text.h"
#include "shell/PathText.h"

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

StatusCheck::StatusCheck(MenuContext& context, shell::FileTree& fileTree, shell::MessageBoxService* messageBoxes)
    : m_context(context)
    , m_fileTree(fileTree)
    , m_messageBoxes(messageBoxes)
{
}

void StatusCheck::ShowError(const std::string& text)
{
    if (m_messageBoxes)
        m_messageBoxes->ShowError(text);
}

// "Name" holds the game folder, "Name_" four fields: game entry, RegUninstall, Uninstall and
// disc number.
void StatusCheck::WriteFoundState(const TDemos& item, const std::string& gameDir, const std::string& fields)
{
    std::string section = m_context.StateSection();
    m_context.StateIni->WriteString(section, item.Name, gameDir);
    m_context.StateIni->WriteString(section, item.Name + "_", fields);
}

void StatusCheck::DeleteState(const TDemos& item)
{
    std::string section = m_context.StateSection();
    m_context.StateIni->DeleteKey(section, item.Name);
    m_context.StateIni->DeleteKey(section, item.Name + "_");
    m_context.StateIni->DeleteKey(section, item.Name + "__");
}

std::string StatusCheck::UninstallStringOf(const std::string& regUninstall)
{
    return ReadRegistryString(platform::HKEY_LOCAL_MACHINE, kUninstallKey + regUninstall, "UninstallString");
}

std::string StatusCheck::RecordedGameDir(const TDemos& item)
{
    std::string section = m_context.StateSection();
    std::string folder = m_context.StateIni->ReadString(section, item.Name, "");
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
    if (item.GameDir.empty())
        return false;
    if (item.GameName.find(':') != std::string::npos) {
        auto entries = shell::SplitList(item.GameName);
        for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
            std::string file = shell::CutBeforeColon(*it);
            if (file.find(' ') != std::string::npos)
                file = shell::CutAfterExtension(file);
            if (platform::FileExists(item.GameDir + "\\" + file)) {
                gameEntry = *it;
                return true;
            }
        }
        return false;
    }
    std::string file = item.GameName;
    if (file.find(' ') != std::string::npos)
        file = shell::CutAfterExtension(file);
    return platform::FileExists(item.GameDir + "\\" + file);
}

void StatusCheck::CheckDemo(TDemos& item)
{
    auto& tree = m_fileTree;

    if (item.UnInstallName.starts_with("?I"))
        item.UnInstallName = platform::GetFullPathName(item.InstallDir + "\\" + item.UnInstallName.substr(2));
    else if (item.UnInstallName.starts_with("?W"))
        item.UnInstallName = platform::GetFullPathName(m_context.WindowsDir + item.UnInstallName.substr(2));

    switch (item.InstallType) {
    case InstallMethod::RunsFromDisc:
        item.CanRun = item.GameName.empty() ? 0 : 1;
        item.NeedsInstall = 0;
        item.GameDir = item.InstallDir;
        if (!item.Param.empty() && platform::FileExists(item.Param)) {
            std::string fields = FileNameOf(item.Param) + ",," + item.Uninstall + "," + std::to_string(item.CD);
            WriteFoundState(item, FolderOf(item.Param), fields);
            item.Installed = 1;
        }
        break;
    case InstallMethod::MenuAfterInstall:
    case InstallMethod::MenuUnpacked:
    case InstallMethod::MenuForcedFolder:
        item.GameDir = RecordedGameDir(item);
        break;
    case InstallMethod::OwnSetupPolled:
        item.UnInstallName = UninstallStringOf(item.RegUninstall);
        if (item.DirDetect == FolderDetection::ByInstallMethod)
            item.GameDir = shell::UninstallDirOf(item.UnInstallName);
        if (StartsWithStar(item.Uninstall))
            item.UnInstallName.clear();
        if (!item.Param.empty() && !platform::FileExists(item.GameDir + item.Param))
            item.GameDir.clear();
        break;
    case InstallMethod::OwnSetupDetected:
        if (item.UnInstallName.empty())
            item.UnInstallName = UninstallStringOf(item.RegUninstall);
        if (StartsWithStar(item.Uninstall))
            item.UnInstallName.clear();
        break;
    case InstallMethod::SierraSetup:
        if (platform::FileExists(m_context.WindowsDir + "sierra.ini")) {
            item.GameDir = shell::PostFixDir(TIniFile(m_context.WindowsDir + "sierra.ini").ReadString("Sierra", "SierraDir", ""));
            bool onDisc = !item.GameDir.empty() && !m_context.DiscDrive.empty() && platform::UpperChar(item.GameDir[0]) == platform::UpperChar(m_context.DiscDrive[0]);
            if (!tree.DirExists(item.GameDir) || onDisc)
                item.GameDir.clear();
        }
        break;
    case InstallMethod::OwnSetupProgramFolder:
        if (item.UnInstallName.empty())
            item.UnInstallName = UninstallStringOf(item.RegUninstall);
        item.GameDir = tree.ProgramDirOf(item.UnInstallName);
        if (StartsWithStar(item.Uninstall))
            item.UnInstallName.clear();
        break;
    case InstallMethod::AlwaysFromDisc:
        item.CanRun = 1;
        item.GameDir = item.InstallDir;
        item.NeedsInstall = 0;
        item.Installed = 0;
        break;
    default:
        break;
    }

    if (item.InstallType == InstallMethod::OwnSetupDetected
        || (item.InstallType == InstallMethod::OwnSetupPolled && item.DirDetect == FolderDetection::UninstallerProgramFolder)) {
        switch (item.DirDetect) {
        case FolderDetection::UninstallerFolder:
            item.GameDir = shell::UninstallDirOf(item.UnInstallName);
            break;
        case FolderDetection::MachineRegistryValue:
        case FolderDetection::UserRegistryValue: {
            auto root = item.DirDetect == FolderDetection::MachineRegistryValue ? platform::HKEY_LOCAL_MACHINE : platform::HKEY_CURRENT_USER;
            item.GameDir = tree.ProgramDirOf(ReadRegistryString(root, "\\SOFTWARE\\" + item.RegKey, item.RegName));
            break;
        }
        case FolderDetection::StartMenuShortcut:
        case FolderDetection::DesktopShortcut: {
            std::string folder;
            std::string shortcut;
            if (item.DirDetect == FolderDetection::StartMenuShortcut) {
                folder = StartMenuShortcutFolder(item.Param, shortcut);
                // This title's shortcut starts in a subfolder of the game's folder.
                if (item.Name == "BATTLEZONE")
                    folder = shell::GetParentDir(folder);
            } else {
                shortcut = m_context.DesktopDir + item.Param;
                if (!platform::FileExists(shortcut))
                    shortcut = m_context.CommonDesktopDir + item.Param;
                folder = ShortcutFolder(shortcut, false);
            }
            // A folder no state file can hold (a line break or a NUL inside) is the shortcut's
            // fault, not the state file's: say which shortcut of which item, and go on without it.
            if (folder.find_first_of(std::string_view("\0\r\n", 3)) != std::string::npos) {
                ShowError("The shortcut " + shortcut + " of \"" + item.Name + "\" names a folder that cannot be recorded.");
                folder.clear();
            }
            item.GameDir = folder;
            if (item.GameDir.empty())
                item.GameDir = RecordedGameDir(item);
            else
                m_context.StateIni->WriteString(m_context.StateSection(), item.Name, item.GameDir);
            break;
        }
        case FolderDetection::RecordedFolder:
        case FolderDetection::DiskSearch:
            item.GameDir = RecordedGameDir(item);
            break;
        case FolderDetection::IniFileValue: {
            auto parts = shell::SplitList(item.Param);
            auto part = [&](size_t i) { return i < parts.size() ? parts[i] : std::string(); };
            std::string file = part(0);
            if (UpperCase(file).find(".INI") == std::string::npos)
                file += ".INI";
            item.GameDir = TIniFile(file).ReadString(part(1), part(2), "");
            break;
        }
        case FolderDetection::UninstallerProgramFolder:
            if (item.UnInstallName.empty())
                item.UnInstallName = UninstallStringOf(item.RegUninstall);
            item.GameDir = tree.ProgramDirOf(item.UnInstallName);
            break;
        default:
            break;
        }
    }

    if (!item.GameDir.empty() && item.GameDir.back() == '\\')
        item.GameDir.pop_back();

    if (item.InstallType == InstallMethod::RunsFromDisc || item.InstallType == InstallMethod::AlwaysFromDisc)
        return;

    std::string gameEntry;
    if (TestGame(item, gameEntry)) {
        item.CanRun = 1;
        item.Installed = 1;
        item.NeedsInstall = 0;
        bool listed = item.GameName.find(':') != std::string::npos && item.GameName.find(';') == std::string::npos;
        std::string entry = listed ? gameEntry : item.GameName;
        std::string discNumber = item.CD >= 10 ? std::to_string(item.CD) : std::string();
        WriteFoundState(item, item.GameDir, entry + "," + item.RegUninstall + "," + item.Uninstall + "," + discNumber);
        if (!item.UnInstallName.empty())
            m_context.StateIni->WriteString(m_context.StateSection(), item.Name + "__", item.UnInstallName);
    } else {
        item.NeedsInstall = 1;
        item.CanRun = 0;
        item.Installed = 0;
        DeleteState(item);
    }
}
