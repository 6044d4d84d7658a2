#include "menu/Uninstaller.h"

#include "menu/Launcher.h"

#include "platform/events/EventLoop.h"
#include "platform/files/Files.h"
#include "platform/files/NameFolding.h"
#include "platform/machine/Machine.h"
#include "platform/process/Process.h"
#include "platform/registry/Registry.h"
#include "platform/wine/WineDesktopEntries.h"
#include "shell/PathText.h"

using shell::PostFixDir;

namespace {

const char* const kShellFoldersKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// Shell folders that hold the user's own work, and those where programs keep their files.
const char* const kUserDataFolders[] = { "Personal", "My Pictures", "My Music", "My Video", "Favorites",
    "Common Documents", "CommonPictures", "CommonMusic", "CommonVideo" };
const char* const kProgramDataFolders[] = { "Desktop", "Common Desktop", "Start Menu", "Common Start Menu",
    "Programs", "Common Programs", "Startup", "Common Startup", "AppData", "Local AppData", "Common AppData" };

// The shell folders of both hives, by value name.
std::vector<std::pair<std::string, std::string>> ShellFolders()
{
    std::vector<std::pair<std::string, std::string>> folders;
    for (platform::RootKey root : { platform::HKEY_LOCAL_MACHINE, platform::HKEY_CURRENT_USER }) {
        platform::Registry registry;
        registry.SetRootKey(root);
        if (!registry.OpenKeyReadOnly(kShellFoldersKey))
            continue;
        for (const std::string& name : registry.GetValueNames())
            folders.emplace_back(name, registry.ReadString(name));
    }
    return folders;
}

bool NamedIn(const std::string& name, const auto& list)
{
    for (const char* entry : list) {
        if (platform::EqualsName(name, entry))
            return true;
    }
    return false;
}

}

Uninstaller::Uninstaller(ActionServices services, Launcher& launcher, UninstallerViews views)
    : m_services(std::move(services))
    , m_launcher(launcher)
    , m_views(std::move(views))
{
}

CleanupInterpreter Uninstaller::Interpreter(const TDemos* item) const
{
    return CleanupInterpreter(m_services, m_launcher, std::make_shared<const CleanupPolicy>(CleanupFactsFor(item)));
}

CleanupFacts Uninstaller::CleanupFactsFor(const TDemos* item) const
{
    CleanupFacts facts;
    if (m_services.system.machine)
        facts.PrefixRoot = m_services.system.machine->PrefixRoot();
    const MenuContext& context = m_services.context;
    std::string drive = context.WindowsDir.empty() ? std::string("C:") : context.WindowsDir.substr(0, 2);
    facts.ProtectedFolders = { context.WindowsDir, context.SystemDir, context.ProgramFilesDir, drive + "\\Program Files",
        drive + "\\Program Files (x86)", drive + "\\users", context.ProgramsDir, context.DesktopDir, context.CommonDesktopDir };
    facts.UserFolders = { drive + "\\users" };
    facts.OpenFolders = { context.ProgramsDir, context.DesktopDir, context.CommonDesktopDir };
    for (const auto& [name, folder] : ShellFolders()) {
        facts.ProtectedFolders.push_back(folder);
        if (NamedIn(name, kUserDataFolders))
            facts.UserFolders.push_back(folder);
        else if (NamedIn(name, kProgramDataFolders))
            facts.OpenFolders.push_back(folder);
    }
    facts.KeptFiles = { PostFixDir(context.WindowsDir) + "torva.ini", drive + "\\torva.ini" };
    if (context.StateIni)
        facts.KeptFiles.push_back(context.StateIni->FileName());
    if (item)
        facts.GameDir = item->GameDir;
    // Every game folder the state file records, of this disc and of the others.
    if (context.StateIni) {
        for (const std::string& section : context.StateIni->ReadSections()) {
            if (platform::EqualsName(section, "Main"))
                continue;
            for (const std::string& key : context.StateIni->ReadSection(section)) {
                if (key.empty() || key.back() != '_') {
                    facts.OtherGames.push_back(context.StateIni->ReadString(section, key, ""));
                } else if (!key.ends_with("__") && !(item && platform::EqualsName(key, item->Name + "_"))) {
                    // "GameName,RegUninstall,Uninstall,disc": the entry another item registered.
                    auto fields = shell::SplitList(context.StateIni->ReadString(section, key, ""));
                    if (fields.size() > 1 && !(item && platform::EqualsName(fields[1], item->RegUninstall)))
                        facts.OtherUninstallEntries.push_back(TrimmedInstruction(fields[1]));
                }
            }
        }
    }
    return facts;
}

CleanupFolders Uninstaller::CleanupFoldersFor(const TDemos& item) const
{
    const MenuContext& context = m_services.context;
    return { context.WindowsDir, context.SystemDir, context.DesktopDir, context.ProgramsDir, context.ProgramFilesDir,
        item.GameDir, m_services.status.UserProgramsDir() };
}

// The uninstaller command of an item that has its own (the three OwnSetup methods), from the leading
// marks of its Uninstall text, which loses them on the way.
std::string Uninstaller::UninstallerCommand(TDemos& item, const CleanupInterpreter& cleanup)
{
    bool star = item.Uninstall.starts_with("*");
    std::string rest = star ? item.Uninstall.substr(1) : item.Uninstall;
    std::string command = item.UnInstallName;
    if (rest == "SETUP")
        return item.InstallDir + "\\" + item.InstallName;
    if (rest.starts_with("?")) {
        rest.erase(0, 1);
        for (const std::string& entry : shell::SplitList(rest)) {
            if (InstructionLetter(TrimmedInstruction(entry), 0) != 'S')
                continue;
            CleanupStep step = ReadUninstallerMark(entry, CleanupFoldersFor(item));
            if (cleanup.MayRunCleanupStep(step))
                command = step.target;
        }
    }
    if (rest.starts_with("!")) {
        rest.erase(0, 1);
        command.clear();
    }
    item.Uninstall = (star ? "*" : "") + rest;
    return command;
}

void Uninstaller::UninstallProc(TDemos& item, CategoryCode page)
{
    const std::string savedUninstall = item.Uninstall;
    // The facts are taken before anything runs: what the item's uninstaller leaves behind
    // cannot widen what the clean-up may take.
    CleanupInterpreter cleanup = Interpreter(&item);
    const MenuContext& context = m_services.context;
    auto& guards = m_services.files.Context();
    guards.WindowsDir = context.WindowsDir;
    guards.SystemDir = context.SystemDir;
    guards.ProgramFilesDir = context.ProgramFilesDir;
    guards.ProgramsDir = context.ProgramsDir;

    switch (item.InstallType) {
    case InstallMethod::RunsFromDisc:
        item.GameDir.clear();
        break;
    case InstallMethod::MenuAfterInstall:
    case InstallMethod::MenuUnpacked:
    case InstallMethod::MenuForcedFolder:
    case InstallMethod::MenuFolderOnly:
        cleanup.DeleteQuestion(item.GameDir);
        break;
    case InstallMethod::OwnSetupPolled:
    case InstallMethod::OwnSetupDetected:
    case InstallMethod::OwnSetupProgramFolder:
        m_launcher.WaitExec(UninstallerCommand(item, cleanup), platform::SW_SHOWNORMAL);
        break;
    case InstallMethod::SierraSetup:
        m_launcher.WaitExec(item.GameDir + "\\SETUP.EXE /U", platform::SW_SHOWNORMAL);
        if (!m_launcher.Ending() && !platform::FileExists(item.GameDir + "\\SETUP.EXE")) {
            cleanup.RunCleanupInstruction("SNSierra", CleanupFoldersFor(item));
            if (cleanup.MayRemoveTree(item.GameDir))
                platform::RemoveDirectory(item.GameDir);
        }
        break;
    default:
        break;
    }
    if (m_launcher.Ending()) {
        item.Uninstall = savedUninstall;
        return;
    }

    bool ownUninstaller = item.InstallType == InstallMethod::OwnSetupPolled || item.InstallType == InstallMethod::OwnSetupDetected
        || item.InstallType == InstallMethod::OwnSetupProgramFolder;
    if (item.UnInstallName.empty() && !item.GameDir.empty() && ownUninstaller)
        cleanup.DeleteQuestion(item.GameDir);

    std::string program = item.GameDir + "\\" + shell::CutAfterExtension(shell::CutBeforeColon(item.GameName));
    if (platform::FileExists(program)) {
        // The uninstaller did not run or was cancelled: the item stays installed.
        item.Uninstall = savedUninstall;
        return;
    }

    cleanup.DeleteEmptyBranchBelowKept(item.GameDir);
    if (m_services.system.machine)
        platform::WineDesktopEntries::OfPrefix(m_services.system.machine->PrefixRoot()).RemoveRecorded(item.Name);
    item.Installed = 0;
    item.NeedsInstall = 1;
    item.CanRun = 0;
    if (!item.Uninstall.empty()) {
        std::string list = item.Uninstall.starts_with("*") ? item.Uninstall.substr(1) : item.Uninstall;
        for (const std::string& entry : shell::SplitList(list))
            cleanup.RunCleanupInstruction(entry, CleanupFoldersFor(item));
    }
    if (item.InstallType == InstallMethod::RunsFromDisc) {
        item.Installed = !item.Param.empty() && platform::FileExists(item.Param) ? 1 : 0;
        item.NeedsInstall = 0;
        item.CanRun = 1;
    }
    m_services.system.loop.ProcessMessages();
    cleanup.CleanLeftovers(item.GameDir);

    item.Uninstall = savedUninstall;
    // The item's records in this disc's section go now rather than at some later check, so
    // that the state file never lists a game that was just removed. Entries of the installed
    // page belong to any disc's section; its rebuild below forgets them.
    if (page != CategoryCode::Installed)
        m_services.status.CheckDemo(item);
    if (page == CategoryCode::Installed) {
        ApplyDelete();
    } else {
        m_services.refreshViews();
    }
    m_views.repaint();
    m_services.system.loop.ProcessMessages();
}

void Uninstaller::ApplyDelete()
{
    DiscCatalogue& catalogue = m_services.catalogue;
    for (int32_t n = 1; n <= catalogue.Demos.Count(); ++n)
        m_services.status.CheckDemo(catalogue.Demos[n]);
    for (int32_t n = 1; n <= catalogue.Readers.Count(); ++n)
        m_services.status.CheckDemo(catalogue.Readers[n]);
    for (int32_t n = 1; n <= catalogue.Fulls.Count(); ++n)
        m_services.status.CheckDemo(catalogue.Fulls[n]);
    m_views.showInstalledPage();
}
