// Installing an item: its own setup from the disc, then finding out where the item went.

#include "menu/main_f.h"

#include "shell/BusyCursor.h"
#include "platform/components/ExtCtrls.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/events/EventLoop.h"
#include "platform/files/Files.h"
#include "platform/machine/Machine.h"
#include "platform/process/Process.h"
#include "platform/text/Text.h"
#include "shell/PathText.h"

namespace {

constexpr uint32_t SetupPollIntervalMs = 3000;
constexpr char FirstSearchedDrive = 'C';
constexpr char LastSearchedDrive = 'K';

bool Searchable(uint32_t driveType)
{
    return driveType == platform::DRIVE_FIXED || driveType == platform::DRIVE_REMOVABLE;
}

bool PolledCategory(int32_t category)
{
    return category == CatDemos || category == CatReaders || category == CatExtra2;
}

}

platform::TTimer& TForm1::SetupPollTimer()
{
    // A form without its layout has no Timer1: it gets one of the same setting so that the
    // poll runs there as well.
    if (!Timer1) {
        Timer1 = new platform::TTimer(this);
        Timer1->SetEnabled(false);
        Timer1->SetInterval(SetupPollIntervalMs);
        Timer1->SetOnTimer([this](platform::TObject* sender) { Timer1Timer(sender); });
    }
    return *Timer1;
}

std::string TForm1::SearchDisks(const TDemos& item)
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
        if (!Searchable(platform::GetDriveTypeA(root)))
            continue;
        std::string found = FileTree().SearchTree(root, fileName);
        if (!found.empty())
            return found;
    }
    return {};
}

void TForm1::InstallProc(TDemos& item)
{
    SetupPollTimer().SetEnabled(false);
    InstallItem = static_cast<uint8_t>(ItemIndex);
    InstallCategory = static_cast<uint8_t>(Category);

    if (!item.NeedsInstall) {
        WaitExec(item.GameDir + "\\" + item.SetupName, platform::SW_SHOWNORMAL);
        return;
    }

    const std::string setup = item.InstallDir + "\\" + item.InstallName;
    if (m_environment.ShowSetupCommand)
        platform::ShowPlainMessage(setup + " " + item.GameDir);

    switch (item.InstallType) {
    case InstallMethod::OwnSetupPolled:
        NormalExec(setup, platform::SW_SHOWNORMAL);
        SetupPollTimer().SetEnabled(true);
        break;
    case InstallMethod::OwnSetupDetected:
    case InstallMethod::SierraSetup:
    case InstallMethod::OwnSetupProgramFolder:
    case InstallMethod::WaitedSetup:
    case InstallMethod::WaitedSetupToo: {
        shell::BusyCursor busy(m_environment.Cursor);
        if (platform::UpperCase(item.InstallName).find("MSI") != std::string::npos) {
            // The shell starts the package and returns at once: the item is polled as for a
            // setup of type 4, or it would show as not installed until its page is opened again.
            ShellExec(setup, platform::SW_SHOWNORMAL);
            SetupPollTimer().SetEnabled(true);
        } else
            WaitExec(setup, platform::SW_SHOWNORMAL);
        break;
    }
    case InstallMethod::DriverSetup:
        WaitExec(setup, platform::SW_SHOWNORMAL);
        break;
    default:
        break;
    }

    if (item.InstallType == InstallMethod::OwnSetupDetected && item.DirDetect == FolderDetection::DiskSearch) {
        shell::BusyCursor busy(m_environment.Cursor);
        item.GameDir.clear();
        item.GameDir = SearchDisks(item);
        Context.StateIni->WriteString(Context.StateSection(), item.Name, item.GameDir);
    }

    if (item.InstallType != InstallMethod::OwnSetupPolled) {
        // The user may have moved on while the setup ran; the item's page comes back.
        ItemIndex = InstallItem;
        Category = InstallCategory;
        if (HasWindowLayout())
            BringWindowToFront();
        Status.CheckDemo(item);
        if (m_environment.Cursor)
            m_environment.Cursor->ShowDefault();
        platform::ProcessMessages();
    }
    RefreshItemViews();
}

void TForm1::Timer1Timer(platform::TObject* /*Sender*/)
{
    if (!PolledCategory(InstallCategory))
        return;
    TDemos* item = Catalogue.ItemOf(InstallCategory, InstallItem);
    if (!item)
        return;
    Status.CheckDemo(*item);
    if (!item->CanRun)
        return;
    // Only while the item's own page is on screen is it selected again: its number means
    // another item (or none) on any other page.
    if (Category == InstallCategory)
        ItemIndex = InstallItem;
    if (HasWindowLayout()) {
        FillList();
        platform::ProcessMessages();
        ProcessPage();
    }
    SetupPollTimer().SetEnabled(false);
    if (m_environment.Cursor)
        m_environment.Cursor->ShowDefault();
}
