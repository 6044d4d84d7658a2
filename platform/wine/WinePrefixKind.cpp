#include "platform/wine/WinePrefixKind.h"

#include "platform/atomicfile/AtomicFile.h"

#include <array>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace fs = std::filesystem;

namespace {

constexpr auto kProbeTimeout = std::chrono::seconds(30);

// What Wine says when it will not run a 32-bit prefix.
constexpr std::array<std::string_view, 3> kRefusalMarks = { "wow64 mode", "WINEARCH", "32-bit installation" };

std::string RefusalIn(const fs::path& errorLog)
{
    std::ifstream in(errorLog);
    std::string line;
    while (std::getline(in, line)) {
        for (std::string_view mark : kRefusalMarks) {
            if (line.find(mark) != std::string::npos)
                return line;
        }
    }
    return {};
}

// The cache's key of a Wine program: its real path, size and modification time.
std::optional<std::string> KeyOf(const WineTools& tools)
{
    fs::path program = HostExecutable(tools.wine);
    if (program.empty())
        return std::nullopt;
    std::error_code error;
    fs::path real = fs::canonical(program, error);
    struct stat info {};
    if (error || ::stat(real.c_str(), &info) != 0)
        return std::nullopt;
    return std::to_string(info.st_size) + "\t" + std::to_string(info.st_mtim.tv_sec) + "." + std::to_string(info.st_mtim.tv_nsec)
        + "\t" + real.string();
}

// A cache line: "win32|win64 TAB size TAB time TAB path TAB refusal".
std::optional<PrefixKindAnswer> CachedAnswer(const std::string& content, const std::string& key)
{
    std::istringstream lines(content);
    std::string line;
    while (std::getline(lines, line)) {
        size_t kind = line.find('\t');
        size_t refusal = line.rfind('\t');
        if (kind == std::string::npos || refusal <= kind || line.compare(kind + 1, refusal - kind - 1, key) != 0)
            continue;
        std::string_view name = std::string_view(line).substr(0, kind);
        if (name != "win32" && name != "win64")
            continue;
        return PrefixKindAnswer { name == "win32", line.substr(refusal + 1) };
    }
    return std::nullopt;
}

std::string WithoutControls(std::string text)
{
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20)
            c = ' ';
    }
    return text;
}

}

PrefixKindAnswer ProbeWin32Prefixes(const WineTools& tools)
{
    std::string pattern = (fs::temp_directory_path() / "torva-wine-probe-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        return {};
    fs::path scratch = pattern;
    fs::path prefix = scratch / "prefix";
    fs::path errorLog = scratch / "wine.log";
    std::error_code error;
    fs::create_directory(prefix, error);
    std::ofstream(prefix / ".update-timestamp") << "disable\n";

    // What would steer Wine to another prefix or onto the display goes.
    const std::vector<std::string> removed = { "WINEPREFIX", "WINEARCH", "DISPLAY", "WAYLAND_DISPLAY" };
    RunWineTool({ tools.wine, "cmd.exe", "/c", "exit" },
        { { "WINEPREFIX", prefix.string() }, { "WINEARCH", "win32" }, { "WINEDEBUG", "-all" },
            { "WINEDLLOVERRIDES", "winemenubuilder.exe=d" } },
        removed, errorLog, kProbeTimeout);
    PrefixKindAnswer answer;
    answer.refusal = RefusalIn(errorLog);
    answer.win32 = answer.refusal.empty();
    // The scratch prefix's server would linger for a few seconds; told to end, it still writes
    // the registry back, so it is waited for before its folder goes.
    for (const char* step : { "-k", "-w" })
        RunWineTool({ tools.wineserver, step }, { { "WINEPREFIX", prefix.string() } }, removed, "/dev/null", kProbeTimeout);
    fs::remove_all(scratch, error);
    return answer;
}

PrefixKindAnswer Win32PrefixSupport(const WineTools& tools, const fs::path& cacheFile)
{
    auto key = KeyOf(tools);
    if (!key)
        return {};
    if (auto content = ReadHostFile(cacheFile)) {
        if (auto cached = CachedAnswer(*content, *key))
            return *cached;
    }
    PrefixKindAnswer answer = ProbeWin32Prefixes(tools);
    std::string line = std::string(answer.win32 ? "win32" : "win64") + "\t" + *key + "\t" + WithoutControls(answer.refusal) + "\n";
    std::error_code error;
    fs::create_directories(cacheFile.parent_path(), error);
    EditHostFileAtomically(cacheFile, [&](const std::optional<std::string>& current) -> std::optional<std::string> {
        return (current ? *current : std::string()) + line;
    });
    return answer;
}

fs::path DefaultWineKindCache()
{
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache && *cache == '/')
        return fs::path(cache) / "torva" / "wine-prefix-kinds";
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : "/tmp") / ".cache" / "torva" / "wine-prefix-kinds";
}

}
