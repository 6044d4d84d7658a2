// What the action buttons of the detail view, the connect picture and the debug labels do.

#include "menu/form/main_f.h"

#include "dib/image/cDIBImage.h"

#include "platform/components/ExtCtrls.h"
#include "platform/process/Process.h"
#include "platform/text/Text.h"

namespace {

// Demos, extras, readers' contributions, full games and the second demo list: the pages whose
// items are run when they can be and installed otherwise.
bool RunsOrInstalls(CategoryCode category)
{
    return category == CategoryCode::Demos || category == CategoryCode::Extra || category == CategoryCode::Readers
        || category == CategoryCode::Fulls || category == CategoryCode::Extra2;
}

// The folder part of a relative path, without its last backslash.
std::string FolderPart(const std::string& path)
{
    size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

constexpr uint32_t SetupPollIntervalMs = 3000;

bool DriveReady(const MenuEnvironment& environment)
{
    return !environment.Drive || environment.Drive->WaitUntilReady();
}

bool HasScheme(const std::string& address)
{
    std::string upper = platform::UpperCase(address);
    return upper.starts_with("HTTP://") || upper.starts_with("HTTPS://");
}

}

void TForm1::MakeActionParts()
{
    ActionServices services {
        .context = Context,
        .catalogue = Catalogue,
        .status = Status,
        .files = *m_fileTree,
        .cursor = m_environment.Cursor,
        .debugOutput = m_environment.DebugOutput,
        .texts = Texts,
        .showError = [this](const std::string& text) { ShowError(text); },
        .category = Category,
        .itemIndex = ItemIndex,
        .refreshViews = [this] { RefreshItemViews(); },
    };
    m_launcher = std::make_unique<::Launcher>(services, m_environment.PrepareWine);

    InstallerWindow window;
    window.pollTimer = [this]() -> platform::TTimer& {
        // A form without its layout has no Timer1: it gets one of the same setting so that the
        // poll runs there as well.
        if (!Timer1) {
            Timer1 = new platform::TTimer(this);
            Timer1->SetEnabled(false);
            Timer1->SetInterval(SetupPollIntervalMs);
            Timer1->SetOnTimer([this](platform::TObject* sender) { Timer1Timer(sender); });
        }
        return *Timer1;
    };
    window.bringToFront = [this] {
        if (HasWindowLayout())
            BringWindowToFront();
    };
    window.showSetupCommand = m_environment.ShowSetupCommand;
    m_installer = std::make_unique<::Installer>(services, *m_launcher, std::move(window));

    UninstallerViews views;
    views.showInstalledPage = [this] { SetInstalledPage(); };
    views.repaint = [this] {
        if (HasWindowLayout())
            Repaint();
    };
    m_uninstaller = std::make_unique<::Uninstaller>(services, *m_launcher, std::move(views));
}

::Launcher& TForm1::Launcher()
{
    return *m_launcher;
}

::Installer& TForm1::Installer()
{
    return *m_installer;
}

::Uninstaller& TForm1::Uninstaller()
{
    return *m_uninstaller;
}

void TForm1::Timer1Timer(platform::TObject* /*Sender*/)
{
    Installer().PollSetup();
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
    if (Category == CategoryCode::Settings) {
        SwitchSelectedSetting(true);
        return;
    }
    if (!DriveReady(m_environment))
        return;
    if (Category == CategoryCode::Updates) {
        if (ItemIndex >= 1 && ItemIndex <= Catalogue.Updates.Count() && !Catalogue.Updates[ItemIndex].NoRun)
            Launcher().NormalExec(Context.DiscDrive + "\\Updates\\" + Catalogue.Updates[ItemIndex].SetupName, platform::SW_SHOWNORMAL);
        return;
    }
    if (Category == CategoryCode::Movies) {
        if (ItemIndex >= 1 && ItemIndex <= Catalogue.Movies.Count()) {
            const TMovies& film = Catalogue.Movies[ItemIndex];
            Launcher().ShellOpen("OPEN", film.InstallDir + "\\" + film.GameName, "", "", platform::SW_SHOWNORMAL);
        }
        return;
    }
    TDemos* item = SelectedItem();
    if (!item)
        return;
    if (RunsOrInstalls(Category)) {
        if (item->CanRun)
            Launcher().RunProc(*item);
        else
            Installer().InstallProc(*item);
    } else if (Category == CategoryCode::Drivers) {
        Installer().InstallProc(*item);
    } else if (Category == CategoryCode::Installed) {
        Launcher().RunProc(*item);
    } else if (Category == CategoryCode::Shareware) {
        std::string folder = Context.DiscDrive + "\\Shareware\\" + item->InstallDir;
        std::string file = folder + "\\" + item->InstallName;
        // Only the upper-case ".INF" marks a setup information file, as the catalogues write it.
        if (item->InstallName.find(".INF") != std::string::npos)
            Launcher().ShellOpen("INSTALL", file, "", folder, platform::SW_SHOWNORMAL);
        else
            Launcher().NormalExec(file, platform::SW_SHOWNORMAL);
    }
}

void TForm1::StopDIBImageClick(platform::TObject* /*Sender*/)
{
    if (!ActionOffered(StopDIBOff))
        return;
    if (Category == CategoryCode::Settings) {
        SwitchSelectedSetting(false);
        return;
    }
    if (!RunsOrInstalls(Category) && Category != CategoryCode::Installed)
        return;
    if (TDemos* item = SelectedItem())
        Uninstaller().UninstallProc(*item);
}

void TForm1::ReadmeDIBImageClick(platform::TObject* /*Sender*/)
{
    if (!ActionOffered(ReadmeDIBOff) || !DriveReady(m_environment))
        return;
    if (Category == CategoryCode::Updates) {
        if (ItemIndex >= 1 && ItemIndex <= Catalogue.Updates.Count()) {
            const TUpdate& update = Catalogue.Updates[ItemIndex];
            Launcher().ShellExec(Context.DiscDrive + "\\Updates\\" + FolderPart(update.SetupName) + "\\" + update.ReadmeName, platform::SW_SHOWNORMAL);
        }
        return;
    }
    const TDemos* item = SelectedItem();
    if (!item)
        return;
    switch (Category) {
    case CategoryCode::Demos:
    case CategoryCode::Readers:
    case CategoryCode::Fulls:
    case CategoryCode::Extra2:
        Launcher().ShellExec(item->GameDir + "\\" + item->ReadmeName, platform::SW_SHOWNORMAL);
        break;
    case CategoryCode::Extra:
    case CategoryCode::Drivers:
        Launcher().ShellExec(item->InstallDir + "\\" + item->ReadmeName, platform::SW_SHOWNORMAL);
        break;
    case CategoryCode::Shareware:
        Launcher().ShellExec(Context.DiscDrive + "\\Shareware\\" + item->InstallDir + "\\" + item->ReadmeName, platform::SW_SHOWNORMAL);
        break;
    default:
        break;
    }
}

void TForm1::WebDIBImageClick(platform::TObject* /*Sender*/)
{
    if (!ActionOffered(WebDibOff))
        return;
    if (!RunsOrInstalls(Category) && Category != CategoryCode::Drivers)
        return;
    const TDemos* item = SelectedItem();
    if (!item || item->Web.empty())
        return;
    // Catalogues write the address without its scheme, but some carry it: it is not doubled.
    std::string address = HasScheme(item->Web) ? item->Web : "http://" + item->Web;
    Launcher().ShellOpen("OPEN", address, "", "", platform::SW_SHOWNORMAL);
}

void TForm1::Image15Click(platform::TObject* /*Sender*/)
{
    if (!DriveReady(m_environment))
        return;
    Launcher().ShellOpen("OPEN", Context.DiscDrive + "\\Kavorin\\signup_torva.isp", "", "", platform::SW_SHOWNORMAL);
}

void TForm1::DebugLabel1Click(platform::TObject* /*Sender*/)
{
    LoadCatalogue();
}

void TForm1::DebugLabel2Click(platform::TObject* /*Sender*/)
{
    Launcher().ShellExec(Context.DataDir + "TORVAXP.INI", platform::SW_SHOWNORMAL);
}
