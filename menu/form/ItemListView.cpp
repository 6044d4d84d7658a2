// The ten-row item list of the current page: which items the rows show, how they are coloured,
// and the keys and the wheel, which move the selection through the model.

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
    const CategoryCode category = Model.Category();
    if (ItemList::Lists(category)) {
        for (int r = 1; r <= kRows; ++r)
            ListRow(r)->SetCaption(Model.List.Name(category, Model.TopIndex() + r - 1));
    } else if (category == CategoryCode::Settings) {
        ClearList();
        ListRow(1)->SetCaption("ENHANCED MODE");
        ListRow(2)->SetCaption("SLOW COMPUTER");
    }
    HighLight(Model.ItemIndex() - Model.TopIndex() + 1);
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
    Cover2->SetVisible(Model.ItemIndex() == 1);
    Cover1->SetVisible(Model.ItemIndex() == Model.Count());
}

void TForm1::Bold()
{
    if (!MarksInstalled(Model.Category()))
        return;
    const DiscCatalogue& catalogue = Model.Catalogue;
    auto installed = [this, &catalogue](int32_t i) {
        if (Model.Category() == CategoryCode::Demos)
            return i >= 1 && i <= decltype(catalogue.Demos)::capacity && catalogue.Demos[i].Installed == 1;
        return i >= 1 && i <= decltype(catalogue.Extra2)::capacity && catalogue.Extra2[i].Installed == 1;
    };
    for (int r = 1; r <= kRows; ++r) {
        const int i = Model.TopIndex() + r - 1;
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

// Rows are written again when the list's window moved, else the selected row is marked; the
// list shows before the slower detail view follows.
void TForm1::ShowChange(const MenuChange& change)
{
    if (change.rows)
        FillList();
    else if (change.detail)
        HighLight(Model.ItemIndex() - Model.TopIndex() + 1);
    if (!change.detail)
        return;
    platform::Application().ProcessMessages();
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
        ShowChange(down ? Model.StepDown() : Model.StepUp());
    }
}

// Enter does what a click on the selected item's main button does (run, install, open, switch
// on), and where the item offers none, opens its picture series; it waits while the viewer is up.
// Tab and Shift+Tab step through the category pages, F2 opens the settings page.
void TForm1::FormKeyDown(platform::TObject*, uint16_t& key, platform::TShiftState shift)
{
    if (key >= 'A' && key <= 'Z') {
        ShowChange(Model.JumpToLetter(static_cast<char>(key)));
        return;
    }
    switch (key) {
    case VK_PRIOR:
    case VK_NEXT: ShowChange(Model.PageBy(key == VK_NEXT ? 1 : -1)); break;
    case VK_END: ShowChange(Model.End()); break;
    case VK_HOME: ShowChange(Model.Home()); break;
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
        if (Model.Offers(MenuAction::Play))
            ActionClick(MenuAction::Play);
        else
            DIBImage4Click(DIBImage4);
        break;
    case VK_TAB: StepPage(shift & platform::ssShift ? -1 : 1); break;
    case VK_F2: SetSettingsPage(); break;
    case VK_UP: ShowChange(Model.StepUp()); break;
    case VK_DOWN: ShowChange(Model.StepDown()); break;
    default:
        if (key >= '1' && key <= '9')
            ShowChange(Model.SelectRow(key - '1'));
        else if (key == '0')
            ShowChange(Model.SelectRow(9));
        break;
    }
}
