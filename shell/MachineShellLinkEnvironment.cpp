#include "shell/MachineShellLinkEnvironment.h"

#include "platform/files/Files.h"
#include "platform/machine/Machine.h"
#include "platform/registry/Registry.h"

namespace shell {

namespace {
constexpr const char* ShellFoldersKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
}

bool MachineShellLinkEnvironment::FileExists(const std::string& windowsPath)
{
    return platform::FileExists(windowsPath);
}

std::optional<std::vector<uint8_t>> MachineShellLinkEnvironment::ReadFile(const std::string& windowsPath)
{
    std::optional<std::string> content = platform::ReadWholeFile(windowsPath);
    if (!content)
        return std::nullopt;
    return std::vector<uint8_t>(content->begin(), content->end());
}

std::string MachineShellLinkEnvironment::ShellFolderPath(const std::string& valueName)
{
    if (!platform::HasCurrentMachine())
        return {};
    platform::Registry registry;
    registry.SetRootKey(platform::HKEY_CURRENT_USER);
    if (!registry.OpenKeyReadOnly(ShellFoldersKey))
        return {};
    return registry.ReadString(valueName);
}

}
