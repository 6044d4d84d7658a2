#include "menu/CleanupInstruction.h"

#include "platform/files/Files.h"
#include "platform/text/Text.h"

#include <algorithm>

namespace {

const char* const kMapGroupsKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\GrpConv\\MapGroups";
const char* const kGroupsKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\GrpConv\\Groups";
constexpr size_t MaxRegistryName = 30;

std::string Expanded(const std::string& path)
{
    return platform::GetFullPathName(path);
}

// Catalogues name one Start menu; the setups of the time made their shortcuts per user, and a
// Wine prefix keeps the user's Programs folder apart from the common one.
bool UserProgramsHolds(const std::string& rest, const CleanupFolders& folders, bool folder)
{
    if (folders.UserProgramsDir.empty() || folders.UserProgramsDir == folders.ProgramsDir)
        return false;
    const std::string path = Expanded(folders.UserProgramsDir + rest);
    return folder ? platform::DirectoryExists(path) : platform::FileExists(path);
}

CleanupStep Step(CleanupAction action, std::string target, std::string base = {})
{
    CleanupStep step;
    step.action = action;
    step.target = std::move(target);
    step.base = std::move(base);
    return step;
}

std::vector<CleanupStep> FileSteps(const std::string& instruction, const CleanupFolders& folders)
{
    const std::string rest = instruction.substr(std::min<size_t>(2, instruction.size()));
    auto within = [&](const std::string& folder) {
        return std::vector { Step(CleanupAction::DeleteFile, Expanded(folder + rest), folder) };
    };
    switch (InstructionLetter(instruction, 1)) {
    case '?':
        if (folders.GameDir.empty())
            return {};
        return { Step(CleanupAction::DeleteFile, Expanded(folders.GameDir.substr(0, 1) + rest)) };
    case 'W': return within(folders.WindowsDir);
    case 'S': return within(folders.SystemDir);
    case 'D': return within(folders.DesktopDir);
    case 'P': return within(UserProgramsHolds(rest, folders, false) ? folders.UserProgramsDir : folders.ProgramsDir);
    case 'G':
        if (folders.GameDir.empty())
            return {};
        return { Step(CleanupAction::DeleteFile, Expanded(folders.GameDir + "\\" + rest), folders.GameDir) };
    default:
        return { Step(CleanupAction::DeleteFile, instruction.substr(1)) };
    }
}

std::vector<CleanupStep> FolderSteps(const std::string& instruction, const CleanupFolders& folders)
{
    const char second = InstructionLetter(instruction, 1);
    const std::string rest = instruction.substr(std::min<size_t>(2, instruction.size()));
    if (second == 'C' && InstructionLetter(instruction, 2) == ':')
        return { Step(CleanupAction::AskRemoveTree, instruction.substr(1)) };
    if (second == 'E' && InstructionLetter(instruction, 2) == 'F')
        return { Step(CleanupAction::RemoveEmptyBranch, folders.ProgramFilesDir + instruction.substr(3), folders.ProgramFilesDir) };
    // The remaining forms are relative to the game folder.
    if (folders.GameDir.empty())
        return {};
    if (second == '?')
        return { Step(CleanupAction::AskRemoveTree, folders.GameDir.substr(0, 1) + rest) };
    if (second == 'G') {
        std::string folder = rest.empty() ? folders.GameDir : Expanded(folders.GameDir + "\\" + rest);
        return { Step(CleanupAction::AskRemoveTree, folder, folders.GameDir) };
    }
    if (second == 'E')
        return { Step(CleanupAction::RemoveEmptyBranch, folders.GameDir, folders.GameDir) };
    return {};
}

CleanupStep ValueStep(platform::RootKey root, const std::string& key, const std::string& name)
{
    CleanupStep step = Step(CleanupAction::DeleteValue, key);
    step.root = root;
    step.valueName = name;
    return step;
}

// A Start-menu group goes from each Programs folder that has it.
std::vector<CleanupStep> StartGroupSteps(const std::string& rest, const CleanupFolders& folders)
{
    std::vector<CleanupStep> steps;
    if (UserProgramsHolds(rest, folders, true))
        steps.push_back(Step(CleanupAction::RemoveStartFolder, Expanded(folders.UserProgramsDir + rest), folders.UserProgramsDir));
    steps.push_back(Step(CleanupAction::RemoveStartFolder, Expanded(folders.ProgramsDir + rest), folders.ProgramsDir));
    return steps;
}

std::vector<CleanupStep> ShellSteps(const std::string& instruction, const CleanupFolders& folders)
{
    const std::string rest = instruction.substr(std::min<size_t>(2, instruction.size()));
    switch (InstructionLetter(instruction, 1)) {
    case 'D':
        return { Step(CleanupAction::DeleteFileQuietly, Expanded(folders.DesktopDir + rest), folders.DesktopDir) };
    case 'F': {
        size_t bar = rest.find('|');
        std::string group = rest.substr(0, bar);
        std::string file = bar == std::string::npos ? std::string() : rest.substr(bar + 1, MaxRegistryName);
        std::vector<CleanupStep> steps {
            ValueStep(platform::HKEY_CURRENT_USER, kMapGroupsKey, group),
            ValueStep(platform::HKEY_CURRENT_USER, kGroupsKey, folders.WindowsDir + file),
        };
        if (!file.empty())
            steps.push_back(Step(CleanupAction::DeleteFileQuietly, Expanded(folders.WindowsDir + file), folders.WindowsDir));
        return steps;
    }
    case 'N':
        if (rest.empty() || rest == " ")
            return {};
        return StartGroupSteps(rest, folders);
    default:
        return {};
    }
}

std::vector<CleanupStep> UninstallerSteps(const std::string& instruction, const CleanupFolders& folders)
{
    const std::string rest = instruction.substr(std::min<size_t>(2, instruction.size()));
    switch (InstructionLetter(instruction, 1)) {
    case 'S': return { Step(CleanupAction::RunProgram, folders.SystemDir + rest, folders.SystemDir) };
    case 'U': return { Step(CleanupAction::RunUninstallEntry, rest) };
    default: return {};
    }
}

std::vector<CleanupStep> RegistrySteps(const std::string& instruction)
{
    // Without its root and operation letters an instruction names nothing to delete.
    if (instruction.size() < 3)
        return {};
    std::string text = instruction;
    // The key is always absolute, whether or not the catalogue wrote the backslash.
    if (text.size() < 4 || text[3] != '\\')
        text.insert(3, "\\");
    CleanupStep step;
    step.root = InstructionLetter(text, 1) == 'M' ? platform::HKEY_LOCAL_MACHINE : platform::HKEY_CURRENT_USER;
    step.target = text.substr(3);
    switch (InstructionLetter(text, 2)) {
    case 'D': step.action = CleanupAction::DeleteKey; break;
    case 'E': step.action = CleanupAction::DeleteEmptyKey; break;
    case 'F': {
        step.action = CleanupAction::DeleteValue;
        size_t bar = step.target.find('|');
        step.valueName = bar == std::string::npos ? std::string() : step.target.substr(bar + 1, MaxRegistryName);
        step.target = step.target.substr(0, bar);
        break;
    }
    default: return {};
    }
    return { step };
}

}

std::string TrimmedInstruction(const std::string& text)
{
    size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

char InstructionLetter(const std::string& instruction, size_t i)
{
    return i < instruction.size() ? platform::UpperChar(instruction[i]) : '\0';
}

std::vector<CleanupStep> ReadCleanupInstruction(const std::string& entry, const CleanupFolders& folders)
{
    std::string instruction = TrimmedInstruction(entry);
    switch (InstructionLetter(instruction, 0)) {
    case 'F': return FileSteps(instruction, folders);
    case 'D': return FolderSteps(instruction, folders);
    case 'S': return ShellSteps(instruction, folders);
    case 'U': return UninstallerSteps(instruction, folders);
    case 'R': return RegistrySteps(instruction);
    default: return {};
    }
}

CleanupStep ReadUninstallerMark(const std::string& entry, const CleanupFolders& folders)
{
    return Step(CleanupAction::RunProgram, folders.SystemDir + TrimmedInstruction(entry).substr(1), folders.SystemDir);
}

std::string DescribeCleanupStep(const CleanupStep& step)
{
    switch (step.action) {
    case CleanupAction::DeleteFile:
    case CleanupAction::DeleteFileQuietly: return "delete file " + step.target;
    case CleanupAction::AskRemoveTree: return "remove folder " + step.target;
    case CleanupAction::RemoveEmptyBranch: return "remove empty folders from " + step.target;
    case CleanupAction::RemoveStartFolder: return "remove Start-menu folder " + step.target;
    case CleanupAction::RunProgram: return "run " + step.target;
    case CleanupAction::RunUninstallEntry: return "run the uninstaller of " + step.target;
    case CleanupAction::DeleteKey:
    case CleanupAction::DeleteEmptyKey: return "delete key " + step.target;
    case CleanupAction::DeleteValue: return "delete value " + step.target + "|" + step.valueName;
    }
    return step.target;
}
