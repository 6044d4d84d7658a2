#include "platform/registry/Registry.h"

#include "platform/hive/RegistryText.h"
#include "tests/support/TestFiles.h"
#include "tests/platform/hive/FakeWineServer.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace platform {
namespace {

namespace fs = std::filesystem;

using torvatest::FakeWineServer;

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { m_root = torva::test::FreshTestFolder("registry"); }
    void WriteHive(const std::string& name, const std::string& text) { torva::test::WriteText(m_root / name, text); }
    std::string HiveText(const std::string& name) const { return torva::test::ReadText(m_root / name); }
    Machine& MakeMachine()
    {
        m_machine = std::make_unique<Machine>(m_root);
        m_machine->SetWineServer(m_server);
        return *m_machine;
    }

    fs::path m_root;
    std::shared_ptr<FakeWineServer> m_server = std::make_shared<FakeWineServer>();
    std::unique_ptr<Machine> m_machine;
};

const std::string Win64Machine = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n";
const std::string Win32Machine = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win32\n";

TEST_F(RegistryTest, PathsIgnoreCaseAndMayBeRelative)
{
    Registry reg(MakeMachine());
    EXPECT_EQ(reg.GetRootKey(), HKEY_CURRENT_USER);
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKey("\\Software\\Maker\\Game", true));
    EXPECT_TRUE(reg.WriteString("Path", "C:\\Games\\Game"));

    Registry other(*m_machine);
    other.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(other.OpenKeyReadOnly("\\SOFTWARE\\maker\\GAME\\"));
    EXPECT_EQ(other.ReadString("path"), "C:\\Games\\Game");
    EXPECT_EQ(other.CurrentPath(), "SOFTWARE\\maker\\GAME");

    // Without a leading backslash a path continues from the open key.
    ASSERT_TRUE(other.OpenKeyReadOnly("\\Software"));
    ASSERT_TRUE(other.OpenKeyReadOnly("Maker\\Game"));
    EXPECT_EQ(other.ReadString("Path"), "C:\\Games\\Game");
    other.CloseKey();
    EXPECT_TRUE(other.OpenKeyReadOnly("Software\\Maker"));
    EXPECT_EQ(other.GetKeyNames(), std::vector<std::string> { "Game" });
}

TEST_F(RegistryTest, MissingKeysAndValuesReadAsEmpty)
{
    Registry reg(MakeMachine());
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(reg.OpenKeyReadOnly("\\Software\\Microsoft\\Windows\\CurrentVersion\\explorer\\Shell Folders"));
    EXPECT_FALSE(reg.HasOpenKey());
    EXPECT_EQ(reg.ReadString("Common Desktop"), "");
    EXPECT_FALSE(reg.WriteString("x", "y"));
    EXPECT_FALSE(fs::exists(m_root / "system.reg")) << "reads and refused writes make no file";

    ASSERT_TRUE(reg.OpenKey("\\Software\\T", true));
    ASSERT_TRUE(reg.WriteDword("Number", 7));
    EXPECT_EQ(reg.ReadString("Number"), "") << "not a string";
    EXPECT_EQ(reg.ReadDword("Number"), 7u);
    EXPECT_EQ(reg.ReadDword("Missing"), std::nullopt);
    EXPECT_FALSE(reg.ValueExists("Missing"));
    // A failed open keeps the key that was open.
    EXPECT_FALSE(reg.OpenKeyReadOnly("\\Software\\Nope"));
    EXPECT_EQ(reg.ReadDword("Number"), 7u);
}

TEST_F(RegistryTest, TextsAreCp1250OutsideAndUnicodeInTheFile)
{
    Registry reg(MakeMachine());
    ASSERT_TRUE(reg.OpenKey("\\Software\\Torva\\P\xF8"
                            "ehled",
        true));
    ASSERT_TRUE(reg.WriteString("N\xE1zev", "P\xF8"
                                            "ejete si \x9A"
                                            "ance?"));
    ASSERT_TRUE(reg.WriteExpandString("Cesta", "%WINDIR%\\x"));
    std::string text = HiveText("user.reg");
    EXPECT_NE(text.find("[Software\\\\Torva\\\\P\\x0159ehled]"), std::string::npos) << text;
    EXPECT_NE(text.find("\"N\\xe1zev\"=\"P\\x0159"
                        "ejete si \\x0161"
                        "ance?\""),
        std::string::npos)
        << text;
    EXPECT_NE(text.find("\"Cesta\"=str(2):\"%WINDIR%\\\\x\""), std::string::npos) << text;

    Registry again(*m_machine);
    ASSERT_TRUE(again.OpenKeyReadOnly("\\software\\torva\\P\xF8"
                                      "EHLED"));
    EXPECT_EQ(again.ReadString("N\xE1ZEV"), "P\xF8"
                                            "ejete si \x9A"
                                            "ance?");
    EXPECT_EQ(again.ReadString("Cesta"), "%WINDIR%\\x");
    EXPECT_EQ(again.GetValueNames(), (std::vector<std::string> { "N\xE1zev", "Cesta" }));
}

TEST_F(RegistryTest, ClassesRootIsTheUsersClassesOverTheMachines)
{
    WriteHive("system.reg", Win32Machine + "\n[Software\\\\Classes\\\\.txt] 1\n@=\"txtfile\"\n\"Content Type\"=\"text/plain\"\n"
                                           "\n[Software\\\\Classes\\\\.pdf] 1\n@=\"pdffile\"\n\n[Software\\\\Classes\\\\txtfile\\\\shell] 1\n");
    WriteHive("user.reg", "WINE REGISTRY Version 2\n\n[Software\\\\Classes\\\\.TXT] 1\n@=\"usertxt\"\n\n[Software\\\\Classes\\\\.doc] 1\n@=\"docfile\"\n");
    Registry reg(MakeMachine());
    reg.SetRootKey(HKEY_CLASSES_ROOT);
    EXPECT_TRUE(reg.KeyExists("\\.pdf"));
    EXPECT_TRUE(reg.KeyExists("\\.doc"));
    EXPECT_FALSE(reg.KeyExists("\\.zip"));
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\.txt"));
    EXPECT_EQ(reg.ReadString(""), "usertxt");
    EXPECT_EQ(reg.ReadString("Content Type"), "text/plain");
    EXPECT_EQ(reg.GetValueNames(), (std::vector<std::string> { "", "Content Type" }));
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\"));
    EXPECT_EQ(reg.GetKeyNames(), (std::vector<std::string> { ".doc", ".pdf", ".TXT", "txtfile" }));

    // Writes go to the user's key when there is one, else machine-wide.
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\.txt"));
    ASSERT_TRUE(reg.WriteString("PerceivedType", "text"));
    ASSERT_TRUE(reg.OpenKey("\\.new", true));
    ASSERT_TRUE(reg.WriteString("", "newfile"));
    EXPECT_NE(HiveText("user.reg").find("PerceivedType"), std::string::npos);
    EXPECT_NE(HiveText("system.reg").find("[Software\\\\Classes\\\\.new]"), std::string::npos);

    EXPECT_TRUE(reg.DeleteKey("\\.txt"));
    EXPECT_FALSE(reg.KeyExists("\\.txt"));
    EXPECT_EQ(HiveText("system.reg").find(".txt]"), std::string::npos);
}

TEST_F(RegistryTest, Win64PrefixShowsThe32BitViewOfMachineSoftware)
{
    WriteHive("system.reg", Win64Machine + "\n[Software\\\\Wow6432Node\\\\Maker] 1\n\"Old\"=\"32\"\n\n[Software\\\\Maker] 1\n\"Old\"=\"64\"\n");
    Registry reg(MakeMachine());
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\SOFTWARE\\Maker"));
    EXPECT_EQ(reg.ReadString("Old"), "32");
    ASSERT_TRUE(reg.OpenKey("\\Software\\Maker\\Game", true));
    ASSERT_TRUE(reg.WriteString("Dir", "C:\\G"));
    std::string text = HiveText("system.reg");
    EXPECT_NE(text.find("[Software\\\\Wow6432Node\\\\Maker\\\\Game]"), std::string::npos) << text;
    // Classes are shared by both views; other roots are not redirected.
    ASSERT_TRUE(reg.OpenKey("\\Software\\Classes\\.x", true));
    ASSERT_TRUE(reg.WriteString("", "x"));
    EXPECT_NE(HiveText("system.reg").find("[Software\\\\Classes\\\\.x]"), std::string::npos);
    reg.SetRootKey(HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenKey("\\Software\\Maker", true));
    ASSERT_TRUE(reg.WriteString("U", "1"));
    EXPECT_NE(HiveText("user.reg").find("[Software\\\\Maker]"), std::string::npos);
}

TEST_F(RegistryTest, Win32PrefixHasNoRedirection)
{
    WriteHive("system.reg", Win32Machine);
    Registry reg(MakeMachine());
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKey("\\Software\\Maker", true));
    ASSERT_TRUE(reg.WriteString("A", "1"));
    EXPECT_NE(HiveText("system.reg").find("[Software\\\\Maker]"), std::string::npos);
}

TEST_F(RegistryTest, DeleteRules)
{
    Registry reg(MakeMachine());
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKey("\\Software\\Game\\Sub\\Deeper", true));
    ASSERT_TRUE(reg.OpenKey("\\Software\\Game", true));
    ASSERT_TRUE(reg.WriteString("Keep", "1"));
    ASSERT_TRUE(reg.WriteString("Drop", "2"));

    EXPECT_FALSE(reg.DeleteEmptyKey("\\Software\\Game")) << "has subkeys";
    EXPECT_TRUE(reg.KeyExists("\\Software\\Game\\Sub\\Deeper"));
    EXPECT_TRUE(reg.DeleteEmptyKey("\\Software\\Game\\Sub\\Deeper"));
    EXPECT_FALSE(reg.KeyExists("\\Software\\Game\\Sub\\Deeper"));
    EXPECT_TRUE(reg.KeyExists("\\Software\\Game\\Sub"));
    EXPECT_FALSE(reg.DeleteEmptyKey("\\Software\\Game\\Missing"));

    EXPECT_TRUE(reg.DeleteValue("Drop"));
    EXPECT_FALSE(reg.DeleteValue("Drop"));
    EXPECT_EQ(reg.GetValueNames(), std::vector<std::string> { "Keep" });

    ASSERT_TRUE(reg.OpenKey("\\Software\\Game\\Sub\\A\\B", true));
    EXPECT_TRUE(reg.DeleteKey("\\Software\\Game"));
    EXPECT_FALSE(reg.KeyExists("\\Software\\Game"));
    EXPECT_FALSE(reg.KeyExists("\\Software\\Game\\Sub\\A\\B"));
    EXPECT_TRUE(reg.KeyExists("\\Software"));
    EXPECT_FALSE(reg.DeleteKey("\\Software\\Game"));
    EXPECT_FALSE(reg.DeleteKey("\\")) << "the root itself is not deleted";
}

TEST_F(RegistryTest, RunningWineServerGetsTheWritesThroughWineReg)
{
    const std::string original = Win32Machine + "\n[Software\\\\Game] 1\n\"Old\"=\"1\"\n";
    WriteHive("system.reg", original);
    m_server->running = true;
    Registry reg(MakeMachine());
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKey("\\Software\\Game", true));
    ASSERT_TRUE(reg.WriteString("Dir", "C:\\Hry\\\x8A"
                                       "ach"));
    ASSERT_TRUE(reg.WriteDword("N", 300));
    ASSERT_TRUE(reg.WriteBinaryData("B", { 0x0a, 0xff }));
    ASSERT_TRUE(reg.WriteString("", "def"));
    ASSERT_TRUE(reg.DeleteValue("Old"));
    ASSERT_TRUE(reg.DeleteKey("\\Software\\Game"));
    using Args = std::vector<std::string>;
    ASSERT_EQ(m_server->calls.size(), 6u);
    EXPECT_EQ(m_server->calls[0], (Args { "add", "HKLM\\Software\\Game", "/v", "Dir", "/t", "REG_SZ", "/d", "C:\\Hry\\\xC5\xA0"
                                                                                                            "ach",
                                      "/f" }));
    EXPECT_EQ(m_server->calls[1], (Args { "add", "HKLM\\Software\\Game", "/v", "N", "/t", "REG_DWORD", "/d", "300", "/f" }));
    EXPECT_EQ(m_server->calls[2], (Args { "add", "HKLM\\Software\\Game", "/v", "B", "/t", "REG_BINARY", "/d", "0aff", "/f" }));
    EXPECT_EQ(m_server->calls[3], (Args { "add", "HKLM\\Software\\Game", "/ve", "/t", "REG_SZ", "/d", "def", "/f" }));
    EXPECT_EQ(m_server->calls[4], (Args { "delete", "HKLM\\Software\\Game", "/v", "Old", "/f" }));
    EXPECT_EQ(m_server->calls[5], (Args { "delete", "HKLM\\Software\\Game", "/f" }));
    EXPECT_EQ(HiveText("system.reg"), original) << "the server owns the file";
}

TEST_F(RegistryTest, WritesThroughTheServerAreSeenAtOnceAndFailuresAreReported)
{
    WriteHive("user.reg", "WINE REGISTRY Version 2\n");
    m_server->running = true;
    Registry reg(MakeMachine());
    ASSERT_TRUE(reg.OpenKey("\\Software\\Game", true));
    ASSERT_TRUE(reg.WriteString("A", "1"));
    EXPECT_EQ(reg.ReadString("A"), "1");
    m_server->succeeds = false;
    EXPECT_FALSE(reg.WriteString("B", "2"));
    EXPECT_FALSE(reg.ValueExists("B"));
    // Gone without writing its registry back: the file is what there is.
    m_server->running = false;
    EXPECT_FALSE(reg.ValueExists("A"));
    EXPECT_FALSE(reg.KeyExists("\\Software\\Game"));
}

TEST(RegistryKeyPath, RootNamesLongAndShort)
{
    struct Row {
        std::string text;
        std::optional<RootKey> root;
        std::string path;
    };
    const Row rows[] = {
        { "HKEY_LOCAL_MACHINE\\Software\\X", HKEY_LOCAL_MACHINE, "Software\\X" },
        { "hklm\\Software\\\\X\\", HKEY_LOCAL_MACHINE, "Software\\X" },
        { "HKCU", HKEY_CURRENT_USER, "" },
        { "HKEY_CURRENT_USER\\A", HKEY_CURRENT_USER, "A" },
        { "HKCR\\.txt", HKEY_CLASSES_ROOT, ".txt" },
        { "HKEY_CLASSES_ROOT\\.txt", HKEY_CLASSES_ROOT, ".txt" },
        { "HKEY_USERS\\x", std::nullopt, "" },
        { "", std::nullopt, "" },
        { "HKLMX\\a", std::nullopt, "" },
    };
    for (auto& row : rows) {
        auto parsed = ParseRegistryKeyPath(row.text);
        ASSERT_EQ(parsed.has_value(), row.root.has_value()) << row.text;
        if (parsed) {
            EXPECT_EQ(parsed->root, *row.root) << row.text;
            EXPECT_EQ(parsed->path, row.path) << row.text;
        }
    }
}

}
}
