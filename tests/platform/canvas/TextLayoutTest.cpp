#include "platform/canvas/Canvas.h"
#include "platform/canvas/TextLayout.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

// Every character 10 wide, a space 5, lines 12 high, tab stops every 8 x 6 = 48.
TextMeasure FakeMeasure()
{
    TextMeasure m;
    m.advances.fill(10);
    m.advances[' '] = 5;
    m.lineHeight = 12;
    m.aveCharWidth = 6;
    return m;
}

std::string LineText(const TextLine& line)
{
    std::string s;
    for (const auto& ch : line.chars)
        s += static_cast<char>(ch.byte);
    return s;
}

std::vector<std::string> Lines(std::string_view text, int width, uint32_t flags)
{
    std::vector<std::string> out;
    for (const auto& line : LayOutText(text, width, flags, FakeMeasure()).lines)
        out.push_back(LineText(line));
    return out;
}

using V = std::vector<std::string>;

}

TEST(TextLayout, WordBreaks)
{
    struct Row {
        const char* text;
        int width;
        V want;
    } rows[] = {
        { "aa bb cc", 100, { "aa bb cc" } },
        { "aa bb cc", 45, { "aa bb", "cc" } }, // "aa bb" is exactly 45
        { "aa bb cc", 44, { "aa", "bb", "cc" } },
        { "aa   bb", 25, { "aa", "bb" } },           // blanks at a break vanish
        { "abcdefgh ij", 30, { "abcdefgh", "ij" } }, // a long word overflows, unbroken
        { "  aa", 100, { "  aa" } },                 // leading blanks of a paragraph stay
        { "aa  ", 20, { "aa" } },                    // trailing blanks never open a line
        { "aa bb\r\ncc\ndd", 100, { "aa bb", "cc", "dd" } },
        { "aa\r\rbb", 100, { "aa", "", "bb" } },
        { "aa\n", 100, { "aa" } },
        { "", 100, {} },
        { "x", 0, { "x" } },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(Lines(row.text, row.width, DT_WORDBREAK), row.want);
    }
}

TEST(TextLayout, SingleLineIgnoresBreaksAndWrapping)
{
    EXPECT_EQ(Lines("aa bb\ncc", 10, DT_SINGLELINE | DT_WORDBREAK), V { "aa bb\ncc" });
    auto layout = LayOutText("ab\ncd", 10, DT_SINGLELINE, FakeMeasure());
    EXPECT_EQ(layout.width, 40); // the line feed takes no room
    EXPECT_EQ(Lines("aa bb cc", 10, 0), V { "aa bb cc" });
}

TEST(TextLayout, Prefixes)
{
    struct Row {
        const char* text;
        uint32_t flags;
        const char* want;
        int underlinedAt; // index into the line, -1 for none
    } rows[] = {
        { "&File", 0, "File", 0 },
        { "Fi&le", 0, "File", 2 },
        { "A&&B", 0, "A&B", -1 },
        { "AB&", 0, "AB", -1 },
        { "&File", DT_NOPREFIX, "&File", -1 },
        { "&File", DT_HIDEPREFIX, "File", -1 },
        { "&&&x", 0, "&x", 1 },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        auto layout = LayOutText(row.text, 1000, row.flags, FakeMeasure());
        ASSERT_EQ(layout.lines.size(), 1u);
        EXPECT_EQ(LineText(layout.lines[0]), row.want);
        int underlined = -1;
        for (size_t i = 0; i < layout.lines[0].chars.size(); ++i)
            if (layout.lines[0].chars[i].underlined)
                underlined = static_cast<int>(i);
        EXPECT_EQ(underlined, row.underlinedAt);
    }
    // The prefix takes no width, so wrapping counts the drawn characters only.
    EXPECT_EQ(Lines("&a&b &c&d", 45, DT_WORDBREAK), V { "ab cd" });
    EXPECT_EQ(Lines("&a&b &c&d", 44, DT_WORDBREAK), (V { "ab", "cd" }));
}

TEST(TextLayout, TabsExpandToStopsOnlyWhenAsked)
{
    auto expanded = LayOutText("a\tb", 1000, DT_EXPANDTABS, FakeMeasure());
    ASSERT_EQ(expanded.lines[0].chars.size(), 3u);
    EXPECT_EQ(expanded.lines[0].chars[2].x, 48);
    EXPECT_EQ(expanded.width, 58);
    auto pastStop = LayOutText("abcde\tb", 1000, DT_EXPANDTABS, FakeMeasure());
    EXPECT_EQ(pastStop.lines[0].chars[6].x, 96);
    auto plain = LayOutText("a\tb", 1000, 0, FakeMeasure());
    EXPECT_EQ(plain.lines[0].chars[2].x, 20);
}

TEST(TextLayout, MeasuredSizeIsWidestLineTimesLines)
{
    auto layout = LayOutText("aaa bb c", 34, DT_WORDBREAK, FakeMeasure());
    EXPECT_EQ(layout.lines.size(), 3u);
    EXPECT_EQ(layout.width, 30);
    EXPECT_EQ(layout.height, 36);
}
