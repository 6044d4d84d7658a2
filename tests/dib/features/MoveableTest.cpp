#include "dib/control/cDIBFeatures.h"
#include "tests/dib/control/ControlFixture.h"

#include <gtest/gtest.h>

using namespace platform;
using dibtest::ContainerFixture;
using dibtest::TProbeDIB;

namespace {

struct MoveableFixture : ContainerFixture {
    TProbeDIB* probe = nullptr;
    TMoveableDIB* moveable = nullptr;

    void SetUp() override
    {
        ContainerFixture::SetUp();
        probe = AddProbe("P", 20, 20, 20, 20);
        probe->SetDIBTabOrder(0);
        TDIBFeatureItem& item = probe->DIBFeatures().Add();
        item.SetFeatureClassName("TMoveableDIB");
        moveable = static_cast<TMoveableDIB*>(item.Feature());
    }
    TPoint Position() const { return { probe->Left(), probe->Top() }; }
    void Drag(TPoint from, TPoint to, TMouseButton button = TMouseButton::mbLeft)
    {
        const TShiftState held = button == TMouseButton::mbLeft ? ssLeft : button == TMouseButton::mbRight ? ssRight
                                                                                                           : ssMiddle;
        Move(from.X, from.Y);
        Mouse(EventType::MouseDown, from.X, from.Y, held, button);
        Mouse(EventType::MouseMove, to.X, to.Y, held);
        Mouse(EventType::MouseUp, to.X, to.Y, 0, button);
    }
};

using Moveable = MoveableFixture;

TEST_F(Moveable, ArrowKeysMoveBySnapSizeOnAllowedAxes)
{
    probe->SetFocus();
    moveable->SetSnapSize(4);
    Key(VK_RIGHT);
    Key(VK_DOWN);
    EXPECT_EQ(Position(), (TPoint { 24, 24 }));
    Key(VK_LEFT);
    Key(VK_UP);
    Key(VK_UP);
    EXPECT_EQ(Position(), (TPoint { 20, 16 }));
    moveable->SetAllowVertical(false);
    Key(VK_DOWN);
    EXPECT_EQ(Position(), (TPoint { 20, 16 }));
    moveable->SetAllowHorizontal(false);
    Key(VK_RIGHT);
    EXPECT_EQ(Position(), (TPoint { 20, 16 }));
}

TEST_F(Moveable, DraggingFollowsThePointerWithSnapping)
{
    Drag({ 25, 25 }, { 38, 32 });
    EXPECT_EQ(Position(), (TPoint { 33, 27 }));
    EXPECT_FALSE(moveable->Dragging());

    moveable->SetSnapSize(5);
    Drag({ 40, 30 }, { 53, 41 });
    // 33 + 13 = 46 and 27 + 11 = 38, down to multiples of 5.
    EXPECT_EQ(Position(), (TPoint { 45, 35 }));
    // Toward zero on the far side of the origin too.
    Drag({ 50, 40 }, { -2, 20 });
    EXPECT_EQ(Position(), (TPoint { -5, 15 }));
}

TEST_F(Moveable, OnlyAllowedAxesAndListedButtonsDrag)
{
    moveable->SetAllowVertical(false);
    Drag({ 25, 25 }, { 35, 45 });
    EXPECT_EQ(Position(), (TPoint { 30, 20 }));
    Drag({ 35, 25 }, { 45, 35 }, TMouseButton::mbRight);
    EXPECT_EQ(Position(), (TPoint { 30, 20 }));
    moveable->SetMouseButtons(1u << mbRightButton | 1u << mbMiddleButton);
    Drag({ 35, 25 }, { 45, 35 }, TMouseButton::mbRight);
    EXPECT_EQ(Position(), (TPoint { 40, 20 }));
}

TEST_F(Moveable, ReleasingAnotherButtonKeepsTheDrag)
{
    Move(25, 25);
    Mouse(EventType::MouseDown, 25, 25, ssLeft);
    Mouse(EventType::MouseUp, 25, 25, ssLeft, TMouseButton::mbRight);
    EXPECT_TRUE(moveable->Dragging());
    Mouse(EventType::MouseMove, 30, 25, ssLeft);
    EXPECT_EQ(Position(), (TPoint { 25, 20 }));
    Release(30, 25);
    EXPECT_FALSE(moveable->Dragging());
}

TEST_F(Moveable, BorderSizeLeavesOnlyTheFrameToGrab)
{
    moveable->SetBorderSize(3);
    Drag({ 30, 30 }, { 40, 40 }); // the middle of the control
    EXPECT_EQ(Position(), (TPoint { 20, 20 }));
    Drag({ 21, 30 }, { 31, 40 }); // within 3 pixels of its left edge
    EXPECT_EQ(Position(), (TPoint { 30, 30 }));
    Drag({ 45, 49 }, { 55, 59 }); // its bottom row
    EXPECT_EQ(Position(), (TPoint { 40, 40 }));
}

}
