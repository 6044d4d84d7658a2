// Bringing the menu up without its window: the machine's folders, the disc, the state file.

#include "menu/main_f.h"

#include "platform/files/Files.h"
#include "platform/machine/Machine.h"
#include "platform/registry/Registry.h"
#include "platform/strings/StringTable.h"
#include "platform/text/Text.h"
#include "shell/PathText.h"

#include <exception>

using shell::PostFixDir;

const platform::ClassInfo& TForm1::StaticClass()
{
    // The navigation state and the settings are published read-only, so the test driver and
    // torvatool can look at them by name; a layout never stores them.
    auto readOnly = [](platform::ClassBuilder<TForm1>& builder, const char* name, int32_t TForm1::*field) {
        builder.Integer(name, [field](const TForm1& f) { return f.*field; }, [](TForm1&, int32_t) { }).NotStored().ReadOnly();
    };
    platform::ClassBuilder<TForm1> builder("TForm1", &platform::TForm::StaticClass());
    readOnly(builder, "Category", &TForm1::Category);
    readOnly(builder, "ItemIndex", &TForm1::ItemIndex);
    readOnly(builder, "TopIndex", &TForm1::TopIndex);
    readOnly(builder, "PageCount", &TForm1::PageCount);
    readOnly(builder, "HotIcon", &TForm1::HotIcon);
    readOnly(builder, "SelectedSlot", &TForm1::SelectedSlot);
    readOnly(builder, "Enhanced", &TForm1::Enhanced);
    readOnly(builder, "Slow", &TForm1::Slow);
    readOnly(builder, "PictureCount", &TForm1::PictureCount);
    readOnly(builder, "PictureNumber", &TForm1::PictureNumber);
    static const platform::ClassInfo info = builder.Build();
    return info;
}

TForm1::TForm1(MenuEnvironment environment, platform::TComponent* owner)
    : platform::TForm(owner)
    , m_environment(std::move(environment))
{
    shell::FileTreeContext context;
    context.messageBoxes = m_environment.MessageBoxes;
    context.cursor = m_environment.Cursor;
    context.LoadSpecial = [](uint32_t id, const std::string& argument) { return platform::LoadSpecial(id, argument); };
    m_fileTree = std::make_unique<shell::FileTree>(std::move(context));
}

TForm1::~TForm1()
{
    // The destruction event and the owned controls go while every part of the form is whole,
    // also when the form is deleted rather than freed.
    BeforeDestruction();
    if (m_windowTeardown)
        m_windowTeardown();
}

void TForm1::HandleEvent(const platform::Event& event)
{
    platform::TForm::HandleEvent(event);
    if (m_afterInput && !IsDestroying())
        m_afterInput(event);
}

TQXShellLink& TForm1::ShellLink()
{
    if (!QXShellLink1) {
        QXShellLink1 = new TQXShellLink(this);
        QXShellLink1->SetName("QXShellLink1");
    }
    return *QXShellLink1;
}

void TForm1::CatalogueLoaded()
{
    if (m_afterCatalogue)
        m_afterCatalogue();
}

void TForm1::ShowError(const std::string& text)
{
    if (m_environment.MessageBoxes)
        m_environment.MessageBoxes->ShowError(text);
}

void TForm1::LoadSystemInfo()
{
    platform::OsVersionInfo version;
    platform::GetVersionExA(version);
    switch (version.platformId) {
    case 0: WinVersion = "Windows 3.1"; break;
    case 1: WinVersion = "Windows 95"; break;
    case 2: WinVersion = "Windows NT"; break;
    default: WinVersion.clear(); break;
    }

    SystemDir = PostFixDir(platform::GetSystemDirectoryA());
    WindowsDir = PostFixDir(platform::GetWindowsDirectoryA());
    ProgramFilesDir = WindowsDir.empty() ? std::string() : WindowsDir.substr(0, 1) + ":\\Program Files\\";

    platform::Registry registry;
    registry.SetRootKey(platform::HKEY_LOCAL_MACHINE);
    std::string commonDesktop, desktop;
    if (registry.OpenKeyReadOnly("\\Software\\Microsoft\\Windows\\CurrentVersion\\explorer\\Shell Folders")) {
        commonDesktop = registry.ReadString("Common Desktop");
        desktop = registry.ReadString("Desktop");
    }
    CommonDesktopDir = PostFixDir(commonDesktop.empty() ? desktop : commonDesktop);

    registry.CloseKey();
    std::string commonPrograms;
    desktop.clear();
    if (registry.OpenKeyReadOnly("\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders")) {
        commonPrograms = registry.ReadString("Common Programs");
        desktop = registry.ReadString("Desktop");
    }
    ProgramsDir = PostFixDir(commonPrograms.empty() ? WindowsDir + "Start Menu\\Programs" : commonPrograms);
    DesktopDir = PostFixDir(desktop.empty() ? WindowsDir + "Desktop" : desktop);

    auto& context = m_fileTree->Context();
    context.WinVersion = WinVersion;
    context.WindowsDir = WindowsDir;
    context.ProgramsDir = ProgramsDir;
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

bool TForm1::LoadData()
{
    StateIni = std::make_unique<TIniFile>("torva.ini");
    StateIni->WriteInteger("Main", "Language", 1);
    Language = 1;
    m_fileTree->Context().Language = Language;

    DiscDrive = DrivePart(m_environment.OwnPath);
    if (DiscDrive == "C:") {
        // The search ends on the character after Z, "[:", when no drive holds the disc.
        char letter = 'D';
        while (letter <= 'Z' && !HoldsDisc(std::string(1, letter) + ":"))
            ++letter;
        DiscDrive = std::string(1, letter) + ":";
        if (letter > 'Z') {
            ShowError("There is no TORVA CD in any drive...");
            Terminated = true;
            return false;
        }
    }
    DataDir = DiscDrive + "\\TORVA\\";
    platform::SetCurrentDirectory(DiscDrive + "\\");
    return true;
}

void TForm1::LoadSettings()
{
    Enhanced = StateIni->ReadInteger("Main", "Enhanced", 1);
    Slow = StateIni->ReadInteger("Main", "Slow", 0);
}

void TForm1::FormCreateCore()
{
    try {
        LoadSystemInfo();
        if (!LoadData())
            return;
        LoadSettings();
    } catch (const std::exception& e) {
        ShowError(e.what());
    }
}
