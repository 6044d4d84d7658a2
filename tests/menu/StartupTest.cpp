#include "MenuFixture.h"

#include "menu/MenuStartup.h"
#include "platform/files/Files.h"
#include "platform/registry/Registry.h"

// Start-up alone, on the fixture's machine: what it leaves in the shared context, the file tree's
// context and the outcome.
class Startup : public MenuFixture {
protected:
    void TearDown() override
    {
        context.StateIni.reset();
        MenuFixture::TearDown();
    }

    // Starts from the disc, or from `ownPath`.
    void Run(const std::string& ownPath = "")
    {
        MenuStartup startup(context, files, ownPath.empty() ? Drive() + "\\TORVA.EXE" : ownPath, &channel);
        outcome = startup.Start();
    }

    MenuContext context;
    shell::FileTree files { shell::FileTreeContext {} };
    StartupOutcome outcome;
};

TEST_F(Startup, EnvironmentFoldersEndWithBackslash)
{
    WriteCatalogue("[Main]\n");
    Run();
    EXPECT_EQ(context.WinVersion, "Windows NT");
    EXPECT_EQ(context.WindowsDir, "C:\\WINDOWS\\");
    EXPECT_EQ(context.SystemDir, "C:\\WINDOWS\\SYSTEM32\\");
    EXPECT_EQ(context.ProgramFilesDir, "C:\\Program Files\\");
    for (auto* folder : { &context.CommonDesktopDir, &context.DesktopDir, &context.ProgramsDir }) {
        ASSERT_FALSE(folder->empty());
        EXPECT_EQ(folder->back(), '\\');
        EXPECT_TRUE(platform::DirectoryExists(*folder)) << *folder;
    }
    EXPECT_EQ(context.Language, 1);
    // The file operations work with the same folders and language.
    EXPECT_EQ(files.Context().WindowsDir, context.WindowsDir);
    EXPECT_EQ(files.Context().ProgramsDir, context.ProgramsDir);
    EXPECT_EQ(files.Context().WinVersion, context.WinVersion);
    EXPECT_EQ(files.Context().Language, 1);
    ASSERT_TRUE(outcome.settings);
    EXPECT_EQ(outcome.settings->enhanced, 1);
    EXPECT_EQ(outcome.settings->slow, 0);
    EXPECT_FALSE(outcome.terminated);
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
    Run();
    EXPECT_EQ(context.CommonDesktopDir, "C:\\Plocha\\");
    EXPECT_EQ(context.DesktopDir, "C:\\Plocha\\");
    EXPECT_EQ(context.ProgramsDir, "C:\\WINDOWS\\Start Menu\\Programs\\");
}

TEST_F(Startup, SettingsComeFromTheStateFile)
{
    WriteDriveC("windows/torva.ini", "[Main]\r\nEnhanced=0\r\nSlow=1\r\n");
    WriteCatalogue("[Main]\n");
    Run();
    ASSERT_TRUE(outcome.settings);
    EXPECT_EQ(outcome.settings->enhanced, 0);
    EXPECT_EQ(outcome.settings->slow, 1);
    EXPECT_TRUE(outcome.started);
}

TEST_F(Startup, StartedFromAnotherDriveTakesItUnchecked)
{
    Run("Q:\\TORVA.EXE");
    EXPECT_EQ(context.DiscDrive, "Q:");
    EXPECT_EQ(context.DataDir, "Q:\\TORVA\\");
    // Whether a catalogue is there is for the catalogue to find out.
    EXPECT_FALSE(outcome.terminated);
    EXPECT_TRUE(boxes.errors.empty());
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
    Run("C:\\TORVA\\TORVA.EXE");
    EXPECT_EQ(context.DiscDrive, "G:");
    EXPECT_EQ(context.DataDir, "G:\\TORVA\\");
    EXPECT_FALSE(outcome.terminated);
}

TEST_F(Startup, NoDiscInAnyDrive)
{
    machine->UnmapDrive(discLetter);
    Run("C:\\TORVA.EXE");
    EXPECT_TRUE(outcome.terminated);
    ASSERT_EQ(boxes.errors.size(), 1u);
    EXPECT_EQ(boxes.errors[0], "There is no TORVA CD in any drive...");
    EXPECT_EQ(context.DiscDrive, "[:");
    // The settings are not read.
    EXPECT_FALSE(outcome.settings);
    EXPECT_FALSE(outcome.started);
}

TEST_F(Startup, RefusedStateWriteIsReportedAndSkipsTheRest)
{
    // A folder where the state file should be cannot be written over, not even by root.
    std::filesystem::create_directories(root / "prefix" / "drive_c" / "windows" / "torva.ini");
    WriteCatalogue("[Main]\n");
    Run();
    ASSERT_FALSE(boxes.errors.empty());
    EXPECT_EQ(boxes.errors[0], "Unable to write to torva.ini");
    EXPECT_TRUE(context.DataDir.empty());
    EXPECT_FALSE(outcome.terminated);
    EXPECT_FALSE(outcome.started);
}
