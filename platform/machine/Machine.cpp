#include "platform/machine/Machine.h"

#include "platform/volume/VolumeDescriptors.h"
#include "platform/hive/RegistryText.h"
#include "platform/text/Codepage.h"
#include "platform/text/Text.h"
#include "platform/wine/WinePrefixKind.h"

#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <pwd.h>
#include <sys/stat.h>
#include <stdexcept>
#include <system_error>
#include <unistd.h>

namespace platform {

namespace fs = std::filesystem;

namespace {

constexpr std::u16string_view DrivesKey = u"Software\\Wine\\Drives";
constexpr std::u16string_view WineKey = u"Software\\Wine";
constexpr std::u16string_view ShellFoldersKey = u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr std::u16string_view CurrentVersionKey = u"Software\\Microsoft\\Windows\\CurrentVersion";
constexpr std::u16string_view FontSubstitutesKey = u"Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes";
constexpr const char* LabelFile = ".windows-label";
constexpr const char* SerialFile = ".windows-serial";
constexpr uint32_t TypeSz = 1;

struct VersionRow {
    std::string_view name;
    OsVersionInfo info;
};

constexpr VersionRow VersionTable[] = {
    { "win31", { 3, 10, 0, VER_PLATFORM_WIN32s } },
    { "win95", { 4, 0, 950, VER_PLATFORM_WIN32_WINDOWS } },
    { "win98", { 4, 10, 2222, VER_PLATFORM_WIN32_WINDOWS } },
    { "winme", { 4, 90, 3000, VER_PLATFORM_WIN32_WINDOWS } },
    { "nt351", { 3, 51, 1057, VER_PLATFORM_WIN32_NT } },
    { "nt40", { 4, 0, 1381, VER_PLATFORM_WIN32_NT } },
    { "win2k", { 5, 0, 2195, VER_PLATFORM_WIN32_NT } },
    { "winxp", { 5, 1, 2600, VER_PLATFORM_WIN32_NT } },
    { "winxp64", { 5, 2, 3790, VER_PLATFORM_WIN32_NT } },
    { "win2003", { 5, 2, 3790, VER_PLATFORM_WIN32_NT } },
    { "vista", { 6, 0, 6002, VER_PLATFORM_WIN32_NT } },
    { "win7", { 6, 1, 7601, VER_PLATFORM_WIN32_NT } },
    { "win8", { 6, 2, 9200, VER_PLATFORM_WIN32_NT } },
    { "win81", { 6, 3, 9600, VER_PLATFORM_WIN32_NT } },
    { "win10", { 10, 0, 19043, VER_PLATFORM_WIN32_NT } },
};
// What Wine reports when the prefix names no version.
constexpr OsVersionInfo DefaultVersion { 10, 0, 19043, VER_PLATFORM_WIN32_NT };

struct DriveTypeName {
    uint32_t type;
    std::string_view name;
};
constexpr DriveTypeName DriveTypeNames[] = {
    { DRIVE_FIXED, "hd" },
    { DRIVE_REMOVABLE, "floppy" },
    { DRIVE_REMOTE, "network" },
    { DRIVE_CDROM, "cdrom" },
    { DRIVE_RAMDISK, "ramdisk" },
};

char ToLower(char letter) { return letter >= 'A' && letter <= 'Z' ? static_cast<char>(letter - 'A' + 'a') : letter; }
char ToUpper(char letter) { return letter >= 'a' && letter <= 'z' ? static_cast<char>(letter - 'a' + 'A') : letter; }
bool IsDriveLetter(char letter) { return (letter >= 'a' && letter <= 'z') || (letter >= 'A' && letter <= 'Z'); }

std::u16string DriveValueName(char letter)
{
    return { static_cast<char16_t>(ToLower(letter)), u':' };
}

std::string HostUserName()
{
    const char* user = std::getenv("USER");
    std::string name;
    for (const char* ch = user ? user : ""; *ch; ++ch) {
        char c = *ch;
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-')
            name += c;
    }
    return name.empty() ? "user" : name;
}

std::string ReadSmallFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    std::string text;
    char buffer[256];
    in.read(buffer, sizeof buffer);
    text.assign(buffer, static_cast<size_t>(in.gcount()));
    return text;
}

// The volume descriptors on a device, when it can be read.
std::optional<VolumeDescriptors> DeviceVolume(const fs::path& device)
{
    int fd = ::open(device.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    auto volume = ReadVolumeDescriptors([fd](uint32_t lsn, uint8_t* buffer) {
        return ::pread(fd, buffer, IsoSectorSize, off_t(lsn) * IsoSectorSize) == off_t(IsoSectorSize);
    });
    ::close(fd);
    return volume;
}

int HexDigit(char c)
{
    return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10
        : c >= 'A' && c <= 'F'                                   ? c - 'A' + 10
                                                                 : -1;
}

bool WriteSmallFile(const fs::path& path, const std::string& text)
{
    fs::path temporary = path;
    temporary += ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out << text;
        if (!out.flush())
            return false;
    }
    std::error_code error;
    fs::rename(temporary, path, error);
    if (error)
        fs::remove(temporary, error);
    return !error;
}

// Points `link` at the folder `target` in one step: a reader finds the old link or the new,
// never no link at all.
bool ReplaceFolderLink(const fs::path& target, const fs::path& link)
{
    std::error_code error;
    fs::path temporary = link;
    temporary += ".new";
    fs::remove(temporary, error);
    fs::create_directory_symlink(target, temporary, error);
    if (error)
        return false;
    fs::rename(temporary, link, error);
    if (error) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return false;
    }
    return true;
}

// A folder of the new prefix: the Windows path stored in the registry and the host folder.
struct PrefixFolder {
    std::u16string valueName;
    std::string windowsPath; // relative to the root of drive C:
};

}

Machine::Machine(fs::path prefixRoot)
    : m_prefixRoot(std::move(prefixRoot))
    , m_registry(m_prefixRoot / "system.reg", m_prefixRoot / "user.reg", MakeHostWineServer(m_prefixRoot))
{
}

fs::path Machine::DefaultPrefixRoot()
{
    if (const char* prefix = std::getenv("TORVA_PREFIX"); prefix && *prefix)
        return prefix;
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data == '/')
        return fs::path(data) / "torva" / "prefix";
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
        const passwd* entry = ::getpwuid(::getuid());
        home = entry ? entry->pw_dir : nullptr;
    }
    if (!home || !*home)
        throw std::runtime_error("no home folder for the default prefix; set TORVA_PREFIX");
    return fs::path(home) / ".local" / "share" / "torva" / "prefix";
}

std::shared_ptr<Machine> Machine::OpenOrCreate(const fs::path& prefixRoot, const MachineSetup& setup)
{
    auto machine = std::make_shared<Machine>(prefixRoot);
    if (!fs::exists(machine->SystemRegFile()))
        machine->CreatePrefix(setup);
    return machine;
}

std::shared_ptr<Machine> Machine::OpenOrCreateNamedOrDefault(const std::optional<fs::path>& prefixRoot)
{
    return OpenOrCreate(prefixRoot ? *prefixRoot : DefaultPrefixRoot());
}

std::shared_ptr<Machine> Machine::OpenOrCreateForWine(const std::optional<fs::path>& prefixRoot, std::ostream& debug)
{
    fs::path root = prefixRoot ? *prefixRoot : DefaultPrefixRoot();
    MachineSetup setup;
    if (!fs::exists(root / "system.reg")) {
        const WineTools& tools = CurrentWineTools();
        PrefixKindAnswer answer = Win32PrefixSupport(tools, DefaultWineKindCache());
        setup.win64 = !answer.win32;
        if (setup.win64)
            debug << "the new prefix " << root.string() << " is 64-bit: " << tools.wine << " runs no 32-bit prefix (\""
                  << answer.refusal << "\")\n";
    }
    return OpenOrCreate(root, setup);
}

void Machine::CreatePrefix(const MachineSetup& setup)
{
    auto fail = [&](const std::string& what) { throw std::runtime_error("cannot create the prefix " + m_prefixRoot.string() + ": " + what); };
    std::error_code error;
    fs::create_directories(DosDevicesDir(), error);
    if (error)
        fail(error.message());

    const std::string user = HostUserName();
    const std::string profile = "users\\" + user;
    const std::vector<PrefixFolder> commonFolders {
        { u"Common Desktop", "users\\Public\\Desktop" },
        { u"Common Documents", "users\\Public\\Documents" },
        { u"Common Start Menu", "users\\Public\\Start Menu" },
        { u"Common Programs", "users\\Public\\Start Menu\\Programs" },
        { u"Common Startup", "users\\Public\\Start Menu\\Programs\\Startup" },
    };
    const std::vector<PrefixFolder> userFolders {
        { u"Desktop", profile + "\\Desktop" },
        { u"Favorites", profile + "\\Favorites" },
        { u"Fonts", "windows\\Fonts" },
        { u"Personal", profile + "\\Documents" },
        { u"Start Menu", profile + "\\Start Menu" },
        { u"Programs", profile + "\\Start Menu\\Programs" },
        { u"Startup", profile + "\\Start Menu\\Programs\\Startup" },
        { u"Recent", profile + "\\Recent" },
        { u"SendTo", profile + "\\SendTo" },
        { u"Templates", profile + "\\Templates" },
        { u"AppData", profile + "\\AppData\\Roaming" },
    };
    std::vector<std::string> folders { "windows", "windows\\system32", "windows\\system", "windows\\temp",
        "windows\\Desktop", "windows\\Start Menu\\Programs", "Program Files" };
    for (auto& folder : commonFolders)
        folders.push_back(folder.windowsPath);
    for (auto& folder : userFolders)
        folders.push_back(folder.windowsPath);
    for (auto& folder : folders) {
        std::string host = folder;
        for (auto& ch : host) {
            if (ch == '\\')
                ch = '/';
        }
        fs::create_directories(DriveCDir() / host, error);
        if (error)
            fail(error.message());
    }

    fs::path linkC = DosDevicesDir() / "c:";
    if (!fs::is_symlink(linkC)) {
        fs::create_directory_symlink("../drive_c", linkC, error);
        if (error)
            fail(error.message());
    }

    auto writeNewHive = [&](const fs::path& file, std::u16string_view relativeTo) {
        if (fs::exists(file))
            return;
        if (!WriteSmallFile(file, RegistryFile::Create(relativeTo, setup.win64).Serialize()))
            fail("cannot write " + file.string());
    };
    writeNewHive(SystemRegFile(), u"\\Machine");
    writeNewHive(UserRegFile(), u"\\User\\S-1-5-21-0-0-0-1000");

    auto setMissing = [&](Hive hive, std::u16string_view key, std::u16string_view name, const std::string& text) {
        if (m_registry.Read(hive).FindValue(key, name))
            return;
        if (!m_registry.SetValue(hive, key, name, TypeSz, RegistryStringBytes(Cp1250ToUtf16(text))))
            fail("cannot write the registry");
    };
    for (auto& folder : commonFolders)
        setMissing(Hive::LocalMachine, ShellFoldersKey, folder.valueName, "C:\\" + folder.windowsPath);
    // The menu takes the user's desktop and programs from the machine's key too.
    setMissing(Hive::LocalMachine, ShellFoldersKey, u"Desktop", "C:\\" + profile + "\\Desktop");
    setMissing(Hive::LocalMachine, ShellFoldersKey, u"Programs", "C:\\" + profile + "\\Start Menu\\Programs");
    setMissing(Hive::LocalMachine, CurrentVersionKey, u"ProgramFilesDir", "C:\\Program Files");
    setMissing(Hive::LocalMachine, FontSubstitutesKey, u"MS Shell Dlg", "Tahoma");
    setMissing(Hive::LocalMachine, FontSubstitutesKey, u"MS Shell Dlg 2", "Tahoma");
    for (auto& folder : userFolders)
        setMissing(Hive::CurrentUser, ShellFoldersKey, folder.valueName, "C:\\" + folder.windowsPath);
    if (!setup.version.empty())
        setMissing(Hive::CurrentUser, WineKey, u"Version", setup.version);
}

std::string Machine::VersionName()
{
    const RegistryFileValue* value = m_registry.Read(Hive::CurrentUser).FindValue(WineKey, u"Version");
    if (!value || (value->type != 1 && value->type != 2))
        return {};
    return Utf16ToCp1250(RegistryBytesString(value->data));
}

OsVersionInfo Machine::Version()
{
    std::string name = VersionName();
    for (auto& row : VersionTable) {
        if (EqualsNoCase(name, row.name))
            return row.info;
    }
    return DefaultVersion;
}

std::string Machine::SystemDirectory()
{
    return PlatformId() == VER_PLATFORM_WIN32_NT ? "C:\\WINDOWS\\SYSTEM32" : "C:\\WINDOWS\\SYSTEM";
}

std::optional<DriveInfo> Machine::Drive(char letter)
{
    if (!IsDriveLetter(letter))
        return std::nullopt;
    fs::path link = DosDevicesDir() / std::string { ToLower(letter), ':' };
    std::error_code error;
    fs::path target = fs::read_symlink(link, error);
    if (error)
        return std::nullopt;
    if (target.is_relative())
        target = DosDevicesDir() / target;
    return DriveInfo { ToUpper(letter), target.lexically_normal(), DriveType(letter) };
}

std::vector<DriveInfo> Machine::Drives()
{
    std::vector<DriveInfo> drives;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        if (auto drive = Drive(letter))
            drives.push_back(*drive);
    }
    return drives;
}

uint32_t Machine::DriveType(char letter)
{
    if (!IsDriveLetter(letter))
        return DRIVE_NO_ROOT_DIR;
    std::error_code error;
    if (!fs::is_symlink(DosDevicesDir() / std::string { ToLower(letter), ':' }, error))
        return DRIVE_NO_ROOT_DIR;
    const RegistryFileValue* value = m_registry.Read(Hive::LocalMachine).FindValue(DrivesKey, DriveValueName(letter));
    if (!value || value->type != 1)
        return DRIVE_FIXED;
    uint32_t type = DriveTypeFromWineName(Utf16ToCp1250(RegistryBytesString(value->data)));
    return type == DRIVE_UNKNOWN ? DRIVE_FIXED : type;
}

char Machine::FirstFreeDriveLetter() const
{
    for (char letter = 'D'; letter <= 'Z'; ++letter) {
        std::error_code error;
        fs::path link = DosDevicesDir() / std::string { ToLower(letter), ':' };
        if (!fs::is_symlink(link, error) && !fs::exists(link, error))
            return letter;
    }
    return 0;
}

char Machine::MapDrive(const fs::path& folder, uint32_t type, char letter)
{
    if (WineDriveTypeName(type).empty())
        return 0;
    if (letter == 0)
        letter = FirstFreeDriveLetter();
    if (!IsDriveLetter(letter))
        return 0;
    letter = ToUpper(letter);
    std::error_code error;
    fs::create_directories(DosDevicesDir(), error);
    fs::path link = DosDevicesDir() / std::string { ToLower(letter), ':' };
    fs::path target = fs::absolute(folder, error);
    if (error || !ReplaceFolderLink(target, link))
        return 0;
    // A device link left from an earlier mapping of the letter is not the new folder's medium.
    fs::remove(DosDevicesDir() / std::string { ToLower(letter), ':', ':' }, error);
    std::u16string typeName = Cp1250ToUtf16(WineDriveTypeName(type));
    if (!m_registry.SetValue(Hive::LocalMachine, DrivesKey, DriveValueName(letter), TypeSz, RegistryStringBytes(typeName)))
        return 0;
    return letter;
}

namespace {

// Fills `volume` with a link to each entry of the disc's top level, but for the volume files.
bool LinkDiscTopLevel(const fs::path& disc, const fs::path& volume)
{
    std::error_code error;
    for (auto& entry : fs::directory_iterator(disc, error)) {
        std::string name = entry.path().filename().string();
        if (name == LabelFile || name == SerialFile)
            continue;
        fs::create_symlink(entry.path(), volume / name, error);
        if (error)
            return false;
    }
    return !error;
}

}

char Machine::MapDisc(const fs::path& disc, const std::string& label, std::optional<uint32_t> serial, char letter)
{
    std::error_code error;
    if (!fs::is_directory(disc, error))
        return 0;
    if (letter == 0)
        letter = FirstFreeDriveLetter();
    if (!IsDriveLetter(letter))
        return 0;
    fs::path volume = m_prefixRoot / "volumes" / std::string(1, ToLower(letter));
    fs::remove_all(volume, error);
    fs::create_directories(volume, error);
    if (error)
        return 0;
    fs::path source = fs::absolute(disc, error);
    if (!LinkDiscTopLevel(source, volume))
        return 0;
    fs::path marker = volume;
    marker += ".disc";
    if (!ReplaceFolderLink(source, marker))
        return 0;
    letter = MapDrive(volume, DRIVE_CDROM, letter);
    if (!letter || !SetVolumeLabel(letter, label) || (serial && !SetVolumeSerial(letter, *serial)))
        return 0;
    return letter;
}

bool Machine::SwitchDisc(char letter, const fs::path& disc)
{
    std::error_code error;
    if (!DiscBehind(letter) || !fs::is_directory(disc, error))
        return false;
    fs::path volume = m_prefixRoot / "volumes" / std::string(1, ToLower(letter));
    fs::path next = volume;
    next += ".next";
    fs::remove_all(next, error);
    fs::create_directories(next, error);
    fs::path source = fs::absolute(disc, error);
    bool built = !error && LinkDiscTopLevel(source, next);
    for (const char* name : { LabelFile, SerialFile })
        if (built && fs::exists(volume / name, error))
            built = fs::copy_file(volume / name, next / name, error);
    // Both folders stay whole while they trade places, so the drive never shows a half of each.
    if (!built || ::renameat2(AT_FDCWD, next.c_str(), AT_FDCWD, volume.c_str(), RENAME_EXCHANGE) != 0) {
        fs::remove_all(next, error);
        return false;
    }
    fs::remove_all(next, error);
    fs::path marker = volume;
    marker += ".disc";
    if (!ReplaceFolderLink(source, marker))
        return false;
    // Readers of the drive table look again when dosdevices/ changes; the disc behind a drive
    // changed without a link there changing.
    return ::utimensat(AT_FDCWD, DosDevicesDir().c_str(), nullptr, 0) == 0;
}

std::optional<fs::path> Machine::DiscBehind(char letter)
{
    auto drive = Drive(letter);
    if (!drive)
        return std::nullopt;
    fs::path volume = m_prefixRoot / "volumes" / std::string(1, ToLower(drive->letter));
    std::error_code error;
    if (!fs::equivalent(drive->target, volume, error))
        return std::nullopt;
    fs::path marker = volume;
    marker += ".disc";
    fs::path disc = fs::read_symlink(marker, error);
    if (error)
        return std::nullopt;
    return disc;
}

bool Machine::SetDriveDevice(char letter, const fs::path& device)
{
    if (!IsDriveLetter(letter))
        return false;
    fs::path link = DosDevicesDir() / std::string { ToLower(letter), ':', ':' };
    std::error_code error;
    fs::remove(link, error);
    fs::create_symlink(device, link, error);
    return !error;
}

std::optional<fs::path> Machine::DriveDevice(char letter)
{
    if (!IsDriveLetter(letter))
        return std::nullopt;
    std::error_code error;
    fs::path device = fs::read_symlink(DosDevicesDir() / std::string { ToLower(letter), ':', ':' }, error);
    if (error)
        return std::nullopt;
    return device;
}

bool Machine::UnmapDrive(char letter)
{
    if (!IsDriveLetter(letter))
        return false;
    std::error_code error;
    std::optional<fs::path> disc = DiscBehind(letter);
    if (!fs::remove(DosDevicesDir() / std::string { ToLower(letter), ':' }, error) || error)
        return false;
    fs::remove(DosDevicesDir() / std::string { ToLower(letter), ':', ':' }, error);
    if (disc) {
        fs::path volume = m_prefixRoot / "volumes" / std::string(1, ToLower(letter));
        fs::remove_all(volume, error);
        volume += ".disc";
        fs::remove(volume, error);
    }
    if (m_registry.Read(Hive::LocalMachine).FindValue(DrivesKey, DriveValueName(letter)))
        m_registry.DeleteValue(Hive::LocalMachine, DrivesKey, DriveValueName(letter));
    return true;
}

std::string Machine::VolumeLabel(char letter)
{
    auto drive = Drive(letter);
    if (!drive)
        return {};
    if (auto device = DriveDevice(letter)) {
        if (auto label = DeviceVolumeLabel(*device))
            return Utf8ToCp1250(*label);
    }
    std::string text = ReadSmallFile(drive->target / LabelFile);
    size_t end = text.find_first_of("\r\n");
    if (end != std::string::npos)
        text.resize(end);
    return Utf8ToCp1250(text);
}

std::optional<uint32_t> Machine::VolumeSerial(char letter)
{
    auto drive = Drive(letter);
    if (!drive)
        return std::nullopt;
    if (auto device = DriveDevice(letter)) {
        if (auto volume = DeviceVolume(*device))
            return volume->serial;
    }
    std::string text(TrimBlanks(ReadSmallFile(drive->target / SerialFile)));
    if (text.empty() || text.size() > 8)
        return std::nullopt;
    uint32_t serial = 0;
    for (char ch : text) {
        int digit = HexDigit(ch);
        if (digit < 0)
            return std::nullopt;
        serial = serial * 16 + static_cast<uint32_t>(digit);
    }
    return serial;
}

bool Machine::SetVolumeLabel(char letter, const std::string& label)
{
    auto drive = Drive(letter);
    return drive && WriteSmallFile(drive->target / LabelFile, Cp1250ToUtf8(label) + "\n");
}

bool Machine::SetVolumeSerial(char letter, uint32_t serial)
{
    auto drive = Drive(letter);
    if (!drive)
        return false;
    char text[16];
    std::snprintf(text, sizeof text, "%08x\n", serial);
    return WriteSmallFile(drive->target / SerialFile, text);
}

std::optional<std::string> DeviceVolumeLabel(const fs::path& device)
{
    auto volume = DeviceVolume(device);
    if (!volume)
        return std::nullopt;
    return volume->jolietLevel > 0 && !volume->jolietLabel.empty() ? volume->jolietLabel : volume->primaryLabel;
}

// udev writes what a file name cannot hold as \xNN.
std::optional<std::string> DeviceByLabelName(const fs::path& device)
{
    std::error_code error;
    fs::path wanted = fs::canonical(device, error);
    if (error)
        return std::nullopt;
    for (auto it = fs::directory_iterator("/dev/disk/by-label", error); !error && it != fs::directory_iterator(); it.increment(error)) {
        std::error_code linkError;
        if (fs::canonical(it->path(), linkError) != wanted || linkError)
            continue;
        std::string name = it->path().filename().string();
        std::string label;
        for (size_t i = 0; i < name.size(); ++i) {
            if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x' && HexDigit(name[i + 2]) >= 0 && HexDigit(name[i + 3]) >= 0) {
                label += static_cast<char>(HexDigit(name[i + 2]) * 16 + HexDigit(name[i + 3]));
                i += 3;
            } else {
                label += name[i];
            }
        }
        return label;
    }
    return std::nullopt;
}

static std::shared_ptr<Machine>& CurrentMachinePointer()
{
    static std::shared_ptr<Machine> machine;
    return machine;
}

Machine& CurrentMachine()
{
    auto& machine = CurrentMachinePointer();
    if (!machine)
        throw std::logic_error("no machine prefix is in use");
    return *machine;
}

bool HasCurrentMachine()
{
    return CurrentMachinePointer() != nullptr;
}

void SetCurrentMachine(std::shared_ptr<Machine> machine)
{
    CurrentMachinePointer() = std::move(machine);
}

bool GetVersionExA(OsVersionInfo& info)
{
    info = CurrentMachine().Version();
    return true;
}

std::string GetWindowsDirectoryA()
{
    return CurrentMachine().WindowsDirectory();
}

std::string GetSystemDirectoryA()
{
    return CurrentMachine().SystemDirectory();
}

uint32_t GetDriveTypeA(std::string_view rootPath)
{
    bool rootOnly = rootPath.size() == 2 || (rootPath.size() == 3 && (rootPath[2] == '\\' || rootPath[2] == '/'));
    if (!rootOnly || rootPath[1] != ':' || !IsDriveLetter(rootPath[0]))
        return DRIVE_NO_ROOT_DIR;
    return CurrentMachine().DriveType(rootPath[0]);
}

std::string_view WineDriveTypeName(uint32_t type)
{
    for (auto& row : DriveTypeNames) {
        if (row.type == type)
            return row.name;
    }
    return {};
}

uint32_t DriveTypeFromWineName(std::string_view name)
{
    for (auto& row : DriveTypeNames) {
        if (EqualsNoCase(name, row.name))
            return row.type;
    }
    return DRIVE_UNKNOWN;
}

uint32_t PlatformIdForVersion(std::string_view versionName)
{
    for (auto& row : VersionTable) {
        if (EqualsNoCase(versionName, row.name))
            return row.info.platformId;
    }
    return VER_PLATFORM_WIN32_NT;
}

}
