#pragma once

// The shortcut component on the current machine: files through the prefix's drives, special
// folders from the user's registry.

#include "shell/ShellLnk.h"

namespace shell {

class MachineShellLinkEnvironment : public ShellLinkEnvironment {
public:
    bool FileExists(const std::string& windowsPath) override;
    std::optional<std::vector<uint8_t>> ReadFile(const std::string& windowsPath) override;
    std::string ShellFolderPath(const std::string& valueName) override;
};

}
