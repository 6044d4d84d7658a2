#include "menu/Installer.h"

#include "menu/Launcher.h"
#include "menu/StateRecords.h"

#include "shell/BusyCursor.h"
#include "platform/components/ExtCtrls.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/events/EventLoop.h"
#include "platform/files/Files.h"
#include "platform/machine/Machine.h"
#include "platform/process/Process.h"
#include "platform/text/Text.h"
#include "platform/wine/WineDesktopEntries.h"
#include "platform/wine/WineTools.h"
#include "shell/PathText.h"

namespace {

constexpr char FirstSearchedDrive = 'C';
constexpr char LastSearchedDrive = 'K';

bool Searchable(uint32_t driveType)
{
    return driveType == platform::DRIVE_FIXED || driveType == platform::DRIVE_REMOVABLE;
}

bool PolledCategory(CategoryCode category)
{
    return category == CategoryCode::Demos || category == CategoryCode::Readers || category == CategoryCode::Extra2;
}

}

Installer::Installer(ActionServices services, Launcher& launcher, InstallerWindow window)
    : m_services(std::move(services))
    , m_launcher(launcher)
    , m_window(std::move(window))
{
}

std::string Installer::SearchDisks(const TDemos& item)
{
    // SearchFile: the file to look for, a number nobody uses, a folder to try first. The
    // number is not read at all, so a catalogue that puts no number there still gets its search.
    std::vector<std::string> entries = shell::SplitList(item.Param);
    auto entry = [&](size_t i) { return i < entries.size() ? entries[i] : std::string(); };
    const std::string fileName = entry(0);
    const std::string firstFolder = entry(2);

    if (!firstFolder.empty() && !item.GameName.empty()
        && platform::FileExists(shell::PostFixDir(firstFolder) + item.GameName))
        return firstFolder;
    if (fileName.empty())
        return {};
    for (char letter = FirstSearchedDrive; letter <= LastSearchedDrive; ++letter) {
        std::string root = std::string(1, letter) + ":\\";
        if (!Searchable(m_services.system.machine ? m_services.system.machine->DriveType(letter) : platform::DRIVE_NO_ROOT_DIR))
            continue;
        std::string found = m_services.files.SearchTree(root, fileName);
        if (!found.empty())
            return found;
    }
    return {};
}

void Installer::InstallProc(TDemos& item, MenuSelection from)
{
    m_window.pollTimer().SetEnabled(false);
    m_installItem = static_cast<uint8_t>(from.index);
    m_installCategory = from.page;
    m_desktopBefore.reset();
    if (platform::WineMenusWanted() && m_services.system.machine)
        m_desktopBefore = platform::WineDesktopEntries::Snapshot();

    if (!item.NeedsInstall) {
        m_launcher.WaitExec(item.GameDir + "\\" + item.SetupName, platform::SW_SHOWNORMAL);
        return;
    }

    const std::string setup = item.InstallDir + "\\" + item.InstallName;
    if (m_window.showSetupCommand)
        m_services.system.dialogs.ShowPlain(setup + " " + item.GameDir);

    switch (item.InstallType) {
    case InstallMethod::OwnSetupPolled:
        m_launcher.NormalExec(setup, platform::SW_SHOWNORMAL);
        m_window.pollTimer().SetEnabled(true);
        break;
    case InstallMethod::OwnSetupDetected:
    case InstallMethod::SierraSetup:
    case InstallMethod::OwnSetupProgramFolder:
    case InstallMethod::WaitedSetup:
    case InstallMethod::WaitedSetupToo: {
        shell::BusyCursor busy(m_services.cursor);
        if (platform::UpperCase(item.InstallName).find("MSI") != std::string::npos) {
            // The shell starts the package and returns at once: the item is polled as for a
            // setup of type 4, or it would show as not installed until its page is opened again.
            m_launcher.ShellExec(setup, platform::SW_SHOWNORMAL);
            m_window.pollTimer().SetEnabled(true);
        } else
            m_launcher.WaitExec(setup, platform::SW_SHOWNORMAL);
        break;
    }
    case InstallMethod::DriverSetup:
        m_launcher.WaitExec(setup, platform::SW_SHOWNORMAL);
        break;
    default:
        break;
    }
    if (m_launcher.Ending())
        return;

    if (item.InstallType == InstallMethod::OwnSetupDetected && item.DirDetect == FolderDetection::DiskSearch) {
        shell::BusyCursor busy(m_services.cursor);
        item.GameDir.clear();
        item.GameDir = SearchDisks(item);
        StateRecords(*m_services.context.StateIni, m_services.context.StateSection()).WriteFolder(item.Name, item.GameDir);
    }

    if (item.InstallType != InstallMethod::OwnSetupPolled) {
        // The user may have moved on while the setup ran; the item's page comes back.
        m_window.bringBack({ m_installCategory, m_installItem });
        m_window.bringToFront();
        m_services.status.CheckDemo(item);
        RecordDesktopEntries(item);
        if (m_services.cursor)
            m_services.cursor->ShowDefault();
        m_services.system.loop.ProcessMessages();
    }
    m_services.refreshViews();
}

void Installer::RecordDesktopEntries(const TDemos& item)
{
    if (!m_desktopBefore || !item.CanRun || !m_services.system.machine)
        return;
    platform::WineDesktopEntries::OfPrefix(m_services.system.machine->PrefixRoot()).RecordNew(item.Name, *m_desktopBefore);
    m_desktopBefore.reset();
}

void Installer::PollSetup(CategoryCode shownPage)
{
    if (!PolledCategory(m_installCategory))
        return;
    TDemos* item = m_services.catalogue.ItemOf(m_installCategory, m_installItem);
    if (!item)
        return;
    m_services.status.CheckDemo(*item);
    if (!item->CanRun)
        return;
    RecordDesktopEntries(*item);
    // Only while the item's own page is on screen is it selected again: its number means
    // another item (or none) on any other page.
    if (shownPage == m_installCategory)
        m_window.bringBack({ m_installCategory, m_installItem });
    m_services.refreshViews();
    m_window.pollTimer().SetEnabled(false);
    if (m_services.cursor)
        m_services.cursor->ShowDefault();
}
