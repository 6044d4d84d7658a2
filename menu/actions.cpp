// What the action buttons of the detail view, the connect picture and the debug labels do.

#include "menu/main_f.h"

#include "dib/image/cDIBImage.h"

#include "platform/process/Process.h"
#include "platform/text/Text.h"

namespace {

// Demos, extras, readers' contributions, full games and the second demo list: the pages whose
// items are run when they can be and installed otherwise.
bool RunsOrInstalls(int32_t category)
{
    return category == CatDemos || category == CatExtra || category == CatReaders
        || category == CatFulls || category == CatExtra2;
}

// The folder part of a relative path, without its last backslash.
std::string FolderPart(const std::string& path)
{
    size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool HasScheme(const std::string& address)
{
    std::string upper = platform::UpperCase(address);
    return upper.starts_with("HTTP://") || upper.starts_with("HTTPS://");
}

}

void TForm1::RefreshItemViews()
{
    if (!HasWindowLayout())
        return;
    FillList();
    ProcessPage();
}

TDemos* TForm1::SelectedItem()
{
    return Catalogue.ItemOf(Category, ItemIndex);
}

// An action's lit image can take a click only while its off image stands, that is while the
// selected item offers the action; the same holds for the other three buttons.
bool TForm1::ActionOffered(const TDIBImage* offImage) const
{
    return !m_hasLayout || offImage->Visible();
}

void TForm1::PlayDIBImageClick(platform::TObject* /*Sender*/)
{
    if (!ActionOffered(PlayDIBOff))
        return;
    if (Category == CatSettings) {
        SettingsSwitchOn();
        return;
    }
    if (Category == CatUpdates) {
        if (ItemIndex >= 1 && ItemIndex <= Catalogue.UpdateCount && !Catalogue.Updates[ItemIndex].NoRun)
            NormalExec(Context.DiscDrive + "\\Updates\\" + Catalogue.Updates[ItemIndex].SetupName, platform::SW_SHOWNORMAL);
        return;
    }
    if (Category == CatMovies) {
        if (ItemIndex >= 1 && ItemIndex <= Catalogue.MovieCount) {
            const TMovies& film = Catalogue.Movies[ItemIndex];
            ShellOpen("OPEN", film.InstallDir + "\\" + film.GameName, "", "", platform::SW_SHOWNORMAL);
        }
        return;
    }
    TDemos* item = SelectedItem();
    if (!item)
        return;
    if (RunsOrInstalls(Category)) {
        if (item->CanRun)
            RunProc(*item);
        else
            InstallProc(*item);
    } else if (Category == CatDrivers) {
        InstallProc(*item);
    } else if (Category == CatInstalled) {
        RunProc(*item);
    } else if (Category == CatShareware) {
        std::string folder = Context.DiscDrive + "\\Shareware\\" + item->InstallDir;
        std::string file = folder + "\\" + item->InstallName;
        // Only the upper-case ".INF" marks a setup information file, as the catalogues write it.
        if (item->InstallName.find(".INF") != std::string::npos)
            ShellOpen("INSTALL", file, "", folder, platform::SW_SHOWNORMAL);
        else
            NormalExec(file, platform::SW_SHOWNORMAL);
    }
}

void TForm1::StopDIBImageClick(platform::TObject* /*Sender*/)
{
    if (!ActionOffered(StopDIBOff))
        return;
    if (Category == CatSettings) {
        SettingsSwitchOff();
        return;
    }
    if (!RunsOrInstalls(Category) && Category != CatInstalled)
        return;
    if (TDemos* item = SelectedItem())
        UninstallProc(*item);
}

void TForm1::ReadmeDIBImageClick(platform::TObject* /*Sender*/)
{
    if (!ActionOffered(ReadmeDIBOff))
        return;
    if (Category == CatUpdates) {
        if (ItemIndex >= 1 && ItemIndex <= Catalogue.UpdateCount) {
            const TUpdate& update = Catalogue.Updates[ItemIndex];
            ShellExec(Context.DiscDrive + "\\Updates\\" + FolderPart(update.SetupName) + "\\" + update.ReadmeName, platform::SW_SHOWNORMAL);
        }
        return;
    }
    const TDemos* item = SelectedItem();
    if (!item)
        return;
    switch (Category) {
    case CatDemos:
    case CatReaders:
    case CatFulls:
    case CatExtra2:
        ShellExec(item->GameDir + "\\" + item->ReadmeName, platform::SW_SHOWNORMAL);
        break;
    case CatExtra:
    case CatDrivers:
        ShellExec(item->InstallDir + "\\" + item->ReadmeName, platform::SW_SHOWNORMAL);
        break;
    case CatShareware:
        ShellExec(Context.DiscDrive + "\\Shareware\\" + item->InstallDir + "\\" + item->ReadmeName, platform::SW_SHOWNORMAL);
        break;
    default:
        break;
    }
}

void TForm1::WebDIBImageClick(platform::TObject* /*Sender*/)
{
    if (!ActionOffered(WebDibOff))
        return;
    if (!RunsOrInstalls(Category) && Category != CatDrivers)
        return;
    const TDemos* item = SelectedItem();
    if (!item || item->Web.empty())
        return;
    // Catalogues write the address without its scheme, but some carry it: it is not doubled.
    std::string address = HasScheme(item->Web) ? item->Web : "http://" + item->Web;
    ShellOpen("OPEN", address, "", "", platform::SW_SHOWNORMAL);
}

void TForm1::Image15Click(platform::TObject* /*Sender*/)
{
    ShellOpen("OPEN", Context.DiscDrive + "\\Kavorin\\signup_torva.isp", "", "", platform::SW_SHOWNORMAL);
}

void TForm1::DebugLabel1Click(platform::TObject* /*Sender*/)
{
    LoadCatalogue();
}

void TForm1::DebugLabel2Click(platform::TObject* /*Sender*/)
{
    ShellExec(Context.DataDir + "TORVAXP.INI", platform::SW_SHOWNORMAL);
}
