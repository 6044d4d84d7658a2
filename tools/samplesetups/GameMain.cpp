// The sample disc's game: shows its name in a window for a few seconds (or until closed), on a
// desktop, or headless when there is no display. A game that the catalogue checks for a file
// of its own (a settings file) makes that file when it runs.

#include "platform/files/Files.h"
#include "platform/host/ProgramHost.h"
#include "platform/text/Codepage.h"
#include "tools/samplesetups/GameForm.h"
#include "tools/samplesetups/Installer.h"
#include "tools/samplesetups/SampleConfig.h"
#include "tools/samplesetups/SampleMachine.h"

#include <charconv>
#include <fstream>
#include <iostream>
#include <sstream>

namespace {

using namespace samplesetups;
namespace fs = std::filesystem;

constexpr uint32_t kDefaultShowMs = 4000;

std::optional<std::string> ReadHostText(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string TrimLine(std::string text)
{
    size_t end = text.find_first_of("\r\n");
    if (end != std::string::npos)
        text.resize(end);
    return text;
}

// The installed copy has its title next to it; a copy on the disc finds it in the texts it
// carries; failing both, the program's own name.
std::string GameTitle(const fs::path& self, const std::optional<SampleConfig>& config)
{
    if (auto text = ReadHostText(self.parent_path() / kTitleFileName); text && !TrimLine(*text).empty())
        return TrimLine(*text);
    if (config && !config->title.empty())
        return config->title;
    return platform::Utf8ToCp1250(self.stem().string());
}

void MakeRunFile(const SampleConfig& config, std::ostream& err)
{
    if (config.runCreates.empty())
        return;
    if (!UseMachineFromEnvironment(err))
        return;
    const std::string& path = config.runCreates;
    std::string folder = path.substr(0, path.find_last_of('\\'));
    if (!platform::ForceDirectories(folder) || !platform::WriteWholeFile(path, "[Nastaveni]\r\nSpusteno=1\r\n"))
        err << "game: cannot write " << platform::Cp1250ToUtf8(path) << "\n";
}

}

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    platform::HostOptions options;
    uint32_t showMs = kDefaultShowMs;
    try {
        options = platform::TakeHostOptions(args);
        for (size_t i = 0; i < args.size(); ++i) {
            if (args[i] == "--close-after" && i + 1 < args.size()) {
                auto [end, error] = std::from_chars(args[i + 1].data(), args[i + 1].data() + args[i + 1].size(), showMs);
                if (error != std::errc() || end != args[i + 1].data() + args[i + 1].size())
                    throw platform::HostOptionError("--close-after takes milliseconds");
                ++i;
            }
        }
    } catch (const platform::HostOptionError& e) {
        std::cerr << "game: " << e.what() << "\n";
        return 1;
    }

    fs::path self = OwnProgramPath();
    std::optional<SampleConfig> config;
    if (auto text = BuiltInConfigText(ConfigKeyForProgram(self.string())))
        config = ParseSampleConfig(*text);
    std::string title = GameTitle(self, config);
    std::cout << "game: " << platform::Cp1250ToUtf8(title) << "\n";
    if (config)
        MakeRunFile(*config, std::cerr);

    std::ostringstream quiet;
    auto host = std::make_unique<platform::ProgramHost>(options, quiet);
    if (!host->Ready()) {
        options.headless = true;
        options.settleMs = showMs;
        host = std::make_unique<platform::ProgramHost>(options, std::cerr);
        std::cout << "game: no display, running headless\n";
    }
    try {
        platform::Application().SetTitle(title);
        auto* form = new TGameForm(&platform::Application(), host->NewWindow(), title, showMs);
        platform::Application().SetMainForm(form);
        form->OnClose = [](platform::TObject*) { platform::Application().Terminate(); };
        int status = host->Run(*form, std::cout, std::cerr);
        delete form;
        return status;
    } catch (const std::exception& e) {
        std::cerr << "game: " << e.what() << "\n";
        return 1;
    }
}
