#include "platform/components/ExtCtrls.h"
#include "platform/layout/LayoutReader.h"
#include "platform/picture/Picture.h"
#include "platform/script/ScriptRunner.h"
#include "tests/support/Accepted.h"
#include "tests/support/ExpectEach.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

using namespace platform;
using torva::test::Accepted;
using torva::test::ExpectEach;

namespace {

// A small form like the menu's: rows that select, a button that asks, a timer, a key handler.
class TScriptForm : public TForm {
    TORVA_CLASS(TScriptForm)
public:
    TScriptForm(TComponent* owner, Dialogs& dialogs)
        : TForm(owner)
    {
        Methods().Add<void(TObject*)>("RowClick", [this](TObject* sender) {
            ItemIndex = static_cast<TLabel*>(sender)->Tag();
            Status->SetCaption("Vybr\xE1no " + std::to_string(ItemIndex));
        });
        Methods().Add<void(TObject*)>("HoverEnter", [this](TObject*) { Status->SetCaption("INSTALOVAT"); });
        Methods().Add<void(TObject*)>("HoverLeave", [this](TObject*) { Status->SetCaption(""); });
        Methods().Add<void(TObject*)>("AskClick", [this, &dialogs](TObject*) { ItemIndex = dialogs.AskYesNo("Smazat?") ? 100 : 200; });
        Methods().Add<void(TObject*)>("TickTimer", [this](TObject*) { ++Ticks; });
        Methods().Add<void(TObject*, uint16_t&, TShiftState)>("FormKeyDown", [this](TObject*, uint16_t& key, TShiftState) {
            if (key == VK_DOWN)
                ++ItemIndex;
        });
        Methods().Add<void(TObject*, TShiftState, TPoint, bool&)>("FormWheel", [this](TObject*, TShiftState, TPoint p, bool&) { ItemIndex = p.X; });
        Methods().AddField("Status", &Status);
    }
    int ItemIndex = 0;
    int Ticks = 0;
    TLabel* Status = nullptr;
};

const ClassInfo& TScriptForm::StaticClass()
{
    static const ClassInfo info = ClassBuilder<TScriptForm>("TScriptForm", &TForm::StaticClass())
                                      .Integer(
                                          "ItemIndex", [](const TScriptForm& f) { return f.ItemIndex; }, [](TScriptForm& f, int v) { f.ItemIndex = v; })
                                      .Integer(
                                          "Ticks", [](const TScriptForm& f) { return f.Ticks; }, [](TScriptForm& f, int v) { f.Ticks = v; })
                                      .Build();
    return info;
}

const char* const Layout = R"(object Form1: TScriptForm
  ClientWidth = 40
  ClientHeight = 30
  Color = clBlack
  OnKeyDown = FormKeyDown
  OnMouseWheelDown = FormWheel
  object Row1: TLabel
    Left = 0
    Top = 0
    Width = 20
    Height = 10
    AutoSize = False
    Tag = 1
    OnClick = RowClick
  end
  object Row2: TLabel
    Left = 0
    Top = 10
    Width = 20
    Height = 10
    AutoSize = False
    Tag = 2
    OnClick = RowClick
    OnMouseEnter = HoverEnter
    OnMouseLeave = HoverLeave
  end
  object Ask: TImage
    Left = 20
    Top = 0
    Width = 20
    Height = 20
    OnClick = AskClick
  end
  object Status: TLabel
    Left = 0
    Top = 20
    Width = 40
    Height = 10
    AutoSize = False
    Color = clRed
  end
  object Timer1: TTimer
    Interval = 100
    OnTimer = TickTimer
  end
end
)";

struct ScriptFixture : ::testing::Test {
    HeadlessSession session;
    ComponentPtr<TScriptForm> form { new TScriptForm(nullptr, session.Channel()) };
    std::ostringstream out;
    std::ostringstream err;

    void SetUp() override
    {
        ASSERT_TRUE(Accepted(ReadLayout(*form, Layout, "script.lay")));
        form->Show();
    }

    int Run(const std::string& script)
    {
        ScriptRunner runner(*form, session.Loop(), session.Dialogs(), out);
        return runner.Run(script, "t.script", err);
    }
};

using Script = ScriptFixture;

TEST_F(Script, ClicksSelectThroughTheRealRoutingAndExpectsCompareUtf8)
{
    EXPECT_EQ(Run("click Row2\nexpect Form1.ItemIndex 2\nexpect Status.Caption \"Vybráno 2\"\nclick Row1 3 3\nget Form1.ItemIndex\n"), 0) << err.str();
    EXPECT_EQ(out.str(), "Form1.ItemIndex=1\n");
}

TEST_F(Script, EnterAndLeaveComeFromPointerMoves)
{
    EXPECT_EQ(Run("move Row2\nexpect Status.Caption INSTALOVAT\nmove Row1\nexpect Status.Caption \"\"\n"), 0) << err.str();
}

TEST_F(Script, WaitFiresTimersOnTheVirtualClock)
{
    EXPECT_EQ(Run("wait 99\nexpect Form1.Ticks 0\nwait 1\nexpect Form1.Ticks 1\nwait 1000\nexpect Form1.Ticks 11\n"), 0) << err.str();
}

TEST_F(Script, KeysAndWheelReachTheFormHandlers)
{
    EXPECT_EQ(Run("key Down\nkey down\nexpect Form1.ItemIndex 2\nwheel down 7\nexpect Form1.ItemIndex 7\nwheel up\nexpect Form1.ItemIndex 7\n"), 0) << err.str();
}

TEST_F(Script, AnswersFeedTheBoxes)
{
    EXPECT_EQ(Run("answer yes\nclick Ask\nexpect Form1.ItemIndex 100\nanswer no\nclick Ask\nexpect Form1.ItemIndex 200\n"), 0) << err.str();
}

TEST_F(Script, FailuresNameTheLineAndWhy)
{
    auto failure = [this](const char* script) {
        err.str("");
        EXPECT_EQ(Run(script), 1) << script;
        return err.str();
    };
    ExpectEach(failure, {
                            { "\n# comment\nexpect Form1.ItemIndex 5\n", "t.script:3: expect Form1.ItemIndex: expected \"5\", found \"0\"\n" },
                            { "click Ask\n", "t.script:1: unanswered question \"Smazat?\"\n" },
                            { "answer ok\nclick Ask\n", "t.script:2: answer does not fit the question \"Smazat?\" (yes or no)\n" },
                            { "click Nobody\n", "t.script:1: no component named Nobody\n" },
                            { "get Row1.Colour\n", "t.script:1: Row1 has no property Colour\n" },
                            { "key Hyper\n", "t.script:1: unknown key \"Hyper\"\n" },
                            { "jump Row1\n", "t.script:1: unknown command \"jump\"\n" },
                            { "click Row1 2 2 left\n", "t.script:1: expected right or the end of the line, found \"left\"\n" },
                            { "wait soon\n", "t.script:1: expected milliseconds, found \"soon\"\n" },
                            { "seed -1\n", "t.script:1: a seed cannot be negative\n" },
                        });
}

TEST_F(Script, HiddenControlsCannotBeClicked)
{
    form->Status->Hide();
    EXPECT_EQ(Run("click Status\n"), 1);
    EXPECT_EQ(err.str(), "t.script:1: Status is not visible\n");
}

// A stream that passes on only what was flushed, as a pipe to a killed test would.
class FlushedOnly : public std::stringbuf {
public:
    std::string flushed;

protected:
    int sync() override
    {
        flushed = str();
        return 0;
    }
};

TEST_F(Script, GetLinesAreWrittenOutAsTheyAreRead)
{
    FlushedOnly buffer;
    std::ostream stream(&buffer);
    ScriptRunner runner(*form, session.Loop(), session.Dialogs(), stream);
    EXPECT_EQ(runner.Run("click Row2\nget Form1.ItemIndex\nexpect Form1.ItemIndex 5\n", "t.script", err), 1);
    EXPECT_EQ(buffer.flushed, "Form1.ItemIndex=2\n");
}

TEST_F(Script, QuitStopsTheScript)
{
    EXPECT_EQ(Run("quit\nexpect Form1.ItemIndex 99\n"), 0);
    session.Loop().ClearTerminated();
}

TEST_F(Script, ScreenshotWritesTheComposedPicture)
{
    std::filesystem::path file = std::filesystem::path(TORVA_TEST_OUTPUT_DIR) / "script-shot.png";
    std::filesystem::remove(file);
    EXPECT_EQ(Run("screenshot " + file.string() + "\n"), 0) << err.str();
    Picture shot = ReadPictureFile(file);
    ASSERT_EQ(shot.width, 40);
    ASSERT_EQ(shot.height, 30);
    EXPECT_EQ(shot.At(39, 0) & 0xFFFFFF, 0u);        // the black form
    EXPECT_EQ(shot.At(5, 25) & 0xFFFFFF, 0xFF0000u); // the red status label (pixel order)
}

TEST(ScriptKeys, NamesMapToVirtualKeys)
{
    EXPECT_EQ(ScriptKeyCode("PageUp"), VK_PRIOR);
    EXPECT_EQ(ScriptKeyCode("pagedown"), VK_NEXT);
    EXPECT_EQ(ScriptKeyCode("Home"), VK_HOME);
    EXPECT_EQ(ScriptKeyCode("a"), 'A');
    EXPECT_EQ(ScriptKeyCode("7"), '7');
    EXPECT_EQ(ScriptKeyCode("F12"), VK_F1 + 11);
    EXPECT_EQ(ScriptKeyCode("F13"), 0);
    EXPECT_EQ(ScriptKeyCode("AB"), 0);
}

}
