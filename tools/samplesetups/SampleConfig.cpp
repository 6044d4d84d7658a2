#include "tools/samplesetups/SampleConfig.h"

#include "platform/ini/IniDocument.h"
#include "platform/text/Text.h"
#include "platform/resources/Resources.h"

#include <charconv>
#include <filesystem>

namespace samplesetups {

namespace {

// Sample files stand for game data; anything larger is a mistake in the description.
constexpr uint64_t kMaxMadeFileSize = 64ull << 20;

std::vector<std::string> SplitAt(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    if (text.empty())
        return parts;
    size_t start = 0;
    for (;;) {
        size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            return parts;
        start = end + 1;
    }
}

std::optional<std::vector<MadeFile>> ParseMadeFiles(const std::string& text)
{
    std::vector<MadeFile> files;
    for (const auto& entry : SplitAt(text, ',')) {
        size_t colon = entry.rfind(':');
        if (colon == std::string::npos || colon == 0)
            return std::nullopt;
        MadeFile file;
        file.name = entry.substr(0, colon);
        const char* first = entry.data() + colon + 1;
        const char* last = entry.data() + entry.size();
        auto [end, error] = std::from_chars(first, last, file.size);
        if (error != std::errc() || end != last || first == last || file.size > kMaxMadeFileSize)
            return std::nullopt;
        files.push_back(file);
    }
    return files;
}

}

std::optional<SampleConfig> ParseSampleConfig(std::string_view text)
{
    platform::IniDocument document = platform::IniDocument::Parse(text);
    if (!document.HasSection("Setup"))
        return std::nullopt;
    auto value = [&](std::string_view key) { return document.Value("Setup", key).value_or(""); };

    SampleConfig config;
    config.title = value("Title");
    config.folder = value("Folder");
    config.program = value("Program");
    config.copies = SplitAt(value("Copy"), ',');
    auto made = ParseMadeFiles(value("Make"));
    auto leftovers = ParseMadeFiles(value("Leave"));
    auto systemFiles = ParseMadeFiles(value("System"));
    if (!made || !leftovers || !systemFiles)
        return std::nullopt;
    config.made = *made;
    config.leftovers = *leftovers;
    config.systemFiles = *systemFiles;
    config.uninstaller = value("Uninstaller");
    config.uninstallKey = value("UninstallKey");
    config.regKey = value("RegKey");
    config.regName = value("RegName");
    config.userRegKey = value("UserRegKey");
    config.userRegName = value("UserRegName");
    config.startMenu = value("StartMenu");
    config.desktop = value("Desktop");
    if (std::string ini = value("Ini"); !ini.empty()) {
        auto parts = SplitAt(ini, '|');
        if (parts.size() != 3 || parts[0].empty() || parts[1].empty() || parts[2].empty())
            return std::nullopt;
        config.ini = IniEntry { parts[0], parts[1], parts[2] };
    }
    config.sierra = value("Sierra") == "1";
    config.requireFolder = value("RequireFolder") == "1";
    if (std::string delay = value("DelayMs"); !delay.empty()) {
        auto [end, error] = std::from_chars(delay.data(), delay.data() + delay.size(), config.delayMs);
        if (error != std::errc() || end != delay.data() + delay.size())
            return std::nullopt;
    }
    config.runCreates = value("RunCreates");
    // A setup needs somewhere to put things; a game's text may carry only its title.
    if (config.folder.empty() && (!config.program.empty() || !config.made.empty() || !config.uninstaller.empty()))
        return std::nullopt;
    return config;
}

std::string ConfigKeyForProgram(const std::string& hostProgramPath)
{
    std::filesystem::path folder = std::filesystem::path(hostProgramPath).parent_path();
    std::string inner = folder.filename().string();
    std::string outer = folder.parent_path().filename().string();
    return platform::UpperCase(outer + "/" + inner);
}

std::optional<std::string> BuiltInConfigText(const std::string& key)
{
    return platform::ResourceText("samplesetups/" + key + ".ini");
}

}
