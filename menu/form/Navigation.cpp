// Pages, keys, the wheel and the action buttons: what the user does goes to the model, and the
// views draw what it changed.

#include "menu/form/main_f.h"

#include "menu/form/ItemOpening.h"

#include "dib/image/cDIBImage.h"
#include "platform/components/ExtCtrls.h"
#include "platform/components/Forms.h"

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

constexpr int32_t InstalledPageText = 33;

// The wheel's zones, from the form's left edge: the icon column and the list with the detail view.
constexpr int kWheelIconZone = 600;
constexpr int kWheelListZone = 590;

}

void TForm1::MainButtonClick(int32_t n)
{
    const IconChoice choice = Model.ChooseIcon(n);
    Icons->Light(choice.lights);
    if (choice.page != CategoryCode::None)
        SelectPage(choice.page);
}

void TForm1::SelectPage(CategoryCode code)
{
    Detail->Blank();
    ListView->Unbold();
    Icons->Light(Model.SelectPage(code));
    if (code != CategoryCode::Installed && code != CategoryCode::Settings && FindPageKind(code))
        ShowListPage(code);
}

void TForm1::ShowListPage(CategoryCode code)
{
    const PageKind& kind = *FindPageKind(code);
    Detail->ShowPageLook(kind, kind.text ? Model.Texts.LoadString(kind.text) : std::string());
    ListView->Fill();
    ProcessPage();
}

// The page icons keep their state: the old page's icon stays lit and every icon clickable.
void TForm1::SetSettingsPage()
{
    Detail->Blank();
    Icons->Light(Model.SelectPage(CategoryCode::Settings));
    Detail->ShowSettingsPageLook();
    ListView->Fill();
    Detail->ShowSetting();
}

void TForm1::ShowInstalledPage()
{
    Detail->ShowInstalledPageLook(Model.Texts.LoadSpecial(InstalledPageText, "2-98"));
    if (Model.Catalogue.InstalledList.Count() == 0)
        ListView->Clear();
    else
        RefreshItemViews();
}

void TForm1::RefreshItemViews()
{
    ListView->Fill();
    ProcessPage();
}

void TForm1::ProcessPage()
{
    Detail->Show();
    ListView->ShowPosition();
}

// Rows are written again when the list's window moved, else the selected row is marked; the
// list shows before the slower detail view follows.
void TForm1::ShowChange(const MenuChange& change)
{
    if (change.rows)
        ListView->Fill();
    else if (change.detail)
        ListView->HighLight(Model.ItemIndex() - Model.TopIndex() + 1);
    if (!change.detail)
        return;
    platform::Application().ProcessMessages();
    ProcessPage();
}

// On the settings page the main and uninstall buttons switch the selected setting.
void TForm1::ActionClick(MenuAction action)
{
    if (Model.Choose(action).setting)
        Detail->SettingSwitched(action == MenuAction::Play);
}

// Over the icon column the wheel works as pointing at the column's scroll zone in its
// direction; over the list it steps the selection.
void TForm1::WheelRolled(bool down, TPoint mousePos)
{
    const int x = mousePos.X - Left();
    if (x > kWheelIconZone) {
        Icons->Roll(down, mousePos);
    } else if (x < kWheelListZone) {
        ShowChange(down ? Model.StepDown() : Model.StepUp());
    }
}

void TForm1::PointAway(platform::TObject* sender, int x, int y)
{
    Detail->ClearHints();
    Icons->StopScrolling();
    Icons->MoveArrows(sender, x, y);
    Icons->Light(Model.LeaveIcons());
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
    case VK_RIGHT:
        if (Viewer->IsOpen())
            Viewer->Step(key == VK_RIGHT ? 1 : -1);
        break;
    case VK_ESCAPE:
        if (Viewer->IsOpen())
            Viewer->Close();
        else if (Model.Environment().Leave)
            AskToLeave(*this);
        break;
    case VK_RETURN:
        if (Viewer->IsOpen())
            break;
        if (Model.Offers(MenuAction::Play))
            ActionClick(MenuAction::Play);
        else
            Viewer->Open();
        break;
    case VK_TAB:
        if (const int32_t to = Model.SlotAfter(shift & platform::ssShift ? -1 : 1)) {
            MainButtonClick(to);
            Icons->BringIntoBand(to);
        }
        break;
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
