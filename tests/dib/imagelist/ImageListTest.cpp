#include "dib/imagelist/cDIBImageList.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

using Call = std::tuple<int, int>; // index, change

struct RecordingLink {
    TDIBImageLink link;
    std::vector<Call> calls;

    explicit RecordingLink(platform::TComponent* owner = nullptr)
        : link(owner)
    {
        link.OnChange = [this](TDIBImageLink*, int index, TDIBLinkChange change) { calls.emplace_back(index, change); };
    }
    // Linked to item `index` of `list`, with nothing heard yet.
    void Watch(TDIBImageList& list, int index)
    {
        link.SetDIBImageList(&list);
        link.SetDIBIndex(index);
        calls.clear();
    }
};

// A control whose link hears a change of its picture while the control is going away.
class DyingControl : public platform::TComponent {
public:
    DyingControl(TDIBImageList& list, std::vector<Call>& heard)
        : platform::TComponent(nullptr)
        , m_list(list)
        , m_heard(heard)
    {
        m_link.SetDIBImageList(&list);
        m_link.SetDIBIndex(0);
        m_link.OnChange = [this](TDIBImageLink*, int index, TDIBLinkChange change) { m_heard.emplace_back(index, change); };
    }

protected:
    void Destroying() override
    {
        m_list.DIBImages().Items(0)->DIB().SetOpacity(20);
        m_list.DIBImages().Delete(0);
    }

private:
    TDIBImageList& m_list;
    std::vector<Call>& m_heard;
    TDIBImageLink m_link { this };
};

void AddItems(TDIBImageList& list, int count)
{
    for (int i = 0; i < count; ++i)
        list.DIBImages().Add().DIB().SetSize(i + 1, 1);
}

}

// Appending moves no link; a deletion shifts later links silently and empties the deleted one.
TEST(ImageList, LinksKeepTheirPicturesWhenItemsAreAddedOrDeleted)
{
    TDIBImageList list;
    AddItems(list, 6);
    RecordingLink before, at, after;
    before.Watch(list, 1);
    at.Watch(list, 2);
    after.Watch(list, 5);

    list.DIBImages().Add();
    EXPECT_EQ(after.link.DIBIndex(), 5);
    list.DIBImages().Delete(2);

    EXPECT_EQ(before.link.DIBIndex(), 1);
    EXPECT_EQ(at.link.DIBIndex(), -1);
    EXPECT_EQ(after.link.DIBIndex(), 4);
    EXPECT_TRUE(before.calls.empty());
    EXPECT_EQ(at.calls, (std::vector<Call> { { 2, lcDeleted } }));
    EXPECT_TRUE(after.calls.empty());
    // The shifted link still shows the same picture: item sizes were 1..6 wide.
    EXPECT_EQ(after.link.GetImage()->Width(), 6);
}

TEST(ImageList, LinkHearsChangesOfItsOwnItemOnly)
{
    TDIBImageList list;
    AddItems(list, 3);
    RecordingLink l;
    l.link.SetDIBIndex(1);
    EXPECT_EQ(l.calls, (std::vector<Call> { { 1, lcChanged } })) << "a new index is announced";
    l.calls.clear();
    l.link.SetDIBIndex(1);
    EXPECT_TRUE(l.calls.empty()) << "the same index again calls nothing";

    l.link.SetDIBImageList(&list);
    EXPECT_EQ(l.calls, (std::vector<Call> { { 1, lcChanged } })) << "registering replays every item; only its own counts";
    l.calls.clear();

    list.DIBImages().Items(0)->DIB().SetOpacity(10);
    list.DIBImages().Items(1)->DIB().SetOpacity(10);
    list.DIBImages().Items(1)->DIB().SetOpacity(10); // unchanged value: no Changed
    TMemoryDIB other(4, 4);
    list.DIBImages().Items(1)->SetDIB(other);
    EXPECT_EQ(l.calls, (std::vector<Call> { { 1, lcChanged }, { 1, lcChanged } }));
    EXPECT_EQ(list.DIBImages().Items(1)->DIB().Width(), 4);
}

TEST(ImageList, AnOwnerGoingAwayHearsNothing)
{
    TDIBImageList list;
    AddItems(list, 2);
    std::vector<Call> heard;
    auto* control = new DyingControl(list, heard);
    heard.clear();
    platform::TComponent::Free(control);
    EXPECT_TRUE(heard.empty());
    EXPECT_EQ(list.DIBImages().Count(), 1);
    EXPECT_EQ(list.LinkCount(), 0);
}

TEST(ImageList, ListsAndLinksForgetEachOther)
{
    RecordingLink l;
    {
        TDIBImageList list;
        AddItems(list, 2);
        l.link.SetDIBImageList(&list);
        l.link.SetDIBIndex(1);
        EXPECT_EQ(list.LinkCount(), 1);
        l.link.SetDIBImageList(&list); // registers once
        EXPECT_EQ(list.LinkCount(), 1);
        {
            RecordingLink temporary;
            temporary.link.SetDIBImageList(&list);
            EXPECT_EQ(list.LinkCount(), 2);
        }
        EXPECT_EQ(list.LinkCount(), 1);
        TDIBImageList second;
        l.link.SetDIBImageList(&second);
        EXPECT_EQ(list.LinkCount(), 0);
        l.link.SetDIBImageList(&list);
    }
    EXPECT_EQ(l.link.DIBImageList(), nullptr);
    EXPECT_EQ(l.link.GetImage(), nullptr);
    EXPECT_FALSE(l.link.ValidIndex());
}

TEST(ImageList, AssignCopiesIndexThenList)
{
    TDIBImageList list;
    AddItems(list, 3);
    RecordingLink source, copy;
    source.link.SetDIBImageList(&list);
    source.link.SetDIBIndex(2);
    copy.link.Assign(source.link);
    EXPECT_EQ(copy.link.DIBImageList(), &list);
    EXPECT_EQ(copy.link.DIBIndex(), 2);
    EXPECT_EQ(list.LinkCount(), 2);
}

TEST(ImageList, GetImageGivesNothingOutsideTheList)
{
    TDIBImageList list;
    AddItems(list, 2);
    EXPECT_EQ(list.GetImage(-1), nullptr);
    EXPECT_EQ(list.GetImage(2), nullptr);
    EXPECT_NE(list.GetImage(1), nullptr);
    TDIBImageLink unlinked(nullptr);
    unlinked.SetDIBIndex(0);
    EXPECT_EQ(unlinked.GetImage(), nullptr);
}

// Two controls on one item with different angles: each paint re-points the view, and what a
// control sets on the view never reaches the item.
TEST(ImageList, SharedViewTakesTheItemsPropertiesAndLeavesTheItemAlone)
{
    TDIBImageList list;
    TMemoryDIB& item = list.DIBImages().Add().DIB();
    item.SetSize(3, 2);
    item.Fill(RGB(1, 2, 3));
    item.SetOpacity(128);
    item.SetMasked(true);
    item.SetAngle(45);

    TAbstractSuperDIB* view = list.GetImage(0);
    ASSERT_NE(view, nullptr);
    EXPECT_FALSE(view->OwnsBits());
    EXPECT_EQ(view->Bits(), item.Bits());
    EXPECT_EQ(view->Width(), 3);
    EXPECT_EQ(view->Height(), 2);
    EXPECT_EQ(view->Opacity(), 128);
    EXPECT_TRUE(view->Masked());
    EXPECT_EQ(view->Angle(), 45);

    view->SetAngle(90);
    view->SetAutoSize(true);
    EXPECT_EQ(item.Angle(), 45);
    EXPECT_FALSE(item.AutoSize());

    TAbstractSuperDIB* again = list.GetImage(0);
    EXPECT_EQ(again, view) << "one view for the whole list";
    EXPECT_EQ(again->Angle(), 45) << "re-pointing restores the item's own properties";
    EXPECT_FALSE(again->AutoSize());

    TMemoryDIB& second = list.DIBImages().Add().DIB();
    second.SetSize(5, 5);
    EXPECT_EQ(list.GetImage(1)->Width(), 5);
    EXPECT_EQ(list.GetImage(1)->Bits(), second.Bits());
}

TEST(ImageList, TemplateItemsAreFoundByNumberAndGuid)
{
    TDIBImageList list;
    AddItems(list, 1);
    const std::string guid = "{6F9619FF-8B86-D011-B42D-00C04FC964FF}";
    TDIBImagesItem& a = list.FindOrAddTemplateItem(guid, 1);
    EXPECT_EQ(a.TemplateName(), "1:" + guid);
    EXPECT_EQ(list.DIBImages().Count(), 2);
    EXPECT_EQ(&list.FindOrAddTemplateItem(guid, 1), &a);
    TDIBImagesItem& b = list.FindOrAddTemplateItem(guid, 2);
    EXPECT_NE(&b, &a);
    EXPECT_EQ(list.DIBImages().Count(), 3);
}

TEST(ImageList, CallbackMayDropItsOwnLinkWhileTheListNotifies)
{
    TDIBImageList list;
    AddItems(list, 2);
    auto doomed = std::make_unique<TDIBImageLink>(nullptr);
    TDIBImageLink survivor(nullptr);
    int survivorCalls = 0;
    doomed->SetDIBImageList(&list);
    doomed->SetDIBIndex(0);
    survivor.SetDIBImageList(&list);
    survivor.SetDIBIndex(0);
    doomed->OnChange = [&](TDIBImageLink*, int, TDIBLinkChange) { doomed.reset(); };
    survivor.OnChange = [&](TDIBImageLink*, int, TDIBLinkChange) { ++survivorCalls; };
    list.DIBImages().Items(0)->DIB().SetOpacity(3);
    EXPECT_EQ(doomed, nullptr);
    EXPECT_EQ(survivorCalls, 1);
    EXPECT_EQ(list.LinkCount(), 1);
}

// A template item's name is stored only when it has one.
TEST(ImageList, TemplateNamesAreStoredOnlyWhenSet)
{
    TDIBImageList list;
    TDIBImagesItem& item = list.DIBImages().Add();
    platform::TFiler filer;
    item.DefineProperties(filer);
    const platform::DefinedProperty* templ = filer.Find("TemplateFilename");
    ASSERT_NE(templ, nullptr);
    EXPECT_FALSE(templ->hasData);
    templ->read(platform::PropertyValue::Str("3:{GUID}"));
    EXPECT_EQ(item.TemplateName(), "3:{GUID}");
}
