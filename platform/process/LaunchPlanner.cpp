#include "platform/process/LaunchPlanner.h"

#include "platform/files/Files.h"
#include "platform/machine/Machine.h"
#include "platform/text/Codepage.h"
#include "platform/wine/WineTools.h"

#include <array>
#include <fstream>
#include <unistd.h>

namespace platform {

namespace {

constexpr size_t kFirstBytes = 64;
// A new-header offset beyond this is no executable we would run.
constexpr size_t kMaxHeaderBytes = 1 << 20;

std::string Upper(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

bool IsAbsoluteWindowsPath(std::string_view path)
{
    return (path.size() >= 2 && path[1] == ':') || (!path.empty() && (path[0] == '\\' || path[0] == '/'));
}

std::string FolderOf(const std::string& winPath)
{
    size_t slash = winPath.find_last_of("\\/");
    if (slash == std::string::npos)
        return {};
    if (slash == 2 && winPath[1] == ':')
        return winPath.substr(0, 3);
    return winPath.substr(0, slash);
}

std::string ExtensionOf(const std::string& winPath)
{
    size_t slash = winPath.find_last_of("\\/");
    size_t dot = winPath.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    return Upper(winPath.substr(dot));
}

// Names that programs carry: Windows' own program extensions, the host's script and binary
// ones, and none at all.
bool MayBeProgram(const std::string& extension)
{
    for (const char* known : { "", ".EXE", ".COM", ".BAT", ".CMD", ".PIF", ".SCR", ".SH", ".RUN", ".BIN" }) {
        if (extension == known)
            return true;
    }
    return false;
}

std::string Join(const std::string& folder, std::string_view name)
{
    if (folder.empty() || folder.back() == '\\')
        return folder + std::string(name);
    return folder + "\\" + std::string(name);
}

struct ResolvedFile {
    std::string winPath; // canonical spelling, as the drive stores it
    std::filesystem::path host;
};

std::optional<ResolvedFile> ResolveFile(const std::string& winPath)
{
    std::string full = GetFullPathName(winPath);
    if (full.empty() || !FileExists(full))
        return std::nullopt;
    auto host = ResolveExisting(full);
    if (!host)
        return std::nullopt;
    auto canonical = WindowsPathOf(*host);
    return ResolvedFile { canonical ? *canonical : full, *host };
}

// As CreateProcess looks for a program: the name as given (relative ones in the current
// folder, then the system and Windows folders), each also with ".exe" when it has no extension.
std::optional<ResolvedFile> ResolveProgram(std::string_view name, const std::string& currentDirectory)
{
    if (name.empty())
        return std::nullopt;
    std::vector<std::string> candidates;
    if (IsAbsoluteWindowsPath(name)) {
        candidates.emplace_back(name);
    } else {
        candidates.push_back(Join(currentDirectory.empty() ? GetCurrentDirectory() : currentDirectory, name));
        if (HasCurrentMachine()) {
            candidates.push_back(Join(GetSystemDirectoryA(), name));
            candidates.push_back(Join(GetWindowsDirectoryA(), name));
        }
    }
    for (const auto& candidate : candidates) {
        if (auto found = ResolveFile(candidate))
            return found;
        if (ExtensionOf(candidate).empty()) {
            if (auto found = ResolveFile(candidate + ".exe"))
                return found;
        }
    }
    return std::nullopt;
}

ExecutableKind ClassifyHostFile(const std::filesystem::path& host)
{
    std::ifstream in(host, std::ios::binary);
    if (!in)
        return ExecutableKind::None;
    std::string bytes(kFirstBytes, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(in.gcount()));
    size_t needed = ExecutableHeaderBytesNeeded(bytes);
    if (needed > bytes.size() && needed <= kMaxHeaderBytes) {
        size_t had = bytes.size();
        bytes.resize(needed);
        in.read(bytes.data() + had, static_cast<std::streamsize>(needed - had));
        bytes.resize(had + static_cast<size_t>(in.gcount()));
    }
    return ClassifyExecutable(bytes);
}

ExecutableKind KindOf(const std::filesystem::path& host, const PlanOptions& options)
{
    ExecutableKind kind = ClassifyHostFile(host);
    if (kind == ExecutableKind::None && !options.examineContent)
        return ExecutableKind::Windows;
    return kind;
}

struct ProgramAndArguments {
    std::optional<ResolvedFile> program;
    std::vector<std::string> arguments; // after the program, CP1250
};

std::vector<std::string> ArgumentsAfterProgram(std::string_view rest)
{
    // A placeholder program name lets the rest be split with the rules for later arguments.
    auto split = SplitCommandLine("x " + std::string(rest));
    split.erase(split.begin());
    return split;
}

// An unquoted program path may hold blanks, as old uninstall strings do: CreateProcess tries
// each blank as the end of the name, shortest first, and takes the first that names a file.
ProgramAndArguments FindProgram(const ProcessStart& start, const std::string& currentDirectory)
{
    ProgramAndArguments found;
    const std::string& line = start.commandLine;
    if (!start.applicationName.empty()) {
        found.program = ResolveProgram(start.applicationName, currentDirectory);
        auto split = SplitCommandLine(line);
        if (!split.empty())
            split.erase(split.begin());
        found.arguments = split;
        return found;
    }
    if (line.empty())
        return found;
    if (line[0] == '"') {
        auto split = SplitCommandLine(line);
        found.program = ResolveProgram(split[0], currentDirectory);
        split.erase(split.begin());
        found.arguments = split;
        return found;
    }
    for (size_t end = line.find_first_of(" \t");; end = line.find_first_of(" \t", end + 1)) {
        std::string name = line.substr(0, end);
        if (auto program = ResolveProgram(name, currentDirectory)) {
            found.program = program;
            if (end != std::string::npos)
                found.arguments = ArgumentsAfterProgram(std::string_view(line).substr(end));
            return found;
        }
        if (end == std::string::npos)
            return found;
    }
}

std::vector<std::string> ToHost(const std::vector<std::string>& arguments)
{
    std::vector<std::string> host;
    host.reserve(arguments.size());
    for (const auto& argument : arguments)
        host.push_back(Cp1250ToUtf8(argument));
    return host;
}

std::optional<std::string> HostFolder(const std::string& winFolder)
{
    if (!DirectoryExists(winFolder))
        return std::nullopt;
    auto host = ResolveExisting(GetFullPathName(winFolder));
    if (!host)
        return std::nullopt;
    return host->string();
}

LaunchPlan BasePlan(const std::filesystem::path& prefixRoot)
{
    LaunchPlan plan;
    plan.environment["WINEPREFIX"] = std::filesystem::absolute(prefixRoot).lexically_normal().string();
    return plan;
}

// The chosen wine, with the environment every start of Wine gets.
void UseWine(LaunchPlan& plan, const std::filesystem::path& prefixRoot, const PlanOptions& options)
{
    plan.kind = LaunchKind::Wine;
    plan.hostProgram = options.wine.wine;
    for (auto& [name, value] : WineEnvironment(prefixRoot))
        plan.environment[name] = value;
}

// Windows programs run through wine with their Windows path, so that wine finds them through
// the same drives we do.
void RunThroughWine(LaunchPlan& plan, const std::filesystem::path& prefixRoot, const PlanOptions& options,
    const ResolvedFile& program, const std::vector<std::string>& arguments)
{
    UseWine(plan, prefixRoot, options);
    plan.arguments = { Cp1250ToUtf8(program.winPath) };
    for (auto& argument : ToHost(arguments))
        plan.arguments.push_back(std::move(argument));
}

bool IsAddress(const std::string& file)
{
    std::string upper = Upper(file);
    return upper.find("://") != std::string::npos || upper.rfind("MAILTO:", 0) == 0 || upper.rfind("WWW.", 0) == 0;
}

// Only web and mail addresses leave through the opener: "file://" and the like would reach
// host files outside the machine's drives.
bool IsOpenableAddress(const std::string& file)
{
    std::string upper = Upper(file);
    for (const char* scheme : { "HTTP://", "HTTPS://", "FTP://", "MAILTO:", "WWW." }) {
        if (upper.rfind(scheme, 0) == 0)
            return true;
    }
    return false;
}

}

bool HostToolOnPath(std::string_view name)
{
    return name.find('/') == std::string_view::npos && !HostExecutable(name).empty();
}

bool NeedsWine(const std::string& commandLine)
{
    ProcessStart start;
    start.commandLine = commandLine;
    ProgramAndArguments found = FindProgram(start, {});
    if (!found.program)
        return false;
    return ExtensionOf(found.program->winPath) == ".MSI" || ClassifyHostFile(found.program->host) == ExecutableKind::Windows;
}

bool WinePrefixReady(const std::filesystem::path& prefixRoot)
{
    std::error_code error;
    return std::filesystem::exists(prefixRoot / ".update-timestamp", error);
}

PlanOptions HostPlanOptions()
{
    PlanOptions options;
    options.wine = CurrentWineTools();
    options.wineAvailable = !HostExecutable(options.wine.wine).empty();
    options.openerAvailable = HostToolOnPath("xdg-open");
    return options;
}

std::optional<LaunchPlan> PlanProcessStart(const ProcessStart& start, const std::filesystem::path& prefixRoot,
    const PlanOptions& options)
{
    ProgramAndArguments found = FindProgram(start, start.currentDirectory);
    if (!found.program)
        return std::nullopt;
    const ResolvedFile& program = *found.program;
    std::string folder = start.currentDirectory.empty() ? FolderOf(program.winPath) : start.currentDirectory;
    auto hostFolder = HostFolder(folder);
    if (!hostFolder)
        return std::nullopt;

    LaunchPlan plan = BasePlan(prefixRoot);
    plan.program = program.winPath;
    plan.hostDirectory = *hostFolder;
    switch (KindOf(program.host, options)) {
    case ExecutableKind::Native:
        plan.kind = LaunchKind::Native;
        plan.hostProgram = program.host.string();
        plan.arguments = ToHost(found.arguments);
        return plan;
    case ExecutableKind::Windows:
        if (!options.wineAvailable)
            return std::nullopt;
        RunThroughWine(plan, prefixRoot, options, program, found.arguments);
        return plan;
    case ExecutableKind::None:
        break;
    }
    return std::nullopt;
}

LaunchPlan PlanWinePreparation(const std::filesystem::path& prefixRoot, const PlanOptions& options)
{
    LaunchPlan plan = BasePlan(prefixRoot);
    UseWine(plan, prefixRoot, options);
    plan.arguments = { "cmd.exe", "/c", "exit" };
    plan.hostDirectory = (std::filesystem::absolute(prefixRoot).lexically_normal() / "drive_c").string();
    plan.environment["WINEDLLOVERRIDES"] = WineEnvironment(prefixRoot, "mscoree,mshtml=").at("WINEDLLOVERRIDES");
    plan.removedEnvironment = { "DISPLAY", "WAYLAND_DISPLAY" };
    return plan;
}

ShellPlan PlanShellExecute(const ShellExecuteRequest& request, const std::filesystem::path& prefixRoot,
    const PlanOptions& options)
{
    ShellPlan result;
    std::string verb = Upper(request.verb);
    if (!verb.empty() && verb != "OPEN" && verb != "PLAY" && verb != "INSTALL") {
        result.result = SE_ERR_NOASSOC;
        return result;
    }
    if (request.file.empty())
        return result;

    LaunchPlan plan = BasePlan(prefixRoot);
    plan.program = request.file;
    if (IsAddress(request.file)) {
        if (!options.openerAvailable || !IsOpenableAddress(request.file)) {
            result.result = SE_ERR_NOASSOC;
            return result;
        }
        plan.kind = LaunchKind::Opener;
        plan.hostProgram = "xdg-open";
        plan.arguments = { Cp1250ToUtf8(request.file) };
        plan.hostDirectory = std::filesystem::absolute(prefixRoot).string();
        result.plan = plan;
        result.result = SE_SUCCESS;
        return result;
    }

    if (!request.directory.empty() && !DirectoryExists(request.directory)) {
        result.result = SE_ERR_PNF;
        return result;
    }
    std::string winFile = IsAbsoluteWindowsPath(request.file)
        ? request.file
        : Join(request.directory.empty() ? GetCurrentDirectory() : request.directory, request.file);
    auto file = ResolveFile(winFile);
    if (!file)
        return result;
    auto hostFolder = HostFolder(request.directory.empty() ? FolderOf(file->winPath) : request.directory);
    if (!hostFolder)
        return result;
    plan.program = file->winPath;
    plan.hostDirectory = *hostFolder;

    std::string extension = ExtensionOf(file->winPath);
    std::vector<std::string> parameters = ArgumentsAfterProgram(request.parameters);
    bool windowsOnly = false;
    if (extension == ".INF" && verb == "INSTALL") {
        windowsOnly = true;
        UseWine(plan, prefixRoot, options);
        plan.arguments = { "rundll32.exe", "setupapi.dll,InstallHinfSection", "DefaultInstall", "132",
            Cp1250ToUtf8(file->winPath) };
    } else if (extension == ".MSI") {
        windowsOnly = true;
        UseWine(plan, prefixRoot, options);
        plan.arguments = { "msiexec", "/i", Cp1250ToUtf8(file->winPath) };
        for (auto& parameter : ToHost(parameters))
            plan.arguments.push_back(std::move(parameter));
    } else {
        // A document's extension decides that it is opened: its content never makes it a
        // program, however it starts.
        ExecutableKind kind = MayBeProgram(extension) ? ClassifyHostFile(file->host) : ExecutableKind::None;
        bool program = extension == ".EXE" || extension == ".COM";
        if (kind == ExecutableKind::None && program && !options.examineContent)
            kind = ExecutableKind::Windows;
        if (kind == ExecutableKind::Native) {
            plan.kind = LaunchKind::Native;
            plan.hostProgram = file->host.string();
            plan.arguments = ToHost(parameters);
        } else if (kind == ExecutableKind::Windows) {
            windowsOnly = true;
            RunThroughWine(plan, prefixRoot, options, *file, parameters);
        } else if (program) {
            // An .exe that is no program we can run: Windows says "bad format" (11).
            result.result = 11;
            return result;
        } else {
            if (!options.openerAvailable) {
                result.result = SE_ERR_NOASSOC;
                return result;
            }
            plan.kind = LaunchKind::Opener;
            plan.hostProgram = "xdg-open";
            plan.arguments = { file->host.string() };
        }
    }
    if (windowsOnly && !options.wineAvailable) {
        result.result = SE_ERR_NOASSOC;
        return result;
    }
    result.plan = plan;
    result.result = SE_SUCCESS;
    return result;
}

}
