#include "MenuFixture.h"

#include "platform/files/Files.h"
#include "platform/ini/IniFile.h"
#include "platform/registry/Registry.h"

using Startup = MenuFixture;

TEST_F(Startup, EnvironmentFoldersEndWithBackslash)
{
    WriteCatalogue("[Main]\n");
    auto& f = Start();
    EXPECT_EQ(f.Context.WinVersion, "Windows NT");
    EXPECT_EQ(f.Context.WindowsDir, "C:\\WINDOWS\\");
    EXPECT_EQ(f.Context.SystemDir, "C:\\WINDOWS\\SYSTEM32\\");
    EXPECT_EQ(f.Context.ProgramFilesDir, "C:\\Program Files\\");
    for (auto* folder : { &f.Context.CommonDesktopDir, &f.Context.DesktopDir, &f.Context.ProgramsDir }) {
        ASSERT_FALSE(folder->empty());
        EXPECT_EQ(folder->back(), '\\');
        EXPECT_TRUE(platform::DirectoryExists(*folder)) << *folder;
    }
    EXPECT_EQ(f.Context.Language, 1);
    EXPECT_EQ(f.Enhanced, 1);
    EXPECT_EQ(f.Slow, 0);
    // The disc root is the current directory.
    EXPECT_EQ(platform::GetCurrentDirectory(), Drive() + "\\");
}

TEST_F(Startup, ShellFolderFallbacks)
{
    platform::Registry reg;
    reg.SetRootKey(platform::HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", true));
    reg.DeleteValue("Common Desktop");
    reg.DeleteValue("Common Programs");
    reg.WriteString("Desktop", "C:\\Plocha");
    WriteCatalogue("[Main]\n");
    auto& f = Start();
    EXPECT_EQ(f.Context.CommonDesktopDir, "C:\\Plocha\\");
    EXPECT_EQ(f.Context.DesktopDir, "C:\\Plocha\\");
    EXPECT_EQ(f.Context.ProgramsDir, "C:\\WINDOWS\\Start Menu\\Programs\\");
}

TEST_F(Startup, SettingsComeFromTheStateFile)
{
    WriteDriveC("windows/torva.ini", "[Main]\r\nEnhanced=0\r\nSlow=1\r\n");
    WriteCatalogue("[Main]\n");
    auto& f = Start();
    EXPECT_EQ(f.Enhanced, 0);
    EXPECT_EQ(f.Slow, 1);
}

TEST_F(Startup, StartedFromAnotherDriveTakesItUnchecked)
{
    auto& f = Start("Q:\\TORVA.EXE");
    EXPECT_EQ(f.Context.DiscDrive, "Q:");
    EXPECT_EQ(f.Context.DataDir, "Q:\\TORVA\\");
    // No catalogue there, so loading ends the program.
    EXPECT_TRUE(f.Terminated);
    EXPECT_EQ(boxes.errors.back(), "Where is my TORVAXP.INI?????");
}

TEST_F(Startup, StartedFromCSearchesTheDrives)
{
    WriteCatalogue("[Main]\nCD=0101\n");
    // A folder with only one of the two marker files does not count; the disc sits behind it.
    WriteHostFile(root / "decoy" / "TORVA.EXE", "x");
    machine->UnmapDrive(discLetter);
    ASSERT_EQ(machine->MapDrive(root / "decoy", platform::DRIVE_CDROM, 'D'), 'D');
    ASSERT_EQ(machine->MapDrive(root / "disc", platform::DRIVE_CDROM, 'G'), 'G');
    // A second disc on a later drive loses to the first one found.
    WriteHostFile(root / "other" / "TORVA.EXE", "x");
    WriteHostFile(root / "other" / "Torva" / "torvaxp.ini", "[Main]\nCD=9999\n");
    ASSERT_EQ(machine->MapDrive(root / "other", platform::DRIVE_CDROM, 'H'), 'H');
    auto& f = Start("C:\\TORVA\\TORVA.EXE");
    EXPECT_EQ(f.Context.DiscDrive, "G:");
    EXPECT_FALSE(f.Terminated);
    EXPECT_EQ(f.Context.DiscId, "0101");
}

TEST_F(Startup, NoDiscInAnyDrive)
{
    machine->UnmapDrive(discLetter);
    auto& f = Start("C:\\TORVA.EXE");
    EXPECT_TRUE(f.Terminated);
    ASSERT_EQ(boxes.errors.size(), 1u);
    EXPECT_EQ(boxes.errors[0], "There is no TORVA CD in any drive...");
    EXPECT_EQ(f.Context.DiscDrive, "[:");
}

TEST_F(Startup, RefusedStateWriteIsReportedAndSkipsTheRest)
{
    // A folder where the state file should be cannot be written over, not even by root.
    std::filesystem::create_directories(root / "prefix" / "drive_c" / "windows" / "torva.ini");
    WriteCatalogue("[Main]\n");
    auto& f = Start();
    ASSERT_FALSE(boxes.errors.empty());
    EXPECT_EQ(boxes.errors[0], "Unable to write to torva.ini");
    EXPECT_TRUE(f.Context.DataDir.empty());
}
