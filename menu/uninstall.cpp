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
#include "platform/text/Text.h"
#include "shell/PathText.h"

#include <cmath>
#include <filesystem>

using platform::UpperCase;
using shell::PostFixDir;

namespace {

const char* const kUninstallKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const char* const kMapGroupsKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\GrpConv\\MapGroups";
const char* const kGroupsKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\GrpConv\\Groups";

constexpr int32_t DeleteFolderQuestion = 11;
constexpr int32_t LeftoversQuestion = 34;
constexpr int32_t MegabytesQuestion = 35;
constexpr int64_t LargestLeftovers = 262144000;
constexpr size_t MaxRegistryName = 30;

// Keys that hold what many programs share; a clean-up that names one of them (or a key at the
// top of a hive) is refused.
const char* const kSharedKeys[] = {
    "SOFTWARE\\MICROSOFT",
    "SOFTWARE\\MICROSOFT\\WINDOWS",
    "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION",
    "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\UNINSTALL",
    "SOFTWARE\\MICROSOFT\\WINDOWS NT",
    "SOFTWARE\\CLASSES",
    "SOFTWARE\\WINE",
    "SOFTWARE\\WOW6432NODE",
};

std::string Expanded(const std::string& path)
{
    return platform::GetFullPathName(path);
}

std::string Trimmed(const std::string& text)
{
    size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

char UpperAt(const std::string& text, size_t i)
{
    return i < text.size() ? platform::UpperChar(text[i]) : '\0';
}

// True when `folder` is `other` or one of the folders above it.
bool HoldsOrIs(const std::string& folder, const std::string& other)
{
    std::string a = platform::FoldName(PostFixDir(Expanded(folder)));
    std::string b = platform::FoldName(PostFixDir(Expanded(other)));
    return !a.empty() && b.starts_with(a);
}

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

bool FileInsidePrefix(const std::string& path)
{
    auto host = platform::ResolveExisting(path);
    return host && InsidePrefix(*host);
}

std::vector<std::string> KeyComponents(const std::string& key)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= key.size()) {
        size_t slash = key.find('\\', start);
        size_t end = slash == std::string::npos ? key.size() : slash;
        if (end > start)
            parts.push_back(UpperCase(key.substr(start, end - start)));
        if (slash == std::string::npos)
            break;
        start = slash + 1;
    }
    return parts;
}

bool MayDeleteKey(const std::string& key)
{
    std::vector<std::string> parts = KeyComponents(key);
    if (parts.size() < 2)
        return false;
    std::string joined;
    for (const std::string& part : parts)
        joined += (joined.empty() ? "" : "\\") + part;
    for (const char* shared : kSharedKeys) {
        if (joined == shared)
            return false;
    }
    return true;
}

platform::RootKey RootOf(char letter)
{
    switch (letter) {
    case 'M': return platform::HKEY_LOCAL_MACHINE;
    case 'U': return platform::HKEY_CURRENT_USER;
    default: return platform::HKEY_CURRENT_USER;
    }
}

std::string UninstallStringOfKey(const std::string& name)
{
    platform::Registry registry;
    registry.SetRootKey(platform::HKEY_LOCAL_MACHINE);
    if (!registry.OpenKeyReadOnly(kUninstallKey + name))
        return {};
    return registry.ReadString("UninstallString");
}

void DeleteRegistryValue(platform::RootKey root, const std::string& key, const std::string& name)
{
    platform::Registry registry;
    registry.SetRootKey(root);
    if (registry.OpenKey(key, false))
        registry.DeleteValue(name);
}

}

bool TForm1::MayRemoveTree(const std::string& folder) const
{
    if (folder.empty())
        return false;
    std::string full = PostFixDir(Expanded(folder));
    if (full.size() <= 3)
        return false;
    if (!DiscDrive.empty() && platform::EqualsName(full.substr(0, 2), DiscDrive))
        return false;
    auto host = platform::ResolveExisting(full);
    if (!host || !InsidePrefix(*host))
        return false;
    auto real = platform::WindowsPathOf(*host);
    if (!real || !platform::EqualsName(PostFixDir(*real), full))
        return false;
    for (const std::string* kept : { &WindowsDir, &SystemDir, &ProgramFilesDir, &ProgramsDir, &DesktopDir, &CommonDesktopDir }) {
        if (!kept->empty() && HoldsOrIs(full, *kept))
            return false;
    }
    return !HoldsOrIs(full, "C:\\Program Files\\");
}

// The climb of DeleteEmptyBranch, stopped below the folders that stay even when empty (an
// empty desktop or program-files folder is still the system's). Levels already gone are
// passed over: an uninstaller often removes the game folder and leaves its parent.
void TForm1::DeleteEmptyBranchBelowKept(const std::string& folder)
{
    std::string path = Expanded(folder);
    if (path.size() > 3 && path.back() == '\\')
        path.pop_back();
    while (path.size() > 3) {
        if (platform::DirectoryExists(path)) {
            if (!MayRemoveTree(path))
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
    bool removed = FileInsidePrefix(path) && FileTree().RemoveFile(path);
    if (!removed && report)
        platform::ShowPlainMessage("Can't delete " + path);
}

void TForm1::RunFileInstruction(const TDemos& item, const std::string& instruction)
{
    const std::string rest = instruction.substr(std::min<size_t>(2, instruction.size()));
    std::string path;
    switch (UpperAt(instruction, 1)) {
    case '?':
        if (item.GameDir.empty())
            return;
        path = item.GameDir.substr(0, 1) + rest;
        break;
    case 'W': path = Expanded(WindowsDir + rest); break;
    case 'S': path = Expanded(SystemDir + rest); break;
    case 'D': path = Expanded(DesktopDir + rest); break;
    case 'P': path = Expanded(ProgramsDir + rest); break;
    case 'G':
        if (item.GameDir.empty())
            return;
        path = Expanded(item.GameDir + "\\" + rest);
        break;
    default: path = instruction.substr(1); break;
    }
    RemoveCatalogueFile(path, true);
    DeleteEmptyBranchBelowKept(shell::ExtractFilePath(path));
}

void TForm1::RunFolderInstruction(const TDemos& item, const std::string& instruction)
{
    const char second = UpperAt(instruction, 1);
    const std::string rest = instruction.substr(std::min<size_t>(2, instruction.size()));
    if (second == 'C' && UpperAt(instruction, 2) == ':') {
        DeleteQuestion(instruction.substr(1));
    } else if (second == 'E' && UpperAt(instruction, 2) == 'F') {
        DeleteEmptyBranchBelowKept(ProgramFilesDir + instruction.substr(3));
    } else if (item.GameDir.empty()) {
        // The remaining forms are relative to the game folder, which is not known.
    } else if (second == '?') {
        DeleteQuestion(item.GameDir.substr(0, 1) + rest);
    } else if (second == 'G') {
        DeleteQuestion(rest.empty() ? item.GameDir : Expanded(item.GameDir + "\\" + rest));
    } else if (second == 'E') {
        DeleteEmptyBranchBelowKept(item.GameDir);
    }
}

void TForm1::RunShellInstruction(const std::string& instruction)
{
    const std::string rest = instruction.substr(std::min<size_t>(2, instruction.size()));
    switch (UpperAt(instruction, 1)) {
    case 'D':
        RemoveCatalogueFile(Expanded(DesktopDir + rest), false);
        break;
    case 'F': {
        size_t bar = rest.find('|');
        std::string group = rest.substr(0, bar);
        std::string file = bar == std::string::npos ? std::string() : rest.substr(bar + 1, MaxRegistryName);
        DeleteRegistryValue(platform::HKEY_CURRENT_USER, kMapGroupsKey, group);
        DeleteRegistryValue(platform::HKEY_CURRENT_USER, kGroupsKey, WindowsDir + file);
        if (!file.empty())
            RemoveCatalogueFile(WindowsDir + file, false);
        break;
    }
    case 'N':
        RemoveStartFolderWithinPrefix(rest);
        break;
    default:
        break;
    }
}

void TForm1::RunUninstallerInstruction(const std::string& instruction)
{
    const std::string rest = instruction.substr(std::min<size_t>(2, instruction.size()));
    switch (UpperAt(instruction, 1)) {
    case 'S': {
        std::string command = SystemDir + rest;
        platform::ShowPlainMessage(command);
        WaitExec(command, platform::SW_SHOWNORMAL);
        break;
    }
    case 'U':
        WaitExec(UninstallStringOfKey(rest), platform::SW_SHOWNORMAL);
        break;
    default:
        break;
    }
}

void TForm1::RunRegistryInstruction(const std::string& instruction)
{
    // Without its root and operation letters an instruction names nothing to delete.
    if (instruction.size() < 3)
        return;
    std::string text = instruction;
    if (text.size() < 4 || text[3] != '\\')
        text.insert(3, "\\");
    const char operation = UpperAt(text, 2);
    std::string key = text.substr(3);
    std::string value;
    if (operation == 'F') {
        size_t bar = key.find('|');
        value = bar == std::string::npos ? std::string() : key.substr(bar + 1, MaxRegistryName);
        key = key.substr(0, bar);
    }
    platform::Registry registry;
    registry.SetRootKey(RootOf(UpperAt(text, 1)));
    switch (operation) {
    case 'D':
        if ((!MayDeleteKey(key) || !registry.DeleteKey(key)) && DebugMode)
            platform::ShowPlainMessage("Reg Key not deleted...");
        break;
    case 'E':
        if (registry.OpenKeyReadOnly(key) && !registry.HasSubKeys()) {
            registry.CloseKey();
            if ((!MayDeleteKey(key) || !registry.DeleteKey(key)) && DebugMode)
                platform::ShowPlainMessage("Reg Key not deleted...");
        }
        break;
    case 'F':
        if (!(registry.OpenKey(key, false) && registry.DeleteValue(value)) && DebugMode)
            platform::ShowPlainMessage("Reg Entry not deleted...");
        break;
    default:
        break;
    }
}

void TForm1::RunCleanupInstruction(const TDemos& item, const std::string& entry)
{
    std::string instruction = Trimmed(entry);
    switch (UpperAt(instruction, 0)) {
    case 'F': RunFileInstruction(item, instruction); break;
    case 'D': RunFolderInstruction(item, instruction); break;
    case 'S': RunShellInstruction(instruction); break;
    case 'U': RunUninstallerInstruction(instruction); break;
    case 'R': RunRegistryInstruction(instruction); break;
    default: break;
    }
}

void TForm1::RemoveStartFolderWithinPrefix(const std::string& name)
{
    if (name.empty() || name == " ")
        return;
    if (MayRemoveTree(ProgramsDir + name))
        FileTree().RemoveStartFolder(name);
}

// The uninstaller command of an item that has its own (InstallType 4, 5, 7), from the leading
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
            std::string instruction = Trimmed(entry);
            if (UpperAt(instruction, 0) == 'S')
                command = SystemDir + instruction.substr(1);
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
    auto& guards = FileTree().Context();
    guards.WindowsDir = WindowsDir;
    guards.SystemDir = SystemDir;
    guards.ProgramFilesDir = ProgramFilesDir;
    guards.ProgramsDir = ProgramsDir;

    switch (item.InstallType) {
    case 0:
        item.GameDir.clear();
        break;
    case 1:
    case 2:
    case 3:
    case 11:
        DeleteQuestion(item.GameDir);
        break;
    case 4:
    case 5:
    case 7:
        WaitExec(UninstallerCommand(item), platform::SW_SHOWNORMAL);
        break;
    case 6:
        WaitExec(item.GameDir + "\\SETUP.EXE /U", platform::SW_SHOWNORMAL);
        if (!platform::FileExists(item.GameDir + "\\SETUP.EXE")) {
            RemoveStartFolderWithinPrefix("Sierra");
            if (MayRemoveTree(item.GameDir))
                platform::RemoveDirectory(item.GameDir);
        }
        break;
    default:
        break;
    }

    bool ownUninstaller = item.InstallType == 4 || item.InstallType == 5 || item.InstallType == 7;
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
    if (item.InstallType == 0) {
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
        CheckDemo(item);
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
    for (int32_t n = 1; n <= DemoCount; ++n)
        CheckDemo(Demos[n]);
    for (int32_t n = 1; n <= ReaderCount; ++n)
        CheckDemo(Readers[n]);
    for (int32_t n = 1; n <= FullCount; ++n)
        CheckDemo(Fulls[n]);
    SetInstalledPage();
}
