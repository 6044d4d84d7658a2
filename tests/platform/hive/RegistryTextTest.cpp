#include "platform/hive/RegistryText.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

std::u16string Unescape(std::string_view text)
{
    size_t pos = 0;
    auto result = UnescapeRegistryText(text, pos, '"');
    EXPECT_TRUE(result.has_value()) << text;
    return result.value_or(u"<failed>");
}

TEST(RegistryText, EscapesAsTheFilesAreWritten)
{
    struct Row {
        std::u16string text;
        std::string escaped;
    };
    const Row rows[] = {
        { u"C:\\Program Files\\Game", "C:\\\\Program Files\\\\Game" },
        { u"say \"hi\"", "say \\\"hi\\\"" },
        { u"a\nb\rc\td", "a\\nb\\rc\\td" },
        { std::u16string(u"x\0y", 3), "x\\0y" },
        { std::u16string(u"x\0"
                         u"1",
              3),
            "x\\0001" }, // an octal digit after NUL needs all three digits
        { u"\x01", "\\1" },
        { u"P\x0159"
          u"ejete",
            "P\\x0159ejete" },
        { u"P\x0159"
          u"g",
            "P\\x159g" },
        { u"\x0159"
          u"a",
            "\\x0159a" }, // a hex digit follows: four digits keep it apart
        { u"\x0159"
          u"g",
            "\\x159g" },
        { u"\x20AC", "\\x20ac" },
    };
    for (auto& row : rows) {
        EXPECT_EQ(EscapeRegistryText(row.text, "\"\""), row.escaped);
        EXPECT_EQ(Unescape(row.escaped + "\""), row.text) << row.escaped;
    }
}

TEST(RegistryText, KeyNamesEscapeBrackets)
{
    EXPECT_EQ(EscapeRegistryText(u"a[1]", "[]"), "a\\[1\\]");
    size_t pos = 0;
    EXPECT_EQ(UnescapeRegistryText("a\\[1\\]]", pos, ']'), u"a[1]");
    EXPECT_EQ(pos, 7u);
}

TEST(RegistryText, ReadsWhatOtherWritersProduce)
{
    EXPECT_EQ(Unescape("\\q\""), u"q"); // unknown escape: the character itself
    EXPECT_EQ(Unescape("\\x\""), u"x"); // \x without digits
    EXPECT_EQ(Unescape("\\x12345\""), u"\x1234"
                                      u"5"); // at most four hex digits
    EXPECT_EQ(Unescape("\\101\\0\""), std::u16string(u"A\0", 2));
    EXPECT_EQ(Unescape("\xC5\x99\""), u"\x0159"); // raw UTF-8
    EXPECT_EQ(Unescape("\xF8\""), u"\x00F8");     // a lone high byte is taken as it is
    size_t pos = 0;
    EXPECT_FALSE(UnescapeRegistryText("unterminated", pos, '"'));
    pos = 0;
    EXPECT_FALSE(UnescapeRegistryText("ends in \\", pos, '"'));
}

TEST(RegistryText, ValueLinesOfEveryType)
{
    struct Row {
        std::string line;
        std::u16string name;
        uint32_t type;
        std::vector<uint8_t> data;
    };
    const Row rows[] = {
        { "\"A\"=\"b\"", u"A", 1, { 'b', 0, 0, 0 } },
        { "@=\"\"", u"", 1, { 0, 0 } },
        { "\"A\"=str(2):\"%x%\"", u"A", 2, { '%', 0, 'x', 0, '%', 0, 0, 0 } },
        { "\"A\"=str(7):\"a\\0\"", u"A", 7, { 'a', 0, 0, 0, 0, 0 } },
        { "\"A\"=dword:0000002a", u"A", 4, { 42, 0, 0, 0 } },
        { "\"A\"=dword:FFFFFFFF", u"A", 4, { 255, 255, 255, 255 } },
        { "\"A\"=hex:01,ff", u"A", 3, { 1, 255 } },
        { "\"A\"=hex:", u"A", 3, {} },
        { "\"A\"=hex(0):", u"A", 0, {} },
        { "\"A\"=hex(b):01,02,03,04,05,06,07,08", u"A", 11, { 1, 2, 3, 4, 5, 6, 7, 8 } },
        { "\"q\\\"x\"=\"1\"", u"q\"x", 1, { '1', 0, 0, 0 } },
    };
    for (auto& row : rows) {
        auto value = ParseRegistryValueLine(row.line);
        ASSERT_TRUE(value) << row.line;
        EXPECT_EQ(value->name, row.name) << row.line;
        EXPECT_EQ(value->type, row.type) << row.line;
        EXPECT_EQ(value->data, row.data) << row.line;
        EXPECT_EQ(FormatRegistryValue(value->name, value->type, value->data), row.line == "\"A\"=dword:FFFFFFFF" ? "\"A\"=dword:ffffffff" : row.line);
    }
}

TEST(RegistryText, MalformedValueLinesAreNotValues)
{
    for (std::string line : { "\"A\"=", "\"A\"", "\"A\"=\"open", "\"A\"=dword:1234567890", "\"A\"=dword:xyz", "\"A\"=hex:1,2,", "\"A\"=hex:123",
             "\"A\"=hex(zz):00", "\"A\"=str(2)\"x\"", "\"A\"=\"x\" trailing", "A=\"x\"", "\"A\"=other:1", "\"unterminated=\"x\"" })
        EXPECT_FALSE(ParseRegistryValueLine(line)) << line;
}

TEST(RegistryText, LongBinaryWrapsLikeWine)
{
    std::vector<uint8_t> data(40, 0xab);
    std::string text = FormatRegistryValue(u"Key", 3, data);
    EXPECT_EQ(text,
        "\"Key\"=hex:ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,\\\n"
        "  ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab");
}

TEST(RegistryText, StringsThatAreNotWellFormedAreWrittenAsHex)
{
    // No terminating NUL, or an odd length: only the bytes can be kept.
    EXPECT_EQ(FormatRegistryValue(u"A", 1, { 'a', 0 }), "\"A\"=hex(1):61,00");
    EXPECT_EQ(FormatRegistryValue(u"A", 2, { 'a', 0, 0 }), "\"A\"=hex(2):61,00,00");
    EXPECT_EQ(FormatRegistryValue(u"A", 4, { 1, 2 }), "\"A\"=hex(4):01,02");
}

}
}
