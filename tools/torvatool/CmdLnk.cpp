// "torvatool lnk FILE": what the menu reads from a shortcut file, as one JSON object, so that disc
// authors can check the shortcuts their setups make.

#include "shell/LnkFormat.h"
#include "shell/ShellLnk.h"

#include "platform/text/Codepage.h"
#include "tools/torvatool/Command.h"
#include "tools/torvatool/Json.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <ostream>

namespace torvatool {

namespace {

// Reads the shortcut from a host path for the component, which otherwise reads Windows paths.
class HostFiles : public ShellLinkEnvironment {
public:
    bool FileExists(const std::string& path) override { return std::ifstream(path, std::ios::binary).good(); }
    std::optional<std::vector<uint8_t>> ReadFile(const std::string& path) override
    {
        std::ifstream in(path, std::ios::binary);
        if (!in)
            return std::nullopt;
        return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    std::string ShellFolderPath(const std::string&) override { return {}; }
};

std::string Hex(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "\"0x%08X\"", value);
    return text;
}

std::string OptionalText(const std::optional<std::string>& value)
{
    return value ? JsonString(*value) : "null";
}

const char* WindowStateName(TWindowState state)
{
    switch (state) {
    case wsMinimized:
        return "wsMinimized";
    case wsMaximized:
        return "wsMaximized";
    default:
        return "wsNormal";
    }
}

std::string LinkInfoJson(const shell::LnkLinkInfo& info)
{
    JsonObject json;
    json.Number("Flags", info.flags);
    if (info.volume) {
        json.Number("DriveType", info.volume->driveType);
        json.Raw("DriveSerialNumber", Hex(info.volume->driveSerialNumber));
        json.Text("VolumeLabel", info.volume->volumeLabel);
        json.Text("LocalBasePath", info.localBasePath);
    }
    if (info.network) {
        json.Text("NetName", info.network->netName);
        json.Text("DeviceName", info.network->deviceName);
        json.Raw("NetworkProviderType", Hex(info.network->networkProviderType));
    }
    json.Text("CommonPathSuffix", info.commonPathSuffix);
    return json.Str();
}

int RunLnk(Arguments& args, std::ostream& out)
{
    const std::string usage = "lnk FILE";
    const std::string path = args.Positional(1, 1, usage)[0];
    auto files = std::make_shared<HostFiles>();
    auto bytes = files->ReadFile(path);
    if (!bytes)
        throw ToolError("cannot open " + path);

    auto parsed = shell::ParseLnk(*bytes, path);
    if (!parsed)
        throw ToolError(parsed.Error().Message());
    const shell::LnkFile& format = *parsed;
    TQXShellLink link(nullptr, files);
    link.ReadLinkFile(path);

    std::vector<std::string> signatures;
    for (uint32_t signature : format.extraBlockSignatures)
        signatures.push_back(Hex(signature));
    JsonObject json;
    json.Text("FileName", platform::Utf8ToCp1250(path))
        .Text("Target", link.Target())
        .Text("WorkingDir", link.WorkingDir())
        .Text("Arguments", link.Arguments())
        .Text("Description", link.Description())
        .Number("ShowCmd", link.ShowCmd())
        .Text("WindowState", WindowStateName(link.WindowState()))
        .Number("HotKeyCode", link.HotKeyCode())
        .Number("HotKey", link.HotKey())
        .Raw("LinkFlags", Hex(format.linkFlags))
        .Raw("FileAttributes", Hex(format.fileAttributes))
        .Number("FileSize", format.fileSize)
        .Number("IconIndex", format.iconIndex)
        .Raw("IconLocation", OptionalText(format.iconLocation))
        .Raw("RelativePath", OptionalText(format.relativePath))
        .Raw("EnvironmentTarget", OptionalText(format.environmentTarget))
        .Text("IdListPath", shell::IdListPath(format))
        .Raw("LinkInfo", format.linkInfo ? LinkInfoJson(*format.linkInfo) : "null")
        .Raw("ExtraBlocks", JsonArray(signatures))
        .Bool("ExtraDataDamaged", format.extraDataDamaged);
    out << json.Str() << "\n";
    return 0;
}

CommandRegistration registration({ "lnk", "lnk FILE   print a shortcut file's properties as JSON", RunLnk });

}

}
