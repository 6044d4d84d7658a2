#include "platform/machine/Machine.h"
#include "platform/files/PathResolver.h"

#include "platform/registry/Registry.h"
#include "tests/support/TestFiles.h"
#include "tests/platform/hive/FakeWineServer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace platform {
namespace {

namespace fs = std::filesystem;

class MachineTest : public ::testing::Test {
protected:
    void SetUp() override { m_root = torva::test::FreshTestFolder("machine"); }
    std::shared_ptr<Machine> Create(const MachineSetup& setup = {})
    {
        auto machine = Machine::OpenOrCreate(m_root, setup);
        machine->SetWineServer(std::make_shared<torvatest::FakeWineServer>());
        return machine;
    }
    // C:\ paths of the new prefix as host folders.
    fs::path HostPath(const std::string& windowsPath) const
    {
        EXPECT_TRUE(windowsPath.starts_with("C:\\")) << windowsPath;
        std::string rest = windowsPath.substr(3);
        for (auto& ch : rest) {
            if (ch == '\\')
                ch = '/';
        }
        return m_root / "drive_c" / rest;
    }

    fs::path m_root;
};

TEST_F(MachineTest, NewPrefixHasDriveCWindowsFoldersAndHivesOfItsWidth)
{
    auto machine = Create();
    for (const char* folder : { "windows", "windows/system32", "windows/system", "Program Files" })
        EXPECT_TRUE(fs::is_directory(m_root / "drive_c" / folder)) << folder;
    EXPECT_EQ(fs::read_symlink(m_root / "dosdevices/c:"), fs::path("../drive_c"));
    EXPECT_TRUE(fs::exists(m_root / "system.reg"));
    EXPECT_TRUE(fs::exists(m_root / "user.reg"));
    auto drives = machine->Drives();
    ASSERT_EQ(drives.size(), 1u);
    EXPECT_EQ(drives[0].letter, 'C');
    EXPECT_EQ(drives[0].type, DRIVE_FIXED);
    EXPECT_TRUE(fs::equivalent(drives[0].target, m_root / "drive_c"));
    EXPECT_FALSE(machine->RegistryHives().IsWin64());
    fs::remove_all(m_root);
    EXPECT_TRUE(Create({ "", true })->RegistryHives().IsWin64()) << "a 64-bit setup marks the machine hive";
}

TEST_F(MachineTest, ShellFoldersPointAtFoldersThatExist)
{
    auto machine = Create();
    Registry reg(*machine);
    const std::pair<RootKey, std::vector<std::string>> tables[] = {
        { HKEY_LOCAL_MACHINE, { "Common Desktop", "Desktop", "Common Programs", "Programs", "Common Start Menu", "Common Startup" } },
        { HKEY_CURRENT_USER, { "Desktop", "Favorites", "Fonts", "Personal", "Programs", "Recent", "SendTo", "Start Menu", "Startup", "Templates" } },
    };
    for (const auto& [root, names] : tables) {
        reg.SetRootKey(root);
        ASSERT_TRUE(reg.OpenKeyReadOnly("\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"));
        for (const std::string& name : names) {
            std::string folder = reg.ReadString(name);
            EXPECT_FALSE(folder.empty()) << name;
            EXPECT_TRUE(fs::is_directory(HostPath(folder))) << name << " = " << folder;
        }
    }
    // The fallbacks when a value is missing exist as well.
    EXPECT_TRUE(fs::is_directory(m_root / "drive_c/windows/Desktop"));
    EXPECT_TRUE(fs::is_directory(m_root / "drive_c/windows/Start Menu/Programs"));
}

TEST_F(MachineTest, ExistingPrefixIsLeftAsItIs)
{
    fs::create_directories(m_root);
    const std::string hive = "WINE REGISTRY Version 2\n\n[Software\\\\Mine] 1\n";
    std::ofstream(m_root / "system.reg") << hive;
    auto machine = Create();
    EXPECT_FALSE(fs::exists(m_root / "drive_c"));
    EXPECT_EQ(torva::test::ReadText(m_root / "system.reg"), hive);
}

TEST_F(MachineTest, VersionComesFromTheWineVersionValue)
{
    const std::pair<std::vector<std::string>, uint32_t> families[] = {
        { { "win31" }, VER_PLATFORM_WIN32s },
        { { "win95", "win98", "WinME" }, VER_PLATFORM_WIN32_WINDOWS },
        { { "nt40", "winxp", "win10", "" }, VER_PLATFORM_WIN32_NT },
    };
    for (const auto& [versions, platformId] : families) {
        for (const std::string& version : versions) {
            fs::remove_all(m_root);
            auto machine = Create({ version, false });
            EXPECT_EQ(machine->PlatformId(), platformId) << version;
            EXPECT_EQ(machine->SystemDirectory(), platformId == VER_PLATFORM_WIN32_NT ? "C:\\WINDOWS\\SYSTEM32" : "C:\\WINDOWS\\SYSTEM") << version;
            EXPECT_EQ(machine->WindowsDirectory(), "C:\\WINDOWS");
            EXPECT_EQ(PlatformIdForVersion(version), platformId);
        }
    }
    // An unknown name, or a value that is no text, counts as NT.
    auto machine = Create();
    Registry reg(*machine);
    ASSERT_TRUE(reg.OpenKey("\\Software\\Wine", true));
    ASSERT_TRUE(reg.WriteString("Version", "win2050"));
    EXPECT_EQ(machine->PlatformId(), VER_PLATFORM_WIN32_NT);
    ASSERT_TRUE(reg.WriteDword("Version", 1));
    EXPECT_EQ(machine->PlatformId(), VER_PLATFORM_WIN32_NT);
    ASSERT_TRUE(reg.WriteString("Version", "win98"));
    EXPECT_EQ(machine->PlatformId(), VER_PLATFORM_WIN32_WINDOWS) << "a changed value is seen at once";
}

TEST_F(MachineTest, MappingDrivesAndTheirTypes)
{
    auto machine = Create();
    fs::path disc = m_root / "disc";
    fs::path other = m_root / "other";
    fs::create_directories(disc);
    fs::create_directories(other);
    EXPECT_EQ(machine->FirstFreeDriveLetter(), 'D');
    EXPECT_EQ(machine->MapDrive(disc, DRIVE_CDROM), 'D');
    EXPECT_EQ(machine->MapDrive(other, DRIVE_REMOTE, 'g'), 'G');
    EXPECT_EQ(machine->FirstFreeDriveLetter(), 'E');
    EXPECT_EQ(machine->MapDrive(other, DRIVE_NO_ROOT_DIR), 0) << "not a type a drive can have";

    EXPECT_EQ(machine->DriveType('d'), DRIVE_CDROM);
    EXPECT_EQ(machine->DriveType('G'), DRIVE_REMOTE);
    EXPECT_EQ(machine->DriveType('C'), DRIVE_FIXED);
    EXPECT_EQ(machine->DriveType('E'), DRIVE_NO_ROOT_DIR);
    EXPECT_EQ(fs::read_symlink(m_root / "dosdevices/d:"), fs::absolute(disc));

    Registry reg(*machine);
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\Software\\Wine\\Drives"));
    EXPECT_EQ(reg.ReadString("d:"), "cdrom");
    EXPECT_EQ(reg.ReadString("g:"), "network");

    SetCurrentMachine(machine);
    struct Row {
        std::string root;
        uint32_t type;
    };
    const Row rows[] = { { "C:\\", DRIVE_FIXED }, { "d:\\", DRIVE_CDROM }, { "D:", DRIVE_CDROM }, { "G:/", DRIVE_REMOTE }, { "E:\\", DRIVE_NO_ROOT_DIR },
        { "D:\\x", DRIVE_NO_ROOT_DIR }, { "", DRIVE_NO_ROOT_DIR }, { "1:\\", DRIVE_NO_ROOT_DIR }, { "\\\\server\\share", DRIVE_NO_ROOT_DIR } };
    for (auto& row : rows)
        EXPECT_EQ(GetDriveTypeA(row.root), row.type) << row.root;
    OsVersionInfo info;
    EXPECT_TRUE(GetVersionExA(info));
    EXPECT_EQ(info.platformId, VER_PLATFORM_WIN32_NT);
    EXPECT_EQ(GetWindowsDirectoryA(), "C:\\WINDOWS");
    EXPECT_EQ(GetSystemDirectoryA(), "C:\\WINDOWS\\SYSTEM32");
    SetCurrentMachine(nullptr);

    // Remapping a letter replaces its link and type; unmapping removes both.
    EXPECT_EQ(machine->MapDrive(other, DRIVE_REMOVABLE, 'D'), 'D');
    EXPECT_EQ(machine->DriveType('D'), DRIVE_REMOVABLE);
    EXPECT_TRUE(machine->UnmapDrive('D'));
    EXPECT_FALSE(machine->UnmapDrive('D'));
    EXPECT_EQ(machine->DriveType('D'), DRIVE_NO_ROOT_DIR);
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\Software\\Wine\\Drives"));
    EXPECT_FALSE(reg.ValueExists("d:"));
    EXPECT_EQ(machine->Drives().size(), 2u);

    // A folder standing where the letter's link goes cannot be replaced: no drive, no leftovers.
    fs::create_directories(machine->DosDevicesDir() / "h:" / "kept");
    EXPECT_EQ(machine->MapDrive(other, DRIVE_FIXED, 'H'), 0);
    EXPECT_TRUE(fs::is_directory(machine->DosDevicesDir() / "h:" / "kept"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(machine->DosDevicesDir() / "h:.new")));
}

TEST_F(MachineTest, UnknownDriveTypeValuesMeanFixed)
{
    auto machine = Create();
    fs::create_directories(m_root / "x");
    ASSERT_EQ(machine->MapDrive(m_root / "x", DRIVE_RAMDISK, 'X'), 'X');
    Registry reg(*machine);
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\Software\\Wine\\Drives"));
    ASSERT_TRUE(reg.WriteString("x:", "tape"));
    EXPECT_EQ(machine->DriveType('X'), DRIVE_FIXED);
    ASSERT_TRUE(reg.DeleteValue("x:"));
    EXPECT_EQ(machine->DriveType('X'), DRIVE_FIXED);
}

TEST_F(MachineTest, VolumeLabelAndSerialFiles)
{
    auto machine = Create();
    fs::path disc = m_root / "disc";
    fs::create_directories(disc);
    ASSERT_EQ(machine->MapDrive(disc, DRIVE_CDROM, 'E'), 'E');
    EXPECT_EQ(machine->VolumeLabel('E'), "");
    EXPECT_EQ(machine->VolumeSerial('E'), std::nullopt);
    EXPECT_TRUE(machine->SetVolumeLabel('E', "TORVA \x8A"
                                             "KOLA"));
    EXPECT_TRUE(machine->SetVolumeSerial('E', 0x1234ABCD));
    std::ifstream label(disc / ".windows-label");
    std::string line;
    std::getline(label, line);
    EXPECT_EQ(line, "TORVA \xC5\xA0KOLA");
    EXPECT_EQ(machine->VolumeLabel('e'), "TORVA \x8A"
                                         "KOLA");
    EXPECT_EQ(machine->VolumeSerial('E'), 0x1234ABCDu);
    std::ofstream(disc / ".windows-serial") << "not hex\n";
    EXPECT_EQ(machine->VolumeSerial('E'), std::nullopt);
    EXPECT_FALSE(machine->SetVolumeLabel('Q', "x"));
}

TEST(MachineDefaultPrefix, FromTheEnvironment)
{
    auto keep = [](const char* name) {
        const char* value = std::getenv(name);
        return std::optional<std::string>(value ? std::optional<std::string>(value) : std::nullopt);
    };
    auto prefix = keep("TORVA_PREFIX");
    auto data = keep("XDG_DATA_HOME");
    auto home = keep("HOME");

    ::setenv("TORVA_PREFIX", "/p/x", 1);
    ::setenv("XDG_DATA_HOME", "/data", 1);
    ::setenv("HOME", "/home/u", 1);
    EXPECT_EQ(Machine::DefaultPrefixRoot(), fs::path("/p/x"));
    ::unsetenv("TORVA_PREFIX");
    EXPECT_EQ(Machine::DefaultPrefixRoot(), fs::path("/data/torva/prefix"));
    ::setenv("XDG_DATA_HOME", "relative", 1); // not absolute: ignored, as the convention says
    EXPECT_EQ(Machine::DefaultPrefixRoot(), fs::path("/home/u/.local/share/torva/prefix"));
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(Machine::DefaultPrefixRoot(), fs::path("/home/u/.local/share/torva/prefix"));

    auto restore = [](const char* name, const std::optional<std::string>& value) {
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    };
    restore("TORVA_PREFIX", prefix);
    restore("XDG_DATA_HOME", data);
    restore("HOME", home);
}

}
}

namespace platform {
namespace {

TEST_F(MachineTest, ReadOnlyDiscGetsAVolumeFolderOfLinks)
{
    auto machine = Create();
    fs::path disc = m_root / "disc";
    fs::create_directories(disc / "Torva");
    std::ofstream(disc / "TORVA.EXE") << "x";
    std::ofstream(disc / ".windows-label") << "STALE\n"; // the disc's own file does not win
    fs::permissions(disc, fs::perms::owner_read | fs::perms::owner_exec);

    char letter = machine->MapDisc(disc, "TORVA 2", 0xCAFE0001u);
    fs::permissions(disc, fs::perms::owner_all);
    ASSERT_EQ(letter, 'D');
    EXPECT_EQ(machine->DriveType('D'), DRIVE_CDROM);
    auto drive = machine->Drive('D');
    ASSERT_TRUE(drive);
    EXPECT_TRUE(fs::is_regular_file(drive->target / "TORVA.EXE"));
    EXPECT_TRUE(fs::is_directory(drive->target / "Torva"));
    EXPECT_TRUE(drive->target.string().starts_with(m_root.string())) << "the links live in the prefix";
    EXPECT_EQ(machine->VolumeLabel('D'), "TORVA 2");
    EXPECT_EQ(machine->VolumeSerial('D'), 0xCAFE0001u);
    EXPECT_EQ(machine->DiscBehind('D'), fs::absolute(disc));
    EXPECT_EQ(machine->MapDisc(m_root / "missing", "X", std::nullopt), 0);

    fs::path volume = drive->target;
    ASSERT_TRUE(machine->UnmapDrive('D'));
    EXPECT_FALSE(fs::exists(volume)) << "the links go with the drive";
    EXPECT_FALSE(fs::is_symlink(volume.string() + ".disc"));
    EXPECT_TRUE(fs::exists(disc / "TORVA.EXE")) << "the disc keeps its files";
}

// A disc drive switched to a fuller folder of the same disc keeps its letter, label and serial,
// and path lookups that went through the drive before find the new folder's files at once.
TEST_F(MachineTest, SwitchingADiscKeepsTheDriveAndShowsTheNewFolder)
{
    auto machine = Create();
    SetCurrentMachine(machine);
    fs::path browsing = m_root / "browsing", whole = m_root / "whole";
    fs::create_directories(browsing / "Torva");
    fs::create_directories(whole / "Torva");
    fs::create_directories(whole / "DEMOS");
    std::ofstream(whole / "DEMOS" / "SETUP.EXE") << "x";
    ASSERT_EQ(machine->MapDisc(browsing, "TORVA 2", 0xCAFE0001u), 'D');
    EXPECT_TRUE(ResolveWindowsPath("D:\\Torva", ResolveMode::Existing));
    EXPECT_FALSE(ResolveWindowsPath("D:\\DEMOS\\SETUP.EXE", ResolveMode::Existing));

    ASSERT_TRUE(machine->SwitchDisc('D', whole));
    EXPECT_EQ(machine->DiscBehind('D'), fs::absolute(whole));
    EXPECT_EQ(machine->VolumeLabel('D'), "TORVA 2");
    EXPECT_EQ(machine->VolumeSerial('D'), 0xCAFE0001u);
    auto setup = ResolveWindowsPath("D:\\DEMOS\\SETUP.EXE", ResolveMode::Existing);
    ASSERT_TRUE(setup);
    EXPECT_TRUE(fs::equivalent(*setup, whole / "DEMOS" / "SETUP.EXE"));
    EXPECT_FALSE(fs::exists(machine->Drive('D')->target.string() + ".next")) << "the old links were left";

    ASSERT_EQ(machine->MapDrive(m_root, DRIVE_FIXED, 'E'), 'E');
    EXPECT_FALSE(machine->SwitchDisc('E', whole)) << "a plain drive is no disc of links";
    SetCurrentMachine(nullptr);
}

// A drive with a device link reads its label and serial from the volume descriptors on the
// device, as Wine does, before any .windows-label in its root.
TEST_F(MachineTest, DriveWithADeviceReadsTheDevicesVolume)
{
    auto machine = Create();
    fs::path disc = m_root / "disc";
    fs::create_directories(disc);
    std::ofstream(disc / ".windows-label") << "FOLDER\n";
    std::string device(18 * 2048, '\0');
    auto descriptor = [&](size_t sector, char type) {
        device[sector * 2048] = type;
        device.replace(sector * 2048 + 1, 5, "CD001");
    };
    descriptor(16, 1);
    device.replace(16 * 2048 + 40, 32, std::string("MOUNTED_DISC").append(20, ' '));
    descriptor(17, char(255));
    std::ofstream(m_root / "sr0", std::ios::binary) << device;

    ASSERT_EQ(machine->MapDrive(disc, DRIVE_CDROM, 'E'), 'E');
    EXPECT_EQ(machine->VolumeLabel('E'), "FOLDER");
    ASSERT_TRUE(machine->SetDriveDevice('E', m_root / "sr0"));
    EXPECT_EQ(machine->DriveDevice('E'), m_root / "sr0");
    EXPECT_EQ(machine->VolumeLabel('E'), "MOUNTED_DISC");
    EXPECT_TRUE(machine->VolumeSerial('E').has_value());
    ASSERT_TRUE(machine->SetDriveDevice('E', m_root / "no-such-device"));
    EXPECT_EQ(machine->VolumeLabel('E'), "FOLDER") << "a device that cannot be read gives way to the files";
    ASSERT_TRUE(machine->SetDriveDevice('E', m_root / "sr0"));
    ASSERT_TRUE(machine->UnmapDrive('E'));
    EXPECT_FALSE(fs::is_symlink(machine->DosDevicesDir() / "e::"));
    EXPECT_TRUE(fs::exists(m_root / "sr0"));
}

}
}
