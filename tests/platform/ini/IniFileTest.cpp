#include "platform/files/Files.h"
#include "platform/ini/IniDocument.h"
#include "platform/ini/IniFile.h"
#include "platform/ini/ProfileFile.h"
#include "tests/platform/files/TempPrefix.h"

#include <gtest/gtest.h>

namespace {

using torvatest::TempPrefix;
namespace fs = std::filesystem;

TEST(IniFileTest, BareNamesLiveInTheWindowsFolder)
{
    TempPrefix prefix("inifile-bare");
    TIniFile state("torva.ini");
    state.WriteInteger("Main", "Language", 1);
    state.WriteString("CD0206", "R&&D", "C:\\Hry\\RD\\");
    EXPECT_TRUE(fs::exists(prefix.driveC / "windows" / "torva.ini"));
    EXPECT_EQ(TempPrefix::Read(prefix.driveC / "windows" / "torva.ini"),
        "[Main]\r\nLanguage=1\r\n\r\n[CD0206]\r\nR&&D=C:\\Hry\\RD\\\r\n");
    EXPECT_EQ(TIniFile("C:\\WINDOWS\\TORVA.INI").ReadString("cd0206", "r&&d", ""), "C:\\Hry\\RD\\");
    EXPECT_EQ(state.ReadSections(), (std::vector<std::string> { "Main", "CD0206" }));
    EXPECT_EQ(state.ReadSection("cd0206"), std::vector<std::string> { "R&&D" });
    state.WriteString("CD0206", "Long", std::string(3000, 'x'));
    auto values = state.ReadSectionValues("CD0206");
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0], (std::pair<std::string, std::string> { "R&&D", "C:\\Hry\\RD\\" }));
    EXPECT_EQ(values[1].second.size(), platform::kMaxProfileValueLength);
    EXPECT_TRUE(state.SectionExists("main"));
    EXPECT_TRUE(state.ValueExists("main", "LANGUAGE"));
    EXPECT_FALSE(state.ValueExists("main", "Slow"));
    EXPECT_TRUE(state.ReadBool("Main", "Language", false));
    EXPECT_EQ(state.ReadInteger("Main", "Enhanced", 1), 1);
    state.DeleteKey("CD0206", "R&&D");
    EXPECT_EQ(state.ReadString("CD0206", "R&&D", "none"), "none");
    state.EraseSection("CD0206");
    EXPECT_FALSE(state.SectionExists("CD0206"));
}

TEST(IniFileTest, PathsAreWindowsPaths)
{
    TempPrefix prefix("inifile-paths");
    TempPrefix::Write(prefix.disc / "Torva" / "TORVAXP.ini", "[Main]\r\nCD=0206\r\n");
    EXPECT_EQ(TIniFile("e:\\torva\\torvaxp.ini").ReadString("Main", "CD", ""), "0206");
    ASSERT_TRUE(platform::SetCurrentDirectory("E:\\Torva"));
    EXPECT_EQ(TIniFile("..\\TORVA\\torvaxp.ini").ReadString("Main", "CD", ""), "0206");
    platform::SetCurrentDirectory("C:\\");
    EXPECT_EQ(TIniFile("C:\\..\\..\\outside\\x.ini").ReadString("A", "k", "d"), "d");
    EXPECT_EQ(TIniFile("Q:\\x.ini").ReadInteger("A", "k", 5), 5);
}

TEST(IniFileTest, RefusedWriteRaisesWithTheFileName)
{
    TempPrefix prefix("inifile-refused");
    TIniFile unmapped("Q:\\torva.ini");
    try {
        unmapped.WriteString("Main", "Slow", "1");
        FAIL() << "no exception";
    } catch (const EIniFileException& error) {
        EXPECT_STREQ(error.what(), "Unable to write to Q:\\torva.ini");
    }
    fs::remove_all(prefix.driveC / "windows");
    EXPECT_THROW(TIniFile("torva.ini").WriteInteger("Main", "Language", 1), EIniFileException);
    try {
        TIniFile("torva.ini").WriteInteger("Main", "Language", 1);
    } catch (const EIniFileException& error) {
        EXPECT_STREQ(error.what(), "Unable to write to torva.ini");
    }
}

}

namespace {

TEST(IniFileTest, ABatchReadsOneLookOfTheFileAndSeesItsOwnWrites)
{
    TempPrefix prefix("inifile-batch");
    fs::path file = prefix.disc / "Torva" / "torvaxp.ini";
    TempPrefix::Write(file, "[Main]\r\nCD=0206\r\n");
    TIniFile catalogue("E:\\Torva\\torvaxp.ini");
    {
        TIniFile::ReadBatch batch(catalogue);
        TIniFile::ReadBatch nested(catalogue);
        TempPrefix::Write(file, "[Main]\r\nCD=0307\r\n");
        platform::FlushProfileCache();
        EXPECT_EQ(catalogue.ReadString("Main", "CD", ""), "0206");
        catalogue.WriteString("Main", "Version", "3");
        EXPECT_EQ(catalogue.ReadInteger("Main", "Version", 0), 3);
        // The write went to the file as it is, and the batch now shows that.
        EXPECT_EQ(catalogue.ReadString("Main", "CD", ""), "0307");
    }
    TempPrefix::Write(file, "[Main]\r\nCD=0408\r\n");
    platform::FlushProfileCache();
    EXPECT_EQ(catalogue.ReadString("Main", "CD", ""), "0408");
}

TEST(IniFileTest, AFileFoundOnceFollowsRenamesAndRemappedDrives)
{
    TempPrefix prefix("inifile-found");
    TempPrefix::Write(prefix.disc / "Torva" / "torvaxp.ini", "[Main]\r\nCD=0206\r\n");
    TIniFile catalogue("E:\\TORVA\\TORVAXP.INI");
    EXPECT_EQ(catalogue.ReadString("Main", "CD", ""), "0206");

    // Gone from where it was found, back under another spelling.
    fs::rename(prefix.disc / "Torva", prefix.disc / "tORVA");
    EXPECT_EQ(catalogue.ReadString("Main", "CD", ""), "0206");

    // The drive letter now names another disc.
    fs::path second = prefix.base / "second-disc";
    TempPrefix::Write(second / "Torva" / "torvaxp.ini", "[Main]\r\nCD=0307\r\n");
    platform::CurrentMachine().UnmapDrive('e');
    ASSERT_EQ(platform::CurrentMachine().MapDrive(second, platform::DRIVE_CDROM, 'e'), 'E');
    EXPECT_EQ(catalogue.ReadString("Main", "CD", ""), "0307");
}

TEST(IniFileTest, StoringWhatTheFileSaysLeavesTheFileAlone)
{
    TempPrefix prefix("inifile-same");
    TIniFile state("torva.ini");
    state.WriteString("CD0206", "Hra", "C:\\Hry\\Hra\\");
    fs::path file = prefix.driveC / "windows" / "torva.ini";
    auto old = fs::file_time_type::clock::now() - std::chrono::hours(24);
    fs::last_write_time(file, old);
    state.WriteString("CD0206", "Hra", "C:\\Hry\\Hra\\");
    state.DeleteKey("CD0206", "Missing");
    EXPECT_EQ(fs::last_write_time(file), old);
    state.WriteString("CD0206", "Hra", "D:\\Hra\\");
    EXPECT_NE(fs::last_write_time(file), old);
    EXPECT_EQ(TempPrefix::Read(file), "[CD0206]\r\nHra=D:\\Hra\\\r\n");
}

}
