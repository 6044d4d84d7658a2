#include "shell/PathText.h"

#include <gtest/gtest.h>

namespace {

using List = std::vector<std::string>;

TEST(PathText, PostFixDirAndGetParentDir)
{
    EXPECT_EQ(shell::PostFixDir(""), "");
    EXPECT_EQ(shell::PostFixDir("C:\\Games"), "C:\\Games\\");
    EXPECT_EQ(shell::PostFixDir("C:\\Games\\"), "C:\\Games\\");

    struct Case {
        const char* path;
        const char* parent;
    };
    const Case cases[] = {
        { "C:\\Games\\X\\", "C:\\Games" },
        { "C:\\Games\\X", "C:\\Games" },
        { "C:\\Games", "C:" },
        { "C:\\", "C:" },
        { "Games", "" },
        { "", "" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(shell::GetParentDir(c.path), c.parent) << c.path;
}

TEST(PathText, SplitListSeparatorRules)
{
    struct Case {
        const char* text;
        List entries;
    };
    const Case cases[] = {
        { "", {} },
        { "one", { "one" } },
        { "a:b", { "a", "b" } },
        { "a:b;c:d", { "a:b", "c:d" } },
        { "a:b,c:d", { "a:b", "c:d" } },
        { "a;b,c", { "a;b", "c" } },
        { "a,,b", { "a", "", "b" } },
        { ";", { "", "" } },
        { "a,", { "a", "" } },
        { "C:\\GAME\\RUN.EXE", { "C", "\\GAME\\RUN.EXE" } },
    };
    for (const Case& c : cases)
        EXPECT_EQ(shell::SplitList(c.text), c.entries) << c.text;
}

// The original capacity was 254 characters; longer lists must not lose their tail entries.
TEST(PathText, SplitListKeepsLongTexts)
{
    std::string text;
    List expected;
    for (int i = 0; text.size() < 300; ++i) {
        std::string entry = "ENTRY" + std::to_string(i);
        text += (i ? "," : "") + entry;
        expected.push_back(entry);
    }
    EXPECT_EQ(shell::SplitList(text), expected);
    std::string exactly254(254, 'x');
    exactly254[100] = ';';
    EXPECT_EQ(shell::SplitList(exactly254), (List { std::string(100, 'x'), std::string(153, 'x') }));
}

TEST(PathText, CutHelpers)
{
    EXPECT_EQ(shell::CutBeforeColon("12:Game"), "12");
    EXPECT_EQ(shell::CutBeforeColon("Game"), "Game");
    EXPECT_EQ(shell::CutBeforeColon(":x"), "");

    struct Case {
        const char* text;
        const char* cut;
    };
    const Case cases[] = {
        { "C:\\GAME\\RUN.EXE -x -y", "C:\\GAME\\RUN.EXE" },
        { "C:\\MY GAME\\RUN.EXE", "C:\\MY GAME\\RUN.EXE" },
        { "C:\\GAME\\RUN.EXE", "C:\\GAME\\RUN.EXE" },
        { "C:\\GAME\\RUN -x", "C:\\GAME\\RUN -x" },
        { "C:\\A.B\\RUN -f x.y", "C:\\A.B\\RUN -f x.y" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(shell::CutAfterExtension(c.text), c.cut) << c.text;

    EXPECT_EQ(shell::StripQuotes("\"C:\\A B\\X.EXE\" \"-y\""), "C:\\A B\\X.EXE -y");
}

TEST(PathText, UninstallDirOfCommandLines)
{
    struct Case {
        const char* commandLine;
        const char* folder;
    };
    const Case cases[] = {
        { "C:\\WINDOWS\\UNINST.EXE -f\"C:\\GAME\\DeIsL1.isu\" -c\"C:\\GAME\\_ISREG32.DLL\"", "C:\\GAME\\" },
        { "C:\\WINDOWS\\UNINST.EXE -fC:\\GAME\\DeIsL1.isu", "C:\\GAME\\" },
        { "C:\\WINDOWS\\UNINST.EXE -f\"C:\\Program Files\\Game\\DeIsL1.isu\"", "C:\\Program Files\\Game\\" },
        { "C:\\WINDOWS\\uninst.exe \"C:\\WINDOWS\\UNINST0.000\" \"C:\\GAME\\UNINSTAL.LOG\"", "C:\\GAME\\" },
        { "C:\\WINDOWS\\UNWISE.EXE \"C:\\GAMES\\Y\\INSTALL.LOG\"", "C:\\GAMES\\Y\\" },
        { "C:\\WINDOWS\\UNWISE.EXE C:\\GAMES\\Y\\INSTALL.LOG", "C:\\GAMES\\Y\\" },
        { "", "" },
        { "UNINST", "" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(shell::UninstallDirOf(c.commandLine), c.folder) << c.commandLine;
}

TEST(PathText, DoubleAmpersands)
{
    EXPECT_EQ(shell::DoubleAmpersands("Tom & Jerry"), "Tom && Jerry");
    EXPECT_EQ(shell::DoubleAmpersands("A&&B"), "A&&B");
    EXPECT_EQ(shell::DoubleAmpersands("&A&"), "&&A&&");
    EXPECT_EQ(shell::DoubleAmpersands("A&&&B"), "A&&&B");
}

}
