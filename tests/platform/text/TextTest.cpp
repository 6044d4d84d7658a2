#include "platform/text/Text.h"

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

using namespace platform;

TEST(Text, UpperCaseTouchesOnlyAsciiLetters)
{
    // Pařeniště is stored as PAřENIšTě.
    EXPECT_EQ(UpperCase("Pa\xF8"
                        "eni\x9At\xEC"),
        "PA\xF8"
        "ENI\x9AT\xEC");
    EXPECT_EQ(UpperCase("abc-XYZ_09{}`"), "ABC-XYZ_09{}`");
    EXPECT_TRUE(EqualsNoCase("Setup.EXE", "SETUP.exe"));
    EXPECT_FALSE(EqualsNoCase("\xE8", "\xC8"));
    EXPECT_FALSE(EqualsNoCase("ab", "abc"));
}

TEST(Text, UpperCaseCp1250TakesEveryLetterOfTheCodePage)
{
    // "Příliš žluťoučký kůň úpěl ďábelské ódy", "łąşľżśź", and ß, ÷ and ˙ without capitals.
    EXPECT_EQ(UpperCaseCp1250("P\xF8\xEDli\x9A \x9Elu\x9Do\xE8k\xFD k\xF9\xF2 \xFAp\xECl \xEF\xE1\x62\x65lsk\xE9 \xF3\x64y"),
        "P\xD8\xCDLI\x8A \x8ELU\x8DO\xC8K\xDD K\xD9\xD2 \xDAP\xCCL \xCF\xC1\x42\x45LSK\xC9 \xD3\x44Y");
    EXPECT_EQ(UpperCaseCp1250("\xB3\xB9\xBA\xBE\xBF\x9C\x9F"), "\xA3\xA5\xAA\xBC\xAF\x8C\x8F");
    EXPECT_EQ(UpperCaseCp1250("\xDF\xF7\xFF\xD7"), "\xDF\xF7\xFF\xD7");
}

TEST(Text, NumberReading)
{
    struct {
        const char* text;
        int32_t expected;
    } table[] = {
        { "12", 12 },
        { " 42 ", 42 },
        { "-5", -5 },
        { "+7", 7 },
        { "0x1F", 31 },
        { "0XfF", 255 },
        { "0xFFFFFFFF", -1 },
        { "2147483647", 2147483647 },
        { "-2147483648", INT32_MIN },
        { "0", 0 },
        { "007", 7 },
        // no number: the default (-99) comes back
        { "", -99 },
        { "abc", -99 },
        { "12abc", -99 },
        { "1 2", -99 },
        { "0x", -99 },
        { "0xG1", -99 },
        { "-0x10", -99 },
        { "2147483648", -99 },
        { "0x100000000", -99 },
        { "-", -99 },
        { "$10", -99 },
    };
    for (auto& row : table)
        EXPECT_EQ(ReadNumber(row.text, -99), row.expected) << '"' << row.text << '"';
}

TEST(Text, Splitting)
{
    using Pieces = std::vector<std::string_view>;
    struct {
        const char* text;
        Pieces lines;
        Pieces words;
    } table[] = {
        { "", {}, {} },
        { "a", { "a" }, { "a" } },
        { "a\nb\n", { "a", "b" }, { "a\nb\n" } },
        { "a\n\n", { "a", "" }, { "a\n\n" } },
        { "\n", { "" }, { "\n" } },
        { "x y\r\nz", { "x y\r", "z" }, { "x", "y\r\nz" } },
        { "  a  b ", { "  a  b " }, { "a", "b" } },
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(SplitLines(row.text), row.lines);
        EXPECT_EQ(SplitNonEmpty(row.text, ' '), row.words);
    }
}
