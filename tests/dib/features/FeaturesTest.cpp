#include "dib/control/cDIBFeatures.h"
#include "platform/layout/LayoutReader.h"
#include "tests/dib/control/ControlFixture.h"
#include "tests/support/Accepted.h"
#include "tests/support/MessageOf.h"

#include <gtest/gtest.h>

using namespace platform;
using dibtest::ContainerFixture;
using dibtest::TProbeDIB;
using torva::test::Accepted;
using torva::test::MessageOf;

namespace {

// Records the messages it is offered and handles the kinds it is told to.
class TRecordingFeature : public TDIBFeature {
    TORVA_CLASS(TRecordingFeature)
public:
    explicit TRecordingFeature(TComponent* owner)
        : TDIBFeature(owner) {}
    static inline std::vector<std::string>* log = nullptr;
    static inline TDIBMessageKind handles = TDIBMessageKind::Paint;

    void HandleMessage(TDIBMessage& message, bool& handled) override
    {
        if (log)
            log->push_back(Name() + ":" + std::to_string(int(message.Kind)));
        handled = message.Kind == handles;
    }
};

const ClassInfo& TRecordingFeature::StaticClass()
{
    static const ClassInfo info = ClassBuilder<TRecordingFeature>("TRecordingFeature", &TDIBFeature::StaticClass()).Creatable().Build();
    return info;
}

struct Registered {
    Registered() { RegisterDIBFeature(TRecordingFeature::StaticClass()); }
} registered;

// A, B and C side by side; A takes the features.
struct Features : dibtest::ProbesFixture {
    TDIBFeatureItem& AddFeature(const char* className)
    {
        TDIBFeatureItem& item = a->DIBFeatures().Add();
        item.SetFeatureClassName(className);
        return item;
    }
};

TEST_F(Features, UnknownClassesAreRefusedAndLeaveTheItemAsItWas)
{
    TDIBFeatureItem& item = AddFeature("THighlightDIB");
    EXPECT_EQ(MessageOf<EFeatureError>([&] { item.SetFeatureClassName("TNoSuchFeature"); }),
        "TNoSuchFeature has not been registered");
    EXPECT_EQ(item.FeatureClassName(), "THighlightDIB");
    ASSERT_NE(item.Feature(), nullptr);
    EXPECT_EQ(item.Feature()->Control(), a);
    // Not a feature at all: the registry only knows feature classes.
    EXPECT_THROW(item.SetFeatureClassName("TDIBContainer"), EFeatureError);
}

TEST_F(Features, AnItemWithoutAFeatureTakesNoMessage)
{
    TDIBFeatureItem& item = a->DIBFeatures().Add();
    TDIBMessage message;
    message.Kind = TDIBMessageKind::MouseDown;
    EXPECT_FALSE(a->DIBFeatures().Offer(message));
    item.SetFeatureClassName("TMoveableDIB");
    item.SetFeatureClassName("");
    EXPECT_EQ(item.Feature(), nullptr);
    EXPECT_FALSE(a->DIBFeatures().Offer(message));
}

TEST_F(Features, OfferingStopsAtTheFirstHandlerAndSkipsDisabledItems)
{
    std::vector<std::string> seen;
    TRecordingFeature::log = &seen;
    TRecordingFeature::handles = TDIBMessageKind::MouseDown;
    int downs = 0;
    a->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++downs; };
    for (const char* name : { "First", "Second", "Third" }) {
        TDIBFeatureItem& item = a->DIBFeatures().Add();
        item.SetFeatureClassName("TRecordingFeature");
        item.Feature()->SetName(name);
    }
    a->DIBFeatures().Items(0)->SetEnabled(false);
    Move(15, 15);
    seen.clear();
    Press(15, 15);
    // The second handles the press: the third never hears it, nor does the control.
    EXPECT_EQ(seen, (std::vector<std::string> { "Second:" + std::to_string(int(TDIBMessageKind::MouseDown)) }));
    EXPECT_EQ(downs, 0);
    TRecordingFeature::handles = TDIBMessageKind::Paint;
    Release(15, 15);
    Press(15, 15);
    EXPECT_EQ(downs, 1);
    TRecordingFeature::log = nullptr;
}

TEST_F(Features, HighlightFollowsPointerAndFocusButNotACapturedPointer)
{
    a->SetOpacity(100);
    a->SetDIBTabOrder(0);
    TDIBFeatureItem& item = AddFeature("THighlightDIB");
    static_cast<THighlightDIB*>(item.Feature())->SetHighlightOpacity(200);

    Move(15, 15);
    EXPECT_EQ(a->Opacity(), 200);
    Move(90, 60);
    EXPECT_EQ(a->Opacity(), 100);

    a->SetFocus();
    EXPECT_EQ(a->Opacity(), 200);
    // Entering and leaving while focused leaves the highlight alone.
    Move(15, 15);
    Move(90, 60);
    EXPECT_EQ(a->Opacity(), 200);
    container->SetActiveDIBControl(nullptr);
    EXPECT_EQ(a->Opacity(), 100);

    // A press on the other control captures the mouse; passing over A does nothing.
    Move(55, 15);
    Press(55, 15);
    Mouse(EventType::MouseMove, 15, 15, ssLeft);
    EXPECT_EQ(a->Opacity(), 100);
    Release(15, 15);
}

TEST_F(Features, ParametersTravelWithTheLayout)
{
    TDIBFeatureItem& item = AddFeature("THighlightDIB");
    item.SetFeatureParameters("note");
    static_cast<THighlightDIB*>(item.Feature())->SetHighlightOpacity(77);
    const std::string layout = WriteLayout(*form);
    EXPECT_NE(layout.find("DIBFeatureParameters"), std::string::npos);

    ComponentPtr<TForm> copy(new TForm(nullptr));
    ASSERT_TRUE(Accepted(ReadLayout(*copy, layout, "copy")));
    auto* read = dynamic_cast<TProbeDIB*>(copy->FindComponent("A"));
    ASSERT_NE(read, nullptr);
    ASSERT_EQ(read->DIBFeatures().Count(), 1);
    TDIBFeatureItem* readItem = read->DIBFeatures().Items(0);
    EXPECT_FALSE(readItem->HasStoredParameters());
    EXPECT_EQ(readItem->FeatureParameters(), "note");
    auto* feature = dynamic_cast<THighlightDIB*>(readItem->Feature());
    ASSERT_NE(feature, nullptr);
    EXPECT_EQ(feature->HighlightOpacity(), 77);
    EXPECT_EQ(feature->Control(), read);
}

TEST_F(Features, DamagedParametersAreRefusedAtLoaded)
{
    TDIBFeatureItem& item = AddFeature("THighlightDIB");
    const std::vector<uint8_t> good = item.WriteParameters();
    for (size_t cut : { size_t(1), size_t(4), size_t(10), good.size() - 1 }) {
        item.ReadParameters(std::vector<uint8_t>(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut)));
        EXPECT_THROW(item.Loaded(), EFeatureError) << cut;
    }
    // A count that claims more than there is.
    std::vector<uint8_t> lying = good;
    lying[0] = 0xFF;
    lying[3] = 0x7F;
    item.ReadParameters(lying);
    EXPECT_THROW(item.Loaded(), EFeatureError);
    // Parameters naming a class nobody registered.
    std::vector<uint8_t> unknown { 3, 0, 0, 0, 'T', 'Z', 'Z', 0, 0, 0, 0 };
    item.ReadParameters(unknown);
    EXPECT_THROW(item.Loaded(), EFeatureError);
    // Properties the layout reader refuses, in its words.
    std::vector<uint8_t> refused(good.begin(), good.begin() + std::ptrdiff_t(4 + good[0])); // the class name
    refused.insert(refused.end(), { 3, 0, 0, 0, 'x', 'y', 'z' });
    item.ReadParameters(refused);
    EXPECT_EQ(MessageOf<EFeatureError>([&] { item.Loaded(); }), "DIBFeatureParameters:1: expected object, found 'xyz'");
}

using ChildrenList = ContainerFixture;

TEST_F(ChildrenList, RefusesNilAndDuplicatesAndNamesItsItems)
{
    TProbeDIB* probe = AddProbe("P", 0, 0, 20, 20);
    TProbeDIB* rider = AddProbe("Rider", 30, 0, 10, 10);
    auto* unnamed = new TProbeDIB(form.get());
    TControlItem& item = probe->Children().Add();
    EXPECT_EQ(MessageOf<EFeatureError>([&] { item.SetControl(nullptr); }), "You cannot set Control to nil");
    item.SetControl(rider);
    EXPECT_EQ(item.DisplayName(), "Rider");
    TControlItem& second = probe->Children().Add();
    EXPECT_EQ(MessageOf<EFeatureError>([&] { second.SetControl(rider); }), "Control already exists in list.");
    second.SetControl(unnamed);
    EXPECT_EQ(second.DisplayName(), "TProbeDIB");

    probe->SetBounds(5, 7, 20, 20);
    EXPECT_EQ(rider->Left(), 35);
    EXPECT_EQ(rider->Top(), 7);
    TComponent::Free(rider);
    EXPECT_EQ(probe->Children().Count(), 1);
}

}
