#pragma once

// The shortcut component: reads a shell shortcut file into properties, and names shortcuts in
// the user's special folders.

#include "platform/components/Classes.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

enum TLangType { ltFrench,
    ltEnglish };

enum TShellFolder {
    sfNone,
    sfDesktop,
    sfFavorites,
    sfFonts,
    sfPersonal,
    sfPrograms,
    sfRecent,
    sfSendTo,
    sfStartMenu,
    sfStartup,
    sfTemplates,
};

enum TWindowState { wsNormal,
    wsMinimized,
    wsMaximized };

// A menu shortcut value: virtual-key code in the low byte, modifier bits above.
using TShortCut = uint16_t;

class EQXShellLink : public platform::Exception {
public:
    using platform::Exception::Exception;
};

// What the component needs of the machine; the default one works on the current machine's
// drives and registry, tests put in their own.
class ShellLinkEnvironment {
public:
    virtual ~ShellLinkEnvironment() = default;
    virtual bool FileExists(const std::string& windowsPath) = 0;
    virtual std::optional<std::vector<uint8_t>> ReadFile(const std::string& windowsPath) = 0;
    // The value of HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell
    // Folders named `valueName`, empty when missing.
    virtual std::string ShellFolderPath(const std::string& valueName) = 0;
};

// Components made without an environment of their own use this one; unless set, the current
// machine's.
void SetDefaultShellLinkEnvironment(std::shared_ptr<ShellLinkEnvironment> environment);
std::shared_ptr<ShellLinkEnvironment> DefaultShellLinkEnvironment();

class TQXShellLink : public platform::TComponent {
    TORVA_CLASS(TQXShellLink)
public:
    static constexpr TShortCut scShift = 0x2000;
    static constexpr TShortCut scCtrl = 0x4000;
    static constexpr TShortCut scAlt = 0x8000;
    static constexpr uint16_t HOTKEYF_SHIFT = 0x01;
    static constexpr uint16_t HOTKEYF_CONTROL = 0x02;
    static constexpr uint16_t HOTKEYF_ALT = 0x04;

    explicit TQXShellLink(platform::TComponent* owner, std::shared_ptr<ShellLinkEnvironment> environment = nullptr);

    const std::string& Arguments() const { return FArguments; }
    void SetArguments(std::string value) { FArguments = std::move(value); }
    const std::string& Description() const { return FDescription; }
    void SetDescription(std::string value) { FDescription = std::move(value); }
    TShortCut HotKey() const;
    void SetHotKey(TShortCut value);
    const std::string& FileName() const { return FFileName; }
    void SetFileName(const std::string& value);
    TLangType LangType() const { return FLangType; }
    void SetLangType(TLangType value);
    const std::string& Target() const { return FTarget; }
    void SetTarget(std::string value) { FTarget = std::move(value); }
    TWindowState WindowState() const;
    void SetWindowState(TWindowState value);
    const std::string& WorkingDir() const { return FWorkingDir; }
    void SetWorkingDir(std::string value) { FWorkingDir = std::move(value); }
    TShellFolder ShellFolder() const { return FShellFolder; }
    void SetShellFolder(TShellFolder value);

    int32_t ShowCmd() const { return FShowCmd; }
    uint16_t HotKeyCode() const { return FHotKeyCode; }

    void ReadLink();
    void ReadLinkFile(const std::string& path);

    // The texts every instance raises, in the language last chosen by any instance.
    struct Messages {
        std::string createFailed;
        std::string persistFileFailed;
        std::string writeError;
        std::string readError;
        std::string linkNotFound;
    };
    static const Messages& CurrentMessages();

    // The Shell Folders value name for a special folder; empty for sfNone.
    static std::string ShellFolderValueName(TShellFolder folder);

private:
    std::string SpecialFolderPath(TShellFolder folder);

    std::string FFileName;
    TLangType FLangType = ltEnglish;
    std::string FTarget;
    std::string FWorkingDir;
    std::string FDescription;
    std::string FArguments;
    int32_t FShowCmd = 1;
    uint16_t FHotKeyCode = 0;
    TShellFolder FShellFolder = sfNone;
    std::shared_ptr<ShellLinkEnvironment> m_environment;
};
