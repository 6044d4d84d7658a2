#include "platform/process/Process.h"

#include <gtest/gtest.h>

namespace {

using platform::SplitCommandLine;
using Args = std::vector<std::string>;

struct SplitCase {
    const char* line;
    Args expected;
};

TEST(CommandLine, SplitsAsTheWindowsRuntime)
{
    const SplitCase cases[] = {
        { "", {} },
        { "setup.exe", { "setup.exe" } },
        { "setup.exe  /s\t-x ", { "setup.exe", "/s", "-x" } },
        { "\"C:\\Program Files\\Hra\\hra.exe\" -f", { "C:\\Program Files\\Hra\\hra.exe", "-f" } },
        // The program name takes no escapes: a backslash before its closing quote stays.
        { "\"C:\\Hra\\\" x", { "C:\\Hra\\", "x" } },
        { "p \"a b\" c", { "p", "a b", "c" } },
        { "p a\"b c\"d", { "p", "ab cd" } },
        { "p \"\"", { "p", "" } },
        // Backslashes are literal unless a quote follows them.
        { "p C:\\dir\\ x", { "p", "C:\\dir\\", "x" } },
        { "p a\\\\\"b c\"", { "p", "a\\b c" } }, // 2n: n backslashes, the quote toggles
        { "p a\\\"b", { "p", "a\"b" } },         // 2n+1: n backslashes and a quote
        { "p a\\\\\\\"b", { "p", "a\\\"b" } },
        { "p \"a\"\"b\"", { "p", "a\"b" } }, // "" inside quotes is a quote
        { "p \"unterminated arg", { "p", "unterminated arg" } },
        { "\"unterminated program", { "unterminated program" } },
        { "p \"C:\\Path With\\\\\"", { "p", "C:\\Path With\\" } },
    };
    for (const auto& c : cases)
        EXPECT_EQ(SplitCommandLine(c.line), c.expected) << c.line;
}

TEST(CommandLine, QuotedArgumentsSplitBackToThemselves)
{
    const std::string arguments[] = { "plain", "", "a b", "tab\there", "say \"hi\"", "C:\\dir\\",
        "C:\\Path With\\", "\\\\server\\x", "a\\\\\"b", "\\" };
    std::string line = "prog";
    Args expected { "prog" };
    for (const auto& argument : arguments) {
        line += " " + platform::QuoteArgument(argument);
        expected.push_back(argument);
    }
    EXPECT_EQ(SplitCommandLine(line), expected) << line;
    EXPECT_EQ(platform::QuoteArgument("plain"), "plain");
    EXPECT_EQ(platform::QuoteArgument("a b"), "\"a b\"");
}

std::string MzWithNewHeader(uint32_t offset, std::string_view signature)
{
    std::string bytes(offset + signature.size(), '\0');
    bytes[0] = 'M';
    bytes[1] = 'Z';
    for (int i = 0; i < 4; ++i)
        bytes[0x3C + i] = static_cast<char>((offset >> (8 * i)) & 0xFF);
    bytes.replace(offset, signature.size(), signature);
    return bytes;
}

TEST(ExecutableKind, TellsProgramsByTheirFirstBytes)
{
    using platform::ClassifyExecutable;
    using platform::ExecutableKind;
    EXPECT_EQ(ClassifyExecutable("\x7F"
                                 "ELF\x02\x01"),
        ExecutableKind::Native);
    EXPECT_EQ(ClassifyExecutable("#!/bin/sh\nexit 0\n"), ExecutableKind::Native);
    EXPECT_EQ(ClassifyExecutable(MzWithNewHeader(0x80, std::string_view("PE\0\0", 4))), ExecutableKind::Windows);
    EXPECT_EQ(ClassifyExecutable(MzWithNewHeader(0x40, "NE")), ExecutableKind::Windows);
    // A plain DOS program, a truncated header and a pointer past the end are not Windows programs.
    EXPECT_EQ(ClassifyExecutable(MzWithNewHeader(0x40, "LX")), ExecutableKind::None);
    EXPECT_EQ(ClassifyExecutable("MZ"), ExecutableKind::None);
    std::string pointingAway = MzWithNewHeader(0x40, "NE");
    pointingAway[0x3C] = '\xFF';
    pointingAway[0x3F] = '\x7F';
    EXPECT_EQ(ClassifyExecutable(pointingAway), ExecutableKind::None);
    EXPECT_EQ(ClassifyExecutable(std::string_view("PE\0\0", 4)), ExecutableKind::None);
    EXPECT_EQ(ClassifyExecutable(""), ExecutableKind::None);
    EXPECT_EQ(ClassifyExecutable("readme text"), ExecutableKind::None);

    std::string first64 = MzWithNewHeader(0x400, "NE").substr(0, 64);
    EXPECT_EQ(platform::ExecutableHeaderBytesNeeded(first64), 0x404u);
    EXPECT_EQ(platform::ExecutableHeaderBytesNeeded("#!/bin/sh"), 0u);
}

}
