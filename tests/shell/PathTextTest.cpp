#include "shell/PathText.h"
#include "tests/support/ExpectEach.h"

#include <gtest/gtest.h>

namespace {

using List = std::vector<std::string>;
using torva::test::ExpectEach;

TEST(PathText, PostFixDirAndGetParentDir)
{
    ExpectEach(shell::PostFixDir, { { "", "" }, { "C:\\Games", "C:\\Games\\" }, { "C:\\Games\\", "C:\\Games\\" } });
    ExpectEach(shell::GetParentDir, {
                                        { "C:\\Games\\X\\", "C:\\Games" },
                                        { "C:\\Games\\X", "C:\\Games" },
                                        { "C:\\Games", "C:" },
                                        { "C:\\", "C:" },
                                        { "Games", "" },
                                        { "", "" },
                                    });
}

TEST(PathText, SplitListSeparatorRules)
{
    ExpectEach<List>(shell::SplitList, {
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
                                       });
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
    ExpectEach(shell::CutBeforeColon, { { "12:Game", "12" }, { "Game", "Game" }, { ":x", "" } });
    ExpectEach(shell::CutAfterExtension, {
                                             { "C:\\GAME\\RUN.EXE -x -y", "C:\\GAME\\RUN.EXE" },
                                             { "C:\\MY GAME\\RUN.EXE", "C:\\MY GAME\\RUN.EXE" },
                                             { "C:\\GAME\\RUN.EXE", "C:\\GAME\\RUN.EXE" },
                                             { "C:\\GAME\\RUN -x", "C:\\GAME\\RUN -x" },
                                             { "C:\\A.B\\RUN -f x.y", "C:\\A.B\\RUN -f x.y" },
                                         });

    EXPECT_EQ(shell::StripQuotes("\"C:\\A B\\X.EXE\" \"-y\""), "C:\\A B\\X.EXE -y");
}

TEST(PathText, UninstallDirOfCommandLines)
{
    ExpectEach(shell::UninstallDirOf, {
                                          { "C:\\WINDOWS\\UNINST.EXE -f\"C:\\GAME\\DeIsL1.isu\" -c\"C:\\GAME\\_ISREG32.DLL\"", "C:\\GAME\\" },
                                          { "C:\\WINDOWS\\UNINST.EXE -fC:\\GAME\\DeIsL1.isu", "C:\\GAME\\" },
                                          { "C:\\WINDOWS\\UNINST.EXE -f\"C:\\Program Files\\Game\\DeIsL1.isu\"", "C:\\Program Files\\Game\\" },
                                          { "C:\\WINDOWS\\uninst.exe \"C:\\WINDOWS\\UNINST0.000\" \"C:\\GAME\\UNINSTAL.LOG\"", "C:\\GAME\\" },
                                          { "C:\\WINDOWS\\UNWISE.EXE \"C:\\GAMES\\Y\\INSTALL.LOG\"", "C:\\GAMES\\Y\\" },
                                          { "C:\\WINDOWS\\UNWISE.EXE C:\\GAMES\\Y\\INSTALL.LOG", "C:\\GAMES\\Y\\" },
                                          { "", "" },
                                          { "UNINST", "" },
                                      });
}

TEST(PathText, DoubleAmpersands)
{
    ExpectEach(shell::DoubleAmpersands, { { "Tom & Jerry", "Tom && Jerry" }, { "A&&B", "A&&B" }, { "&A&", "&&A&&" }, { "A&&&B", "A&&&B" } });
}

}
