#include "tools/samplesetups/Installer.h"

#include "platform/files/Files.h"
#include "platform/text/Codepage.h"
#include "platform/text/Text.h"
#include "platform/ini/IniFile.h"
#include "platform/machine/Machine.h"
#include "platform/registry/Registry.h"
#include "shell/testing/LnkWriter.h"

#include <chrono>
#include <fstream>
#include <ostream>
#include <thread>

namespace samplesetups {

namespace {

namespace fs = std::filesystem;

constexpr const char* kUninstallRoot = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr const char* kShellFolders = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::string Join(const std::string& folder, const std::string& name)
{
    if (folder.empty() || folder.back() == '\\')
        return folder + name;
    return folder + "\\" + name;
}

std::string ParentOf(const std::string& path)
{
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string ShellFolder(const char* name, const std::string& fallback)
{
    platform::Registry registry;
    registry.SetRootKey(platform::HKEY_LOCAL_MACHINE);
    std::string folder;
    if (registry.OpenKeyReadOnly(kShellFolders))
        folder = registry.ReadString(name);
    return folder.empty() ? fallback : folder;
}

platform::RootKey RootOf(const std::string& name)
{
    return name == "HKCU" ? platform::HKEY_CURRENT_USER : platform::HKEY_LOCAL_MACHINE;
}

// What the setup made so far; each step adds to it before it can fail.
class Installation {
public:
    Installation(const SampleConfig& config, const InstallSource& source, std::ostream& err)
        : m_config(config), m_source(source), m_err(err) {}

    bool Run()
    {
        const std::string& folder = m_config.folder;
        if (m_config.requireFolder && !platform::DirectoryExists(folder))
            return Fail("the program this update is for is not installed in " + folder);
        if (!MakeFolders(folder))
            return Fail("cannot create " + folder);
        // An update adds to the record of the program it updates, so one uninstaller takes
        // both away.
        if (auto existing = platform::ReadWholeFile(Join(folder, kLogName))) {
            auto log = InstallLog::Parse(*existing);
            if (!log)
                return Fail("the installation log in " + folder + " is damaged");
            m_log = *log;
        }
        bool ok = CopyFiles() && MakeFiles(folder, m_config.made, true) && WriteTitle() && CopyUninstaller()
            && RegisterUninstall() && WriteProgramPaths() && MakeShortcuts() && WriteIniEntries()
            && MakeFiles(platform::GetSystemDirectoryA(), m_config.systemFiles, true);
        // Saved games and settings of a real installation appear later and are not recorded.
        ok = ok && MakeFiles(folder, m_config.leftovers, false);
        if (!platform::WriteWholeFile(Join(folder, kLogName), m_log.Serialize()))
            return Fail("cannot write the installation log");
        return ok;
    }

private:
    bool Fail(const std::string& why)
    {
        m_err << "setup: " << platform::Cp1250ToUtf8(why) << "\n";
        return false;
    }

    // Creates the folder and each missing parent, recording the ones it made.
    bool MakeFolders(const std::string& folder)
    {
        std::vector<std::string> missing;
        for (std::string level = folder; level.size() > 3 && !platform::DirectoryExists(level); level = ParentOf(level))
            missing.push_back(level);
        for (auto level = missing.rbegin(); level != missing.rend(); ++level) {
            if (!platform::CreateDirectory(*level))
                return false;
            m_log.AddFolder(*level);
        }
        return platform::DirectoryExists(folder);
    }

    bool WriteFile(const std::string& path, const std::string& content, bool record)
    {
        if (!MakeFolders(ParentOf(path)) || !platform::WriteWholeFile(path, content))
            return Fail("cannot write " + path);
        if (record)
            m_log.AddFile(path);
        return true;
    }

    // Programs keep their execute permission, so that the menu can start them.
    bool CopyHostFile(const fs::path& from, const std::string& to)
    {
        std::ifstream in(from, std::ios::binary | std::ios::ate);
        if (!in)
            return Fail("cannot read " + from.string());
        std::string content(static_cast<size_t>(in.tellg()), '\0');
        in.seekg(0);
        if (!in.read(content.data(), static_cast<std::streamsize>(content.size())))
            return Fail("cannot read " + from.string());
        if (!WriteFile(to, content, true))
            return false;
        std::error_code error;
        auto mode = fs::status(from, error).permissions();
        if (auto host = platform::ResolveExisting(to))
            fs::permissions(*host, mode & fs::perms::all, fs::perm_options::replace, error);
        return true;
    }

    // The disc is matched without regard to case, as the menu matches it.
    std::optional<fs::path> SourceFile(const std::string& name) const
    {
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(m_source.folder, error)) {
            if (platform::UpperCase(entry.path().filename().string()) == platform::UpperCase(platform::Cp1250ToUtf8(name)))
                return entry.path();
        }
        return std::nullopt;
    }

    bool CopyFiles()
    {
        std::vector<std::string> names = m_config.copies;
        if (!m_config.program.empty())
            names.insert(names.begin(), m_config.program);
        for (const auto& name : names) {
            auto from = SourceFile(name);
            if (!from)
                return Fail("the disc lacks " + name);
            if (!CopyHostFile(*from, Join(m_config.folder, name)))
                return false;
        }
        return true;
    }

    static std::string Filler(const std::string& name, uint64_t size)
    {
        std::string content;
        content.reserve(size);
        std::string line = name + " ";
        while (content.size() < size)
            content += line;
        content.resize(size);
        return content;
    }

    bool MakeFiles(const std::string& folder, const std::vector<MadeFile>& files, bool record)
    {
        for (const auto& file : files) {
            if (!WriteFile(Join(folder, file.name), Filler(file.name, file.size), record))
                return false;
        }
        return true;
    }

    bool WriteTitle()
    {
        return m_config.title.empty() || WriteFile(Join(m_config.folder, kTitleFileName), m_config.title + "\r\n", true);
    }

    bool CopyUninstaller()
    {
        return m_config.uninstaller.empty() || CopyHostFile(m_source.setupProgram, Join(m_config.folder, m_config.uninstaller));
    }

    bool OpenNewKey(platform::Registry& registry, const char* rootName, const std::string& key)
    {
        registry.SetRootKey(RootOf(rootName));
        bool existed = registry.KeyExists("\\" + key);
        if (!registry.OpenKey("\\" + key, true))
            return Fail(std::string("cannot create the key ") + rootName + "\\" + key);
        if (!existed)
            m_log.AddKey(rootName, key);
        return true;
    }

    bool RegisterUninstall()
    {
        if (m_config.uninstallKey.empty())
            return true;
        platform::Registry registry;
        std::string key = kUninstallRoot + m_config.uninstallKey;
        if (!OpenNewKey(registry, "HKLM", key))
            return false;
        if (!registry.WriteString("DisplayName", m_config.title) || !registry.WriteString("UninstallString", UninstallCommand(m_config)))
            return Fail("cannot write the uninstall entry");
        return true;
    }

    bool WriteProgramPath(const char* rootName, const std::string& subKey, const std::string& name)
    {
        if (subKey.empty())
            return true;
        platform::Registry registry;
        std::string key = "Software\\" + subKey;
        registry.SetRootKey(RootOf(rootName));
        bool keyExisted = registry.KeyExists("\\" + key);
        if (!OpenNewKey(registry, rootName, key))
            return false;
        if (!registry.WriteString(name, Join(m_config.folder, m_config.program)))
            return Fail("cannot write " + key);
        if (keyExisted)
            m_log.AddValue(rootName, key, name);
        return true;
    }

    bool WriteProgramPaths()
    {
        return WriteProgramPath("HKLM", m_config.regKey, m_config.regName)
            && WriteProgramPath("HKCU", m_config.userRegKey, m_config.userRegName);
    }

    // The menu reads a Start-menu shortcut's working folder and a desktop shortcut's target,
    // each cut after its last backslash, so the working folder carries its backslash.
    bool WriteShortcut(const std::string& path)
    {
        shell::LnkContents link;
        std::string target = Join(m_config.folder, m_config.program);
        link.localBasePath = target;
        link.idListPath = target;
        link.workingDir = m_config.folder + "\\";
        link.name = m_config.title;
        std::vector<uint8_t> bytes = shell::WriteLnk(link);
        return WriteFile(path, std::string(bytes.begin(), bytes.end()), true);
    }

    bool MakeShortcuts()
    {
        if (!m_config.startMenu.empty() && !WriteShortcut(Join(ProgramsFolder(), m_config.startMenu)))
            return false;
        return m_config.desktop.empty() || WriteShortcut(Join(DesktopFolder(), m_config.desktop));
    }

    bool WriteIni(const std::string& file, const std::string& section, const std::string& key, const std::string& value)
    {
        if (!platform::WritePrivateProfileString(section, key, value, file))
            return Fail("cannot write " + file);
        m_log.AddIni(file, section, key);
        return true;
    }

    bool WriteIniEntries()
    {
        if (m_config.ini && !WriteIni(m_config.ini->file, m_config.ini->section, m_config.ini->key, m_config.folder))
            return false;
        return !m_config.sierra || WriteIni(Join(platform::GetWindowsDirectoryA(), "sierra.ini"), "Sierra", "SierraDir", m_config.folder);
    }

    const SampleConfig& m_config;
    const InstallSource& m_source;
    std::ostream& m_err;
    InstallLog m_log;
};

}

std::string ProgramsFolder()
{
    return ShellFolder("Common Programs", Join(platform::GetWindowsDirectoryA(), "Start Menu\\Programs"));
}

std::string DesktopFolder()
{
    return ShellFolder("Desktop", Join(platform::GetWindowsDirectoryA(), "Desktop"));
}

std::string UninstallCommand(const SampleConfig& config)
{
    return Join(config.folder, config.uninstaller) + " -f\"" + Join(config.folder, kLogName) + "\"";
}

bool Install(const SampleConfig& config, const InstallSource& source, std::ostream& out, std::ostream& err)
{
    out << "setup: installing " << platform::Cp1250ToUtf8(config.title) << " into " << platform::Cp1250ToUtf8(config.folder) << "\n";
    Installation installation(config, source, err);
    bool ok = installation.Run();
    if (ok && config.delayMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(config.delayMs));
    if (ok)
        out << "setup: done\n";
    return ok;
}

}
