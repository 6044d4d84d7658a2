#include "shell/LnkFormat.h"

#include "platform/bytes/ByteReader.h"
#include "platform/text/Codepage.h"
#include "platform/text/Text.h"

#include <array>
#include <cstring>

namespace shell {

namespace {

// A malformed structure met deep in the parse; ParseLnk turns it into the file's problem.
class LnkFormatError : public platform::Exception {
public:
    using platform::Exception::Exception;
};

// ShellLinkHeader, offsets from the start of the file.
namespace Header {
constexpr size_t HeaderSize = 0x00;
constexpr size_t LinkClsid = 0x04;
constexpr size_t LinkFlags = 0x14;
constexpr size_t FileAttributes = 0x18;
constexpr size_t CreationTime = 0x1C;
constexpr size_t AccessTime = 0x24;
constexpr size_t WriteTime = 0x2C;
constexpr size_t FileSize = 0x34;
constexpr size_t IconIndex = 0x38;
constexpr size_t ShowCommand = 0x3C;
constexpr size_t HotKey = 0x40;
constexpr size_t Size = 0x4C;
}

constexpr std::array<uint8_t, 16> ShellLinkClsid = {
    0x01,
    0x14,
    0x02,
    0x00,
    0x00,
    0x00,
    0x00,
    0x00,
    0xC0,
    0x00,
    0x00,
    0x00,
    0x00,
    0x00,
    0x00,
    0x46,
};

// LinkInfo, offsets from its start.
namespace LinkInfoField {
constexpr size_t Size = 0x00;
constexpr size_t HeaderSize = 0x04;
constexpr size_t Flags = 0x08;
constexpr size_t VolumeIdOffset = 0x0C;
constexpr size_t LocalBasePathOffset = 0x10;
constexpr size_t NetworkLinkOffset = 0x14;
constexpr size_t CommonPathSuffixOffset = 0x18;
constexpr size_t LocalBasePathOffsetUnicode = 0x1C;
constexpr size_t CommonPathSuffixOffsetUnicode = 0x20;
constexpr size_t MinimumHeaderSize = 0x1C;
constexpr size_t UnicodeHeaderSize = 0x24;
}

// VolumeID, offsets from its start.
namespace VolumeIdField {
constexpr size_t Size = 0x00;
constexpr size_t DriveType = 0x04;
constexpr size_t DriveSerialNumber = 0x08;
constexpr size_t VolumeLabelOffset = 0x0C;
constexpr size_t VolumeLabelOffsetUnicode = 0x10;
constexpr uint32_t LabelIsUnicode = 0x14;
constexpr uint32_t MinimumSize = 0x10;
}

// CommonNetworkRelativeLink, offsets from its start.
namespace NetworkLinkField {
constexpr size_t Size = 0x00;
constexpr size_t Flags = 0x04;
constexpr size_t NetNameOffset = 0x08;
constexpr size_t DeviceNameOffset = 0x0C;
constexpr size_t NetworkProviderType = 0x10;
constexpr size_t NetNameOffsetUnicode = 0x14;
constexpr size_t DeviceNameOffsetUnicode = 0x18;
constexpr uint32_t MinimumSize = 0x14;
}

// ExtraData blocks, offsets from the block's start.
namespace ExtraBlock {
constexpr size_t Size = 0x00;
constexpr size_t Signature = 0x04;
constexpr uint32_t TerminalBelow = 4;
constexpr uint32_t MinimumSize = 8;
constexpr size_t EnvironmentTargetAnsi = 0x08;
constexpr size_t EnvironmentTargetUnicode = 0x10C;
constexpr size_t EnvironmentAnsiLength = 260;
constexpr size_t EnvironmentUnicodeLength = 520;
constexpr uint32_t EnvironmentBlockSize = 0x314;
}

// Windows of the file are ByteReaders: offsets count from the window's start, errors name the
// offset in the file.
using ByteWindow = platform::ByteReader;

[[noreturn]] void Fail(const ByteWindow& window, size_t offset, const char* what, const char* problem)
{
    throw LnkFormatError(std::string("shortcut: ") + what + " at offset " + std::to_string(window.Base() + offset) + " "
        + problem);
}

std::string Text(const ByteWindow& window, size_t offset, size_t length, const char* what)
{
    auto bytes = window.Bytes(offset, length, what);
    return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

std::u16string Utf16(const ByteWindow& window, size_t offset, size_t units, const char* what)
{
    if (units > window.Size() / 2)
        Fail(window, offset, what, "runs past the end");
    window.Require(offset, units * 2, what);
    std::u16string text(units, u'\0');
    for (size_t i = 0; i < units; ++i)
        text[i] = static_cast<char16_t>(window.U16(offset + 2 * i, what));
    return text;
}

std::string AnsiZ(const ByteWindow& window, size_t offset, const char* what)
{
    window.Require(offset, 0, what);
    for (size_t end = offset; end < window.Size(); ++end) {
        if (window.U8(end) == 0)
            return Text(window, offset, end - offset, what);
    }
    Fail(window, offset, what, "is not terminated");
}

std::u16string Utf16Z(const ByteWindow& window, size_t offset, const char* what)
{
    window.Require(offset, 0, what);
    for (size_t end = offset; end + 1 < window.Size(); end += 2) {
        if (window.U16(end) == 0)
            return Utf16(window, offset, (end - offset) / 2, what);
    }
    Fail(window, offset, what, "is not terminated");
}

std::string Cp1250Of(const std::u16string& text)
{
    return platform::Utf16ToCp1250(text);
}

// The UTF-16 form when it says the same in code page 1250, else the ANSI form the making
// system wrote (its best fit, or its own code page).
std::string PreferUnicode(const std::string& ansi, const std::optional<std::u16string>& unicode)
{
    if (unicode) {
        if (auto exact = ExactCp1250(*unicode))
            return *exact;
    }
    return ansi;
}

void ReadHeader(const ByteWindow& file, LnkFile& link)
{
    if (file.Size() < Header::Size)
        Fail(file, 0, "header", "is shorter than 76 bytes");
    if (file.U32(Header::HeaderSize, "header size") != Header::Size)
        Fail(file, Header::HeaderSize, "header size", "is not 0x4C");
    if (std::memcmp(file.Bytes(Header::LinkClsid, ShellLinkClsid.size(), "class identifier").data(), ShellLinkClsid.data(), ShellLinkClsid.size()) != 0)
        Fail(file, Header::LinkClsid, "class identifier", "is not the shell link's");
    link.linkFlags = file.U32(Header::LinkFlags, "link flags");
    link.fileAttributes = file.U32(Header::FileAttributes, "file attributes");
    link.creationTime = file.U64(Header::CreationTime, "creation time");
    link.accessTime = file.U64(Header::AccessTime, "access time");
    link.writeTime = file.U64(Header::WriteTime, "write time");
    link.fileSize = file.U32(Header::FileSize, "file size");
    link.iconIndex = static_cast<int32_t>(file.U32(Header::IconIndex, "icon index"));
    link.showCommand = file.U32(Header::ShowCommand, "show command");
    link.hotKey = file.U16(Header::HotKey, "hot key");
}

size_t ReadIdList(const ByteWindow& file, size_t pos, LnkFile& link)
{
    constexpr size_t IdListSizeField = 0x00;
    constexpr size_t IdListStart = 0x02;
    constexpr size_t ItemSizeField = 0x00;
    constexpr size_t ItemData = 0x02;

    uint16_t listSize = file.U16(pos + IdListSizeField, "ID list size");
    ByteWindow list = file.Sub(pos + IdListStart, listSize, "ID list");
    size_t itemPos = 0;
    for (;;) {
        uint16_t itemSize = list.U16(itemPos + ItemSizeField, "ID list item size");
        if (itemSize == 0)
            break;
        if (itemSize < ItemData)
            Fail(list, itemPos, "ID list item size", "is below 2");
        ByteWindow item = list.Sub(itemPos + ItemData, itemSize - ItemData, "ID list item");
        link.idList.emplace_back(item.Data().begin(), item.Data().end());
        itemPos += itemSize;
    }
    return pos + IdListStart + listSize;
}

LnkVolumeId ReadVolumeId(const ByteWindow& info, size_t offset)
{
    uint32_t size = info.U32(offset + VolumeIdField::Size, "volume ID size");
    if (size < VolumeIdField::MinimumSize)
        Fail(info, offset, "volume ID size", "is below 0x10");
    ByteWindow volume = info.Sub(offset, size, "volume ID");
    LnkVolumeId result;
    result.driveType = volume.U32(VolumeIdField::DriveType, "drive type");
    result.driveSerialNumber = volume.U32(VolumeIdField::DriveSerialNumber, "drive serial number");
    uint32_t labelOffset = volume.U32(VolumeIdField::VolumeLabelOffset, "volume label offset");
    if (labelOffset == VolumeIdField::LabelIsUnicode) {
        uint32_t unicodeOffset = volume.U32(VolumeIdField::VolumeLabelOffsetUnicode, "volume label offset (Unicode)");
        result.volumeLabel = Cp1250Of(Utf16Z(volume, unicodeOffset, "volume label (Unicode)"));
    } else {
        result.volumeLabel = AnsiZ(volume, labelOffset, "volume label");
    }
    return result;
}

LnkNetworkLink ReadNetworkLink(const ByteWindow& info, size_t offset)
{
    uint32_t size = info.U32(offset + NetworkLinkField::Size, "network link size");
    if (size < NetworkLinkField::MinimumSize)
        Fail(info, offset, "network link size", "is below 0x14");
    ByteWindow net = info.Sub(offset, size, "network link");
    LnkNetworkLink result;
    result.flags = net.U32(NetworkLinkField::Flags, "network link flags");
    uint32_t netNameOffset = net.U32(NetworkLinkField::NetNameOffset, "net name offset");
    uint32_t deviceNameOffset = net.U32(NetworkLinkField::DeviceNameOffset, "device name offset");
    result.networkProviderType = net.U32(NetworkLinkField::NetworkProviderType, "network provider type");

    std::optional<std::u16string> netNameUnicode;
    std::optional<std::u16string> deviceNameUnicode;
    if (netNameOffset > NetworkLinkField::MinimumSize) {
        uint32_t netUnicode = net.U32(NetworkLinkField::NetNameOffsetUnicode, "net name offset (Unicode)");
        uint32_t deviceUnicode = net.U32(NetworkLinkField::DeviceNameOffsetUnicode, "device name offset (Unicode)");
        if (netUnicode != 0)
            netNameUnicode = Utf16Z(net, netUnicode, "net name (Unicode)");
        if (deviceUnicode != 0 && (result.flags & NetworkLinkFlag::ValidDevice))
            deviceNameUnicode = Utf16Z(net, deviceUnicode, "device name (Unicode)");
    }
    result.netName = PreferUnicode(AnsiZ(net, netNameOffset, "net name"), netNameUnicode);
    if (result.flags & NetworkLinkFlag::ValidDevice)
        result.deviceName = PreferUnicode(AnsiZ(net, deviceNameOffset, "device name"), deviceNameUnicode);
    return result;
}

size_t ReadLinkInfo(const ByteWindow& file, size_t pos, LnkFile& link)
{
    using namespace LinkInfoField;
    uint32_t size = file.U32(pos + Size, "link info size");
    if (size < MinimumHeaderSize)
        Fail(file, pos, "link info size", "is below 0x1C");
    ByteWindow info = file.Sub(pos, size, "link info");
    if (link.Has(LinkFlag::ForceNoLinkInfo))
        return pos + size;

    uint32_t headerSize = info.U32(HeaderSize, "link info header size");
    if (headerSize < MinimumHeaderSize || headerSize > size)
        Fail(info, HeaderSize, "link info header size", "is out of range");
    LnkLinkInfo result;
    result.flags = info.U32(Flags, "link info flags");
    bool unicodeOffsets = headerSize >= UnicodeHeaderSize;

    if (result.flags & LinkInfoFlag::VolumeIDAndLocalBasePath) {
        result.volume = ReadVolumeId(info, info.U32(VolumeIdOffset, "volume ID offset"));
        result.localBasePath = AnsiZ(info, info.U32(LocalBasePathOffset, "local base path offset"), "local base path");
        if (unicodeOffsets) {
            uint32_t offset = info.U32(LocalBasePathOffsetUnicode, "local base path offset (Unicode)");
            if (offset != 0)
                result.localBasePathUnicode = Utf16Z(info, offset, "local base path (Unicode)");
        }
    }
    if (result.flags & LinkInfoFlag::CommonNetworkRelativeLinkAndPathSuffix)
        result.network = ReadNetworkLink(info, info.U32(NetworkLinkOffset, "network link offset"));

    uint32_t suffixOffset = info.U32(CommonPathSuffixOffset, "common path suffix offset");
    if (suffixOffset != 0)
        result.commonPathSuffix = AnsiZ(info, suffixOffset, "common path suffix");
    if (unicodeOffsets) {
        uint32_t offset = info.U32(CommonPathSuffixOffsetUnicode, "common path suffix offset (Unicode)");
        if (offset != 0)
            result.commonPathSuffixUnicode = Utf16Z(info, offset, "common path suffix (Unicode)");
    }
    link.linkInfo = std::move(result);
    return pos + size;
}

size_t ReadString(const ByteWindow& file, size_t pos, bool unicode, const char* what, std::optional<std::string>& out)
{
    constexpr size_t CountField = 0x00;
    constexpr size_t Characters = 0x02;
    uint16_t count = file.U16(pos + CountField, what);
    // Some writers count a terminating NUL in the text; as for the shell, the text ends there.
    auto endAtNul = [](std::string text) { return text.substr(0, text.find('\0')); };
    if (unicode) {
        out = endAtNul(Cp1250Of(Utf16(file, pos + Characters, count, what)));
        return pos + Characters + 2 * size_t { count };
    }
    out = endAtNul(Text(file, pos + Characters, count, what));
    return pos + Characters + count;
}

size_t ReadStringData(const ByteWindow& file, size_t pos, LnkFile& link)
{
    bool unicode = link.Has(LinkFlag::IsUnicode);
    struct Entry {
        uint32_t flag;
        const char* what;
        std::optional<std::string> LnkFile::*field;
    };
    static constexpr Entry entries[] = {
        { LinkFlag::HasName, "name string", &LnkFile::name },
        { LinkFlag::HasRelativePath, "relative path string", &LnkFile::relativePath },
        { LinkFlag::HasWorkingDir, "working folder string", &LnkFile::workingDir },
        { LinkFlag::HasArguments, "arguments string", &LnkFile::arguments },
        { LinkFlag::HasIconLocation, "icon location string", &LnkFile::iconLocation },
    };
    for (const Entry& entry : entries) {
        if (link.Has(entry.flag))
            pos = ReadString(file, pos, unicode, entry.what, link.*entry.field);
    }
    return pos;
}

void ReadEnvironmentBlock(const ByteWindow& block, LnkFile& link)
{
    if (block.Size() < ExtraBlock::EnvironmentBlockSize)
        return;
    std::string ansi = Text(block, ExtraBlock::EnvironmentTargetAnsi, ExtraBlock::EnvironmentAnsiLength, "environment target");
    ansi.resize(std::strlen(ansi.c_str()));
    std::u16string unicode = Utf16(block, ExtraBlock::EnvironmentTargetUnicode, ExtraBlock::EnvironmentUnicodeLength / 2,
        "environment target (Unicode)");
    unicode.resize(unicode.find(u'\0') == std::u16string::npos ? unicode.size() : unicode.find(u'\0'));
    std::string target = unicode.empty() ? ansi : PreferUnicode(ansi, unicode);
    if (!target.empty())
        link.environmentTarget = target;
}

void ReadExtraData(const ByteWindow& file, size_t pos, LnkFile& link)
{
    while (pos + 4 <= file.Size()) {
        uint32_t size = file.U32(pos + ExtraBlock::Size, "extra data block size");
        if (size < ExtraBlock::TerminalBelow)
            return;
        if (size < ExtraBlock::MinimumSize || size > file.Size() - pos) {
            link.extraDataDamaged = true;
            return;
        }
        ByteWindow block = file.Sub(pos, size, "extra data block");
        uint32_t signature = block.U32(ExtraBlock::Signature, "extra data block signature");
        link.extraBlockSignatures.push_back(signature);
        if (signature == ExtraBlockSignature::EnvironmentVariable)
            ReadEnvironmentBlock(block, link);
        pos += size;
    }
}

}

std::optional<std::string> ExactCp1250(const std::u16string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char16_t unit : text) {
        int byte = platform::CodePointToCp1250(unit);
        if (byte < 0)
            return std::nullopt;
        out += static_cast<char>(byte);
    }
    return out;
}

platform::Result<LnkFile> ParseLnk(std::span<const uint8_t> bytes, const std::string& name)
{
    ByteWindow file(bytes);
    LnkFile link;
    try {
        ReadHeader(file, link);
        size_t pos = Header::Size;
        if (link.Has(LinkFlag::HasLinkTargetIDList))
            pos = ReadIdList(file, pos, link);
        if (link.Has(LinkFlag::HasLinkInfo))
            pos = ReadLinkInfo(file, pos, link);
        pos = ReadStringData(file, pos, link);
        ReadExtraData(file, pos, link);
    } catch (const platform::ByteRangeError& e) {
        return platform::Problem { name, std::string("shortcut: ") + e.what() };
    } catch (const LnkFormatError& e) {
        return platform::Problem { name, e.what() };
    }
    return link;
}

namespace {

// Shell item types of the ID list (the item's first data byte).
constexpr uint8_t ItemTypeGroupMask = 0x70;
constexpr uint8_t ItemTypeVolume = 0x20;
constexpr uint8_t ItemTypeFileEntry = 0x30;
constexpr uint8_t FileEntryUnicodeName = 0x04;

// File entry items, offsets from the item's data (after its size field).
namespace FileEntry {
constexpr size_t Type = 0x00;
constexpr size_t PrimaryName = 0x0C;
}
// Volume items carry the drive as "C:\" after the type byte.
constexpr size_t VolumeItemName = 0x01;

// The extension block with the long name (signature 0xBEEF0004), offsets from its start.
namespace FileEntryExtension {
constexpr size_t Size = 0x00;
constexpr size_t Version = 0x02;
constexpr size_t Signature = 0x04;
constexpr size_t NameBase = 0x12;
constexpr uint32_t LongNameSignature = 0xBEEF0004;
}

std::string ZeroTerminated(const std::vector<uint8_t>& item, size_t offset)
{
    std::string text;
    for (size_t i = offset; i < item.size() && item[i] != 0; ++i)
        text += static_cast<char>(item[i]);
    return text;
}

// Lenient, unlike Utf16Z: a name without its terminator is no name rather than an error.
std::optional<std::u16string> Utf16ZeroTerminated(const ByteWindow& window, size_t offset)
{
    std::u16string text;
    for (size_t i = offset; i + 1 < window.Size(); i += 2) {
        const char16_t unit = window.U16(i);
        if (unit == 0)
            return text;
        text += unit;
    }
    return std::nullopt;
}

// The long name's offset inside the extension block grows with the block's version.
size_t LongNameOffset(uint16_t version)
{
    size_t offset = FileEntryExtension::NameBase;
    if (version >= 7)
        offset += 18;
    if (version >= 3)
        offset += 2;
    if (version >= 9)
        offset += 4;
    if (version >= 8)
        offset += 4;
    return offset;
}

std::optional<std::string> LongNameOf(const std::vector<uint8_t>& item, size_t extensionStart)
{
    if (extensionStart + FileEntryExtension::NameBase > item.size())
        return std::nullopt;
    ByteWindow ext(std::span<const uint8_t>(item).subspan(extensionStart), 0);
    uint16_t size = ext.U16(FileEntryExtension::Size, "extension size");
    uint16_t version = ext.U16(FileEntryExtension::Version, "extension version");
    if (ext.U32(FileEntryExtension::Signature, "extension signature") != FileEntryExtension::LongNameSignature)
        return std::nullopt;
    if (size > ext.Size())
        return std::nullopt;
    auto name = Utf16ZeroTerminated(ext.Sub(0, size, "extension block"), LongNameOffset(version));
    if (!name || name->empty())
        return std::nullopt;
    return ExactCp1250(*name);
}

std::optional<std::string> FileEntryName(const std::vector<uint8_t>& item)
{
    if (item.size() <= FileEntry::PrimaryName)
        return std::nullopt;
    size_t extensionStart;
    std::string primary;
    if (item[FileEntry::Type] & FileEntryUnicodeName) {
        auto name = Utf16ZeroTerminated(ByteWindow(item), FileEntry::PrimaryName);
        if (!name)
            return std::nullopt;
        primary = Cp1250Of(*name);
        extensionStart = FileEntry::PrimaryName + 2 * (name->size() + 1);
    } else {
        primary = ZeroTerminated(item, FileEntry::PrimaryName);
        extensionStart = FileEntry::PrimaryName + primary.size() + 1;
    }
    // The extension block starts on an even offset of the whole item, whose size field we dropped.
    if (extensionStart % 2 != 0)
        ++extensionStart;
    if (auto longName = LongNameOf(item, extensionStart))
        return longName;
    if (primary.empty())
        return std::nullopt;
    return primary;
}

std::string FolderWithBackslash(std::string folder)
{
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
    return folder;
}

// Joins a relative path to a folder, folding "." and ".." without climbing above the drive.
std::string JoinRelative(const std::string& folder, const std::string& relative)
{
    std::vector<std::string> parts;
    size_t rootLength = folder.size() >= 2 && folder[1] == ':' ? 2 : 0;
    std::string root = folder.substr(0, rootLength);
    std::string rest = folder.substr(rootLength) + "\\" + relative;
    for (std::string_view part : platform::SplitNonEmpty(rest, '\\')) {
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (part != ".") {
            parts.emplace_back(part);
        }
    }
    std::string out = root;
    for (const std::string& part : parts)
        out += "\\" + part;
    return out.empty() ? relative : out;
}

}

std::string IdListPath(const LnkFile& link)
{
    std::string path;
    bool atDrive = false;
    for (const auto& item : link.idList) {
        if (item.empty())
            return {};
        uint8_t group = item[0] & ItemTypeGroupMask;
        if (group == ItemTypeVolume) {
            path = FolderWithBackslash(ZeroTerminated(item, VolumeItemName));
            atDrive = path.size() >= 2 && path[1] == ':';
        } else if (group == ItemTypeFileEntry && atDrive) {
            auto name = FileEntryName(item);
            if (!name)
                return {};
            path = FolderWithBackslash(path) + *name;
        } else if (atDrive) {
            return {};
        }
    }
    return atDrive ? path : std::string {};
}

std::string ResolveTarget(const LnkFile& link, const std::string& linkFolder)
{
    if (link.linkInfo) {
        const LnkLinkInfo& info = *link.linkInfo;
        std::string suffix = PreferUnicode(info.commonPathSuffix, info.commonPathSuffixUnicode);
        if (info.flags & LinkInfoFlag::VolumeIDAndLocalBasePath)
            return PreferUnicode(info.localBasePath, info.localBasePathUnicode) + suffix;
        if (info.network) {
            if (suffix.empty())
                return info.network->netName;
            return FolderWithBackslash(info.network->netName) + suffix;
        }
    }
    if (std::string fromIdList = IdListPath(link); !fromIdList.empty())
        return fromIdList;
    if (link.environmentTarget)
        return *link.environmentTarget;
    if (link.relativePath && !link.relativePath->empty() && !linkFolder.empty())
        return JoinRelative(linkFolder, *link.relativePath);
    return {};
}

}
