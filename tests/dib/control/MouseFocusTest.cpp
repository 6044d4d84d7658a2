#include "tests/dib/control/ControlFixture.h"

#include <gtest/gtest.h>

using namespace platform;
using dibtest::Log;

namespace {

// Two controls side by side: A at x 10..29, B at x 50..69, both at y 10..29.
struct MouseTest : dibtest::ContainerFixture {
    dibtest::TProbeDIB* a = nullptr;
    dibtest::TProbeDIB* b = nullptr;
    void SetUp() override
    {
        ContainerFixture::SetUp();
        a = AddProbe("A", 10, 10, 20, 20);
        b = AddProbe("B", 50, 10, 20, 20);
    }
};

}

TEST_F(MouseTest, HoverHighlightsAndLeavingUnhighlights)
{
    Move(15, 15);
    Move(16, 16);
    Move(90, 60);
    EXPECT_EQ(log, (Log { "A.highlight", "A.enter", "A.leave", "A.unhighlight" }));
    EXPECT_FALSE(a->Entered());
}

TEST_F(MouseTest, DragOutsideLeavesOnlyAtTheRelease)
{
    Move(15, 15);
    Press(15, 15);
    Move(90, 60);
    Move(95, 65);
    EXPECT_EQ(log, (Log { "A.highlight", "A.enter" })) << "no leave while the button is held";
    EXPECT_FALSE(a->Entered());
    Release(95, 65);
    EXPECT_EQ(log, (Log { "A.highlight", "A.enter", "A.up", "A.leave", "A.unhighlight" }));
}

TEST_F(MouseTest, DragOntoAnotherControlEntersItAtTheRelease)
{
    Move(15, 15);
    Press(15, 15);
    Move(55, 15);
    EXPECT_EQ(log, (Log { "A.highlight", "A.enter" })) << "B hears nothing while A holds the mouse";
    Release(55, 15);
    EXPECT_EQ(log, (Log { "A.highlight", "A.enter", "A.up", "A.leave", "A.unhighlight", "B.highlight", "B.enter" }));
    log.clear();
    Move(56, 16);
    Move(90, 60);
    EXPECT_EQ(log, (Log { "B.leave", "B.unhighlight" }));
}

TEST_F(MouseTest, ReleaseElsewhereWithoutAMoveFirst)
{
    Move(15, 15);
    Press(15, 15);
    Release(55, 15);
    EXPECT_EQ(log, (Log { "A.highlight", "A.enter", "A.up", "A.leave", "A.unhighlight", "B.highlight", "B.enter" }));
}

TEST_F(MouseTest, DragOutAndBackKeepsTheHighlight)
{
    Move(15, 15);
    Press(15, 15);
    Move(90, 60);
    Move(20, 20);
    Release(20, 20);
    Move(21, 21);
    EXPECT_EQ(log, (Log { "A.highlight", "A.enter", "A.highlight", "A.enter", "A.click", "A.up" }));
    EXPECT_TRUE(a->Entered());
}

TEST_F(MouseTest, PressOnTheBackgroundAndReleaseOverAControl)
{
    Move(100, 70);
    Press(100, 70);
    Move(15, 15);
    EXPECT_TRUE(log.empty());
    Release(15, 15);
    EXPECT_EQ(log, (Log { "A.highlight", "A.enter" }));
}

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
