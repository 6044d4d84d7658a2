#include "platform/components/Classes.h"
#include "platform/components/ExtCtrls.h"
#include "platform/components/Graphics.h"
#include "tests/support/MessageOf.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace platform;
using torva::test::MessageOf;

namespace {

// Remembers which components it heard of going away, and drops its reference to them.
class Watcher : public TComponent {
public:
    using TComponent::TComponent;
    TComponent* watched = nullptr;
    std::vector<std::string> removed;

    void Watch(TComponent* c)
    {
        watched = c;
        c->FreeNotification(this);
    }

protected:
    void Notification(TComponent* c, TOperation op) override
    {
        TComponent::Notification(c, op);
        if (op == TOperation::opRemove) {
            removed.push_back(c->Name());
            if (c == watched)
                watched = nullptr;
        }
    }
};

TEST(Components, OwnerDestroysWhatItOwnsAndNotifiesSiblings)
{
    ComponentPtr<TComponent> owner(new TComponent(nullptr));
    auto* watcher = new Watcher(owner.get());
    auto* a = new TComponent(owner.get());
    a->SetName("A");
    auto* b = new TComponent(a);
    b->SetName("B");
    EXPECT_EQ(owner->ComponentCount(), 2);
    EXPECT_EQ(owner->FindComponent("a"), a);
    TComponent::Free(a);
    EXPECT_EQ(owner->ComponentCount(), 1);
    // Owned siblings hear of a removal from the common owner.
    EXPECT_EQ(watcher->removed, std::vector<std::string> { "A" });
}

TEST(Components, FreeNotificationCrossesOwners)
{
    ComponentPtr<TComponent> left(new TComponent(nullptr));
    ComponentPtr<TComponent> right(new TComponent(nullptr));
    auto* watcher = new Watcher(left.get());
    auto* target = new TComponent(right.get());
    target->SetName("Target");
    watcher->Watch(target);
    right.reset();
    EXPECT_EQ(watcher->watched, nullptr);
    EXPECT_EQ(watcher->removed, std::vector<std::string> { "Target" });
}

TEST(Components, FreeNotificationIsDroppedWhenTheWatcherGoesFirst)
{
    ComponentPtr<TComponent> target(new TComponent(nullptr));
    target->SetName("Target");
    ComponentPtr<Watcher> survivor(new Watcher(nullptr));
    survivor->Watch(target.get());
    {
        ComponentPtr<Watcher> gone(new Watcher(nullptr));
        gone->Watch(target.get());
    }
    // Only the watcher still alive hears of the target going; a notice to the one that is
    // gone would touch freed memory.
    target.reset();
    EXPECT_EQ(survivor->watched, nullptr);
    EXPECT_EQ(survivor->removed, std::vector<std::string> { "Target" });
}

TEST(Components, NamesAreIdentifiersUniqueAmongSiblingsIgnoringCase)
{
    ComponentPtr<TComponent> owner(new TComponent(nullptr));
    auto* a = new TComponent(owner.get());
    a->SetName("Label1");
    auto* b = new TComponent(owner.get());
    EXPECT_THROW(b->SetName("LABEL1"), EComponentError);
    EXPECT_THROW(b->SetName("1abc"), EComponentError);
    EXPECT_THROW(b->SetName("a b"), EComponentError);
    EXPECT_NO_THROW(b->SetName("Label_2"));
    EXPECT_NO_THROW(a->SetName("label1"));
}

TEST(Properties, TablesGetAndSetThroughDottedPaths)
{
    ComponentPtr<TComponent> owner(new TComponent(nullptr));
    auto* image = new TImage(owner.get());
    SetPropertyValue(*image, "Left", PropertyValue::Int(12));
    SetPropertyValue(*image, "Visible", PropertyValue::Ident("False"));
    SetPropertyValue(*image, "Anchors", PropertyValue::SetOf({ "akRight", "akBottom" }));
    EXPECT_EQ(image->Left(), 12);
    EXPECT_FALSE(image->Visible());
    EXPECT_EQ(image->Anchors(), TAnchors(akRight | akBottom));
    EXPECT_EQ(GetPropertyValue(*image, "anchors"), PropertyValue::SetOf({ "akRight", "akBottom" }));
    EXPECT_THROW(SetPropertyValue(*image, "Left", PropertyValue::Str("x")), EPropertyError);
    EXPECT_THROW(SetPropertyValue(*image, "Visible", PropertyValue::Ident("Maybe")), EPropertyError);
    EXPECT_THROW(SetPropertyValue(*image, "Anchors", PropertyValue::SetOf({ "akNowhere" })), EPropertyError);
    EXPECT_THROW(GetPropertyValue(*image, "Nope"), EPropertyError);
}

TEST(Properties, IntegersOutsideTheFieldAreRefused)
{
    ComponentPtr<TComponent> owner(new TComponent(nullptr));
    auto* timer = new TTimer(owner.get());
    EXPECT_THROW(SetPropertyValue(*timer, "Interval", PropertyValue::Int(-1)), EPropertyError);
    EXPECT_THROW(SetPropertyValue(*timer, "Interval", PropertyValue::Int(int64_t(1) << 33)), EPropertyError);
    SetPropertyValue(*timer, "Interval", PropertyValue::Int(4000000000));
    EXPECT_EQ(timer->Interval(), 4000000000u);
}

TEST(Properties, TextFormsForScripts)
{
    ComponentPtr<TComponent> owner(new TComponent(nullptr));
    auto* label = new TLabel(owner.get());
    TPersistent* target = label;
    const PropertyInfo* color = ResolveProperty(target, "Font.Color");
    ASSERT_NE(color, nullptr);
    EXPECT_EQ(target, &label->Font());
    label->Font().SetColor(clSilver);
    EXPECT_EQ(PropertyValueText(*color, color->get(*target)), "clSilver");
    label->Font().SetColor(0x123456);
    EXPECT_EQ(PropertyValueText(*color, color->get(*target)), "$00123456");
    color->set(*target, ParsePropertyText(*color, "clWhite"));
    EXPECT_EQ(label->Font().Color(), clWhite);
    color->set(*target, ParsePropertyText(*color, "$00FF0000"));
    EXPECT_EQ(label->Font().Color(), clBlue);

    target = label;
    const PropertyInfo* alignment = ResolveProperty(target, "Alignment");
    alignment->set(*target, ParsePropertyText(*alignment, "taCenter"));
    EXPECT_EQ(label->Alignment(), TAlignment::taCenter);
    EXPECT_EQ(PropertyValueText(*alignment, alignment->get(*target)), "taCenter");
}

struct Item : TCollectionItem {
    using TCollectionItem::TCollectionItem;
    static inline std::vector<std::string> log;
    ~Item() override { log.push_back("gone" + std::to_string(Index())); }
};

TEST(Collections, ItemsKnowTheirIndexAndLeaveOneByOne)
{
    Item::log.clear();
    {
        TCollection collection([](TCollection* c) { return std::make_unique<Item>(c); });
        collection.Add();
        collection.Add();
        collection.Add();
        EXPECT_EQ(collection.Items(2)->Index(), 2);
        collection.Delete(0);
        EXPECT_EQ(collection.Count(), 2);
        EXPECT_EQ(collection.Items(1)->Index(), 1);
        EXPECT_EQ(collection.Items(5), nullptr);
    }
    EXPECT_EQ(Item::log.size(), 3u);
}

TEST(Persistent, AssignBetweenUnrelatedClassesNamesBoth)
{
    TFont font;
    TPicture picture;
    EXPECT_EQ(MessageOf<EConvertError>([&] { font.Assign(picture); }), "Cannot assign a TPicture to a TFont.");
}

TEST(Fonts, SizeAndHeightFollowEachOtherAtNinetySixDpi)
{
    TFont font;
    font.SetSize(8);
    EXPECT_EQ(font.Height(), -11);
    font.SetHeight(-13);
    EXPECT_EQ(font.Size(), 10);
    int changes = 0;
    font.OnChange = [&](TObject*) { ++changes; };
    font.SetHeight(-13);
    font.SetName("Tahoma");
    EXPECT_EQ(changes, 1);
}

}
