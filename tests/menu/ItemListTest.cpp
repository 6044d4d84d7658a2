#include "BrowseFixture.h"

#include "platform/text/Codepage.h"
#include "tests/support/RowNames.h"

namespace {

constexpr TColor Normal = 0x2B322F;
constexpr TColor Selected = 0x000000;
constexpr TColor Installed = 0xC0C0C0;

// Letters A, B, C ... so that a letter key finds item n by its first character.
std::string DemoName(int n)
{
    return std::string(1, char('A' + n - 1)) + "HRA" + std::to_string(n);
}

std::string DemosCatalogue(int count)
{
    return "[Main]\nCD=0206\nDemos=" + std::to_string(count) + "\n" + Sections("Demo", count, DemoName, "Picture=NUL\n");
}

class ItemList : public BrowseFixture {
protected:
    TForm1& OpenDemos(int count) { return Open(DemosCatalogue(count)); }

    // Puts the selection on `item` the way the user would: Home, then Down.
    void SelectByKeys(int item)
    {
        Key(platform::VK_HOME);
        for (int i = 1; i < item; ++i)
            Key(platform::VK_DOWN);
    }

    void ExpectWindow(int itemIndex, int topIndex)
    {
        EXPECT_EQ(form->Model.ItemIndex(), itemIndex);
        EXPECT_EQ(form->Model.TopIndex(), topIndex);
        EXPECT_EQ(Row(1), DemoName(topIndex));
        EXPECT_EQ(RowColour(itemIndex - topIndex + 1), Selected);
        EXPECT_EQ(Label(*form, "PositionLabel")->Caption(), std::to_string(itemIndex) + " z " + std::to_string(form->Model.Catalogue.Demos.Count()));
    }
};

struct KeyCase {
    int count;
    int start;
    uint16_t key;
    int itemIndex;
    int topIndex;
};

class ItemListKeys : public ItemList, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(ItemListKeys, MoveTheSelectionAndTheWindow)
{
    const KeyCase& c = GetParam();
    OpenDemos(c.count);
    SelectByKeys(c.start);
    Key(c.key);
    ExpectWindow(c.itemIndex, c.topIndex);
}

INSTANTIATE_TEST_SUITE_P(Table, ItemListKeys,
    ::testing::Values(
        // A jump near the end still selects the last item; the window shows the last ten.
        KeyCase { 25, 23, platform::VK_NEXT, 25, 16 },
        KeyCase { 25, 5, platform::VK_PRIOR, 1, 1 },
        KeyCase { 25, 1, platform::VK_NEXT, 10, 10 },
        KeyCase { 25, 20, platform::VK_PRIOR, 11, 11 },
        KeyCase { 5, 1, platform::VK_NEXT, 5, 1 },
        KeyCase { 5, 2, platform::VK_END, 5, 1 },
        KeyCase { 25, 3, platform::VK_END, 25, 16 },
        KeyCase { 25, 25, platform::VK_HOME, 1, 1 },
        // Leaving the bottom row scrolls by one; the ends do nothing.
        KeyCase { 25, 10, platform::VK_DOWN, 11, 2 },
        KeyCase { 25, 25, platform::VK_DOWN, 25, 16 },
        KeyCase { 25, 1, platform::VK_UP, 1, 1 },
        KeyCase { 25, 12, platform::VK_UP, 11, 3 },
        // Digits pick rows 1 to 9, 0 picks row 10; a row past the last item does nothing.
        KeyCase { 25, 1, '4', 4, 1 },
        KeyCase { 25, 1, '0', 10, 1 },
        KeyCase { 3, 1, '7', 1, 1 },
        KeyCase { 25, 11, '1', 2, 2 }),
    RowNumber());

TEST_F(ItemList, RowsBeyondTheLastItemAreEmptyAndClickingThemDoesNothing)
{
    auto& f = OpenDemos(3);
    EXPECT_EQ(Row(3), DemoName(3));
    EXPECT_EQ(Row(4), "");
    f.ListView->Row(7)->Click();
    EXPECT_EQ(f.Model.ItemIndex(), 1);
    f.ListView->Row(3)->Click();
    EXPECT_EQ(f.Model.ItemIndex(), 3);
    EXPECT_EQ(RowColour(3), Selected);
    EXPECT_EQ(RowColour(1), Normal);
    EXPECT_EQ(Label(f, "PositionLabel")->Caption(), "3 z 3");
}

TEST_F(ItemList, ListButtonsStepByOneUpToTenItemsAndAreCoveredAtTheEnds)
{
    auto& f = OpenDemos(10);
    EXPECT_TRUE(Image(f, "Cover2")->Visible());
    EXPECT_FALSE(Image(f, "Cover1")->Visible());
    Image(f, "Image1")->Click();
    EXPECT_EQ(f.Model.ItemIndex(), 2);
    EXPECT_FALSE(Image(f, "Cover2")->Visible());
    SelectByKeys(10);
    EXPECT_TRUE(Image(f, "Cover1")->Visible());
    Image(f, "Image1")->Click();
    EXPECT_EQ(f.Model.ItemIndex(), 10);
    Image(f, "Image3")->Click();
    EXPECT_EQ(f.Model.ItemIndex(), 9);
}

// The buttons jump by tens, and go on doing so beyond 40 in the longest lists.
TEST_F(ItemList, ListButtonsJumpByTensOverLongLists)
{
    auto& f = OpenDemos(1);
    f.Model.Catalogue.Updates.SetCount(45);
    for (int n = 1; n <= 45; ++n)
        f.Model.Catalogue.Updates[n].Name = "UPDATE" + std::to_string(n);
    f.MainButtonClick(8);
    ASSERT_EQ(f.Model.Category(), CategoryCode::Updates);

    // The selection after each of six clicks on a button.
    auto sixClicks = [&](auto* button) {
        std::vector<int> selected;
        for (int i = 0; i < 6; ++i) {
            button->Click();
            selected.push_back(f.Model.ItemIndex());
        }
        return selected;
    };
    EXPECT_EQ(sixClicks(Image(f, "Image1")), (std::vector<int> { 10, 20, 30, 40, 45, 45 }));
    EXPECT_EQ(f.Model.TopIndex(), 36);
    EXPECT_TRUE(Image(f, "Cover1")->Visible());
    EXPECT_EQ(sixClicks(Image(f, "Image3")), (std::vector<int> { 40, 30, 20, 10, 1, 1 }));
    EXPECT_EQ(f.Model.TopIndex(), 1);
    EXPECT_EQ(Row(1), "UPDATE1");
}

TEST_F(ItemList, LetterKeysWorkOnTheExtraPageToo)
{
    auto& f = Open("[Main]\nCD=0206\nDemos=1\nExtra=3\n[Demo1]\nName=X\nPicture=NUL\n"
        + Sections("Extra", 3, DemoName, "Picture=NUL\nInstallType=1\n"));
    f.MainButtonClick(6);
    ASSERT_EQ(f.Model.Category(), CategoryCode::Extra);
    Key('C');
    EXPECT_EQ(f.Model.ItemIndex(), 3);
    EXPECT_EQ(Label(f, "NameLabel")->Caption(), DemoName(3));
}

TEST_F(ItemList, InstalledDemosAreSilverExceptWhileSelected)
{
    WriteDriveC("Hry/B/hra.exe", "game");
    auto& f = OpenDemos(3);
    for (int n : { 1, 2 }) {
        f.Model.Catalogue.Demos[n].Installed = 1;
        f.Model.Catalogue.Demos[n].GameDir = "C:\\Hry\\B";
        f.Model.Catalogue.Demos[n].GameName = "hra.exe";
    }
    Key(platform::VK_HOME);
    EXPECT_EQ(RowColour(1), Selected);
    EXPECT_EQ(RowColour(2), Installed);
    EXPECT_EQ(RowColour(3), Normal);
    Key(platform::VK_DOWN);
    EXPECT_EQ(RowColour(1), Installed);
    EXPECT_EQ(RowColour(2), Selected);
    Key(platform::VK_DOWN);
    EXPECT_EQ(RowColour(2), Installed);
    EXPECT_EQ(RowColour(3), Selected);
    // An item that is no longer installed gets the normal look and a black hover colour.
    f.Model.Catalogue.Demos[1].Installed = 0;
    f.ListView->Fill();
    EXPECT_EQ(RowColour(1), Normal);
    EXPECT_EQ(f.ListView->Row(1)->ColorHighlighted(), Selected);
}

TEST_F(ItemList, SettingsPageListsItsTwoEntries)
{
    auto& f = OpenDemos(12);
    Image(f, "Image12")->Click();
    EXPECT_EQ(Row(1), "ENHANCED MODE");
    EXPECT_EQ(Row(2), "SLOW COMPUTER");
    EXPECT_EQ(Row(3), "");
    Key(platform::VK_DOWN);
    EXPECT_EQ(Label(f, "PositionLabel")->Caption(), "2 z 2");
    EXPECT_EQ(RowColour(2), Selected);
    Key(platform::VK_DOWN);
    EXPECT_EQ(f.Model.ItemIndex(), 2);
    Key(platform::VK_UP);
    EXPECT_EQ(Label(f, "PositionLabel")->Caption(), "1 z 2");
}

TEST_F(ItemList, AnEmptyPageShowsNoPositionAndNothingToDescribe)
{
    auto& f = OpenDemos(2);
    ASSERT_EQ(f.Model.Catalogue.Drivers.Count(), 0);
    f.MainButtonClick(9);
    ASSERT_EQ(f.Model.Category(), CategoryCode::Drivers);
    EXPECT_EQ(Label(f, "PositionLabel")->Caption(), "");
    EXPECT_EQ(Label(f, "NameLabel")->Caption(), "");
    for (uint16_t key : std::initializer_list<uint16_t> { platform::VK_DOWN, platform::VK_UP, platform::VK_END, platform::VK_NEXT, 0x41 })
        Key(key);
    Image(f, "Image1")->Click();
    EXPECT_EQ(Label(f, "PositionLabel")->Caption(), "");
    EXPECT_TRUE(boxes.errors.empty());
}

}

namespace {

// The list's part alone, over a catalogue filled by hand: no form, no disc.
TEST(ItemListPart, NamesCountsAndLettersComeFromTheCatalogue)
{
    MenuContext context;
    DiscCatalogue catalogue { context };
    catalogue.Demos.SetCount(2);
    catalogue.Demos[1].Name = "ALFA";
    catalogue.Demos[2].Name = "BETA";
    catalogue.InstalledList.SetCount(1);
    catalogue.InstalledList[1].Name = "stara hra";
    const ::ItemList list { catalogue };

    EXPECT_EQ(list.Count(CategoryCode::Demos), 2);
    EXPECT_EQ(list.Name(CategoryCode::Demos, 31), "");
    EXPECT_EQ(list.FindPosition(CategoryCode::Demos, 'B'), 2);
    EXPECT_EQ(list.FindPosition(CategoryCode::Demos, 'C'), 0);
    EXPECT_EQ(list.Name(CategoryCode::Installed, 1), "STARA HRA");
    // The settings page has its two rows but no catalogue names to jump through.
    EXPECT_EQ(list.Count(CategoryCode::Settings), 2);
    EXPECT_TRUE(list.Names(CategoryCode::Settings).empty());
}

}
