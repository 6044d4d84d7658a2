// The component on a real prefix: special folders from the user's registry, files through the
// prefix's drives.

#include "shell/ShellLnk.h"
#include "shell/testing/LnkWriter.h"

#include "platform/files/Files.h"
#include "platform/machine/Machine.h"
#include "platform/registry/Registry.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(ShellLnkMachine, ReadsAShortcutFromTheProgramsFolder)
{
    auto prefix = std::filesystem::path(TORVA_TEST_OUTPUT_DIR) / "shelllnk-prefix";
    std::filesystem::remove_all(prefix);
    platform::SetCurrentMachine(platform::Machine::OpenOrCreate(prefix, { "win98", false }));

    platform::Registry registry;
    ASSERT_TRUE(registry.OpenKeyReadOnly("\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"));
    std::string programs = registry.ReadString("Programs");
    ASSERT_FALSE(programs.empty());

    shell::LnkContents contents;
    contents.localBasePath = "C:\\Games\\Doom\\DOOM.EXE";
    contents.workingDir = "C:\\Games\\Doom";
    contents.showCommand = 7;
    std::vector<uint8_t> bytes = shell::WriteLnk(contents);
    ASSERT_TRUE(platform::WriteWholeFile(programs + "\\Doom.lnk", std::string(bytes.begin(), bytes.end())));

    TQXShellLink link(nullptr);
    link.SetShellFolder(sfPrograms);
    link.SetFileName("Games\\doom");
    EXPECT_EQ(link.FileName(), programs + "\\doom.lnk");
    link.ReadLink();
    EXPECT_EQ(link.Target(), "C:\\Games\\Doom\\DOOM.EXE");
    EXPECT_EQ(link.WorkingDir(), "C:\\Games\\Doom");
    EXPECT_EQ(link.WindowState(), wsMinimized);

    link.SetFileName("Missing");
    EXPECT_THROW(link.ReadLink(), EQXShellLink);
    std::filesystem::remove_all(prefix);
}

}
