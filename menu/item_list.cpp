// The ten-row item list of the current page: which items the rows show, how they are coloured,
// and every way the user moves the selection (rows, list buttons, wheel, keys, letters).

#include "menu/main_f.h"

#include "dib/image/cDIBFadeLabel.h"
#include "dib/image/cDIBImage.h"
#include "platform/components/ExtCtrls.h"
#include "platform/components/Forms.h"
#include "platform/components/StdCtrls.h"
#include "platform/text/Text.h"

using platform::VK_DOWN;
using platform::VK_END;
using platform::VK_ESCAPE;
using platform::VK_HOME;
using platform::VK_LEFT;
using platform::VK_NEXT;
using platform::VK_PRIOR;
using platform::VK_RIGHT;
using platform::VK_UP;

namespace {

constexpr int kRows = 10;

constexpr TColor kNormalColour = 0x2B322F;
constexpr TColor kSelectedColour = 0x000000;
constexpr TColor kInstalledColour = 0xC0C0C0;

// The wheel's zones, from the form's left edge: the icon column and the list with the detail view.
constexpr int kWheelIconZone = 600;
constexpr int kWheelListZone = 590;

template<typename Array>
const std::string& NameAt(const Array& items, int index)
{
    static const std::string empty;
    return index >= 1 && index <= Array::capacity ? items[index].Name : empty;
}

bool MarksInstalled(int32_t category)
{
    return category == CatDemos || category == CatExtra2;
}

bool HasItemList(int32_t category)
{
    return (category >= CatDemos && category <= CatMovies) || category == CatFulls || category == CatExtra2
        || category == CatInstalled;
}

}

// Counts are held below 256 by the arrays' capacities, so the byte loses nothing.
uint8_t TForm1::AssignTempNumber(int32_t code) const
{
    int32_t count = 0;
    switch (code) {
    case CatDemos: count = Catalogue.DemoCount; break;
    case CatExtra: count = Catalogue.ExtraCount; break;
    case CatShareware: count = Catalogue.ShareCount; break;
    case CatDrivers: count = Catalogue.DriverCount; break;
    case CatUpdates: count = Catalogue.UpdateCount; break;
    case CatReaders: count = Catalogue.ReaderCount; break;
    case CatShots: count = Catalogue.ShotCount; break;
    case CatMovies: count = Catalogue.MovieCount; break;
    case CatFulls: count = Catalogue.FullCount; break;
    case CatExtra2: count = Catalogue.Extra2Count; break;
    case CatInstalled: count = Catalogue.InstalledCount; break;
    case CatSettings: count = 2; break;
    default: break;
    }
    return static_cast<uint8_t>(count);
}

// The list name of item `index` of a category; slots beyond the arrays read as empty.
std::string TForm1::ListName(int32_t code, int32_t index) const
{
    switch (code) {
    case CatDemos: return NameAt(Catalogue.Demos, index);
    case CatExtra: return NameAt(Catalogue.Extra, index);
    case CatShareware: return NameAt(Catalogue.Shareware, index);
    case CatDrivers: return NameAt(Catalogue.Drivers, index);
    case CatUpdates: return NameAt(Catalogue.Updates, index);
    case CatReaders: return NameAt(Catalogue.Readers, index);
    case CatShots: return NameAt(Catalogue.Shots, index);
    case CatMovies: return NameAt(Catalogue.Movies, index);
    case CatFulls: return NameAt(Catalogue.Fulls, index);
    case CatExtra2: return NameAt(Catalogue.Extra2, index);
    // Records of older menus carry names upper-cased in a to z only.
    case CatInstalled: return platform::UpperCaseCp1250(NameAt(Catalogue.InstalledList, index));
    default: return {};
    }
}

// The rows are written before the selection is marked, so the selected row reads black even
// when it shows an installed item (marking first would let the installed colour win).
void TForm1::FillList()
{
    if (HasItemList(Category)) {
        for (int r = 1; r <= kRows; ++r)
            ListRow(r)->SetCaption(ListName(Category, TopIndex + r - 1));
    } else if (Category == CatSettings) {
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
    const int32_t count = AssignTempNumber(Category);
    Cover2->SetVisible(ItemIndex == 1);
    Cover1->SetVisible(ItemIndex == count);
}

void TForm1::Bold()
{
    if (!MarksInstalled(Category))
        return;
    auto installed = [this](int32_t i) {
        if (Category == CatDemos)
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
    const int32_t count = AssignTempNumber(Category);
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
    const int32_t count = AssignTempNumber(Category);
    if (count == 0 || ItemIndex <= 1 || (Category == CatInstalled && Catalogue.InstalledCount == 0))
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
    if (i == ItemIndex || i > AssignTempNumber(Category))
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
    const int32_t count = AssignTempNumber(Category);
    if (count < ItemIndex)
        ItemIndex = count;
}

// A jump always keeps the selection it reached, also when the list window cannot move (a Page
// Down near the end selects the last item), and refreshes the view whenever it changed.
void TForm1::ScrollToSelection()
{
    const int32_t count = AssignTempNumber(Category);
    TopIndex = count - ItemIndex >= 9 ? ItemIndex : count - 9;
    ClampSelection();
    if (ItemIndex != PrevItemIndex) {
        FillList();
        platform::Application().ProcessMessages();
        ProcessPage();
    }
    FillList();
}

// Every page with a list answers to letters, the Extra page included.
std::vector<std::string> TForm1::AssignTempNamesList(int32_t code) const
{
    std::vector<std::string> names;
    if (!HasItemList(code))
        return names;
    const int32_t count = AssignTempNumber(code);
    for (int32_t i = 1; i <= count; ++i)
        names.push_back(ListName(code, i));
    return names;
}

int32_t TForm1::FindPosition(char c) const
{
    const std::vector<std::string> names = AssignTempNamesList(Category);
    for (size_t i = 0; i < names.size(); ++i)
        if (!names[i].empty() && names[i][0] == c)
            return static_cast<int32_t>(i + 1);
    return 0;
}

// Tens: the lower button goes to the next multiple of ten, the upper one to the previous
// (1 from the first ten). The rule carries on past 40, so lists of up to 50 (updates, the
// installed page) keep working buttons to their end.
void TForm1::Image1Click(platform::TObject*)
{
    const int32_t count = AssignTempNumber(Category);
    if (count <= kRows) {
        ScrollListDown();
        return;
    }
    PrevItemIndex = ItemIndex;
    if (ItemIndex >= 1)
        ItemIndex = std::min<int32_t>((ItemIndex / 10 + 1) * 10, count);
    ScrollToSelection();
    ProcessPage();
}

void TForm1::Image3Click(platform::TObject*)
{
    const int32_t count = AssignTempNumber(Category);
    if (count <= kRows) {
        ScrollListUp();
        return;
    }
    PrevItemIndex = ItemIndex;
    ItemIndex = ItemIndex <= 10 ? 1 : (ItemIndex - 1) / 10 * 10;
    ScrollToSelection();
    ProcessPage();
}

void TForm1::Image3MouseMove(platform::TObject*, platform::TShiftState, int, int)
{
    Image11->Show();
}

void TForm1::Image1MouseMove(platform::TObject*, platform::TShiftState, int, int)
{
    Image10->Show();
}

void TForm1::DemosLabel1_Click(platform::TObject*) { SelectRow(0); }
void TForm1::DemosLabel2Click(platform::TObject*) { SelectRow(1); }
void TForm1::DemosLabel3Click(platform::TObject*) { SelectRow(2); }
void TForm1::DemosLabel4Click(platform::TObject*) { SelectRow(3); }
void TForm1::DemosLabel5Click(platform::TObject*) { SelectRow(4); }
void TForm1::DemosLabel6Click(platform::TObject*) { SelectRow(5); }
void TForm1::DemosLabel7Click(platform::TObject*) { SelectRow(6); }
void TForm1::DemosLabel8Click(platform::TObject*) { SelectRow(7); }
void TForm1::DemosLabel9Click(platform::TObject*) { SelectRow(8); }
void TForm1::DemosLabel10Click(platform::TObject*) { SelectRow(9); }

// Bound to the wheel rolling down (the form's events are bound crosswise).
void TForm1::FormMouseWheelUp(platform::TObject*, platform::TShiftState shift, TPoint mousePos, bool&)
{
    const int x = mousePos.X - Left();
    if (x > kWheelIconZone) {
        const TPoint local = Image6->ScreenToClient(mousePos);
        DownMouseMove(Image6, shift, local.X, local.Y);
    } else if (x < kWheelListZone) {
        ScrollListDown();
    }
}

// Bound to the wheel rolling up.
void TForm1::FormMouseWheelDown(platform::TObject*, platform::TShiftState shift, TPoint mousePos, bool&)
{
    const int x = mousePos.X - Left();
    if (x > kWheelIconZone) {
        const TPoint local = Image5->ScreenToClient(mousePos);
        UpMouseMove(Image5, shift, local.X, local.Y);
    } else if (x < kWheelListZone) {
        ScrollListUp();
    }
}

void TForm1::JumpToLetter(char letter)
{
    PrevItemIndex = ItemIndex;
    ItemIndex = FindPosition(letter);
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

void TForm1::FormKeyDown(platform::TObject*, uint16_t& key, platform::TShiftState)
{
    if (key >= 'A' && key <= 'Z') {
        JumpToLetter(static_cast<char>(key));
        return;
    }
    const int32_t count = AssignTempNumber(Category);
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
