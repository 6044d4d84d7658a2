// The ten-row item list of the current page: which items the rows show, how they are coloured,
// and every way the user moves the selection (rows, list buttons, wheel, keys, letters).

#include "menu/form/main_f.h"

#include "dib/image/cDIBFadeLabel.h"
#include "dib/image/cDIBImage.h"
#include "platform/components/ExtCtrls.h"
#include "platform/components/Forms.h"
#include "platform/components/StdCtrls.h"

using platform::VK_DOWN;
using platform::VK_END;
using platform::VK_ESCAPE;
using platform::VK_F2;
using platform::VK_HOME;
using platform::VK_LEFT;
using platform::VK_NEXT;
using platform::VK_PRIOR;
using platform::VK_RETURN;
using platform::VK_RIGHT;
using platform::VK_TAB;
using platform::VK_UP;

namespace {

constexpr int kRows = 10;

constexpr TColor kNormalColour = 0x2B322F;
constexpr TColor kSelectedColour = 0x000000;
constexpr TColor kInstalledColour = 0xC0C0C0;

// The wheel's zones, from the form's left edge: the icon column and the list with the detail view.
constexpr int kWheelIconZone = 600;
constexpr int kWheelListZone = 590;

bool MarksInstalled(CategoryCode category)
{
    return category == CategoryCode::Demos || category == CategoryCode::Extra2;
}

}

// The rows are written before the selection is marked, so the selected row reads black even
// when it shows an installed item (marking first would let the installed colour win).
void TForm1::FillList()
{
    if (ItemList::Lists(Category)) {
        for (int r = 1; r <= kRows; ++r)
            ListRow(r)->SetCaption(List.Name(Category, TopIndex + r - 1));
    } else if (Category == CategoryCode::Settings) {
        ClearList();
        ListRow(1)->SetCaption("ENHANCED MODE");
        ListRow(2)->SetCaption("SLOW COMPUTER");
    }
    HighLight(ItemIndex - TopIndex + 1);
}

void TForm1::HighLight(int32_t row)
{
    Bold();
    for (int r = 1; r <= kRows; ++r) {
        TDIBFadeLabel* label = ListRow(r);
        if (label->Font().Color() == kSelectedColour)
            label->Font().SetColor(kNormalColour);
    }
    if (row >= 1 && row <= kRows)
        ListRow(row)->Font().SetColor(kSelectedColour);
    const int32_t count = List.Count(Category);
    Cover2->SetVisible(ItemIndex == 1);
    Cover1->SetVisible(ItemIndex == count);
}

void TForm1::Bold()
{
    if (!MarksInstalled(Category))
        return;
    auto installed = [this](int32_t i) {
        if (Category == CategoryCode::Demos)
            return i >= 1 && i <= decltype(Catalogue.Demos)::capacity && Catalogue.Demos[i].Installed == 1;
        return i >= 1 && i <= decltype(Catalogue.Extra2)::capacity && Catalogue.Extra2[i].Installed == 1;
    };
    for (int r = 1; r <= kRows; ++r) {
        const int i = TopIndex + r - 1;
        TDIBFadeLabel* label = ListRow(r);
        if (installed(i)) {
            label->Font().SetColor(kInstalledColour);
        } else if (label->Font().Color() == kInstalledColour) {
            label->Font().SetColor(kNormalColour);
            label->SetColorHighlighted(kSelectedColour);
        }
    }
}

void TForm1::Unbold()
{
    for (int r = 1; r <= kRows; ++r) {
        ListRow(r)->Font().SetColor(kNormalColour);
        ListRow(r)->SetColorHighlighted(kSelectedColour);
    }
    for (int r = 1; r <= kRows; ++r)
        ListRow(r)->SetColor(kNormalColour);
}

void TForm1::ClearList()
{
    PositionLabel->SetCaption("");
    for (int r = 1; r <= kRows; ++r)
        ListRow(r)->SetCaption("");
}

void TForm1::ScrollListDown()
{
    const int32_t count = List.Count(Category);
    if (count == 0 || ItemIndex >= count)
        return;
    ++ItemIndex;
    if (ItemIndex == TopIndex + kRows && TopIndex != count - 9)
        ++TopIndex;
    FillList();
    HighLight(ItemIndex - TopIndex + 1);
    platform::Application().ProcessMessages();
    ProcessPage();
}

void TForm1::ScrollListUp()
{
    const int32_t count = List.Count(Category);
    if (count == 0 || ItemIndex <= 1 || (Category == CategoryCode::Installed && Catalogue.InstalledList.Count() == 0))
        return;
    --ItemIndex;
    if (ItemIndex == TopIndex - 1 && TopIndex != 1) {
        --TopIndex;
        FillList();
    }
    HighLight(ItemIndex - TopIndex + 1);
    platform::Application().ProcessMessages();
    ProcessPage();
}

void TForm1::SelectRow(int32_t offset)
{
    const int32_t i = TopIndex + offset;
    if (i == ItemIndex || i > List.Count(Category))
        return;
    ItemIndex = i;
    HighLight(offset + 1);
    ProcessPage();
}

void TForm1::ClampSelection()
{
    if (ItemIndex < 1) {
        ItemIndex = 1;
        TopIndex = 1;
    }
    if (TopIndex < 1)
        TopIndex = 1;
    const int32_t count = List.Count(Category);
    if (count < ItemIndex)
        ItemIndex = count;
}

// A jump always keeps the selection it reached, also when the list window cannot move (a Page
// Down near the end selects the last item), and refreshes the view whenever it changed.
void TForm1::ScrollToSelection()
{
    const int32_t count = List.Count(Category);
    TopIndex = count - ItemIndex >= 9 ? ItemIndex : count - 9;
    ClampSelection();
    if (ItemIndex != PrevItemIndex) {
        FillList();
        platform::Application().ProcessMessages();
        ProcessPage();
    }
    FillList();
}

// The list buttons (Image1 below the list, Image3 above it) step by one through lists of up to
// ten items. Longer lists go by tens: the lower button goes to the next multiple of ten, the
// upper one to the previous (1 from the first ten). The rule carries on past 40, so lists of up to 50 (updates, the
// installed page) keep working buttons to their end.
void TForm1::ListButtonClick(bool down)
{
    const int32_t count = List.Count(Category);
    if (count <= kRows) {
        down ? ScrollListDown() : ScrollListUp();
        return;
    }
    PrevItemIndex = ItemIndex;
    if (!down)
        ItemIndex = ItemIndex <= 10 ? 1 : (ItemIndex - 1) / 10 * 10;
    else if (ItemIndex >= 1)
        ItemIndex = std::min<int32_t>((ItemIndex / 10 + 1) * 10, count);
    ScrollToSelection();
    ProcessPage();
}

// Over the icon column the wheel works as pointing at the column's scroll zone in its
// direction (Image6 at the bottom, Image5 at the top); over the list it steps the selection.
void TForm1::WheelRolled(bool down, TPoint mousePos)
{
    const int x = mousePos.X - Left();
    if (x > kWheelIconZone) {
        platform::TImage* zone = down ? Image6 : Image5;
        const TPoint local = zone->ScreenToClient(mousePos);
        PointScrollZone(!down, zone, local.X, local.Y);
    } else if (x < kWheelListZone) {
        down ? ScrollListDown() : ScrollListUp();
    }
}

void TForm1::JumpToLetter(char letter)
{
    PrevItemIndex = ItemIndex;
    ItemIndex = List.FindPosition(Category, letter);
    if (ItemIndex == 0) {
        ItemIndex = PrevItemIndex;
        return;
    }
    const int32_t d = ItemIndex - TopIndex;
    if (d >= 1 && d <= 9) {
        ClampSelection();
        FillList();
        platform::Application().ProcessMessages();
    } else {
        ScrollToSelection();
    }
    ProcessPage();
}

// Enter does what a click on the selected item's main button does (run, install, open, switch
// on), and where the item offers none, opens its picture series; it waits while the viewer is up.
// Tab and Shift+Tab step through the category pages, F2 opens the settings page.
void TForm1::FormKeyDown(platform::TObject*, uint16_t& key, platform::TShiftState shift)
{
    if (key >= 'A' && key <= 'Z') {
        JumpToLetter(static_cast<char>(key));
        return;
    }
    const int32_t count = List.Count(Category);
    switch (key) {
    case VK_PRIOR:
    case VK_NEXT:
        PrevItemIndex = ItemIndex;
        ItemIndex += key == VK_NEXT ? 9 : -9;
        ScrollToSelection();
        ProcessPage();
        break;
    case VK_END:
        ItemIndex = count;
        TopIndex = count - 9;
        ClampSelection();
        FillList();
        platform::Application().ProcessMessages();
        ProcessPage();
        break;
    case VK_HOME:
        ItemIndex = 1;
        TopIndex = 1;
        FillList();
        platform::Application().ProcessMessages();
        ProcessPage();
        break;
    case VK_LEFT:
        if (DIBImage2->Visible())
            LeftArrowClick(LeftArrow);
        break;
    case VK_RIGHT:
        if (DIBImage2->Visible())
            RightArrowClick(RightArrow);
        break;
    case VK_ESCAPE:
        CloseViewer();
        break;
    case VK_RETURN:
        if (DIBImage2->Visible())
            break;
        if (ActionOffered(PlayDIBOff))
            PlayDIBImageClick(PlayDIBImage);
        else
            DIBImage4Click(DIBImage4);
        break;
    case VK_TAB: StepPage(shift & platform::ssShift ? -1 : 1); break;
    case VK_F2: SetSettingsPage(); break;
    case VK_UP: ScrollListUp(); break;
    case VK_DOWN: ScrollListDown(); break;
    default:
        if (key >= '1' && key <= '9')
            SelectRow(key - '1');
        else if (key == '0')
            SelectRow(9);
        break;
    }
}
