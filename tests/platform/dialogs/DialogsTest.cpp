#include "platform/components/Forms.h"
#include "platform/dialogs/Dialogs.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

struct HeadlessFixture : ::testing::Test {
    HeadlessDialogs dialogs;
    Dialogs channel { dialogs };
    void SetUp() override { Application().SetTitle("Torva CD v2"); }
};

using HeadlessBoxes = HeadlessFixture;

TEST_F(HeadlessBoxes, AnswersAreTakenInOrderWithTheTitleAsCaption)
{
    dialogs.PushAnswer({ DialogAnswer::Kind::Yes });
    dialogs.PushAnswer({ DialogAnswer::Kind::No });
    dialogs.PushAnswer({ DialogAnswer::Kind::Ok });
    dialogs.PushAnswer({ DialogAnswer::Kind::Button, 1 });
    EXPECT_TRUE(channel.AskYesNo("Smazat?"));
    EXPECT_FALSE(channel.AskYesNo("Smazat?"));
    channel.ShowError("Nenalezen CD");
    EXPECT_EQ(channel.Choose("Jakou verzi hry chcete spustit?", { "DOS", "Windows", "3D" }), 1);
    EXPECT_TRUE(dialogs.Failure().empty());
    ASSERT_EQ(dialogs.Shown().size(), 4u);
    EXPECT_EQ(dialogs.Shown()[2].caption, "Torva CD v2");
    EXPECT_EQ(dialogs.Shown()[2].kind, MessageBoxKind::Error);
    EXPECT_EQ(dialogs.Shown()[3].result, ChoiceResultBase + 1);
}

TEST_F(HeadlessBoxes, AnUnansweredBoxFailsWithItsTextAndAnswersAsClosed)
{
    EXPECT_FALSE(channel.AskYesNo("Smazat adres\xE1\xF8?"));
    EXPECT_EQ(dialogs.Failure(), "unanswered question \"Smazat adresář?\"");
    dialogs.ClearFailure();
    EXPECT_EQ(channel.Choose("Verze?", { "A" }), -1);
    EXPECT_EQ(dialogs.Failure(), "unanswered choice dialog \"Verze?\"");
}

TEST_F(HeadlessBoxes, AnswersThatDoNotFitTheBoxFail)
{
    dialogs.PushAnswer({ DialogAnswer::Kind::Yes });
    channel.ShowPlain("Can't delete C:\\X");
    EXPECT_EQ(dialogs.Failure(), "answer does not fit the message box \"Can't delete C:\\X\" (ok)");
    dialogs.ClearFailure();
    dialogs.PushAnswer({ DialogAnswer::Kind::Button, 2 });
    EXPECT_EQ(channel.Choose("Verze?", { "A", "B" }), -1);
    EXPECT_EQ(dialogs.Failure(), "answer does not fit the choice dialog \"Verze?\" (a button number from 0 to 1)");
}

TEST(MulDivRounding, HalfAwayFromZero)
{
    struct Case {
        int a, b, c, expected;
    };
    const Case cases[] = { { 8, 5, 4, 10 }, { 8, 13, 8, 13 }, { 10, 13, 8, 16 }, { 14, 13, 8, 23 }, { 50, 5, 4, 63 },
        { 10, 11, 8, 14 }, { 3, 1, 2, 2 }, { -3, 1, 2, -2 }, { 1, 1, 0, -1 } };
    for (const Case& c : cases)
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.a << "*" << c.b << "/" << c.c;
}

TEST(ChoiceGeometry, FollowsTheFontUnits)
{
    TCanvas measure;
    measure.Font = ChoiceDialogFont();
    TSize letters = measure.TextExtent("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    ASSERT_GT(letters.cx, 52);
    ChoiceDialogGeometry g = ComputeChoiceGeometry("Jakou verzi hry chcete spustit?", 3, measure, { 1024, 768 });
    int w = letters.cx / 52;
    int h = letters.cy;
    EXPECT_EQ(g.charWidth, w);
    EXPECT_EQ(g.buttonWidth, MulDiv(50, w, 4));
    EXPECT_EQ(g.buttonHeight, MulDiv(14, h, 8));
    // Three buttons are wider than the one-line question here: the row sets the width.
    int row = 3 * g.buttonWidth + 2 * MulDiv(4, w, 4);
    ASSERT_GT(row, g.message.Width());
    EXPECT_EQ(g.client.cx, row + 2 * MulDiv(8, w, 4));
    EXPECT_EQ(g.client.cy, g.message.Height() + MulDiv(10, h, 8) + g.buttonHeight + 2 * MulDiv(8, h, 8));
    EXPECT_EQ(g.message.Left, MulDiv(8, w, 4));
    EXPECT_EQ(g.message.Top, MulDiv(8, h, 8));
    EXPECT_EQ(g.message.Height(), h);
    ASSERT_EQ(g.buttons.size(), 3u);
    EXPECT_EQ(g.buttons[0].Left, (g.client.cx - row) / 2);
    EXPECT_EQ(g.buttons[1].Left - g.buttons[0].Right, MulDiv(4, w, 4));
    EXPECT_EQ(g.buttons[0].Top, g.message.Height() + g.verticalMargin + g.gap);
    EXPECT_EQ(g.position, (TPoint { (1024 - g.client.cx) / 2, (768 - g.client.cy) / 2 }));
}

TEST(ChoiceGeometry, LongQuestionsWrapAtHalfTheScreen)
{
    TCanvas measure;
    measure.Font = ChoiceDialogFont();
    std::string question;
    for (int i = 0; i < 40; ++i)
        question += "slovo ";
    ChoiceDialogGeometry g = ComputeChoiceGeometry(question, 1, measure, { 800, 600 });
    EXPECT_LE(g.message.Width(), 400);
    EXPECT_GT(g.message.Height(), g.unitHeight);
    EXPECT_EQ(g.client.cx, g.message.Width() + 2 * g.horizontalMargin);
}

}

TEST(BoxText, WrapsAtBlanksAndKeepsItsOwnBreaks)
{
    struct Case {
        std::string text;
        size_t width;
        std::string wrapped;
    };
    const Case cases[] = {
        { "short", 10, "short" },
        { "one two three four", 9, "one two\nthree\nfour" },
        { "exactly ten", 11, "exactly ten" },
        { "line one\nline two is longer", 10, "line one\nline two\nis longer" },
        { "unbreakablewordhere and more", 8, "unbreakablewordhere\nand more" },
        { "", 5, "" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(WrapBoxText(c.text, c.width), c.wrapped) << c.text;
}
