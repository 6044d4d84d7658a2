// Bringing the menu up without its window: the machine's folders, the disc, the state file.

#include "menu/MenuStartup.h"

#include "platform/files/Files.h"
#include "platform/machine/Machine.h"
#include "platform/registry/Registry.h"
#include "shell/PathText.h"

#include <exception>
#include <utility>

using shell::PostFixDir;

MenuStartup::MenuStartup(MenuContext& context, shell::FileTree& fileTree, std::string ownPath, platform::Dialogs* dialogs)
    : m_context(context)
    , m_fileTree(fileTree)
    , m_ownPath(std::move(ownPath))
    , m_dialogs(dialogs)
{
}

void MenuStartup::ShowError(const std::string& text)
{
    if (m_dialogs)
        m_dialogs->ShowError(text);
}

void MenuStartup::LoadSystemInfo()
{
    platform::OsVersionInfo version;
    platform::GetVersionExA(version);
    switch (version.platformId) {
    case 0: m_context.WinVersion = "Windows 3.1"; break;
    case 1: m_context.WinVersion = "Windows 95"; break;
    case 2: m_context.WinVersion = "Windows NT"; break;
    default: m_context.WinVersion.clear(); break;
    }

    m_context.SystemDir = PostFixDir(platform::GetSystemDirectoryA());
    m_context.WindowsDir = PostFixDir(platform::GetWindowsDirectoryA());
    m_context.ProgramFilesDir = m_context.WindowsDir.empty() ? std::string() : m_context.WindowsDir.substr(0, 1) + ":\\Program Files\\";

    platform::Registry registry;
    registry.SetRootKey(platform::HKEY_LOCAL_MACHINE);
    std::string commonDesktop, desktop;
    if (registry.OpenKeyReadOnly("\\Software\\Microsoft\\Windows\\CurrentVersion\\explorer\\Shell Folders")) {
        commonDesktop = registry.ReadString("Common Desktop");
        desktop = registry.ReadString("Desktop");
    }
    m_context.CommonDesktopDir = PostFixDir(commonDesktop.empty() ? desktop : commonDesktop);

    registry.CloseKey();
    std::string commonPrograms;
    desktop.clear();
    if (registry.OpenKeyReadOnly("\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders")) {
        commonPrograms = registry.ReadString("Common Programs");
        desktop = registry.ReadString("Desktop");
    }
    m_context.ProgramsDir = PostFixDir(commonPrograms.empty() ? m_context.WindowsDir + "Start Menu\\Programs" : commonPrograms);
    m_context.DesktopDir = PostFixDir(desktop.empty() ? m_context.WindowsDir + "Desktop" : desktop);

    auto& context = m_fileTree.Context();
    context.WinVersion = m_context.WinVersion;
    context.WindowsDir = m_context.WindowsDir;
    context.ProgramsDir = m_context.ProgramsDir;
}

// The drive part of a path: "E:" of "E:\TORVA.EXE", "\\server\share" of a network path.
static std::string DrivePart(const std::string& path)
{
    if (path.size() >= 2 && path[1] == ':')
        return path.substr(0, 2);
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        size_t server = path.find('\\', 2);
        if (server == std::string::npos)
            return path;
        size_t share = path.find('\\', server + 1);
        return share == std::string::npos ? path : path.substr(0, share);
    }
    return {};
}

static bool HoldsDisc(const std::string& drive)
{
    return platform::FileExists(drive + "\\TORVA.EXE") && platform::FileExists(drive + "\\Torva\\TORVAXP.ini");
}

bool MenuStartup::LoadData()
{
    m_context.StateIni = std::make_unique<TIniFile>("torva.ini");
    m_context.StateIni->WriteInteger("Main", "Language", 1);
    m_context.Language = 1;
    m_fileTree.Context().Language = m_context.Language;

    m_context.DiscDrive = DrivePart(m_ownPath);
    if (m_context.DiscDrive == "C:") {
        // The search ends on the character after Z, "[:", when no drive holds the disc.
        char letter = 'D';
        while (letter <= 'Z' && !HoldsDisc(std::string(1, letter) + ":"))
            ++letter;
        m_context.DiscDrive = std::string(1, letter) + ":";
        if (letter > 'Z') {
            ShowError("There is no TORVA CD in any drive...");
            return false;
        }
    }
    m_context.DataDir = m_context.DiscDrive + "\\TORVA\\";
    platform::SetCurrentDirectory(m_context.DiscDrive + "\\");
    return true;
}

StoredSettings MenuStartup::LoadSettings()
{
    return { m_context.StateIni->ReadInteger("Main", "Enhanced", 1), m_context.StateIni->ReadInteger("Main", "Slow", 0) };
}

StartupOutcome MenuStartup::Start()
{
    StartupOutcome outcome;
    try {
        LoadSystemInfo();
        if (!LoadData()) {
            outcome.terminated = true;
            return outcome;
        }
        outcome.settings = LoadSettings();
        outcome.started = true;
    } catch (const std::exception& e) {
        ShowError(e.what());
    }
    return outcome;
}
