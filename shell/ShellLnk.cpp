#include "shell/ShellLnk.h"

#include "shell/LnkFormat.h"
#include "shell/MachineShellLinkEnvironment.h"

#include <array>
#include <span>

namespace {

constexpr int32_t SW_SHOWNORMAL = 1;
constexpr int32_t SW_SHOWMAXIMIZED = 3;
constexpr int32_t SW_SHOWMINNOACTIVE = 7;

// Each shortcut modifier beside the shell link's hot-key flag for it.
struct HotKeyModifier {
    TShortCut shortCut;
    uint16_t flag;
};
constexpr HotKeyModifier HotKeyModifiers[] = {
    { TQXShellLink::scShift, TQXShellLink::HOTKEYF_SHIFT },
    { TQXShellLink::scCtrl, TQXShellLink::HOTKEYF_CONTROL },
    { TQXShellLink::scAlt, TQXShellLink::HOTKEYF_ALT },
};

const TQXShellLink::Messages EnglishMessages {
    "\"CoCreateInstance\" failed.",
    "\"PersistFile QueryInterface\" failed.",
    "Write error.",
    "Read error.",
    "Link not found.",
};

const TQXShellLink::Messages FrenchMessages {
    "\"CoCreateInstance\" a \xE9"
    "chou\xE9.",
    "\"PersistFile QueryInterface\" a \xE9"
    "chou\xE9.",
    "Erreur en \xE9"
    "criture.",
    "Erreur en lecture.",
    "Lien non trouv\xE9.",
};

TQXShellLink::Messages& SharedMessages()
{
    static TQXShellLink::Messages messages = EnglishMessages;
    return messages;
}

std::shared_ptr<ShellLinkEnvironment>& DefaultEnvironmentSlot()
{
    static std::shared_ptr<ShellLinkEnvironment> environment;
    return environment;
}

size_t FileNameStart(const std::string& path)
{
    size_t delimiter = path.find_last_of("\\:");
    return delimiter == std::string::npos ? 0 : delimiter + 1;
}

std::string ExtractFileName(const std::string& path)
{
    return path.substr(FileNameStart(path));
}

std::string ExtractFileExt(const std::string& path)
{
    size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot < FileNameStart(path))
        return {};
    return path.substr(dot);
}

std::string ExtractFilePath(const std::string& path)
{
    return path.substr(0, FileNameStart(path));
}

// Lower-cases A to Z only, like the rest of the system's text rules.
std::string LowerCase(std::string text)
{
    for (char& ch : text) {
        if (ch >= 'A' && ch <= 'Z')
            ch = static_cast<char>(ch - 'A' + 'a');
    }
    return text;
}

}

void SetDefaultShellLinkEnvironment(std::shared_ptr<ShellLinkEnvironment> environment)
{
    DefaultEnvironmentSlot() = std::move(environment);
}

std::shared_ptr<ShellLinkEnvironment> DefaultShellLinkEnvironment()
{
    auto& slot = DefaultEnvironmentSlot();
    if (!slot)
        slot = std::make_shared<shell::MachineShellLinkEnvironment>();
    return slot;
}

const platform::ClassInfo& TQXShellLink::StaticClass()
{
    static const platform::EnumInfo langTypes { "TLangType", { { "ltFrench", ltFrench }, { "ltEnglish", ltEnglish } } };
    static const platform::EnumInfo windowStates { "TWindowState",
        { { "wsNormal", wsNormal }, { "wsMinimized", wsMinimized }, { "wsMaximized", wsMaximized } } };
    static const platform::EnumInfo shellFolders { "TShellFolder",
        { { "sfNone", sfNone }, { "sfDesktop", sfDesktop }, { "sfFavorites", sfFavorites }, { "sfFonts", sfFonts },
            { "sfPersonal", sfPersonal }, { "sfPrograms", sfPrograms }, { "sfRecent", sfRecent },
            { "sfSendTo", sfSendTo }, { "sfStartMenu", sfStartMenu }, { "sfStartup", sfStartup },
            { "sfTemplates", sfTemplates } } };
    static const platform::ClassInfo info = platform::ClassBuilder<TQXShellLink>("TQXShellLink", &platform::TComponent::StaticClass())
                                                .Creatable()
                                                .String("Arguments", &TQXShellLink::Arguments, &TQXShellLink::SetArguments)
                                                .String("Description", &TQXShellLink::Description, &TQXShellLink::SetDescription)
                                                .Integer("HotKey", &TQXShellLink::HotKey, &TQXShellLink::SetHotKey, 0)
                                                .String("FileName", &TQXShellLink::FileName, &TQXShellLink::SetFileName)
                                                .Enum("LangType", langTypes, &TQXShellLink::LangType, &TQXShellLink::SetLangType, ltEnglish)
                                                .String("Target", &TQXShellLink::Target, &TQXShellLink::SetTarget)
                                                .Enum("WindowState", windowStates, &TQXShellLink::WindowState, &TQXShellLink::SetWindowState, wsNormal)
                                                .String("WorkingDir", &TQXShellLink::WorkingDir, &TQXShellLink::SetWorkingDir)
                                                .Enum("ShellFolder", shellFolders, &TQXShellLink::ShellFolder, &TQXShellLink::SetShellFolder, sfNone)
                                                .Build();
    return info;
}

static platform::ClassRegistration registration(TQXShellLink::StaticClass());

TQXShellLink::TQXShellLink(platform::TComponent* owner, std::shared_ptr<ShellLinkEnvironment> environment)
    : platform::TComponent(owner)
    , m_environment(environment ? std::move(environment) : DefaultShellLinkEnvironment())
{
    SetLangType(ltEnglish);
}

const TQXShellLink::Messages& TQXShellLink::CurrentMessages()
{
    return SharedMessages();
}

std::string TQXShellLink::ShellFolderValueName(TShellFolder folder)
{
    static const std::array<const char*, 11> names = {
        "",
        "Desktop",
        "Favorites",
        "Fonts",
        "Personal",
        "Programs",
        "Recent",
        "SendTo",
        "Start Menu",
        "Startup",
        "Templates",
    };
    size_t index = static_cast<size_t>(folder);
    return index < names.size() ? names[index] : "";
}

std::string TQXShellLink::SpecialFolderPath(TShellFolder folder)
{
    return m_environment->ShellFolderPath(ShellFolderValueName(folder));
}

void TQXShellLink::SetFileName(const std::string& value)
{
    if (value == FFileName)
        return;
    std::string name = value;
    if (FShellFolder != sfNone)
        name = SpecialFolderPath(FShellFolder) + "\\" + ExtractFileName(name);
    if (LowerCase(ExtractFileExt(name)) != ".lnk")
        name += ".lnk";
    if (LowerCase(ExtractFileName(name)) == ".lnk")
        name.clear();
    FFileName = name;
}

void TQXShellLink::SetShellFolder(TShellFolder value)
{
    if (value == FShellFolder)
        return;
    FShellFolder = value;
    if (value != sfNone)
        FFileName = SpecialFolderPath(value) + "\\" + ExtractFileName(FFileName);
}

void TQXShellLink::SetLangType(TLangType value)
{
    FLangType = value;
    SharedMessages() = value == ltFrench ? FrenchMessages : EnglishMessages;
}

TWindowState TQXShellLink::WindowState() const
{
    switch (FShowCmd) {
    case SW_SHOWMAXIMIZED:
        return wsMaximized;
    case SW_SHOWMINNOACTIVE:
        return wsMinimized;
    default:
        return wsNormal;
    }
}

void TQXShellLink::SetWindowState(TWindowState value)
{
    switch (value) {
    case wsMinimized:
        FShowCmd = SW_SHOWMINNOACTIVE;
        break;
    case wsMaximized:
        FShowCmd = SW_SHOWMAXIMIZED;
        break;
    default:
        FShowCmd = SW_SHOWNORMAL;
        break;
    }
}

TShortCut TQXShellLink::HotKey() const
{
    uint16_t flags = FHotKeyCode >> 8;
    TShortCut shortCut = FHotKeyCode & 0xFF;
    for (const HotKeyModifier& m : HotKeyModifiers) {
        if (flags & m.flag)
            shortCut |= m.shortCut;
    }
    return shortCut;
}

void TQXShellLink::SetHotKey(TShortCut value)
{
    uint16_t flags = 0;
    for (const HotKeyModifier& m : HotKeyModifiers) {
        if (value & m.shortCut)
            flags |= m.flag;
    }
    FHotKeyCode = static_cast<uint16_t>((value & 0xFF) | flags << 8);
}

void TQXShellLink::ReadLink()
{
    if (!m_environment->FileExists(FFileName))
        throw EQXShellLink(CurrentMessages().linkNotFound);
    ReadLinkFile(FFileName);
}

void TQXShellLink::ReadLinkFile(const std::string& path)
{
    std::optional<std::vector<uint8_t>> bytes = m_environment->ReadFile(path);
    if (!bytes)
        throw EQXShellLink(CurrentMessages().readError);
    auto parsed = shell::ParseLnk(std::span<const uint8_t>(*bytes), path);
    if (!parsed)
        throw EQXShellLink(CurrentMessages().readError);
    const shell::LnkFile& link = *parsed;
    FDescription = link.name.value_or("");
    FTarget = shell::ResolveTarget(link, ExtractFilePath(path));
    FWorkingDir = link.workingDir.value_or("");
    FArguments = link.arguments.value_or("");
    FShowCmd = static_cast<int32_t>(link.showCommand);
    FHotKeyCode = link.hotKey;
}
