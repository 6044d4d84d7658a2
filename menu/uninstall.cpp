// Removing an installed item: its uninstaller, then the catalogue's clean-up instructions and
// the question about what is left of the game folder.
//
// The clean-up language comes from catalogues written for other computers, so every deletion
// is held to this machine: files only inside the prefix, and never a tree that holds the
// system's or the user's shell folders, a drive root, the disc, or a folder reached through a
// symbolic link.

#include "menu/main_f.h"

#include "platform/dialogs/Dialogs.h"
#include "platform/events/EventLoop.h"
#include "platform/files/Files.h"
#include "platform/files/NameFolding.h"
#include "platform/machine/Machine.h"
#include "platform/process/Process.h"
#include "platform/registry/Registry.h"
#include "platform/text/Codepage.h"
#include "platform/text/Text.h"
#include "shell/PathText.h"

#include <cmath>
#include <filesystem>

using platform::UpperCase;
using shell::PostFixDir;

namespace {

const char* const kUninstallKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const char* const kShellFoldersKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

constexpr int32_t DeleteFolderQuestion = 11;
constexpr int32_t LeftoversQuestion = 34;
constexpr int32_t MegabytesQuestion = 35;
constexpr int64_t LargestLeftovers = 262144000;

// Shell folders that hold the user's own work, and those where programs keep their files.
const char* const kUserDataFolders[] = { "Personal", "My Pictures", "My Music", "My Video", "Favorites",
    "Common Documents", "CommonPictures", "CommonMusic", "CommonVideo" };
const char* const kProgramDataFolders[] = { "Desktop", "Common Desktop", "Start Menu", "Common Start Menu",
    "Programs", "Common Programs", "Startup", "Common Startup", "AppData", "Local AppData", "Common AppData" };

// Only what lies inside the machine's own prefix folder is ever deleted: a drive letter that
// maps a host folder elsewhere (Wine's Z: for the whole host) does not widen that.
bool InsidePrefix(const std::filesystem::path& host)
{
    if (!platform::HasCurrentMachine())
        return false;
    std::error_code error;
    auto prefix = std::filesystem::weakly_canonical(platform::CurrentMachine().PrefixRoot(), error);
    if (error)
        return false;
    auto relative = std::filesystem::weakly_canonical(host, error).lexically_relative(prefix);
    return !error && !relative.empty() && *relative.begin() != "..";
}

std::string UninstallStringOfKey(const std::string& name)
{
    platform::Registry registry;
    registry.SetRootKey(platform::HKEY_LOCAL_MACHINE);
    if (!registry.OpenKeyReadOnly(kUninstallKey + name))
        return {};
    return registry.ReadString("UninstallString");
}

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

CleanupFacts TForm1::CleanupFactsFor(const TDemos* item) const
{
    CleanupFacts facts;
    if (platform::HasCurrentMachine())
        facts.PrefixRoot = platform::CurrentMachine().PrefixRoot();
    std::string drive = Context.WindowsDir.empty() ? std::string("C:") : Context.WindowsDir.substr(0, 2);
    facts.ProtectedFolders = { Context.WindowsDir, Context.SystemDir, Context.ProgramFilesDir, drive + "\\Program Files",
        drive + "\\Program Files (x86)", drive + "\\users", Context.ProgramsDir, Context.DesktopDir, Context.CommonDesktopDir };
    facts.UserFolders = { drive + "\\users" };
    facts.OpenFolders = { Context.ProgramsDir, Context.DesktopDir, Context.CommonDesktopDir };
    for (const auto& [name, folder] : ShellFolders()) {
        facts.ProtectedFolders.push_back(folder);
        if (NamedIn(name, kUserDataFolders))
            facts.UserFolders.push_back(folder);
        else if (NamedIn(name, kProgramDataFolders))
            facts.OpenFolders.push_back(folder);
    }
    facts.KeptFiles = { PostFixDir(Context.WindowsDir) + "torva.ini", drive + "\\torva.ini" };
    if (Context.StateIni)
        facts.KeptFiles.push_back(Context.StateIni->FileName());
    if (item)
        facts.GameDir = item->GameDir;
    // Every game folder the state file records, of this disc and of the others.
    if (Context.StateIni) {
        for (const std::string& section : Context.StateIni->ReadSections()) {
            if (platform::EqualsName(section, "Main"))
                continue;
            for (const std::string& key : Context.StateIni->ReadSection(section)) {
                if (key.empty() || key.back() != '_') {
                    facts.OtherGames.push_back(Context.StateIni->ReadString(section, key, ""));
                } else if (!key.ends_with("__") && !(item && platform::EqualsName(key, item->Name + "_"))) {
                    // "GameName,RegUninstall,Uninstall,disc": the entry another item registered.
                    auto fields = shell::SplitList(Context.StateIni->ReadString(section, key, ""));
                    if (fields.size() > 1 && !(item && platform::EqualsName(fields[1], item->RegUninstall)))
                        facts.OtherUninstallEntries.push_back(TrimmedInstruction(fields[1]));
                }
            }
        }
    }
    return facts;
}

CleanupFolders TForm1::CleanupFoldersFor(const TDemos& item) const
{
    return { Context.WindowsDir, Context.SystemDir, Context.DesktopDir, Context.ProgramsDir, Context.ProgramFilesDir, item.GameDir, Status.UserProgramsDir() };
}

void TForm1::NoteDebug(const std::string& text) const
{
    if (m_environment.DebugOutput)
        *m_environment.DebugOutput << "torvaxp: " << platform::Cp1250ToUtf8(text) << "\n";
}

bool TForm1::MayRunCleanupStep(const CleanupStep& step) const
{
    auto policy = m_cleanupPolicy ? m_cleanupPolicy : std::make_shared<const CleanupPolicy>(CleanupFactsFor(nullptr));
    CleanupVerdict verdict = policy->Judge(step);
    if (!verdict)
        NoteDebug("clean-up refused: " + DescribeCleanupStep(step) + ": " + verdict.reason);
    return verdict.allowed;
}

bool TForm1::MayRemoveTree(const std::string& folder, bool emptyOnly) const
{
    if (folder.empty())
        return false;
    std::string full = PostFixDir(platform::GetFullPathName(folder));
    if (full.size() <= 3)
        return false;
    if (!Context.DiscDrive.empty() && platform::EqualsName(full.substr(0, 2), Context.DiscDrive))
        return false;
    auto host = platform::ResolveExisting(full);
    if (!host || !InsidePrefix(*host))
        return false;
    // A folder reached through a link is another folder's content.
    auto real = platform::WindowsPathOf(*host);
    if (!real || !platform::EqualsName(PostFixDir(*real), full))
        return false;
    auto policy = m_cleanupPolicy ? m_cleanupPolicy : std::make_shared<const CleanupPolicy>(CleanupFactsFor(nullptr));
    CleanupVerdict verdict = policy->JudgeFolder(full, emptyOnly);
    if (!verdict && !emptyOnly)
        NoteDebug("clean-up refused: remove folder " + full + ": " + verdict.reason);
    return verdict.allowed;
}

// The climb of DeleteEmptyBranch, stopped below the folders that stay even when empty (an
// empty desktop or program-files folder is still the system's). Levels already gone are
// passed over: an uninstaller often removes the game folder and leaves its parent.
void TForm1::DeleteEmptyBranchBelowKept(const std::string& folder)
{
    std::string path = platform::GetFullPathName(folder);
    if (path.size() > 3 && path.back() == '\\')
        path.pop_back();
    while (path.size() > 3) {
        if (platform::DirectoryExists(path)) {
            if (!MayRemoveTree(path, true))
                return;
            std::string marker = PostFixDir(path) + "MsCreate.Dir";
            if (platform::FileExists(marker)) {
                platform::SetFileAttributes(marker, platform::FILE_ATTRIBUTE_ARCHIVE);
                platform::DeleteFile(marker);
            }
            if (!platform::RemoveDirectory(path))
                return;
        }
        path = shell::GetParentDir(path);
    }
}

void TForm1::DeleteQuestion(const std::string& folder)
{
    // On Windows NT every folder "exists" for DirExists; asking about a folder that is not
    // there would offer to delete nothing.
    if (folder.empty() || !DirExists(folder) || !platform::DirectoryExists(folder) || !MayRemoveTree(folder))
        return;
    std::string upper = UpperCase(folder);
    if (platform::AskYesNo(LoadSpecial(DeleteFolderQuestion, upper)))
        FileTree().RemoveTree(folder);
}

void TForm1::CleanLeftovers(const std::string& folder)
{
    if (folder.empty() || !DirExists(folder) || !platform::DirectoryExists(folder) || !MayRemoveTree(folder))
        return;
    std::string upper = UpperCase(folder);
    int64_t size = FileTree().SizeofTree(upper);
    if (size > LargestLeftovers)
        return;
    // Every size is asked about: no tree goes without the user's word.
    if (!platform::AskYesNo(LoadSpecial(LeftoversQuestion, upper)))
        return;
    double megabytes = std::nearbyint(static_cast<double>(size) / 1024.0 / 1024.0);
    if (megabytes < 1 || platform::AskYesNo(LoadSpecial(MegabytesQuestion, std::to_string(static_cast<int64_t>(megabytes)))))
        FileTree().RemoveTree(upper);
}

void TForm1::RemoveCatalogueFile(const std::string& path, bool report)
{
    if (!FileTree().RemoveFile(path) && report)
        platform::ShowPlainMessage("Can't delete " + path);
}

void TForm1::RunCleanupStep(const CleanupStep& step)
{
    switch (step.action) {
    case CleanupAction::DeleteFile:
        RemoveCatalogueFile(step.target, true);
        DeleteEmptyBranchBelowKept(shell::ExtractFilePath(step.target));
        break;
    case CleanupAction::DeleteFileQuietly:
        RemoveCatalogueFile(step.target, false);
        break;
    case CleanupAction::AskRemoveTree:
        DeleteQuestion(step.target);
        break;
    case CleanupAction::RemoveEmptyBranch:
        DeleteEmptyBranchBelowKept(step.target);
        break;
    case CleanupAction::RemoveStartFolder:
        if (MayRemoveTree(step.target))
            FileTree().RemoveTree(step.target);
        break;
    case CleanupAction::RunProgram:
        platform::ShowPlainMessage(step.target);
        WaitExec(step.target, platform::SW_SHOWNORMAL);
        break;
    case CleanupAction::RunUninstallEntry:
        WaitExec(UninstallStringOfKey(step.target), platform::SW_SHOWNORMAL);
        break;
    case CleanupAction::DeleteKey:
    case CleanupAction::DeleteEmptyKey:
    case CleanupAction::DeleteValue: {
        platform::Registry registry;
        registry.SetRootKey(step.root);
        if (step.action == CleanupAction::DeleteValue) {
            if (!(registry.OpenKey(step.target, false) && registry.DeleteValue(step.valueName)) && Catalogue.DebugMode)
                platform::ShowPlainMessage("Reg Entry not deleted...");
            break;
        }
        if (step.action == CleanupAction::DeleteEmptyKey) {
            // A key with subkeys, or none at all, is left without a word.
            if (!registry.OpenKeyReadOnly(step.target) || registry.HasSubKeys())
                break;
            registry.CloseKey();
        }
        if (!registry.DeleteKey(step.target) && Catalogue.DebugMode)
            platform::ShowPlainMessage("Reg Key not deleted...");
        break;
    }
    }
}

void TForm1::RunCleanupInstruction(const TDemos& item, const std::string& entry)
{
    for (const CleanupStep& step : ReadCleanupInstruction(entry, CleanupFoldersFor(item))) {
        if (MayRunCleanupStep(step))
            RunCleanupStep(step);
    }
}

// The uninstaller command of an item that has its own (the three OwnSetup methods), from the leading
// marks of its Uninstall text, which loses them on the way.
std::string TForm1::UninstallerCommand(TDemos& item)
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
            if (MayRunCleanupStep(step))
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

void TForm1::UninstallProc(TDemos& item)
{
    const std::string savedUninstall = item.Uninstall;
    // The facts are taken before anything runs: what the item's uninstaller leaves behind
    // cannot widen what the clean-up may take.
    m_cleanupPolicy = std::make_shared<const CleanupPolicy>(CleanupFactsFor(&item));
    struct PolicyScope {
        std::shared_ptr<const CleanupPolicy>& policy;
        ~PolicyScope() { policy.reset(); }
    } scope { m_cleanupPolicy };
    auto& guards = FileTree().Context();
    guards.WindowsDir = Context.WindowsDir;
    guards.SystemDir = Context.SystemDir;
    guards.ProgramFilesDir = Context.ProgramFilesDir;
    guards.ProgramsDir = Context.ProgramsDir;

    switch (item.InstallType) {
    case InstallMethod::RunsFromDisc:
        item.GameDir.clear();
        break;
    case InstallMethod::MenuAfterInstall:
    case InstallMethod::MenuUnpacked:
    case InstallMethod::MenuForcedFolder:
    case InstallMethod::MenuFolderOnly:
        DeleteQuestion(item.GameDir);
        break;
    case InstallMethod::OwnSetupPolled:
    case InstallMethod::OwnSetupDetected:
    case InstallMethod::OwnSetupProgramFolder:
        WaitExec(UninstallerCommand(item), platform::SW_SHOWNORMAL);
        break;
    case InstallMethod::SierraSetup:
        WaitExec(item.GameDir + "\\SETUP.EXE /U", platform::SW_SHOWNORMAL);
        if (!platform::FileExists(item.GameDir + "\\SETUP.EXE")) {
            RunCleanupInstruction(item, "SNSierra");
            if (MayRemoveTree(item.GameDir))
                platform::RemoveDirectory(item.GameDir);
        }
        break;
    default:
        break;
    }

    bool ownUninstaller = item.InstallType == InstallMethod::OwnSetupPolled || item.InstallType == InstallMethod::OwnSetupDetected
        || item.InstallType == InstallMethod::OwnSetupProgramFolder;
    if (item.UnInstallName.empty() && !item.GameDir.empty() && ownUninstaller)
        DeleteQuestion(item.GameDir);

    std::string program = item.GameDir + "\\" + shell::CutAfterExtension(shell::CutBeforeColon(item.GameName));
    if (platform::FileExists(program)) {
        // The uninstaller did not run or was cancelled: the item stays installed.
        item.Uninstall = savedUninstall;
        return;
    }

    DeleteEmptyBranchBelowKept(item.GameDir);
    item.Installed = 0;
    item.NeedsInstall = 1;
    item.CanRun = 0;
    if (!item.Uninstall.empty()) {
        std::string list = item.Uninstall.starts_with("*") ? item.Uninstall.substr(1) : item.Uninstall;
        for (const std::string& entry : shell::SplitList(list))
            RunCleanupInstruction(item, entry);
    }
    if (item.InstallType == InstallMethod::RunsFromDisc) {
        item.Installed = !item.Param.empty() && platform::FileExists(item.Param) ? 1 : 0;
        item.NeedsInstall = 0;
        item.CanRun = 1;
    }
    platform::ProcessMessages();
    CleanLeftovers(item.GameDir);

    item.Uninstall = savedUninstall;
    // The item's records in this disc's section go now rather than at some later check, so
    // that the state file never lists a game that was just removed. Entries of the installed
    // page belong to any disc's section; its rebuild below forgets them.
    if (Category != CatInstalled)
        Status.CheckDemo(item);
    if (Category == CatInstalled) {
        ApplyDelete();
    } else {
        RefreshItemViews();
    }
    if (HasWindowLayout())
        Repaint();
    platform::ProcessMessages();
}

void TForm1::ApplyDelete()
{
    for (int32_t n = 1; n <= Catalogue.DemoCount; ++n)
        Status.CheckDemo(Catalogue.Demos[n]);
    for (int32_t n = 1; n <= Catalogue.ReaderCount; ++n)
        Status.CheckDemo(Catalogue.Readers[n]);
    for (int32_t n = 1; n <= Catalogue.FullCount; ++n)
        Status.CheckDemo(Catalogue.Fulls[n]);
    SetInstalledPage();
}
