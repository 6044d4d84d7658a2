// "torvatool lnk FILE": what the menu reads from a shortcut file, as one JSON object, so that disc
// authors can check the shortcuts their setups make.

#include "shell/LnkFormat.h"
#include "shell/ShellLnk.h"

#include "platform/text/Codepage.h"
#include "tools/torvatool/Command.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <ostream>
#include <sstream>

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

std::string Quoted(const std::string& cp1250)
{
    std::string utf8 = platform::Cp1250ToUtf8(cp1250);
    std::string out = "\"";
    for (char ch : utf8) {
        unsigned char byte = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += ch;
        } else if (byte < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            out += escape;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

std::string Hex(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "\"0x%08X\"", value);
    return text;
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

class JsonObject {
public:
    void Add(const std::string& key, const std::string& json)
    {
        m_text += (m_text.empty() ? "{" : ", ") + Quoted(key) + ": " + json;
    }
    void AddText(const std::string& key, const std::optional<std::string>& value)
    {
        Add(key, value ? Quoted(*value) : "null");
    }
    std::string Text() const { return m_text.empty() ? "{}" : m_text + "}"; }

private:
    std::string m_text;
};

std::string LinkInfoJson(const shell::LnkLinkInfo& info)
{
    JsonObject json;
    json.Add("Flags", std::to_string(info.flags));
    if (info.volume) {
        json.Add("DriveType", std::to_string(info.volume->driveType));
        json.Add("DriveSerialNumber", Hex(info.volume->driveSerialNumber));
        json.AddText("VolumeLabel", info.volume->volumeLabel);
        json.AddText("LocalBasePath", info.localBasePath);
    }
    if (info.network) {
        json.AddText("NetName", info.network->netName);
        json.AddText("DeviceName", info.network->deviceName);
        json.Add("NetworkProviderType", Hex(info.network->networkProviderType));
    }
    json.AddText("CommonPathSuffix", info.commonPathSuffix);
    return json.Text();
}

int RunLnk(Arguments& args, std::ostream& out)
{
    const std::string usage = "lnk FILE";
    const std::string path = args.Positional(1, 1, usage)[0];
    auto files = std::make_shared<HostFiles>();
    auto bytes = files->ReadFile(path);
    if (!bytes)
        throw ToolError("cannot open " + path);

    shell::LnkFile format;
    try {
        format = shell::ParseLnk(*bytes);
    } catch (const shell::LnkFormatError& error) {
        throw ToolError(path + ": " + error.what());
    }
    TQXShellLink link(nullptr, files);
    link.ReadLinkFile(path);

    JsonObject json;
    json.AddText("FileName", platform::Utf8ToCp1250(path));
    json.AddText("Target", link.Target());
    json.AddText("WorkingDir", link.WorkingDir());
    json.AddText("Arguments", link.Arguments());
    json.AddText("Description", link.Description());
    json.Add("ShowCmd", std::to_string(link.ShowCmd()));
    json.Add("WindowState", Quoted(WindowStateName(link.WindowState())));
    json.Add("HotKeyCode", std::to_string(link.HotKeyCode()));
    json.Add("HotKey", std::to_string(link.HotKey()));
    json.Add("LinkFlags", Hex(format.linkFlags));
    json.Add("FileAttributes", Hex(format.fileAttributes));
    json.Add("FileSize", std::to_string(format.fileSize));
    json.Add("IconIndex", std::to_string(format.iconIndex));
    json.AddText("IconLocation", format.iconLocation);
    json.AddText("RelativePath", format.relativePath);
    json.AddText("EnvironmentTarget", format.environmentTarget);
    json.AddText("IdListPath", shell::IdListPath(format));
    json.Add("LinkInfo", format.linkInfo ? LinkInfoJson(*format.linkInfo) : "null");
    std::string signatures = "[";
    for (uint32_t signature : format.extraBlockSignatures)
        signatures += (signatures.size() > 1 ? ", " : "") + Hex(signature);
    json.Add("ExtraBlocks", signatures + "]");
    json.Add("ExtraDataDamaged", format.extraDataDamaged ? "true" : "false");
    out << json.Text() << "\n";
    return 0;
}

CommandRegistration registration({ "lnk", "lnk FILE   print a shortcut file's properties as JSON", RunLnk });

}

}
