#pragma once

// The registry the menu sees, over the current machine's system.reg and user.reg.
//
// Usage, as with the framework's registry object the menu was written against:
//
//     platform::Registry reg;                       // root HKEY_CURRENT_USER
//     reg.SetRootKey(platform::HKEY_LOCAL_MACHINE);
//     if (reg.OpenKeyReadOnly("\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\X"))
//         command = reg.ReadString("UninstallString");   // missing value: ""
//
// Key paths and value names are CP1250 text compared without regard to ASCII case. A path
// starting with "\" is taken from the root; any other path is relative to the open key (from
// the root when none is open). Reads of a missing key or value give empty results; operations
// that can fail return false and never throw for bad paths or missing keys.
//
// HKEY_CLASSES_ROOT is HKLM\Software\Classes overlaid by HKCU\Software\Classes: reads prefer the
// user's value, subkeys are the union, writes go to the user's key only when it already exists.
// On a 64-bit prefix the menu is a 32-bit program, so HKLM\Software (but not Software\Classes)
// is seen through Software\Wow6432Node, where 32-bit setups register.
//
// While a wineserver runs for the prefix it owns the registry in memory, so writes then go
// through "wine reg" and are mirrored in memory for later reads of this process.

#include "platform/machine/Machine.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

enum class RootKey : uint32_t {
    ClassesRoot = 0x80000000u,
    CurrentUser = 0x80000001u,
    LocalMachine = 0x80000002u,
};

inline constexpr RootKey HKEY_CLASSES_ROOT = RootKey::ClassesRoot;
inline constexpr RootKey HKEY_CURRENT_USER = RootKey::CurrentUser;
inline constexpr RootKey HKEY_LOCAL_MACHINE = RootKey::LocalMachine;

// Value types as the system numbers them.
inline constexpr uint32_t REG_NONE = 0;
inline constexpr uint32_t REG_SZ = 1;
inline constexpr uint32_t REG_EXPAND_SZ = 2;
inline constexpr uint32_t REG_BINARY = 3;
inline constexpr uint32_t REG_DWORD = 4;
inline constexpr uint32_t REG_MULTI_SZ = 7;

struct RegistryValueData {
    uint32_t type = REG_NONE;
    std::vector<uint8_t> bytes; // as stored: strings are UTF-16LE with their terminating NUL
};

class Registry {
public:
    // Works on CurrentMachine(); throws std::logic_error when there is none.
    Registry();
    explicit Registry(Machine& machine);

    RootKey GetRootKey() const { return m_root; }
    // Changing the root closes the open key.
    void SetRootKey(RootKey root);

    // Opens KEY; with canCreate a missing key is created (with its parents). False when the key
    // does not exist (or cannot be created); the previously open key stays open then.
    bool OpenKey(const std::string& key, bool canCreate);
    bool OpenKeyReadOnly(const std::string& key);
    void CloseKey();
    // The open key's path below the root, without a leading backslash; empty when none is open.
    const std::string& CurrentPath() const { return m_currentPath; }
    bool HasOpenKey() const { return m_open; }

    bool KeyExists(const std::string& key) const;

    // Values of the open key. ReadString gives REG_SZ and REG_EXPAND_SZ text up to its first
    // NUL (unexpanded); other types, a missing value or no open key give "".
    bool ValueExists(const std::string& name) const;
    std::string ReadString(const std::string& name) const;
    std::optional<uint32_t> ReadDword(const std::string& name) const;
    std::optional<RegistryValueData> ReadValue(const std::string& name) const;

    bool HasSubKeys() const;
    // Immediate subkey names of the open key sorted without regard to case, and its value
    // names in stored order (the default value as "").
    std::vector<std::string> GetKeyNames() const;
    std::vector<std::string> GetValueNames() const;

    // Writes to the open key; false when none is open or the write failed.
    bool WriteString(const std::string& name, const std::string& value);
    bool WriteExpandString(const std::string& name, const std::string& value);
    bool WriteDword(const std::string& name, uint32_t value);
    bool WriteBinaryData(const std::string& name, const std::vector<uint8_t>& bytes);
    bool WriteValue(const std::string& name, const RegistryValueData& value);

    // Deletes KEY with all its subkeys. False when it did not exist or could not be deleted.
    bool DeleteKey(const std::string& key);
    // Deletes KEY only when it has no subkeys.
    bool DeleteEmptyKey(const std::string& key);
    // Deletes a value of the open key.
    bool DeleteValue(const std::string& name);

private:
    std::string Resolve(const std::string& key) const;

    Machine* m_machine;
    RootKey m_root = HKEY_CURRENT_USER;
    bool m_open = false;
    std::string m_currentPath;
};

// Parses "HKEY_LOCAL_MACHINE\Software\X" (also HKLM, HKCU, HKCR, HKEY_CURRENT_USER,
// HKEY_CLASSES_ROOT, any case) into root and path; nullopt for an unknown root.
struct RegistryKeyPath {
    RootKey root;
    std::string path;
};
std::optional<RegistryKeyPath> ParseRegistryKeyPath(const std::string& text);

}
