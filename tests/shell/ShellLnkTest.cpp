#include "shell/ShellLnk.h"

#include "shell/LnkFormat.h"
#include "shell/testing/LnkWriter.h"
#include "tests/support/ExpectEach.h"
#include "tests/support/MessageOf.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using torva::test::ExpectEach;
using torva::test::MessageOf;

class FakeMachine : public ShellLinkEnvironment {
public:
    bool FileExists(const std::string& path) override { return files.count(path) != 0; }
    std::optional<std::vector<uint8_t>> ReadFile(const std::string& path) override
    {
        auto it = files.find(path);
        if (it == files.end())
            return std::nullopt;
        return it->second;
    }
    std::string ShellFolderPath(const std::string& valueName) override
    {
        auto it = shellFolders.find(valueName);
        return it == shellFolders.end() ? std::string {} : it->second;
    }

    std::map<std::string, std::vector<uint8_t>> files;
    std::map<std::string, std::string> shellFolders;
};

struct ShellLnkTest : ::testing::Test {
    void SetUp() override
    {
        machine->shellFolders["Programs"] = "C:\\WINDOWS\\Start Menu\\Programs";
        machine->shellFolders["Desktop"] = "C:\\WINDOWS\\Desktop";
    }
    void TearDown() override { TQXShellLink(nullptr, machine).SetLangType(ltEnglish); }

    // A shortcut of `contents` at `path`, read into a component.
    std::unique_ptr<TQXShellLink> ReadBack(const shell::LnkContents& contents, const std::string& path = "C:\\s.lnk")
    {
        machine->files[path] = shell::WriteLnk(contents);
        auto link = std::make_unique<TQXShellLink>(nullptr, machine);
        link->ReadLinkFile(path);
        return link;
    }

    std::shared_ptr<FakeMachine> machine = std::make_shared<FakeMachine>();
};

TEST_F(ShellLnkTest, FileNameGetsTheShortcutExtension)
{
    auto stored = [this](const char* value) {
        TQXShellLink link(nullptr, machine);
        link.SetFileName("C:\\previous.lnk");
        link.SetFileName(value);
        return link.FileName();
    };
    ExpectEach(stored, {
                           { "C:\\X\\game", "C:\\X\\game.lnk" },
                           { "C:\\X\\game.LNK", "C:\\X\\game.LNK" },
                           { "C:\\X\\game.exe", "C:\\X\\game.exe.lnk" },
                           { "C:\\X.DIR\\game", "C:\\X.DIR\\game.lnk" },
                           { ".lnk", "" },
                           { ".LNK", "" },
                           { "C:\\X\\.lnk", "" },
                           { "", "" },
                       });
}

TEST_F(ShellLnkTest, SpecialFoldersPlaceTheFileName)
{
    TQXShellLink link(nullptr, machine);
    link.SetShellFolder(sfPrograms);
    link.SetFileName("Games\\Foo.lnk");
    EXPECT_EQ(link.FileName(), "C:\\WINDOWS\\Start Menu\\Programs\\Foo.lnk");

    // Changing the folder moves the current name without the extension rule.
    link.SetFileName("C:\\Elsewhere\\Bar.lnk");
    link.SetShellFolder(sfDesktop);
    EXPECT_EQ(link.FileName(), "C:\\WINDOWS\\Desktop\\Bar.lnk");
    link.SetShellFolder(sfNone);
    EXPECT_EQ(link.FileName(), "C:\\WINDOWS\\Desktop\\Bar.lnk");

    const char* names[] = { "", "Desktop", "Favorites", "Fonts", "Personal", "Programs", "Recent", "SendTo",
        "Start Menu", "Startup", "Templates" };
    for (int folder = sfNone; folder <= sfTemplates; ++folder)
        EXPECT_EQ(TQXShellLink::ShellFolderValueName(static_cast<TShellFolder>(folder)), names[folder]);
}

TEST_F(ShellLnkTest, MessagesFollowTheLanguageOfAllInstances)
{
    TQXShellLink first(nullptr, machine);
    TQXShellLink second(nullptr, machine);
    first.SetFileName("C:\\missing");
    second.SetLangType(ltFrench);
    EXPECT_EQ(MessageOf<EQXShellLink>([&] { first.ReadLink(); }), "Lien non trouv\xE9.");
    EXPECT_EQ(TQXShellLink::CurrentMessages().readError, "Erreur en lecture.");
    EXPECT_EQ(TQXShellLink::CurrentMessages().writeError, std::string("Erreur en \xE9") + "criture.");
    first.SetLangType(ltEnglish);
    EXPECT_EQ(MessageOf<EQXShellLink>([&] { first.ReadLink(); }), "Link not found.");
}

TEST_F(ShellLnkTest, WindowStateMapsShowCommands)
{
    struct Case {
        uint32_t showCommand;
        TWindowState state;
    };
    const Case cases[] = { { 1, wsNormal }, { 2, wsNormal }, { 3, wsMaximized }, { 7, wsMinimized }, { 0, wsNormal },
        { 99, wsNormal } };
    for (const Case& c : cases) {
        shell::LnkContents contents;
        contents.localBasePath = "C:\\G\\RUN.EXE";
        contents.showCommand = c.showCommand;
        auto link = ReadBack(contents);
        EXPECT_EQ(link->ShowCmd(), static_cast<int32_t>(c.showCommand));
        EXPECT_EQ(link->WindowState(), c.state) << c.showCommand;
    }
    TQXShellLink link(nullptr, machine);
    link.SetWindowState(wsMinimized);
    EXPECT_EQ(link.ShowCmd(), 7);
    link.SetWindowState(wsMaximized);
    EXPECT_EQ(link.ShowCmd(), 3);
    link.SetWindowState(wsNormal);
    EXPECT_EQ(link.ShowCmd(), 1);
}

TEST_F(ShellLnkTest, HotKeyTranslatesModifiers)
{
    shell::LnkContents contents;
    contents.localBasePath = "C:\\G\\RUN.EXE";
    contents.hotKey = 0x074B; // Ctrl+Shift+Alt+K
    auto link = ReadBack(contents);
    EXPECT_EQ(link->HotKeyCode(), 0x074B);
    EXPECT_EQ(link->HotKey(), 'K' | TQXShellLink::scShift | TQXShellLink::scCtrl | TQXShellLink::scAlt);

    link->SetHotKey('F' | TQXShellLink::scCtrl);
    EXPECT_EQ(link->HotKeyCode(), 0x0246);
    link->SetHotKey(0x70 | TQXShellLink::scAlt | TQXShellLink::scShift);
    EXPECT_EQ(link->HotKeyCode(), 0x0570);
}

// Shortcuts made on Windows 95 and 98 store their strings in the ANSI code page.
TEST_F(ShellLnkTest, ReadsAnAnsiShortcutIntoTheProperties)
{
    const std::string folder = std::string("C:\\Hry\\\xC8") + "erv\xED";
    shell::LnkContents contents;
    contents.unicode = false;
    contents.idListPath = folder + "\\RUN.EXE";
    contents.localBasePath = folder + "\\RUN.EXE";
    contents.name = std::string("Hra \xE8") + "erv\xED";
    contents.workingDir = folder;
    contents.arguments = "-nosound";
    contents.iconLocation = "C:\\Hry\\icon.ico";
    machine->files["C:\\WINDOWS\\Start Menu\\Programs\\Cervi.lnk"] = shell::WriteLnk(contents);

    TQXShellLink link(nullptr, machine);
    link.SetShellFolder(sfPrograms);
    link.SetFileName("Cervi");
    link.ReadLink();
    EXPECT_EQ(link.Target(), folder + "\\RUN.EXE");
    EXPECT_EQ(link.WorkingDir(), folder);
    EXPECT_EQ(link.Description(), contents.name);
    EXPECT_EQ(link.Arguments(), "-nosound");
}

TEST_F(ShellLnkTest, RelativePathResolvesAgainstTheShortcutsFolder)
{
    shell::LnkContents contents;
    contents.relativePath = "..\\..\\Games\\X\\X.EXE";
    EXPECT_EQ(ReadBack(contents, "C:\\WINDOWS\\Desktop\\x.lnk")->Target(), "C:\\Games\\X\\X.EXE");
}

TEST_F(ShellLnkTest, ABadFileKeepsTheEarlierProperties)
{
    shell::LnkContents contents;
    contents.localBasePath = "C:\\Good\\RUN.EXE";
    contents.workingDir = "C:\\Good";
    machine->files["C:\\good.lnk"] = shell::WriteLnk(contents);
    std::vector<uint8_t> damaged = shell::WriteLnk(contents);
    damaged.resize(damaged.size() - 20);
    machine->files["C:\\bad.lnk"] = damaged;
    machine->files["C:\\junk.lnk"] = std::vector<uint8_t>(200, 0x4C);

    TQXShellLink link(nullptr, machine);
    link.ReadLinkFile("C:\\good.lnk");
    for (const char* bad : { "C:\\bad.lnk", "C:\\junk.lnk", "C:\\absent.lnk" }) {
        EXPECT_EQ(MessageOf<EQXShellLink>([&] { link.ReadLinkFile(bad); }), "Read error.") << bad;
        EXPECT_EQ(link.Target(), "C:\\Good\\RUN.EXE");
        EXPECT_EQ(link.WorkingDir(), "C:\\Good");
    }
}

TEST(LnkWriter, RoundTripsThroughTheReader)
{
    shell::LnkContents contents;
    contents.idListPath = "C:\\A\\B.EXE";
    contents.netName = "\\\\SERVER\\SHARE";
    contents.deviceName = "Z:";
    contents.commonPathSuffix = "B.EXE";
    contents.name = "n";
    contents.environmentTarget = "%windir%\\B.EXE";
    shell::LnkFile link = shell::ParseLnk(shell::WriteLnk(contents), "test.lnk").Value();
    EXPECT_EQ(shell::IdListPath(link), "C:\\A\\B.EXE");
    EXPECT_EQ(shell::ResolveTarget(link), "\\\\SERVER\\SHARE\\B.EXE");
    ASSERT_TRUE(link.linkInfo && link.linkInfo->network);
    EXPECT_EQ(link.linkInfo->network->deviceName, "Z:");
    EXPECT_EQ(link.environmentTarget.value_or(""), "%windir%\\B.EXE");
    EXPECT_EQ(link.name.value_or(""), "n");
}

}

namespace {

// The layout reader and the test driver reach the component through its property table.
TEST(ShellLnkProperties, PublishedInOrderWithDesignTimeDefaults)
{
    std::vector<std::string> names;
    for (const platform::PropertyInfo& property : TQXShellLink::StaticClass().OwnProperties())
        names.push_back(property.name);
    EXPECT_EQ(names, (std::vector<std::string> { "Arguments", "Description", "HotKey", "FileName", "LangType", "Target", "WindowState", "WorkingDir", "ShellFolder" }));

    auto* link = dynamic_cast<TQXShellLink*>(platform::FindClass("TQXShellLink")->Create(nullptr));
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(platform::GetPropertyValue(*link, "WindowState").text, "wsNormal");
    EXPECT_EQ(platform::GetPropertyValue(*link, "ShellFolder").text, "sfNone");
    EXPECT_EQ(platform::GetPropertyValue(*link, "HotKey").integer, 0);
    platform::SetPropertyValue(*link, "WindowState", platform::PropertyValue::Ident("wsMaximized"));
    EXPECT_EQ(link->ShowCmd(), 3);
    platform::SetPropertyValue(*link, "FileName", platform::PropertyValue::Str("C:\\X\\game"));
    EXPECT_EQ(link->FileName(), "C:\\X\\game.lnk");
    EXPECT_THROW(platform::SetPropertyValue(*link, "LangType", platform::PropertyValue::Ident("ltKlingon")),
        platform::EPropertyError);
    platform::TComponent::Free(link);
}

}
