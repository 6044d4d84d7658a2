#pragma once

// Writes shortcut files for tests, fuzz seeds and sample setups; not part of the component,
// which only reads them.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace shell {

struct LnkContents {
    bool unicode = true;     // string data as UTF-16, else as code page 1250 bytes
    uint32_t extraFlags = 0; // more link flags to set (RunAsUser, ...)
    uint32_t fileAttributes = 0x20;
    uint32_t fileSize = 0;
    int32_t iconIndex = 0;
    uint32_t showCommand = 1;
    uint16_t hotKey = 0;

    // A drive path ("C:\Games\Run.exe") spelled as an ID list of the computer, the drive and one
    // item per name; empty for none.
    std::string idListPath;

    // LinkInfo: a local base path with its volume, and/or a network share; none when both empty.
    std::string localBasePath;
    uint32_t driveType = 3;
    uint32_t driveSerialNumber = 0;
    std::string volumeLabel;
    std::string netName;
    std::string deviceName;
    std::string commonPathSuffix;

    std::optional<std::string> name;
    std::optional<std::string> relativePath;
    std::optional<std::string> workingDir;
    std::optional<std::string> arguments;
    std::optional<std::string> iconLocation;

    std::string environmentTarget; // empty: no environment block
};

std::vector<uint8_t> WriteLnk(const LnkContents& contents);

}
