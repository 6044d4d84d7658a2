#include "platform/wine/WineTools.h"

#include <cstdlib>
#include <unistd.h>
#include <vector>

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

std::string Lower(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
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

}

WineTools FindWineTools(const std::optional<std::string>& option)
{
    WineTools tools;
    const char* variable = std::getenv("WINE");
    if (option && !option->empty())
        tools.wine = *option;
    else if (variable && *variable)
        tools.wine = variable;
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
                if (Lower(own) == Lower(name))
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

}
