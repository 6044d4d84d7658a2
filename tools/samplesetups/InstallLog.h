#pragma once

// The record a sample setup leaves in the game folder (INSTALL.LOG), from which its
// uninstaller takes back exactly what the setup made. One entry a line, fields separated by
// tabs, code page 1250:
//   FILE    C:\Hry\X\X.EXE
//   FOLDER  C:\Hry\X
//   KEY     HKLM    Software\Microsoft\Windows\CurrentVersion\Uninstall\X
//   VALUE   HKLM    Software\Torva\X    Path
//   INI     C:\WINDOWS\X.INI    Setup    Dir

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace samplesetups {

enum class LogKind { File,
    Folder,
    Key,
    Value,
    Ini };

struct LogEntry {
    LogKind kind = LogKind::File;
    std::vector<std::string> fields; // File, Folder: path; Key: root, key; Value: root, key, name; Ini: file, section, key
};

class InstallLog {
public:
    void AddFile(std::string path) { m_entries.push_back({ LogKind::File, { std::move(path) } }); }
    void AddFolder(std::string path) { m_entries.push_back({ LogKind::Folder, { std::move(path) } }); }
    void AddKey(std::string root, std::string key) { m_entries.push_back({ LogKind::Key, { std::move(root), std::move(key) } }); }
    void AddValue(std::string root, std::string key, std::string name)
    {
        m_entries.push_back({ LogKind::Value, { std::move(root), std::move(key), std::move(name) } });
    }
    void AddIni(std::string file, std::string section, std::string key)
    {
        m_entries.push_back({ LogKind::Ini, { std::move(file), std::move(section), std::move(key) } });
    }

    const std::vector<LogEntry>& Entries() const { return m_entries; }
    std::string Serialize() const;
    // Lines that are not entries (unknown kind, wrong field count) make the log unreadable: an
    // uninstaller must not guess what to delete.
    static std::optional<InstallLog> Parse(std::string_view text);

private:
    std::vector<LogEntry> m_entries;
};

}
