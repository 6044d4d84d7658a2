#include "tests/dib/control/ControlFixture.h"

#include "tests/support/PointerSteps.h"
#include "tests/support/RowNames.h"

#include <gtest/gtest.h>

using namespace platform;
using dibtest::Log;

using MouseTest = dibtest::ProbesFixture;

struct PointerCase {
    const char* what;
    const char* steps; // as RunPointerSteps reads them
    Log expected;
    bool aEntered;
};

struct PointerTest : MouseTest, ::testing::WithParamInterface<PointerCase> {};

// What A and B hear from a sequence of pointer moves, presses and releases.
TEST_P(PointerTest, EnterLeaveAndHighlightFollowThePointerAndTheHeldButton)
{
    torva::test::RunPointerSteps(GetParam().steps, [this](char step, int x, int y) {
        step == 'm' ? Move(x, y) : (step == 'd' ? Press(x, y) : Release(x, y));
    });
    EXPECT_EQ(log, GetParam().expected);
    EXPECT_EQ(a->Entered(), GetParam().aEntered);
}

INSTANTIATE_TEST_SUITE_P(Table, PointerTest,
    ::testing::Values(
        PointerCase { "hover and leave", "m 15 15 m 16 16 m 90 60", { "A.highlight", "A.enter", "A.leave", "A.unhighlight" }, false },
        PointerCase { "no leave while the button is held", "m 15 15 d 15 15 m 90 60 m 95 65", { "A.highlight", "A.enter" }, false },
        PointerCase { "dragged outside leaves at the release", "m 15 15 d 15 15 m 90 60 m 95 65 u 95 65",
            { "A.highlight", "A.enter", "A.up", "A.leave", "A.unhighlight" }, false },
        PointerCase { "B hears nothing while A holds the mouse", "m 15 15 d 15 15 m 55 15", { "A.highlight", "A.enter" }, false },
        PointerCase { "dragged onto B enters it at the release", "m 15 15 d 15 15 m 55 15 u 55 15 m 56 16 m 90 60",
            { "A.highlight", "A.enter", "A.up", "A.leave", "A.unhighlight", "B.highlight", "B.enter", "B.leave", "B.unhighlight" }, false },
        PointerCase { "released on B without a move first", "m 15 15 d 15 15 u 55 15",
            { "A.highlight", "A.enter", "A.up", "A.leave", "A.unhighlight", "B.highlight", "B.enter" }, false },
        PointerCase { "dragged out and back keeps the highlight", "m 15 15 d 15 15 m 90 60 m 20 20 u 20 20 m 21 21",
            { "A.highlight", "A.enter", "A.highlight", "A.enter", "A.click", "A.up" }, true },
        PointerCase { "pressed on the background then over A", "m 100 70 d 100 70 m 15 15", {}, false },
        PointerCase { "pressed on the background released over A", "m 100 70 d 100 70 m 15 15 u 15 15", { "A.highlight", "A.enter" }, true }),
    RowWhat());

TEST_F(MouseTest, ButtonAndShiftAreRemembered)
{
    Mouse(EventType::MouseDown, 12, 13, ssRight | ssShift, TMouseButton::mbRight);
    EXPECT_EQ(a->MouseButtonDown(), 3);
    EXPECT_EQ(a->LastShiftState(), TShiftState(ssRight | ssShift));
    EXPECT_EQ(a->LastMousePos(), (TPoint { 2, 3 }));
    Mouse(EventType::MouseUp, 12, 13, ssShift, TMouseButton::mbRight);
    EXPECT_EQ(a->MouseButtonDown(), 0);
    Mouse(EventType::MouseDown, 12, 13, ssMiddle, TMouseButton::mbMiddle);
    EXPECT_EQ(a->MouseButtonDown(), 2);
}

TEST_F(MouseTest, AFeatureThatHandlesNothingLetsEverythingThrough)
{
    a->DIBFeatures().Add();
    Move(15, 15);
    Move(90, 60);
    EXPECT_EQ(log, (Log { "A.highlight", "A.enter", "A.leave", "A.unhighlight" }));
}

using FocusTest = MouseTest;

TEST_F(FocusTest, ClickFocusesOnlyControlsInTheTabOrder)
{
    Press(15, 15);
    Release(15, 15);
    EXPECT_FALSE(a->Focused());
    EXPECT_EQ(container->ActiveDIBControl(), nullptr);

    a->SetDIBTabOrder(0);
    b->SetDIBTabOrder(1);
    int changes = 0;
    container->OnActiveControlChange = [&](TObject*) { ++changes; };
    log.clear();
    Press(15, 15);
    EXPECT_TRUE(a->Focused());
    EXPECT_EQ(container->ActiveDIBControl(), a);
    EXPECT_EQ(form->ActiveControl(), container) << "the container takes the platform focus";
    Release(15, 15);
    EXPECT_EQ(changes, 1);
    // Focused while the pointer is inside: the highlight came with the enter, not again.
    EXPECT_EQ(log, (Log { "A.focus", "A.click", "A.up" }));

    log.clear();
    Move(55, 15);
    Press(55, 15);
    // A stays lit while it has the focus, B while the pointer is on it.
    EXPECT_EQ(log, (Log { "A.leave", "B.highlight", "B.enter", "A.unfocus", "A.unhighlight", "B.focus" }));
    EXPECT_FALSE(a->Focused());
    EXPECT_TRUE(b->Focused());
    EXPECT_EQ(changes, 2);
}

TEST_F(FocusTest, FocusWithoutThePointerHighlightsAndLosingItUnhighlights)
{
    a->SetDIBTabOrder(0);
    b->SetDIBTabOrder(1);
    a->SetFocus();
    b->SetFocus();
    EXPECT_EQ(log, (Log { "A.highlight", "A.focus", "A.unfocus", "A.unhighlight", "B.highlight", "B.focus" }));
}

TEST_F(FocusTest, LeavingTheContainerDeactivates)
{
    a->SetDIBTabOrder(0);
    a->SetFocus();
    auto* other = new TPanel(form.get());
    other->SetParent(form.get());
    other->SetBounds(0, 0, 5, 5);
    log.clear();
    other->SetFocus();
    EXPECT_EQ(container->ActiveDIBControl(), nullptr);
    EXPECT_EQ(log, (Log { "A.unfocus", "A.unhighlight" }));
}

TEST_F(FocusTest, EnteringTheContainerActivatesTheFirstOrLast)
{
    a->SetDIBTabOrder(0);
    b->SetDIBTabOrder(1);
    container->SetFocus();
    EXPECT_EQ(container->ActiveDIBControl(), a);

    auto* other = new TPanel(form.get());
    other->SetParent(form.get());
    other->SetFocus();
    ASSERT_EQ(container->ActiveDIBControl(), nullptr);
    // The container saw Shift held with its last key.
    form->SetActiveControl(container);
    Key(VK_SHIFT, ssShift);
    other->SetFocus();
    container->SetFocus();
    EXPECT_EQ(container->ActiveDIBControl(), b);
}
