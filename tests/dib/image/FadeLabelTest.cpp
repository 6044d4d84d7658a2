#include "DIBSceneRig.h"

#include "platform/canvas/Canvas.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

constexpr TColor Silver = RGB(0xC0, 0xC0, 0xC0);
constexpr TColor White = RGB(0xFF, 0xFF, 0xFF);
// Silver to white in ten frames: entry i is 192 + 63 * (i + 1) / 10 per channel, truncated.
const std::vector<TColor> SilverToWhite { RGB(198, 198, 198), RGB(204, 204, 204), RGB(210, 210, 210),
    RGB(217, 217, 217), RGB(223, 223, 223), RGB(229, 229, 229), RGB(236, 236, 236), RGB(242, 242, 242),
    RGB(248, 248, 248), RGB(255, 255, 255) };

uint32_t PixelOf(TColor color) { return SwapRedBlue(static_cast<uint32_t>(color)) & 0xFFFFFF; }

struct LabelRig : DIBSceneRig {
    TDIBFadeLabel* label;

    LabelRig()
        : DIBSceneRig(200, 100, RGB(0, 0, 0x80))
        , label(AddLabel(20, 30, "Hry"))
    {
        label->Font().SetName("MS Sans Serif");
        label->Font().SetHeight(-12);
        label->Font().SetColor(Silver);
        label->SetColorHighlighted(White);
    }

    void Enter() { MoveMouse(label->Left() + 2, label->Top() + 2); }
    void Leave() { MoveMouse(190, 95); }

    // The colour after each of `ticks` steps of the label's frame delay.
    std::vector<TColor> Ticks(int ticks)
    {
        std::vector<TColor> shown;
        for (int i = 0; i < ticks; ++i) {
            loop.Advance(label->FrameDelay());
            shown.push_back(label->CurrentColor());
        }
        return shown;
    }
};

struct FadeLabel : ::testing::Test {
    LabelRig rig;
    TDIBFadeLabel& label = *rig.label;
};

}

TEST(FadeColors, StepsEachChannelByItsShareAndTruncatesAndNeedTwoFrames)
{
    EXPECT_EQ(BuildFadeColors(Silver, White, 10), SilverToWhite);

    // Falling channels truncate toward zero as well, each channel on its own.
    const std::vector<TColor> down = BuildFadeColors(RGB(255, 0, 100), RGB(0, 255, 100), 10);
    ASSERT_EQ(down.size(), 10u);
    EXPECT_EQ(down[0], RGB(229, 25, 100));
    EXPECT_EQ(down[2], RGB(178, 76, 100));
    EXPECT_EQ(down[4], RGB(127, 127, 100));
    EXPECT_EQ(down[9], RGB(0, 255, 100));

    EXPECT_TRUE(BuildFadeColors(Silver, White, 0).empty());
    EXPECT_TRUE(BuildFadeColors(Silver, White, 1).empty());
    EXPECT_EQ(BuildFadeColors(Silver, White, 2).size(), 2u);
}

TEST_F(FadeLabel, TheTableFollowsBothColoursAndTheFrameCount)
{
    EXPECT_EQ(label.FadeTable(), SilverToWhite);
    label.SetFrameCount(4);
    label.SetColorHighlighted(RGB(255, 0, 0));
    EXPECT_EQ(label.FadeTable(), (std::vector<TColor> { RGB(207, 144, 144), RGB(223, 96, 96), RGB(239, 48, 48), RGB(255, 0, 0) }));
    EXPECT_EQ(label.CurrentColor(), Silver) << "a new highlight colour does not touch the colour shown";
    label.Font().SetColor(RGB(0, 255, 0));
    EXPECT_EQ(label.FadeTable(), (std::vector<TColor> { RGB(63, 191, 0), RGB(127, 127, 0), RGB(191, 63, 0), RGB(255, 0, 0) }));
}

TEST_F(FadeLabel, FadeShowsTheTableDownToEntryOneThenTheFontColourInTenTicks)
{
    rig.Enter();
    EXPECT_TRUE(label.Entered());
    EXPECT_EQ(label.CurrentColor(), White);
    EXPECT_FALSE(label.Fading());

    rig.Leave();
    const uint64_t left = rig.loop.NowMs();
    EXPECT_TRUE(label.Fading());
    EXPECT_EQ(label.CurrentColor(), White) << "the first step comes with the first tick";

    std::vector<TColor> expected(SilverToWhite.rbegin(), SilverToWhite.rend() - 1);
    expected.push_back(Silver);
    EXPECT_EQ(rig.Ticks(10), expected);
    EXPECT_EQ(rig.loop.NowMs() - left, 500u);
    EXPECT_FALSE(label.Fading());
    EXPECT_FALSE(label.FadeTimer().Running());

    EXPECT_EQ(rig.Ticks(4), std::vector<TColor>(4, Silver)) << "a finished fade stays at rest";
    std::set<TColor> shown(expected.begin(), expected.end());
    EXPECT_FALSE(shown.count(SilverToWhite[0])) << "entry 0 is never shown";
}

TEST_F(FadeLabel, HighlightDuringAFadeStopsItAndTheNextLeaveStartsAgainFromTheTop)
{
    rig.Enter();
    rig.Leave();
    rig.Ticks(3);
    EXPECT_EQ(label.FadeIndex(), 6);
    EXPECT_EQ(label.CurrentColor(), SilverToWhite[7]);

    rig.Enter();
    EXPECT_FALSE(label.Fading());
    EXPECT_EQ(label.CurrentColor(), White);
    EXPECT_EQ(rig.Ticks(2), std::vector<TColor>(2, White));

    rig.Leave();
    EXPECT_EQ(label.FadeIndex(), 9);
    EXPECT_EQ(rig.Ticks(1), std::vector<TColor> { SilverToWhite[9] });
}

TEST_F(FadeLabel, WithoutStepsOrDelayTheLabelSnapsBackAtOnce)
{
    struct Case {
        int frameCount;
        uint32_t frameDelay;
    };
    for (Case c : { Case { 1, 50 }, Case { 0, 50 }, Case { 10, 0 } }) {
        LabelRig fresh;
        fresh.label->SetFrameCount(static_cast<uint8_t>(c.frameCount));
        fresh.label->SetFrameDelay(c.frameDelay);
        fresh.Enter();
        EXPECT_EQ(fresh.label->CurrentColor(), White);
        fresh.Leave();
        EXPECT_FALSE(fresh.label->Fading()) << c.frameCount << " frames, " << c.frameDelay << " ms";
        EXPECT_EQ(fresh.label->CurrentColor(), Silver) << c.frameCount << " frames, " << c.frameDelay << " ms";
    }
}

TEST_F(FadeLabel, AShorterTableDuringAFadeIsNeverReadPastItsEnd)
{
    rig.Enter();
    rig.Leave();
    rig.Ticks(1);
    label.SetFrameCount(3);
    EXPECT_EQ(rig.Ticks(3), (std::vector<TColor> { White, RGB(234, 234, 234), Silver }));
    EXPECT_FALSE(label.Fading());

    rig.Enter();
    rig.Leave();
    label.SetFrameCount(0);
    EXPECT_EQ(rig.Ticks(1), std::vector<TColor> { Silver });
    EXPECT_FALSE(label.Fading());
}

TEST_F(FadeLabel, AFontChangeResetsTheColourUnlessThePointerIsInside)
{
    rig.Enter();
    label.Font().SetColor(RGB(0, 200, 0));
    EXPECT_EQ(label.CurrentColor(), White);
    rig.Leave();
    rig.Ticks(2);
    label.Font().SetColor(RGB(200, 0, 0));
    EXPECT_EQ(label.CurrentColor(), RGB(200, 0, 0));
    EXPECT_EQ(label.FadeTable().front(), RGB(205, 25, 25)) << "the table starts again from the new font colour";
    rig.Ticks(8);
    EXPECT_EQ(label.CurrentColor(), RGB(200, 0, 0)) << "the fade ends at the new font colour";
}

TEST_F(FadeLabel, AcceleratorOfTheCaption)
{
    struct Case {
        const char* caption;
        char ch;
        bool accelerator;
    };
    const Case cases[] = {
        { "&Hry", 'h', true },
        { "&Hry", 'H', true },
        { "H&ry", 'r', true },
        { "H&ry", 'h', false },
        { "&&Hry", 'h', false },
        { "A&&B&c", 'c', true },
        { "Hry&", 'y', false },
        { "Hry", 'h', false },
    };
    for (const Case& c : cases) {
        rig.label->SetCaption(c.caption);
        EXPECT_EQ(rig.label->IsAccelerator(c.ch), c.accelerator) << c.caption << " " << c.ch;
    }
}

TEST_F(FadeLabel, AcceleratorAndSpaceClickTheLabel)
{
    rig.form->SetVisible(true);
    int clicks = 0;
    label.OnClick = [&](platform::TObject*) { ++clicks; };
    label.SetCaption("&Demo");

    EXPECT_TRUE(label.DialogChar('d'));
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(label.DialogChar('e'));
    label.SetShowAccelChar(false);
    EXPECT_FALSE(label.DialogChar('d'));
    label.SetShowAccelChar(true);
    label.SetEnabled(false);
    EXPECT_FALSE(label.DialogChar('d'));
    EXPECT_EQ(clicks, 1);
    label.SetEnabled(true);

    // Alt and the caption's letter reach the label through its container, whoever has the keys.
    rig.container->SetFocus();
    const platform::Event alt { .type = platform::EventType::KeyDown, .shift = platform::ssAlt, .key = 'D' };
    rig.form->HandleEvent(alt);
    EXPECT_EQ(clicks, 2);
    label.SetCaption("Demo");
    rig.form->HandleEvent(alt);
    EXPECT_EQ(clicks, 2) << "no accelerator left in the caption";
    label.SetCaption("&Demo");

    char pressed = 0;
    label.OnKeyPress = [&](platform::TObject*, char& key) { pressed = key; };
    char space = ' ';
    label.KeyPress(space);
    EXPECT_EQ(pressed, ' ');
    EXPECT_EQ(clicks, 3);
    char other = 'x';
    label.KeyPress(other);
    EXPECT_EQ(clicks, 3);
}

TEST_F(FadeLabel, AutoSizeMeasuresTheCaptionAndAnEmptyOneAsASpace)
{
    platform::TCanvas measure;
    measure.Font = label.Font().ToCanvasFont();

    label.SetCaption("Demoverze");
    EXPECT_EQ(label.Width(), measure.TextWidth("Demoverze"));
    EXPECT_EQ(label.Height(), measure.TextHeight("Demoverze"));

    label.SetCaption("");
    EXPECT_EQ(label.Width(), measure.TextWidth(" "));
    EXPECT_GT(label.Height(), 0);
    EXPECT_EQ(label.Height(), measure.TextHeight(" "));

    label.SetCaption("&");
    EXPECT_EQ(label.Width(), measure.TextWidth(" ")) << "a lone accelerator mark measures as a space";
}

TEST_F(FadeLabel, ARightJustifiedAutoSizedLabelKeepsItsRightEdge)
{
    label.SetAutoSize(false);
    label.SetBounds(40, 10, 120, 20);
    label.SetAlignment(platform::TAlignment::taRightJustify);
    label.SetCaption("DEMA");
    EXPECT_EQ(label.Width(), 120) << "no sizing while AutoSize is off";
    label.SetAutoSize(true);
    EXPECT_LT(label.Width(), 120);
    EXPECT_EQ(label.Left() + label.Width(), 160);

    label.SetBidiMode(TBiDiMode::bdRightToLeft);
    const int left = label.Left();
    label.SetCaption("DEMA DEMA");
    EXPECT_EQ(label.Left(), left) << "mirrored, a right-justified label grows from its left edge";
}

TEST_F(FadeLabel, TransparentLabelLeavesTheBackgroundAroundItsText)
{
    label.SetCaption("WWW");
    rig.Paint();
    const TRect box = label.BoundsRect();
    const int text = rig.CountPixels(box, PixelOf(Silver));
    const int background = rig.CountPixels(box, PixelOf(RGB(0, 0, 0x80)));
    EXPECT_GT(text, 0);
    EXPECT_GT(background, 0);
    EXPECT_EQ(text + background, box.Width() * box.Height()) << "no pixel of the key fill reaches the container";

    rig.Enter();
    rig.Paint();
    EXPECT_EQ(rig.CountPixels(box, PixelOf(White)), text) << "the same text, in the highlight colour";
    EXPECT_EQ(rig.CountPixels(box, PixelOf(Silver)), 0);

    label.SetTransparent(false);
    label.SetParentColor(false);
    label.SetColor(RGB(0x40, 0x40, 0x40));
    rig.Paint();
    EXPECT_EQ(rig.CountPixels(box, PixelOf(White)) + rig.CountPixels(box, PixelOf(RGB(0x40, 0x40, 0x40))),
        box.Width() * box.Height());
}

TEST_F(FadeLabel, TextOverTheBottomLeftCornerStaysVisible)
{
    label.Font().SetHeight(-30);
    label.SetCaption("_____");
    label.SetAutoSize(false);
    // Cut the label just above the underscores' bottom so they fill its lowest rows from the
    // left edge.
    platform::TCanvas probe;
    probe.Font = label.Font().ToCanvasFont();
    TWinDIB scratch(200, 60);
    scratch.Fill(0);
    scratch.Canvas().Font = probe.Font;
    scratch.Canvas().Font.Color = White;
    scratch.Canvas().Brush.Style = platform::BrushStyle::Clear;
    TRect rect { 0, 0, 200, 60 };
    scratch.Canvas().DrawText("_____", rect, platform::DT_LEFT);
    int row = -1;
    for (int y = 59; y >= 0 && row < 0; --y)
        if ((scratch.Pixels(0, y) & 0xFFFFFF) == 0xFFFFFF)
            row = y;
    if (row < 0)
        GTEST_SKIP() << "this face's underscore does not start at the left edge";
    label.SetBounds(20, 30, 150, row + 1);
    rig.Paint();
    EXPECT_EQ(rig.Pixel(20, 30 + row), PixelOf(Silver));
    EXPECT_EQ(rig.CountPixels(label.BoundsRect(), 0x764523), 0);
}

TEST_F(FadeLabel, DisabledTextHasAShadowOnePixelDownRightInTheHighlightColour)
{
    label.SetCaption("Wx");
    label.SetColorHighlighted(RGB(255, 0, 0));
    label.SetEnabled(false);
    rig.Paint();
    const TRect box = label.BoundsRect();
    const uint32_t text = PixelOf(Silver), shadow = PixelOf(RGB(255, 0, 0));
    int textPixels = 0, shadowPixels = 0;
    for (int y = box.Top; y < box.Bottom - 1; ++y) {
        for (int x = box.Left; x < box.Right - 1; ++x) {
            if (rig.Pixel(x, y) == text) {
                ++textPixels;
                const uint32_t below = rig.Pixel(x + 1, y + 1);
                EXPECT_TRUE(below == text || below == shadow) << x << "," << y;
            }
            shadowPixels += rig.Pixel(x, y) == shadow;
        }
    }
    EXPECT_GT(textPixels, 0);
    EXPECT_GT(shadowPixels, 0);

    rig.Enter();
    rig.Paint();
    EXPECT_EQ(rig.CountPixels(box, PixelOf(White)), 0) << "disabled text keeps the font colour";
}

TEST_F(FadeLabel, ALabelFreedDuringItsFadeLeavesNoTimerBehind)
{
    rig.Enter();
    rig.Leave();
    rig.Ticks(2);
    const size_t timers = rig.loop.TimerCount();
    ASSERT_GT(timers, 0u);
    platform::TComponent::Free(rig.label);
    EXPECT_EQ(rig.loop.TimerCount(), timers - 1);
    rig.loop.Advance(500);
}
