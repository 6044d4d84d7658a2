#pragma once

// Reader of the shell's shortcut files (.lnk), straight from their bytes. Strings come back as
// code page 1250 bytes, the system code page of the menu: ANSI strings as stored, UTF-16
// strings converted.

#include "platform/types/Result.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace shell {

namespace LinkFlag {
constexpr uint32_t HasLinkTargetIDList = 0x00000001;
constexpr uint32_t HasLinkInfo = 0x00000002;
constexpr uint32_t HasName = 0x00000004;
constexpr uint32_t HasRelativePath = 0x00000008;
constexpr uint32_t HasWorkingDir = 0x00000010;
constexpr uint32_t HasArguments = 0x00000020;
constexpr uint32_t HasIconLocation = 0x00000040;
constexpr uint32_t IsUnicode = 0x00000080;
constexpr uint32_t ForceNoLinkInfo = 0x00000100;
constexpr uint32_t HasExpString = 0x00000200;
}

namespace LinkInfoFlag {
constexpr uint32_t VolumeIDAndLocalBasePath = 0x1;
constexpr uint32_t CommonNetworkRelativeLinkAndPathSuffix = 0x2;
}

namespace NetworkLinkFlag {
constexpr uint32_t ValidDevice = 0x1;
constexpr uint32_t ValidNetType = 0x2;
}

namespace ExtraBlockSignature {
constexpr uint32_t EnvironmentVariable = 0xA0000001;
constexpr uint32_t Console = 0xA0000002;
constexpr uint32_t Tracker = 0xA0000003;
constexpr uint32_t SpecialFolder = 0xA0000005;
constexpr uint32_t Darwin = 0xA0000006;
constexpr uint32_t IconEnvironment = 0xA0000007;
constexpr uint32_t PropertyStore = 0xA0000009;
constexpr uint32_t KnownFolder = 0xA000000B;
}

struct LnkVolumeId {
    uint32_t driveType = 0;
    uint32_t driveSerialNumber = 0;
    std::string volumeLabel;
};

struct LnkNetworkLink {
    uint32_t flags = 0;
    std::string netName;
    std::string deviceName;           // empty unless ValidDevice
    uint32_t networkProviderType = 0; // meaningful with ValidNetType only
};

struct LnkLinkInfo {
    uint32_t flags = 0;
    std::optional<LnkVolumeId> volume;
    // The ANSI path as stored, in whatever code page the making system used.
    std::string localBasePath;
    std::optional<std::u16string> localBasePathUnicode;
    std::optional<LnkNetworkLink> network;
    std::string commonPathSuffix;
    std::optional<std::u16string> commonPathSuffixUnicode;
};

struct LnkFile {
    uint32_t linkFlags = 0;
    uint32_t fileAttributes = 0;
    uint64_t creationTime = 0;
    uint64_t accessTime = 0;
    uint64_t writeTime = 0;
    uint32_t fileSize = 0;
    int32_t iconIndex = 0;
    uint32_t showCommand = 0;
    uint16_t hotKey = 0;

    // Each item's bytes after its 2-byte size.
    std::vector<std::vector<uint8_t>> idList;
    std::optional<LnkLinkInfo> linkInfo; // absent also when ForceNoLinkInfo says to ignore it

    std::optional<std::string> name;
    std::optional<std::string> relativePath;
    std::optional<std::string> workingDir;
    std::optional<std::string> arguments;
    std::optional<std::string> iconLocation;

    std::optional<std::string> environmentTarget;
    std::vector<uint32_t> extraBlockSignatures;
    // The extra data ended in a block whose size ran past the file or was too small; what came
    // before it was kept.
    bool extraDataDamaged = false;

    bool Has(uint32_t flag) const { return (linkFlags & flag) != 0; }
};

// Parses the whole shortcut file called `name`. Refused, naming the field and its byte offset,
// when it is not one or a structure that the properties depend on lies outside the file.
platform::Result<LnkFile> ParseLnk(std::span<const uint8_t> bytes, const std::string& name);

// The path the shortcut leads to, as the shell reports it with network paths preferred:
// LinkInfo (local base path + suffix, else net name + suffix), else the drive path spelled by
// the ID list, else the environment-variable target, else the relative path resolved against
// `linkFolder` (the shortcut's own folder, with or without trailing backslash). Empty when
// none applies.
std::string ResolveTarget(const LnkFile& link, const std::string& linkFolder = {});

// The path spelled by the ID list's drive and file-entry items ("C:\Dir\File.exe"), or empty
// when the list does not start at a drive.
std::string IdListPath(const LnkFile& link);

// Converts UTF-16 to code page 1250 when every character exists there.
std::optional<std::string> ExactCp1250(const std::u16string& text);

}
