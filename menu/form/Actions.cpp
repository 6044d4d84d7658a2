// What the action buttons do, and what the window gives the model's parts.

#include "menu/form/main_f.h"

#include "dib/image/cDIBImage.h"
#include "platform/components/ExtCtrls.h"
#include "platform/components/StdCtrls.h"

namespace {

constexpr int32_t InstalledPageText = 33;

}

void TForm1::ConnectModel()
{
    MenuViews views;
    views.refresh = [this] { RefreshItemViews(); };
    views.installedPageOpening = [this] { FillList(); };
    views.installedPageShown = [this] { ShowInstalledPage(); };
    views.repaint = [this] { Repaint(); };
    views.bringToFront = [this] { BringWindowToFront(); };
    views.pollTimer = [this]() -> platform::TTimer& { return *Timer1; };
    Model.SetViews(std::move(views));
}

// On the settings page the main and uninstall buttons switch the selected setting.
void TForm1::ActionClick(MenuAction action)
{
    const MenuChange change = Model.Choose(action);
    if (!change.setting)
        return;
    const bool on = action == MenuAction::Play;
    SetSettings();
    (on ? PlayDIBImage : StopDIBImage)->Hide();
    (on ? PlayDIBOff : StopDIBOff)->Hide();
}

void TForm1::ShowInstalledPage()
{
    TextLabel->SetCaption(Model.Texts.LoadSpecial(InstalledPageText, "2-98"));
    DIBImage4->SetVisible(false);
    if (Model.Catalogue.InstalledList.Count() == 0)
        ClearList();
    else
        RefreshItemViews();
}
