#include "tools/samplesetups/Installer.h"

#include "platform/files/Files.h"
#include "platform/text/Codepage.h"
#include "platform/text/Text.h"
#include "platform/ini/IniFile.h"
#include "platform/registry/Registry.h"

#include <ostream>

namespace samplesetups {

namespace {

platform::RootKey RootOf(const std::string& name)
{
    return name == "HKCU" ? platform::HKEY_CURRENT_USER : platform::HKEY_LOCAL_MACHINE;
}

// A log is outside input: keys that hold other programs' entries are never taken away, only
// keys at least two levels below Software.
bool MayDeleteKey(const std::string& key)
{
    std::string upper = platform::UpperCase(key);
    if (upper.rfind("SOFTWARE\\", 0) != 0)
        return false;
    size_t levels = 0;
    for (char c : upper.substr(9))
        levels += c == '\\' ? 1 : 0;
    return levels >= 1 && upper != "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\UNINSTALL"
        && upper.find("\\..") == std::string::npos;
}

bool RemoveFile(const std::string& path)
{
    if (platform::DeleteFile(path))
        return true;
    platform::SetFileAttributes(path, platform::FILE_ATTRIBUTE_ARCHIVE);
    return platform::DeleteFile(path);
}

// Takes the key out of the file, then the section when it has no keys left, then the file
// when nothing is left in it.
void RemoveIniEntry(const std::string& file, const std::string& section, const std::string& key)
{
    platform::WritePrivateProfileString(section, key, std::nullopt, file);
    if (platform::GetPrivateProfileKeyNames(section, file).empty())
        platform::WritePrivateProfileString(section, std::nullopt, std::nullopt, file);
    if (platform::GetPrivateProfileSectionNames(file).empty()) {
        std::string path = file.find('\\') == std::string::npos ? platform::GetWindowsDirectoryA() + "\\" + file : file;
        auto content = platform::ReadWholeFile(path);
        if (content && content->find_first_not_of(" \t\r\n") == std::string::npos)
            platform::DeleteFile(path);
    }
}

void Undo(const LogEntry& entry, std::ostream& err)
{
    const auto& f = entry.fields;
    switch (entry.kind) {
    case LogKind::File:
        if (platform::FileExists(f[0]) && !RemoveFile(f[0]))
            err << "uninstall: cannot delete " << platform::Cp1250ToUtf8(f[0]) << "\n";
        break;
    case LogKind::Folder:
        platform::RemoveDirectory(f[0]); // stays when something was left in it
        break;
    case LogKind::Key: {
        if (!MayDeleteKey(f[1])) {
            err << "uninstall: refusing to delete the key " << platform::Cp1250ToUtf8(f[1]) << "\n";
            break;
        }
        platform::Registry registry;
        registry.SetRootKey(RootOf(f[0]));
        registry.DeleteKey("\\" + f[1]);
        break;
    }
    case LogKind::Value: {
        platform::Registry registry;
        registry.SetRootKey(RootOf(f[0]));
        if (registry.OpenKey("\\" + f[1], false))
            registry.DeleteValue(f[2]);
        break;
    }
    case LogKind::Ini:
        RemoveIniEntry(f[0], f[1], f[2]);
        break;
    }
}

}

bool Uninstall(const std::string& logPath, std::ostream& out, std::ostream& err)
{
    auto text = platform::ReadWholeFile(logPath);
    if (!text) {
        err << "uninstall: there is no installation log " << platform::Cp1250ToUtf8(logPath) << "\n";
        return false;
    }
    auto log = InstallLog::Parse(*text);
    if (!log) {
        err << "uninstall: the installation log " << platform::Cp1250ToUtf8(logPath) << " is damaged; nothing was removed\n";
        return false;
    }
    out << "uninstall: removing what " << platform::Cp1250ToUtf8(logPath) << " records\n";
    const auto& entries = log->Entries();
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        if (entry->kind != LogKind::Folder)
            Undo(*entry, err);
    }
    RemoveFile(logPath);
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        if (entry->kind == LogKind::Folder)
            Undo(*entry, err);
    }
    out << "uninstall: done\n";
    return true;
}

}
