// The sample disc's setup program. Started without arguments it installs the item of the disc
// folder it sits in; copied into the game folder it is the uninstaller:
//   UNINSTAL.EXE -f"C:\Hry\X\INSTALL.LOG"   (the registered uninstall command)
//   SETUP.EXE /U                            (a setup that uninstalls from its own folder)

#include "platform/files/Files.h"
#include "platform/text/Codepage.h"
#include "platform/text/Text.h"
#include "tools/samplesetups/Installer.h"
#include "tools/samplesetups/SampleMachine.h"

#include <iostream>
#include <string>
#include <vector>

namespace {

using namespace samplesetups;

// The log named after "-f" (in the same argument or the next one), or the one in the
// program's own folder for "/U"; empty when the program is to install.
std::optional<std::string> UninstallLogFromArguments(const std::vector<std::string>& args, const std::filesystem::path& self)
{
    for (size_t i = 0; i < args.size(); ++i) {
        std::string upper = platform::UpperCase(args[i]);
        if (upper.rfind("-F", 0) == 0)
            return args[i].size() > 2 ? args[i].substr(2) : (i + 1 < args.size() ? args[i + 1] : std::string());
        if (upper == "/U" || upper == "-U") {
            auto own = platform::WindowsPathOf(self);
            if (!own)
                return std::string();
            return own->substr(0, own->find_last_of('\\') + 1) + kLogName;
        }
    }
    return std::nullopt;
}

int RunSetup(const std::filesystem::path& self)
{
    std::string key = ConfigKeyForProgram(self.string());
    auto text = BuiltInConfigText(key);
    if (!text) {
        std::cerr << "setup: this program knows no item for the disc folder " << key << "\n";
        return 1;
    }
    auto config = ParseSampleConfig(*text);
    if (!config) {
        std::cerr << "setup: the description of " << key << " is damaged\n";
        return 1;
    }
    InstallSource source { self.parent_path(), self };
    return Install(*config, source, std::cout, std::cerr) ? 0 : 1;
}

}

int main(int argc, char** argv)
{
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(platform::Utf8ToCp1250(argv[i]));
    if (!UseMachineFromEnvironment(std::cerr))
        return 1;
    std::filesystem::path self = OwnProgramPath();
    if (self.empty()) {
        std::cerr << "setup: cannot tell where this program is\n";
        return 1;
    }
    if (auto log = UninstallLogFromArguments(args, self)) {
        if (log->empty()) {
            std::cerr << "uninstall: no installation log given\n";
            return 1;
        }
        return Uninstall(*log, std::cout, std::cerr) ? 0 : 1;
    }
    return RunSetup(self);
}
