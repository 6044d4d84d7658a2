// The program's own boxes as they are drawn, against goldens under tests/golden/box, and what
// the keyboard and the mouse do to their buttons.

#include "platform/events/Event.h"
#include "platform/text/Codepage.h"
#include "platform/window/BoxNavigation.h"
#include "platform/window/BoxPainter.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/PixelBuffer.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

// Text rasterised by another FreeType may stray a little; a frame or a button that moves does not.
constexpr torva::test::GoldenTolerance kTolerance { 24, 30 };

struct BoxCase {
    const char* golden;
    BoxContent content;
};

TEST(BoxPainterTest, EveryKindOfBoxLooksAsItsGolden)
{
    auto painter = BoxPainter::Load();
    ASSERT_TRUE(painter) << "the box artwork is not embedded";
    const BoxCase cases[] = {
        { "box/ok", { BoxSign::Plain, "Torva CD v2", "Reg Key not deleted...", { "OK" } } },
        { "box/yes_no",
            { BoxSign::Question, "Torva CD v2", Utf8ToCp1250("Smazat složku C:\\HRY\\ZAHRADA se vším, co obsahuje?"),
                { "&Ano", "&Ne" } } },
        { "box/yes_no_cancel",
            { BoxSign::Question, "Torva CD v2", Utf8ToCp1250("Uložit změny nastavení před ukončením?"),
                { "&Ano", "&Ne", "&Storno" } } },
        { "box/czech_quotes",
            { BoxSign::Stop, "Torva CD v2",
                Utf8ToCp1250("Na disku „/tmp/torva/nodisc.iso“ chybí katalog Torva\\torvaxp.ini; není to disk Torva CD – "
                             "žluťoučký kůň úpěl ďábelské ódy."),
                { "OK" } } },
    };
    for (const BoxCase& c : cases) {
        SCOPED_TRACE(c.golden);
        const BoxLayout layout = painter->Lay(c.content);
        ASSERT_LE(layout.text.Width(), BoxPainter::MaxTextWidth);
        torva::test::PixelBuffer picture(layout.size.cx, layout.size.cy);
        painter->Paint(c.content, layout, {}, picture.view);
        EXPECT_TRUE(torva::test::MatchesGolden(picture.view, c.golden, torva::test::GoldenChannels::Colour, kTolerance));
    }
}

TEST(BoxPainterTest, ThePressedAndTheFocusedButtonShowAsSuch)
{
    auto painter = BoxPainter::Load();
    ASSERT_TRUE(painter);
    const BoxContent content { BoxSign::Question, "Torva CD v2", "?", { "&Ano", "&Ne" } };
    const BoxLayout layout = painter->Lay(content);
    ASSERT_EQ(layout.ButtonAt({ layout.buttons[1].Left + 2, layout.buttons[1].Top + 2 }), 1);
    EXPECT_EQ(layout.ButtonAt({ layout.buttons[0].Right + 2, layout.buttons[0].Top + 2 }), -1);
    torva::test::PixelBuffer plain(layout.size.cx, layout.size.cy), pressed(layout.size.cx, layout.size.cy);
    painter->Paint(content, layout, { 0, -1 }, plain.view);
    painter->Paint(content, layout, { 1, 1 }, pressed.view);
    EXPECT_TRUE(torva::test::MatchesGolden(pressed.view, "box/yes_no_pressed", torva::test::GoldenChannels::Colour, kTolerance));
    EXPECT_GT(torva::test::ComparePictures(plain.view, pressed.view, torva::test::GoldenChannels::Colour).differingPixels, 100);
}

TEST(BoxPainterTest, TheProgressWindowNamesTheImageAndTellsHowFar)
{
    auto painter = BoxPainter::Load();
    ASSERT_TRUE(painter);
    const ProgressContent content { Utf8ToCp1250("Rozbaluji obraz disku"), "Torva-12-2006.iso", 285212672, 681574400, "&Storno" };
    const ProgressLayout layout = painter->LayProgress(content);
    torva::test::PixelBuffer picture(layout.size.cx, layout.size.cy);
    painter->PaintProgress(content, layout, {}, picture.view);
    EXPECT_TRUE(torva::test::MatchesGolden(picture.view, "box/progress", torva::test::GoldenChannels::Colour, kTolerance));
}

TEST(BoxPainterTest, ProgressFiguresInWholePercentAndMegabytes)
{
    constexpr uint64_t Mega = uint64_t(1) << 20;
    const struct {
        uint64_t done, total;
        const char* figures;
    } cases[] = {
        { 0, 650 * Mega, "0 % – rozbaleno 0 MB z 650 MB, zbývá 650 MB" },
        { 272 * Mega, 650 * Mega, "41 % – rozbaleno 272 MB z 650 MB, zbývá 378 MB" },
        { 650 * Mega - 1, 650 * Mega, "99 % – rozbaleno 650 MB z 650 MB, zbývá 0 MB" },
        { 650 * Mega, 650 * Mega, "100 % – rozbaleno 650 MB z 650 MB, zbývá 0 MB" },
        { Mega / 2 - 1, Mega, "49 % – rozbaleno 0 MB z 1 MB, zbývá 1 MB" },
        { 0, 0, "100 % – rozbaleno 0 MB z 0 MB, zbývá 0 MB" },
        { 7, 5, "100 % – rozbaleno 0 MB z 0 MB, zbývá 0 MB" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(Cp1250ToUtf8(ProgressFigures(c.done, c.total)), c.figures) << c.done << " of " << c.total;
}

TEST(BoxPainterTest, AcceleratorsAreTheMarkedLetters)
{
    EXPECT_EQ(BoxAccelerator("&Ano"), 'A');
    EXPECT_EQ(BoxAccelerator("&ne"), 'N');
    EXPECT_EQ(BoxAccelerator("Tom && Jerry"), 0);
    EXPECT_EQ(BoxAccelerator("Tom && &Jerry"), 'J');
    EXPECT_EQ(BoxAccelerator("OK&"), 0);
}

struct Stroke {
    uint16_t key;
    bool shift;
};

struct KeysCase {
    const char* what;
    int focused;
    std::vector<Stroke> strokes;
    std::optional<int> result; // after the last stroke
    int focusAfter;
};

TEST(BoxNavigationTest, KeysMoveTheFocusAndPressButtons)
{
    // Three buttons: &Ano, &Ne, Storno (no letter).
    const KeysCase cases[] = {
        { "Enter presses the focused button", 1, { { VK_RETURN, false } }, 1, 1 },
        { "Space as well", 0, { { VK_SPACE, false } }, 0, 0 },
        { "Escape closes", 0, { { VK_ESCAPE, false } }, BoxNavigation::Closed, 0 },
        { "Right moves on", 0, { { VK_RIGHT, false } }, std::nullopt, 1 },
        { "Right wraps round", 2, { { VK_RIGHT, false } }, std::nullopt, 0 },
        { "Left wraps round", 0, { { VK_LEFT, false } }, std::nullopt, 2 },
        { "Tab moves on", 1, { { VK_TAB, false } }, std::nullopt, 2 },
        { "Shift+Tab moves back", 1, { { VK_TAB, true } }, std::nullopt, 0 },
        { "Tab then Enter", 0, { { VK_TAB, false }, { VK_TAB, false }, { VK_RETURN, false } }, 2, 2 },
        { "the marked letter presses its button", 0, { { 'N', false } }, 1, 0 },
        { "an unmarked letter does nothing", 0, { { 'S', false } }, std::nullopt, 0 },
    };
    for (const KeysCase& c : cases) {
        SCOPED_TRACE(c.what);
        BoxNavigation navigation({ 'A', 'N', 0 }, c.focused);
        std::optional<int> result;
        for (const Stroke& stroke : c.strokes)
            result = navigation.Key(stroke.key, stroke.shift);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(navigation.Look().focused, c.focusAfter);
    }
}

TEST(BoxNavigationTest, AClickPressesTheButtonItBeganAndEndedOn)
{
    BoxNavigation navigation({ 'A', 'N' }, 0);
    navigation.MouseDown(1);
    EXPECT_EQ(navigation.Look().pressed, 1);
    EXPECT_EQ(navigation.Look().focused, 1);
    navigation.MouseMove(-1);
    EXPECT_EQ(navigation.Look().pressed, -1) << "a button shows pressed only while the pointer is on it";
    navigation.MouseMove(1);
    EXPECT_EQ(navigation.Look().pressed, 1);
    EXPECT_EQ(navigation.MouseUp(1), 1);
    EXPECT_EQ(navigation.Look().pressed, -1);

    navigation.MouseDown(0);
    EXPECT_EQ(navigation.MouseUp(1), std::nullopt) << "released over another button";
    navigation.MouseDown(-1);
    EXPECT_EQ(navigation.MouseUp(0), std::nullopt) << "pressed beside the buttons";
}

}
