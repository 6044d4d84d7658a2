#include "torvaxp/CommandLine.h"
#include "torvaxp/DiscDrive.h"
#include "platform/host/ProgramHost.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

TEST(MenuCommandLine, OptionsAndTheirValues)
{
    MenuOptions options = ParseMenuOptions({ "T", "--disc", "/media/disc", "--prefix", "/tmp/p", "--own-path", "C:\\TORVA.EXE", "--label", "TORVA 5",
        "--wine", "/opt/wine-stable/bin/wine" });
    EXPECT_TRUE(options.showSetupCommand);
    EXPECT_EQ(options.wine, "/opt/wine-stable/bin/wine");
    EXPECT_EQ(options.label, "TORVA 5");
    EXPECT_EQ(options.disc, std::filesystem::path("/media/disc"));
    EXPECT_EQ(options.prefix, std::filesystem::path("/tmp/p"));
    EXPECT_EQ(options.ownPath, "C:\\TORVA.EXE");

    MenuOptions none = ParseMenuOptions({});
    EXPECT_FALSE(none.showSetupCommand);
    EXPECT_FALSE(none.disc);
    EXPECT_FALSE(none.ownPath);
    EXPECT_TRUE(ParseMenuOptions({ "--help" }).help);
    // A file manager passes the image on its own.
    EXPECT_EQ(ParseMenuOptions({ "T", "/home/u/Torva 5.iso" }).disc, std::filesystem::path("/home/u/Torva 5.iso"));
    EXPECT_TRUE(ParseMenuOptions({ "--version" }).version);
    // Several folders are a shelf; --shelf makes one folder or file a shelf too.
    MenuOptions shelf = ParseMenuOptions({ "--shelf", "/srv/discs", "/home/u/old" });
    EXPECT_TRUE(shelf.shelf);
    EXPECT_EQ(shelf.discs, (std::vector<std::filesystem::path> { "/srv/discs", "/home/u/old" }));
    EXPECT_EQ(ParseMenuOptions({ "/srv/discs", "/home/u/old" }).discs.size(), 2u);
}

// The help text is one table: every description, the host options' too, starts in one column.
TEST(MenuCommandLine, HelpDescriptionsShareOneColumn)
{
    std::istringstream lines(std::string(MenuOptionsUsage()) + platform::HostOptionsUsage());
    std::string line;
    while (std::getline(lines, line)) {
        ASSERT_GT(line.size(), 24u) << line;
        EXPECT_EQ(line.substr(21, 2), "  ") << line;
        EXPECT_NE(line[23], ' ') << line;
    }
}

TEST(MenuCommandLine, OwnPathIsTakenToTheCodePage)
{
    // "Hry" folder with a Czech letter: UTF-8 on the command line, code page 1250 for the menu.
    MenuOptions options = ParseMenuOptions({ "--own-path", "C:\\Hr\xC5\xAF\\TORVA.EXE" });
    EXPECT_EQ(options.ownPath, "C:\\Hr\xF9\\TORVA.EXE");
}

TEST(MenuCommandLine, RefusedArguments)
{
    const std::vector<std::vector<std::string>> refused = {
        { "--disc" },               // no value
        { "--own-path" },           // no value
        { "--label" },              // no value
        { "--disc", "d", "T" },     // T only first
        { "t" },                    // T is a capital
        { "--speed", "3" },         // unknown
        { "--disc", "d", "e.iso" }, // --disc names one disc
        { "e.iso", "--disc", "d" },
    };
    for (const auto& args : refused)
        EXPECT_THROW(ParseMenuOptions(args), CommandLineError) << args.front();
}

class MenuDiscDrive : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = std::filesystem::temp_directory_path() / ("torva-discdrive-" + torva::test::CaseName());
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root / "disc" / "Torva");
        std::ofstream(root / "disc" / "TORVA.EXE") << "marker";
        machine = platform::Machine::OpenOrCreate(root / "prefix");
        platform::SetCurrentMachine(machine);
    }
    void TearDown() override
    {
        platform::SetCurrentMachine(nullptr);
        std::filesystem::remove_all(root);
    }
    std::filesystem::path root;
    std::shared_ptr<platform::Machine> machine;
};

TEST_F(MenuDiscDrive, DiscGetsTheFirstFreeLetterAndKeepsIt)
{
    char letter = MapDiscFolder(*machine, root / "disc");
    ASSERT_EQ(letter, 'D');
    EXPECT_EQ(machine->DriveType(letter), platform::DRIVE_CDROM);
    // Another run finds its earlier mapping instead of taking E:.
    EXPECT_EQ(MapDiscFolder(*machine, root / "disc"), 'D');
    // Another disc takes the next letter.
    std::filesystem::create_directories(root / "other");
    EXPECT_EQ(MapDiscFolder(*machine, root / "other"), 'E');
}

TEST_F(MenuDiscDrive, MenusSharingTheDiscKeepItUntilTheLastEnds)
{
    std::filesystem::path disc = root / "disc";
    std::optional<DiscDriveLease> first = DiscDriveLease::Map(*machine, disc);
    ASSERT_TRUE(first);
    std::optional<DiscDriveLease> second = DiscDriveLease::Map(*machine, disc);
    ASSERT_TRUE(second);
    ASSERT_EQ(second->Letter(), first->Letter());
    char letter = first->Letter();
    // The second menu ends first: the first still reads its disc.
    second.reset();
    EXPECT_TRUE(machine->Drive(letter)) << "the drive went with the second menu";
    first.reset();
    EXPECT_FALSE(machine->Drive(letter)) << "the last menu leaves the drive behind";
}

TEST_F(MenuDiscDrive, MenusSharingALabelledDiscShareItsFolderOfLinks)
{
    std::filesystem::path disc = root / "disc";
    std::optional<DiscDriveLease> first = DiscDriveLease::Map(*machine, disc, DiscVolumeName("TORVA 5"));
    std::optional<DiscDriveLease> second = DiscDriveLease::Map(*machine, disc, DiscVolumeName("TORVA 5"));
    std::optional<DiscDriveLease> other = DiscDriveLease::Map(*machine, disc, DiscVolumeName("JINY"));
    ASSERT_TRUE(first && second && other);
    EXPECT_EQ(second->Letter(), first->Letter());
    EXPECT_NE(other->Letter(), first->Letter()) << "another label is another drive";
    char letter = first->Letter();
    std::filesystem::path links = machine->Drive(letter)->target;
    second.reset();
    EXPECT_EQ(machine->VolumeLabel(letter), "TORVA 5");
    first.reset();
    EXPECT_FALSE(machine->Drive(letter));
    EXPECT_FALSE(std::filesystem::exists(links));
    EXPECT_FALSE(std::filesystem::exists(disc / ".windows-label"));
}

TEST_F(MenuDiscDrive, MissingFontFilesAddNoSubstitutes)
{
    EXPECT_EQ(AddDiscFontSubstitutes(root / "disc"), 0);
    EXPECT_EQ(AddDiscFontSubstitutes(root / "nothing"), 0);
}
