#include "tests/dib/control/ControlFixture.h"

#include "dib/imagelist/cDIBImageList.h"
#include "platform/components/StdCtrls.h"
#include "platform/layout/LayoutReader.h"
#include "tests/support/Accepted.h"
#include "tests/support/MessageOf.h"
#include "tests/support/FormRig.h"

#include <gtest/gtest.h>

using namespace platform;
using dibtest::ContainerFixture;
using dibtest::TProbeDIB;
using torva::test::Accepted;
using torva::test::MessageOf;

namespace {

std::vector<std::string> TabNames(const TCustomDIBContainer& container)
{
    std::vector<std::string> names;
    for (int i = 0; i < container.DIBTabCount(); ++i)
        names.push_back(container.DIBTabControl(i)->Name());
    return names;
}

}

using ControlConstructionTest = ContainerFixture;

TEST_F(ControlConstructionTest, OwnerMustBeOrOwnAContainer)
{
    EXPECT_EQ(MessageOf<Exception>([] { TProbeDIB probe(nullptr); }), "Owner cannot be nil");
    ComponentPtr<TForm> bare(new TForm(nullptr));
    int before = bare->ComponentCount();
    EXPECT_EQ(MessageOf<Exception>([&] { new TProbeDIB(bare.get()); }), "Parent must be a TDIBContainer");
    EXPECT_EQ(bare->ComponentCount(), before) << "a refused control must leave nothing in its owner";

    auto* owned = new TProbeDIB(form.get());
    EXPECT_EQ(owned->Parent(), container);
    auto* inside = new TProbeDIB(container);
    EXPECT_EQ(inside->Parent(), container);
}

TEST_F(ControlConstructionTest, ParentIsAlwaysAContainer)
{
    auto* probe = new TProbeDIB(form.get());
    probe->SetParent(form.get()); // the form owns the container: the control goes there
    EXPECT_EQ(probe->Parent(), container);

    auto* panel = new TPanel(form.get());
    panel->SetParent(form.get());
    EXPECT_EQ(MessageOf<Exception>([&] { probe->SetParent(panel); }), "Parent must be a TDIBContainer");
    EXPECT_EQ(probe->Parent(), container);

    auto* second = new TDIBContainer(form.get());
    second->SetParent(form.get());
    probe->SetDIBTabOrder(0);
    probe->SetParent(second);
    EXPECT_EQ(probe->Parent(), second);
    EXPECT_EQ(container->DIBTabCount(), 0) << "the former container forgets the control";
}

TEST_F(ControlConstructionTest, DialogCodeFromFlags)
{
    auto* probe = new TProbeDIB(form.get());
    const struct {
        uint8_t flags;
        uint32_t code;
    } cases[] = {
        { 0, 0 },
        { dcTab, DLGC_WANTTAB },
        { dcArrows, DLGC_WANTARROWS },
        { dcTab | dcArrows, DLGC_WANTTAB | DLGC_WANTARROWS },
        { dcAllKeys, DLGC_WANTALLKEYS },
        { dcAllKeys | dcTab | dcArrows, DLGC_WANTALLKEYS },
    };
    for (const auto& c : cases) {
        probe->SetDialogCodeFlags(c.flags);
        EXPECT_EQ(probe->DialogCode(), c.code) << "flags " << int(c.flags);
    }
}

using OpacityTest = ContainerFixture;

TEST_F(OpacityTest, ClampedFromCodeAndFromProperties)
{
    auto* probe = AddProbe("P", 0, 0, 10, 10);
    const struct {
        int written;
        int stored;
    } cases[] = { { 150, 150 }, { 300, 255 }, { -5, 0 }, { 0, 0 }, { 255, 255 }, { 256, 255 }, { 1 << 20, 255 } };
    for (const auto& c : cases) {
        probe->SetOpacity(c.written);
        EXPECT_EQ(probe->Opacity(), c.stored) << "written " << c.written;
        probe->SetOpacity(77);
        SetPropertyValue(*probe, "Opacity", PropertyValue::Int(c.written));
        EXPECT_EQ(GetPropertyValue(*probe, "Opacity").integer, c.stored) << "property written " << c.written;
    }
}

TEST_F(OpacityTest, RepaintsOnlyWhenItChanges)
{
    auto* probe = AddProbe("P", 10, 20, 30, 15);
    PaintAll();
    probe->SetOpacity(255);
    EXPECT_TRUE(form->DirtyRect().IsEmpty());
    probe->SetOpacity(100);
    EXPECT_EQ(form->DirtyRect(), Bounds(10, 20, 30, 15));
    PaintPending();
    probe->SetOpacity(-1);
    probe->SetOpacity(-9); // clamps to the same 0
    EXPECT_EQ(form->DirtyRect(), Bounds(10, 20, 30, 15));
}

using ChildrenTest = dibtest::ProbesFixture;

TEST_F(ChildrenTest, MoveAlongKeepingTheirSize)
{
    auto* owner = AddProbe("Owner", 10, 10, 20, 20);
    auto* follower = AddProbe("Follower", 40, 5, 8, 6);
    auto* label = new TLabel(form.get());
    label->SetParent(container);
    label->SetBounds(0, 50, 30, 12);
    owner->Children().Add().SetControl(follower);
    owner->Children().Add().SetControl(label);

    owner->SetBounds(15, 7, 20, 20);
    EXPECT_EQ(follower->BoundsRect(), Bounds(45, 2, 8, 6));
    EXPECT_EQ(label->BoundsRect(), Bounds(5, 47, 30, 12));

    owner->SetBounds(15, 7, 50, 60); // a resize alone moves nothing
    EXPECT_EQ(follower->BoundsRect(), Bounds(45, 2, 8, 6));
    EXPECT_EQ(owner->BoundsRect(), Bounds(15, 7, 50, 60));
}

TEST_F(ChildrenTest, MutualChildrenMoveOnce)
{
    a->Children().Add().SetControl(b);
    b->Children().Add().SetControl(a);
    a->SetLeft(15);
    EXPECT_EQ(a->Left(), 15);
    EXPECT_EQ(b->Left(), 55);
}

TEST_F(ChildrenTest, ADestroyedChildLeavesTheList)
{
    a->Children().Add().SetControl(b);
    a->Children().Add().SetControl(c);
    TComponent::Free(b);
    ASSERT_EQ(a->Children().Count(), 1);
    EXPECT_EQ(a->Children().Items(0)->Control(), c);
    a->SetLeft(3); // must not touch the freed control
    EXPECT_EQ(c->Left(), 83);
}

using TabOrderTest = dibtest::ProbesFixture;

TEST_F(TabOrderTest, WritesPlaceTheControlInTheList)
{
    EXPECT_FALSE(container->TabStop());

    a->SetDIBTabOrder(0);
    EXPECT_TRUE(container->TabStop());
    b->SetDIBTabOrder(7); // beyond the end: appended
    c->SetDIBTabOrder(0);
    EXPECT_EQ(TabNames(*container), (std::vector<std::string> { "C", "A", "B" }));
    EXPECT_EQ(b->DIBTabOrder(), 2);

    a->SetDIBTabOrder(2);
    EXPECT_EQ(TabNames(*container), (std::vector<std::string> { "C", "B", "A" }));

    c->SetDIBTabOrder(-1);
    b->SetDIBTabOrder(-1);
    EXPECT_EQ(c->DIBTabOrder(), -1);
    EXPECT_TRUE(container->TabStop());
    a->SetDIBTabOrder(-1);
    EXPECT_EQ(container->DIBTabCount(), 0);
    EXPECT_FALSE(container->TabStop());
}

TEST_F(TabOrderTest, AFreedControlLeavesTheListAndTheActivation)
{
    a->SetDIBTabOrder(0);
    b->SetDIBTabOrder(1);
    a->SetFocus();
    ASSERT_EQ(container->ActiveDIBControl(), a);
    TComponent::Free(a);
    EXPECT_EQ(container->ActiveDIBControl(), nullptr);
    EXPECT_EQ(TabNames(*container), (std::vector<std::string> { "B" }));
}

namespace {

const char* const TabLayout = R"(object Form1: TForm
  Left = 0
  Top = 0
  Width = 100
  Height = 60
  object Container: TDIBContainer
    Left = 0
    Top = 0
    Width = 100
    Height = 60
    BorderDrawPosition = bdUnderControls
    object First: TProbeDIB
      DIBTabOrder = 2
      Opacity = 140
    end
    object Second: TProbeDIB
      DIBTabOrder = 0
    end
    object Skipped: TProbeDIB
    end
    object Third: TProbeDIB
      DIBTabOrder = 5
    end
    object Twin: TProbeDIB
      DIBTabOrder = 2
    end
  end
end
)";

// A form read from TabLayout.
struct DIBLayoutTest : ::testing::Test, torva::test::FormRig<> {
    void SetUp() override { ASSERT_TRUE(Accepted(ReadLayout(*form, TabLayout, "tab.lay"))); }
};

}

TEST_F(DIBLayoutTest, ReadsContainerAndControlsAndRebuildsTheTabOrder)
{
    auto* container = dynamic_cast<TDIBContainer*>(form->FindComponent("Container"));
    ASSERT_NE(container, nullptr);
    EXPECT_EQ(container->BorderDrawPosition(), bdUnderControls);
    EXPECT_EQ(container->OffscreenDIB().Width(), 100);
    EXPECT_EQ(container->OffscreenDIB().Height(), 60);
    // Stored numbers only order the list; two controls with one number both stay.
    EXPECT_EQ(TabNames(*container), (std::vector<std::string> { "Second", "First", "Twin", "Third" }));
    EXPECT_TRUE(container->TabStop());
    auto* first = dynamic_cast<TProbeDIB*>(form->FindComponent("First"));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->Parent(), container);
    EXPECT_EQ(first->Opacity(), 140);
    EXPECT_FALSE(first->DIBLoading());
    EXPECT_EQ(GetPropertyValue(*first, "DIBTabOrder").integer, 1);
}

using ImageLinkTest = ContainerFixture;

namespace {

class TLinkedProbe : public TCustomDIBControl {
public:
    explicit TLinkedProbe(TComponent* owner)
        : TCustomDIBControl(owner)
    {
        first = &AddImageLink();
        second = &AddImageLink();
    }
    TDIBImageLink* first;
    TDIBImageLink* second;
    std::vector<std::pair<int, TDIBLinkChange>> changes;

protected:
    void ImageChanged(TDIBImageLink*, int index, TDIBLinkChange change) override { changes.emplace_back(index, change); }
};

}

TEST_F(ImageLinkTest, LinksFollowTheListAndItsRemovalAndLeaveWithTheirControl)
{
    auto* list = new TDIBImageList(form.get());
    list->DIBImages().Add().DIB().SetSize(4, 4);
    auto* probe = new TLinkedProbe(form.get());
    probe->first->SetDIBIndex(0);
    probe->SetDIBImageList(list);
    EXPECT_EQ(probe->first->DIBImageList(), list);
    EXPECT_EQ(probe->second->DIBImageList(), list);
    EXPECT_EQ(list->LinkCount(), 2);
    EXPECT_NE(probe->first->GetImage(), nullptr);
    EXPECT_FALSE(probe->changes.empty()) << "registering tells the links about the items";

    auto* other = new TDIBImageList(form.get());
    probe->SetDIBImageList(other);
    EXPECT_EQ(list->LinkCount(), 0);
    EXPECT_EQ(other->LinkCount(), 2);

    TComponent::Free(other);
    EXPECT_EQ(probe->DIBImageList(), nullptr);
    EXPECT_EQ(probe->first->DIBImageList(), nullptr);
    EXPECT_EQ(probe->first->GetImage(), nullptr);

    // A control freed before its list unregisters its links.
    probe->SetDIBImageList(list);
    TComponent::Free(probe);
    EXPECT_EQ(list->LinkCount(), 0);
    list->DIBImages().Add(); // would reach the freed control's links otherwise
}

TEST_F(DIBLayoutTest, WrittenLayoutReadsBackTheSame)
{
    auto* first = dynamic_cast<TProbeDIB*>(form->FindComponent("First"));
    auto* third = dynamic_cast<TProbeDIB*>(form->FindComponent("Third"));
    first->Children().Add().SetControl(third);
    first->SetAccelerator('Q');
    const std::string written = WriteLayout(*form);

    ComponentPtr<TForm> copy(new TForm(nullptr));
    ASSERT_TRUE(Accepted(ReadLayout(*copy, written, "written.lay")));
    EXPECT_EQ(WriteLayout(*copy), written);
    auto* container = dynamic_cast<TDIBContainer*>(copy->FindComponent("Container"));
    ASSERT_NE(container, nullptr);
    EXPECT_EQ(TabNames(*container), (std::vector<std::string> { "Second", "First", "Twin", "Third" }));
    auto* copiedFirst = dynamic_cast<TProbeDIB*>(copy->FindComponent("First"));
    ASSERT_EQ(copiedFirst->Children().Count(), 1);
    EXPECT_EQ(copiedFirst->Children().Items(0)->Control(), copy->FindComponent("Third"));
    EXPECT_EQ(copiedFirst->Accelerator(), 'Q');
}
