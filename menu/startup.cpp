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
    auto readOnlyCount = [](platform::ClassBuilder<TForm1>& builder, const char* name, int32_t DiscCatalogue::*field) {
        builder.Integer(name, [field](const TForm1& f) { return f.Catalogue.*field; }, [](TForm1&, int32_t) { }).NotStored().ReadOnly();
    };
    platform::ClassBuilder<TForm1> builder("TForm1", &platform::TForm::StaticClass());
    readOnly(builder, "Category", &TForm1::Category);
    readOnly(builder, "ItemIndex", &TForm1::ItemIndex);
    readOnly(builder, "TopIndex", &TForm1::TopIndex);
    readOnlyCount(builder, "PageCount", &DiscCatalogue::PageCount);
    readOnly(builder, "HotIcon", &TForm1::HotIcon);
    readOnly(builder, "SelectedSlot", &TForm1::SelectedSlot);
    readOnly(builder, "Enhanced", &TForm1::Enhanced);
    readOnly(builder, "Slow", &TForm1::Slow);
    readOnlyCount(builder, "PictureCount", &DiscCatalogue::PictureCount);
    builder.Integer("PictureNumber", [](const TForm1& f) { return f.Pictures.Number; }, [](TForm1&, int32_t) { })
        .NotStored()
        .ReadOnly();
    static const platform::ClassInfo info = builder.Build();
    return info;
}

static std::unique_ptr<shell::FileTree> MakeFileTree(const MenuEnvironment& environment)
{
    shell::FileTreeContext context;
    context.messageBoxes = environment.MessageBoxes;
    context.cursor = environment.Cursor;
    context.LoadSpecial = [](uint32_t id, const std::string& argument) { return platform::LoadSpecial(id, argument); };
    return std::make_unique<shell::FileTree>(std::move(context));
}

TForm1::TForm1(MenuEnvironment environment, platform::TComponent* owner)
    : platform::TForm(owner)
    , m_environment(std::move(environment))
    , m_fileTree(MakeFileTree(m_environment))
    , Catalogue(Context)
    , Status(Context, *m_fileTree, m_environment.MessageBoxes)
    , InstalledPage(Context)
{
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
    case 0: Context.WinVersion = "Windows 3.1"; break;
    case 1: Context.WinVersion = "Windows 95"; break;
    case 2: Context.WinVersion = "Windows NT"; break;
    default: Context.WinVersion.clear(); break;
    }

    Context.SystemDir = PostFixDir(platform::GetSystemDirectoryA());
    Context.WindowsDir = PostFixDir(platform::GetWindowsDirectoryA());
    Context.ProgramFilesDir = Context.WindowsDir.empty() ? std::string() : Context.WindowsDir.substr(0, 1) + ":\\Program Files\\";

    platform::Registry registry;
    registry.SetRootKey(platform::HKEY_LOCAL_MACHINE);
    std::string commonDesktop, desktop;
    if (registry.OpenKeyReadOnly("\\Software\\Microsoft\\Windows\\CurrentVersion\\explorer\\Shell Folders")) {
        commonDesktop = registry.ReadString("Common Desktop");
        desktop = registry.ReadString("Desktop");
    }
    Context.CommonDesktopDir = PostFixDir(commonDesktop.empty() ? desktop : commonDesktop);

    registry.CloseKey();
    std::string commonPrograms;
    desktop.clear();
    if (registry.OpenKeyReadOnly("\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders")) {
        commonPrograms = registry.ReadString("Common Programs");
        desktop = registry.ReadString("Desktop");
    }
    Context.ProgramsDir = PostFixDir(commonPrograms.empty() ? Context.WindowsDir + "Start Menu\\Programs" : commonPrograms);
    Context.DesktopDir = PostFixDir(desktop.empty() ? Context.WindowsDir + "Desktop" : desktop);

    auto& context = m_fileTree->Context();
    context.WinVersion = Context.WinVersion;
    context.WindowsDir = Context.WindowsDir;
    context.ProgramsDir = Context.ProgramsDir;
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
    Context.StateIni = std::make_unique<TIniFile>("torva.ini");
    Context.StateIni->WriteInteger("Main", "Language", 1);
    Context.Language = 1;
    m_fileTree->Context().Language = Context.Language;

    Context.DiscDrive = DrivePart(m_environment.OwnPath);
    if (Context.DiscDrive == "C:") {
        // The search ends on the character after Z, "[:", when no drive holds the disc.
        char letter = 'D';
        while (letter <= 'Z' && !HoldsDisc(std::string(1, letter) + ":"))
            ++letter;
        Context.DiscDrive = std::string(1, letter) + ":";
        if (letter > 'Z') {
            ShowError("There is no TORVA CD in any drive...");
            Terminated = true;
            return false;
        }
    }
    Context.DataDir = Context.DiscDrive + "\\TORVA\\";
    platform::SetCurrentDirectory(Context.DiscDrive + "\\");
    return true;
}

void TForm1::LoadSettings()
{
    Enhanced = Context.StateIni->ReadInteger("Main", "Enhanced", 1);
    Slow = Context.StateIni->ReadInteger("Main", "Slow", 0);
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
