#include "platform/wine/WineTools.h"

#include "platform/text/Text.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace platform {

namespace fs = std::filesystem;

namespace {

bool IsExecutableFile(const fs::path& file)
{
    std::error_code error;
    return fs::is_regular_file(file, error) && ::access(file.c_str(), X_OK) == 0;
}

// The tool of that name in the folder of a `wine` given by path; the bare name (PATH) when the
// folder has none or `wine` itself is a bare name.
std::string Beside(const std::string& wine, const char* tool)
{
    if (wine.find('/') == std::string::npos)
        return tool;
    fs::path sibling = fs::path(wine).parent_path() / tool;
    return IsExecutableFile(sibling) ? sibling.string() : std::string(tool);
}

WineTools& Chosen()
{
    static WineTools tools = FindWineTools(std::nullopt);
    return tools;
}

struct OverrideEntry {
    std::vector<std::string> names;
    std::string mode; // with its "=", or empty for an entry without one
};

// "a,b=n;c=" -> {{a,b}, "=n"}, {{c}, "="}; empty entries are dropped.
std::vector<OverrideEntry> ParseOverrides(std::string_view text)
{
    std::vector<OverrideEntry> entries;
    while (!text.empty()) {
        size_t semicolon = text.find(';');
        std::string_view entry = text.substr(0, semicolon);
        text = semicolon == std::string_view::npos ? std::string_view() : text.substr(semicolon + 1);
        size_t equals = entry.find('=');
        OverrideEntry parsed;
        if (equals != std::string_view::npos)
            parsed.mode = std::string(entry.substr(equals));
        std::string_view names = entry.substr(0, equals);
        while (!names.empty()) {
            size_t comma = names.find(',');
            if (comma != 0)
                parsed.names.emplace_back(names.substr(0, comma));
            names = comma == std::string_view::npos ? std::string_view() : names.substr(comma + 1);
        }
        if (!parsed.names.empty())
            entries.push_back(std::move(parsed));
    }
    return entries;
}

void Append(std::string& out, const OverrideEntry& entry)
{
    if (!out.empty())
        out += ';';
    for (size_t n = 0; n < entry.names.size(); ++n)
        out += (n ? "," : "") + entry.names[n];
    out += entry.mode;
}

// Waits for `pid` at most `timeout`, then kills it; its wait status, none when it was killed.
std::optional<int> WaitOrKill(pid_t pid, std::chrono::steady_clock::duration timeout)
{
    auto deadline = std::chrono::steady_clock::now() + timeout;
    int status = 0;
    for (;;) {
        pid_t got = ::waitpid(pid, &status, WNOHANG);
        if (got == pid)
            return status;
        if (got < 0 && errno != EINTR)
            return std::nullopt;
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(pid, SIGKILL);
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
            return std::nullopt;
        }
        ::usleep(10 * 1000);
    }
}

}

WineTools FindWineTools(const std::optional<std::string>& option)
{
    WineTools tools;
    const char* variable = std::getenv("WINE");
    if (option && !option->empty())
        tools.wine = *option;
    else if (variable && *variable)
        tools.wine = variable;
    // Programs start in their own folders, where a relative path would name another file.
    if (tools.wine.find('/') != std::string::npos)
        tools.wine = fs::absolute(tools.wine).lexically_normal().string();
    tools.wineserver = Beside(tools.wine, "wineserver");
    tools.wineboot = Beside(tools.wine, "wineboot");
    return tools;
}

const WineTools& CurrentWineTools() { return Chosen(); }

void SetWineTools(WineTools tools) { Chosen() = std::move(tools); }

fs::path HostExecutable(std::string_view program)
{
    if (program.empty())
        return {};
    if (program.find('/') != std::string_view::npos)
        return IsExecutableFile(fs::path(program)) ? fs::path(program) : fs::path();
    const char* path = std::getenv("PATH");
    std::string_view folders(path ? path : "");
    while (!folders.empty()) {
        size_t colon = folders.find(':');
        std::string_view folder = folders.substr(0, colon);
        fs::path candidate = fs::path(folder.empty() ? "." : std::string(folder)) / std::string(program);
        if (IsExecutableFile(candidate))
            return candidate;
        if (colon == std::string_view::npos)
            break;
        folders.remove_prefix(colon + 1);
    }
    return {};
}

bool WineMenusWanted()
{
    const char* wanted = std::getenv("TORVA_WINE_MENUS");
    return wanted && std::string_view(wanted) == "1";
}

std::string MergeDllOverrides(std::string_view current, std::string_view ours)
{
    std::vector<OverrideEntry> added = ParseOverrides(ours);
    auto isOurs = [&](const std::string& name) {
        for (const auto& entry : added) {
            for (const auto& own : entry.names) {
                if (UpperCase(own) == UpperCase(name))
                    return true;
            }
        }
        return false;
    };
    std::string merged;
    for (OverrideEntry entry : ParseOverrides(current)) {
        std::erase_if(entry.names, isOurs);
        if (!entry.names.empty())
            Append(merged, entry);
    }
    for (const auto& entry : added)
        Append(merged, entry);
    return merged;
}

std::map<std::string, std::string> WineEnvironment(const fs::path& prefix, std::string_view overrides)
{
    std::map<std::string, std::string> environment;
    environment["WINEPREFIX"] = fs::absolute(prefix).lexically_normal().string();
    if (!std::getenv("WINEDEBUG"))
        environment["WINEDEBUG"] = "-all";
    std::string ours(overrides);
    if (!WineMenusWanted())
        ours += (ours.empty() ? "" : ";") + std::string("winemenubuilder.exe=d");
    const char* current = std::getenv("WINEDLLOVERRIDES");
    std::string merged = MergeDllOverrides(current ? current : "", ours);
    if (!merged.empty())
        environment["WINEDLLOVERRIDES"] = merged;
    return environment;
}

std::optional<int> RunWineTool(std::vector<std::string> words, const std::map<std::string, std::string>& variables,
    const std::vector<std::string>& removed, const fs::path& errorLog, std::chrono::steady_clock::duration timeout)
{
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
        std::string_view line(*entry);
        std::string name(line.substr(0, line.find('=')));
        if (!variables.count(name) && std::find(removed.begin(), removed.end(), name) == removed.end())
            environment.emplace_back(line);
    }
    for (const auto& [name, value] : variables)
        environment.push_back(name + "=" + value);
    std::vector<char*> argv;
    for (auto& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (auto& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, errorLog.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    pid_t pid = 0;
    int failed = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0)
        return std::nullopt;
    std::optional<int> status = WaitOrKill(pid, timeout);
    if (!status || !WIFEXITED(*status))
        return std::nullopt;
    return WEXITSTATUS(*status);
}

}
