// The clean-up language comes from catalogues written for other computers, so every deletion
// is held to this machine: files only inside the prefix, and never a tree that holds the
// system's or the user's shell folders, a drive root, the disc, or a folder reached through a
// symbolic link.

#include "menu/CleanupInterpreter.h"

#include "menu/Launcher.h"

#include "platform/dialogs/Dialogs.h"
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
#include <ostream>

using platform::UpperCase;
using shell::PostFixDir;

namespace {

constexpr int32_t DeleteFolderQuestion = 11;
constexpr int32_t LeftoversQuestion = 34;
constexpr int32_t MegabytesQuestion = 35;
constexpr int64_t LargestLeftovers = 262144000;

// Only what lies inside the machine's own prefix folder is ever deleted: a drive letter that
// maps a host folder elsewhere (Wine's Z: for the whole host) does not widen that.
bool InsidePrefix(const platform::Machine* machine, const std::filesystem::path& host)
{
    if (!machine)
        return false;
    std::error_code error;
    auto prefix = std::filesystem::weakly_canonical(machine->PrefixRoot(), error);
    if (error)
        return false;
    auto relative = std::filesystem::weakly_canonical(host, error).lexically_relative(prefix);
    return !error && !relative.empty() && *relative.begin() != "..";
}

}

CleanupInterpreter::CleanupInterpreter(ActionServices services, Launcher& launcher, std::shared_ptr<const CleanupPolicy> policy)
    : m_services(std::move(services))
    , m_launcher(launcher)
    , m_policy(std::move(policy))
{
}

void CleanupInterpreter::NoteDebug(const std::string& text) const
{
    if (m_services.debugOutput)
        *m_services.debugOutput << "torvaxp: " << platform::Cp1250ToUtf8(text) << "\n";
}

bool CleanupInterpreter::MayRunCleanupStep(const CleanupStep& step) const
{
    CleanupVerdict verdict = m_policy->Judge(step);
    if (!verdict)
        NoteDebug("clean-up refused: " + DescribeCleanupStep(step) + ": " + verdict.reason);
    return verdict.allowed;
}

bool CleanupInterpreter::MayRemoveTree(const std::string& folder, bool emptyOnly) const
{
    if (folder.empty())
        return false;
    std::string full = PostFixDir(platform::GetFullPathName(folder));
    if (full.size() <= 3)
        return false;
    if (!m_services.context.DiscDrive.empty() && platform::EqualsName(full.substr(0, 2), m_services.context.DiscDrive))
        return false;
    auto host = platform::ResolveExisting(full);
    if (!host || !InsidePrefix(m_services.system.machine.get(), *host))
        return false;
    // A folder reached through a link is another folder's content.
    auto real = platform::WindowsPathOf(*host);
    if (!real || !platform::EqualsName(PostFixDir(*real), full))
        return false;
    CleanupVerdict verdict = m_policy->JudgeFolder(full, emptyOnly);
    if (!verdict && !emptyOnly)
        NoteDebug("clean-up refused: remove folder " + full + ": " + verdict.reason);
    return verdict.allowed;
}

// The climb of DeleteEmptyBranch, stopped below the folders that stay even when empty (an
// empty desktop or program-files folder is still the system's). Levels already gone are
// passed over: an uninstaller often removes the game folder and leaves its parent.
void CleanupInterpreter::DeleteEmptyBranchBelowKept(const std::string& folder)
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

// The folder with its contents; the climb over its emptied parents asks the policy about each, so
// that an emptied desktop or application-data folder stays.
void CleanupInterpreter::RemoveTree(const std::string& folder) const
{
    m_services.files.RemoveTree(folder, [this](const std::string& parent) { return MayRemoveTree(parent, true); });
}

void CleanupInterpreter::DeleteQuestion(const std::string& folder)
{
    // On Windows NT every folder "exists" for DirExists; asking about a folder that is not
    // there would offer to delete nothing.
    if (folder.empty() || !m_services.files.DirExists(folder) || !platform::DirectoryExists(folder) || !MayRemoveTree(folder))
        return;
    std::string upper = UpperCase(folder);
    if (m_services.system.dialogs.AskYesNo(m_services.texts.LoadSpecial(DeleteFolderQuestion, upper)))
        RemoveTree(folder);
}

void CleanupInterpreter::CleanLeftovers(const std::string& folder)
{
    if (folder.empty() || !m_services.files.DirExists(folder) || !platform::DirectoryExists(folder) || !MayRemoveTree(folder))
        return;
    std::string upper = UpperCase(folder);
    int64_t size = m_services.files.SizeofTree(upper);
    if (size > LargestLeftovers)
        return;
    // Every size is asked about: no tree goes without the user's word.
    if (!m_services.system.dialogs.AskYesNo(m_services.texts.LoadSpecial(LeftoversQuestion, upper)))
        return;
    double megabytes = std::nearbyint(static_cast<double>(size) / 1024.0 / 1024.0);
    if (megabytes < 1 || m_services.system.dialogs.AskYesNo(m_services.texts.LoadSpecial(MegabytesQuestion, std::to_string(static_cast<int64_t>(megabytes)))))
        RemoveTree(upper);
}

void CleanupInterpreter::RemoveCatalogueFile(const std::string& path, bool report)
{
    if (!m_services.files.RemoveFile(path) && report)
        m_services.system.dialogs.ShowPlain("Can't delete " + path);
}

void CleanupInterpreter::RunCleanupStep(const CleanupStep& step)
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
            RemoveTree(step.target);
        break;
    case CleanupAction::RunProgram:
        m_services.system.dialogs.ShowPlain(step.target);
        m_launcher.WaitExec(step.target, platform::SW_SHOWNORMAL);
        break;
    case CleanupAction::RunUninstallEntry:
        m_launcher.WaitExec(StatusCheck::UninstallStringOf(step.target), platform::SW_SHOWNORMAL);
        break;
    case CleanupAction::DeleteKey:
    case CleanupAction::DeleteEmptyKey:
    case CleanupAction::DeleteValue: {
        platform::Registry registry;
        registry.SetRootKey(step.root);
        if (step.action == CleanupAction::DeleteValue) {
            if (!(registry.OpenKey(step.target, false) && registry.DeleteValue(step.valueName)) && m_services.catalogue.DebugMode)
                m_services.system.dialogs.ShowPlain("Reg Entry not deleted...");
            break;
        }
        if (step.action == CleanupAction::DeleteEmptyKey) {
            // A key with subkeys, or none at all, is left without a word.
            if (!registry.OpenKeyReadOnly(step.target) || registry.HasSubKeys())
                break;
            registry.CloseKey();
        }
        if (!registry.DeleteKey(step.target) && m_services.catalogue.DebugMode)
            m_services.system.dialogs.ShowPlain("Reg Key not deleted...");
        break;
    }
    }
}

void CleanupInterpreter::RunCleanupInstruction(const std::string& entry, const CleanupFolders& folders)
{
    for (const CleanupStep& step : ReadCleanupInstruction(entry, folders)) {
        if (m_launcher.Ending())
            return;
        if (MayRunCleanupStep(step))
            RunCleanupStep(step);
    }
}
