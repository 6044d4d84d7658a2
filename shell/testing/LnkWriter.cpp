#include "shell/testing/LnkWriter.h"

#include "shell/LnkFormat.h"

#include "platform/bytes/ByteWriter.h"
#include "platform/text/Codepage.h"

#include <algorithm>

namespace shell {

namespace {

// The shortcut's structures over the little-endian writer.
class Out : public platform::ByteWriter {
public:
    void U8(uint8_t value) { Append8(value); }
    void U16(uint16_t value) { Append16(value); }
    void U32(uint32_t value) { Append32(value); }
    void U64(uint64_t value) { Append64(value); }
    void Text(const std::string& text) { AppendText(text); }
    void TextZ(const std::string& text)
    {
        Text(text);
        U8(0);
    }
    void Append(const std::vector<uint8_t>& more) { AppendBytes(more); }
    void PatchU32(size_t at, uint32_t value) { Put32(at, value); }
};

struct StringDataField {
    std::optional<std::string> LnkContents::*text;
    uint32_t flag;
};
// The string data in the order the file holds it, each with the link flag that announces it.
constexpr StringDataField StringData[] = {
    { &LnkContents::name, LinkFlag::HasName },
    { &LnkContents::relativePath, LinkFlag::HasRelativePath },
    { &LnkContents::workingDir, LinkFlag::HasWorkingDir },
    { &LnkContents::arguments, LinkFlag::HasArguments },
    { &LnkContents::iconLocation, LinkFlag::HasIconLocation },
};

void WriteItem(Out& list, const std::vector<uint8_t>& data)
{
    list.U16(static_cast<uint16_t>(data.size() + 2));
    list.Append(data);
}

std::vector<uint8_t> IdList(const std::string& path)
{
    static const uint8_t myComputer[] = {
        0x1F,
        0x50,
        0xE0,
        0x4F,
        0xD0,
        0x20,
        0xEA,
        0x3A,
        0x69,
        0x10,
        0xA2,
        0xD8,
        0x08,
        0x00,
        0x2B,
        0x30,
        0x30,
        0x9D,
    };
    Out list;
    WriteItem(list, std::vector<uint8_t>(std::begin(myComputer), std::end(myComputer)));
    std::string drive = path.substr(0, 2) + "\\";
    Out volume;
    volume.U8(0x2F);
    volume.TextZ(drive);
    while (volume.Size() < 0x17)
        volume.U8(0);
    WriteItem(list, volume.Bytes());
    size_t start = 3;
    while (start < path.size()) {
        size_t end = std::min(path.find('\\', start), path.size());
        std::string part = path.substr(start, end - start);
        bool folder = end < path.size();
        Out entry;
        entry.U8(folder ? 0x31 : 0x32);
        entry.U8(0);
        entry.U32(0); // size
        entry.U32(0); // modification date and time
        entry.U16(folder ? 0x10 : 0x20);
        entry.TextZ(part);
        if (entry.Size() % 2 != 0)
            entry.U8(0);
        WriteItem(list, entry.Bytes());
        start = end + 1;
    }
    list.U16(0);
    return list.Take();
}

std::vector<uint8_t> VolumeId(const LnkContents& contents)
{
    Out volume;
    volume.U32(0);
    volume.U32(contents.driveType);
    volume.U32(contents.driveSerialNumber);
    volume.U32(0x10);
    volume.TextZ(contents.volumeLabel);
    volume.PatchU32(0, static_cast<uint32_t>(volume.Size()));
    return volume.Take();
}

std::vector<uint8_t> NetworkLink(const LnkContents& contents)
{
    Out net;
    bool device = !contents.deviceName.empty();
    net.U32(0);
    net.U32(device ? 1u : 0u);
    net.U32(0x14);
    net.U32(0);
    net.U32(0x00020000);
    net.TextZ(contents.netName);
    if (device) {
        net.PatchU32(0x0C, static_cast<uint32_t>(net.Size()));
        net.TextZ(contents.deviceName);
    }
    net.PatchU32(0, static_cast<uint32_t>(net.Size()));
    return net.Take();
}

std::vector<uint8_t> LinkInfo(const LnkContents& contents)
{
    constexpr uint32_t headerSize = 0x1C;
    bool local = !contents.localBasePath.empty();
    bool network = !contents.netName.empty();
    Out info;
    for (int i = 0; i < 7; ++i)
        info.U32(0);
    info.PatchU32(0x04, headerSize);
    info.PatchU32(0x08, (local ? LinkInfoFlag::VolumeIDAndLocalBasePath : 0u) | (network ? LinkInfoFlag::CommonNetworkRelativeLinkAndPathSuffix : 0u));
    if (local) {
        info.PatchU32(0x0C, static_cast<uint32_t>(info.Size()));
        info.Append(VolumeId(contents));
        info.PatchU32(0x10, static_cast<uint32_t>(info.Size()));
        info.TextZ(contents.localBasePath);
    }
    if (network) {
        info.PatchU32(0x14, static_cast<uint32_t>(info.Size()));
        info.Append(NetworkLink(contents));
    }
    info.PatchU32(0x18, static_cast<uint32_t>(info.Size()));
    info.TextZ(contents.commonPathSuffix);
    info.PatchU32(0x00, static_cast<uint32_t>(info.Size()));
    return info.Take();
}

void WriteString(Out& out, const std::string& text, bool unicode)
{
    if (unicode) {
        std::u16string wide = platform::Cp1250ToUtf16(text);
        out.U16(static_cast<uint16_t>(wide.size()));
        for (char16_t unit : wide)
            out.U16(unit);
    } else {
        out.U16(static_cast<uint16_t>(text.size()));
        out.Text(text);
    }
}

void WriteEnvironmentBlock(Out& out, const std::string& target)
{
    out.U32(0x314);
    out.U32(ExtraBlockSignature::EnvironmentVariable);
    std::string ansi = target.substr(0, 259);
    ansi.resize(260, '\0');
    out.Text(ansi);
    std::u16string wide = platform::Cp1250ToUtf16(target.substr(0, 259));
    wide.resize(260, u'\0');
    for (char16_t unit : wide)
        out.U16(unit);
}

}

std::vector<uint8_t> WriteLnk(const LnkContents& contents)
{
    uint32_t flags = contents.extraFlags;
    if (!contents.idListPath.empty())
        flags |= LinkFlag::HasLinkTargetIDList;
    if (!contents.localBasePath.empty() || !contents.netName.empty())
        flags |= LinkFlag::HasLinkInfo;
    for (const StringDataField& field : StringData) {
        if (contents.*field.text)
            flags |= field.flag;
    }
    if (contents.unicode)
        flags |= LinkFlag::IsUnicode;
    if (!contents.environmentTarget.empty())
        flags |= LinkFlag::HasExpString;

    Out out;
    out.U32(0x4C);
    static const uint8_t clsid[] = { 0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46 };
    for (uint8_t byte : clsid)
        out.U8(byte);
    out.U32(flags);
    out.U32(contents.fileAttributes);
    out.U64(0);
    out.U64(0);
    out.U64(0);
    out.U32(contents.fileSize);
    out.U32(static_cast<uint32_t>(contents.iconIndex));
    out.U32(contents.showCommand);
    out.U16(contents.hotKey);
    out.U16(0);
    out.U32(0);
    out.U32(0);

    if (flags & LinkFlag::HasLinkTargetIDList) {
        std::vector<uint8_t> list = IdList(contents.idListPath);
        out.U16(static_cast<uint16_t>(list.size()));
        out.Append(list);
    }
    if (flags & LinkFlag::HasLinkInfo)
        out.Append(LinkInfo(contents));
    for (const StringDataField& field : StringData) {
        if (const auto& text = contents.*field.text)
            WriteString(out, *text, contents.unicode);
    }
    if (!contents.environmentTarget.empty())
        WriteEnvironmentBlock(out, contents.environmentTarget);
    out.U32(0);
    return out.Take();
}

}
