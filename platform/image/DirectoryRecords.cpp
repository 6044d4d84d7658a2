#include "platform/image/DirectoryRecords.h"

#include "platform/bytes/ByteReader.h"
#include "platform/volume/IsoFields.h"
#include "platform/volume/VolumeDescriptors.h"

namespace platform {

namespace {

namespace Record {
constexpr size_t Length = 0;
constexpr size_t Extent = 2;         // 32-bit little-endian, then big-endian
constexpr size_t DataLength = 10;    // the same
constexpr size_t RecordingTime = 18; // years since 1900, month, day, hour, minute, second, zone
constexpr size_t Flags = 25;
constexpr size_t NameLength = 32;
constexpr size_t Name = 33;
}
constexpr uint8_t FlagDirectory = 0x02;
constexpr uint8_t FlagMultiExtent = 0x80;

// System use entries (SUSP) of Rock Ridge: two signature letters, length, version, data.
namespace Susp {
constexpr size_t Length = 2;
constexpr size_t Data = 4;
}
constexpr size_t NameFlags = 4; // NM: bits 1 and 2 mark "." and ".."; a name split over several NM entries is joined
constexpr size_t NameText = 5;
constexpr uint8_t NameCurrentOrParent = 0x06;
constexpr size_t ModeField = 4;         // PX: the file mode, 32-bit little-endian, then big-endian
constexpr size_t ContinuationBlock = 4; // CE: sector, offset and length, each both-endian
constexpr size_t ContinuationOffset = 12;
constexpr size_t ContinuationLength = 20;
constexpr size_t ChildLocation = 4; // CL: the relocated folder's extent, both-endian
constexpr size_t LinkFlags = 4;     // SL: bit 0 says the next SL entry goes on with the target
constexpr size_t LinkComponents = 5;
// An SL component: flags, length, text. The flags say the text goes on in the next component
// (no "/" between), or that it stands for ".", ".." or the root.
constexpr size_t ComponentFlags = 0;
constexpr size_t ComponentLength = 1;
constexpr size_t ComponentText = 2;
constexpr uint8_t ComponentContinues = 0x01;
constexpr uint8_t ComponentCurrent = 0x02;
constexpr uint8_t ComponentParent = 0x04;
constexpr uint8_t ComponentRoot = 0x08;
constexpr size_t ZisofsAlgorithm = 4; // ZF: "pz", header size / 4, block size log2, then
constexpr size_t ZisofsSize = 8;      // the uncompressed size, both-endian
// PL (a relocated folder's real parent) is not read: ".." records are never listed.
// A record's system use area with its continuations is small; the bound stops loops.
constexpr int MaxContinuations = 8;
constexpr uint32_t MaxContinuationBytes = IsoSectorSize;

// Days since 1970-01-01 of a civil date.
int64_t DaysFromCivil(int64_t year, unsigned month, unsigned day)
{
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<int64_t>(dayOfEra) - 719468;
}

int64_t RecordingTime(std::string_view record)
{
    auto at = [&](size_t i) { return static_cast<uint8_t>(record[Record::RecordingTime + i]); };
    unsigned month = at(1), day = at(2);
    if (month < 1 || month > 12 || day < 1 || day > 31)
        return 0;
    int64_t seconds = DaysFromCivil(1900 + at(0), month, day) * 86400 + at(3) * 3600 + at(4) * 60 + at(5);
    int zoneQuarters = static_cast<int8_t>(at(6));
    return seconds - int64_t(zoneQuarters) * 15 * 60;
}

// Appends an SL entry's components to `target`; false when a component cannot be a host name.
bool ReadLinkComponents(std::string_view item, std::string& target, bool& joinNext)
{
    size_t at = LinkComponents;
    while (at + ComponentText <= item.size()) {
        uint8_t flags = static_cast<uint8_t>(item[at + ComponentFlags]);
        size_t length = static_cast<uint8_t>(item[at + ComponentLength]);
        if (at + ComponentText + length > item.size())
            return false;
        std::string_view text = item.substr(at + ComponentText, length);
        if (text.find('/') != std::string_view::npos || text.find('\0') != std::string_view::npos)
            return false;
        if (flags & ComponentRoot)
            target = "/";
        else {
            if (!joinNext && !target.empty() && target.back() != '/')
                target += '/';
            target += (flags & ComponentCurrent) ? "." : (flags & ComponentParent) ? ".."
                                                                                   : std::string(text);
        }
        joinNext = (flags & ComponentContinues) != 0;
        at += ComponentText + length;
    }
    return true;
}

// The Rock Ridge fields of a system use area, following continuation areas.
void ReadRockRidge(std::string_view area, const ContinuationReader& continuation, RawFolderEntry& entry)
{
    std::string name;
    bool named = false;
    std::string target;
    bool linked = false, linkUsable = true, joinNext = false;
    std::string held; // the continuation area being read
    for (int hops = 0;; ++hops) {
        std::optional<std::string> next;
        size_t at = 0;
        while (at + Susp::Data <= area.size()) {
            size_t length = static_cast<uint8_t>(area[at + Susp::Length]);
            if (length < Susp::Data || at + length > area.size())
                break;
            std::string_view item = area.substr(at, length);
            std::string_view signature = item.substr(0, 2);
            ByteReader fields(item);
            if (signature == "NM" && length > NameFlags) {
                uint8_t flags = static_cast<uint8_t>(item[NameFlags]);
                if (!(flags & NameCurrentOrParent) && length >= NameText) {
                    name.append(item.substr(NameText));
                    named = true;
                }
            } else if (signature == "PX" && length >= ModeField + 4) {
                entry.rockMode = fields.U32(ModeField);
            } else if (signature == "CE" && length >= ContinuationLength + 4 && continuation) {
                uint32_t bytes = fields.U32(ContinuationLength);
                if (bytes <= MaxContinuationBytes)
                    next = continuation(fields.U32(ContinuationBlock), fields.U32(ContinuationOffset), bytes);
            } else if (signature == "CL" && length >= ChildLocation + 8) {
                entry.childLocation = fields.U32(ChildLocation);
            } else if (signature == "RE") {
                entry.relocated = true;
            } else if (signature == "SL" && length > LinkFlags) {
                linked = true;
                linkUsable = ReadLinkComponents(item, target, joinNext) && linkUsable;
            } else if (signature == "ZF" && length >= ZisofsSize + 8 && item.substr(ZisofsAlgorithm, 2) == "pz") {
                entry.zisofsSize = fields.U32(ZisofsSize);
            } else if (signature == "ST") {
                break;
            }
            at += length;
        }
        if (!next || hops >= MaxContinuations)
            break;
        held = std::move(*next);
        area = held;
    }
    if (named && !name.empty()) {
        entry.name = name;
        entry.rockName = true;
    }
    if (linked)
        entry.linkTarget = linkUsable ? target : std::string();
}

}

std::vector<RawFolderEntry> ReadDirectoryRecords(std::string_view folder, bool joliet, const ContinuationReader& continuation)
{
    std::vector<RawFolderEntry> entries;
    std::string pieceName; // the raw name of the last record
    for (size_t sector = 0; sector + IsoSectorSize <= folder.size(); sector += IsoSectorSize) {
        std::string_view bytes = folder.substr(sector, IsoSectorSize);
        size_t at = 0;
        // Records never cross a sector; a zero length ends the sector's records.
        while (at + Record::Name < bytes.size()) {
            size_t length = static_cast<uint8_t>(bytes[at + Record::Length]);
            if (length == 0)
                break;
            if (length <= Record::Name || at + length > bytes.size())
                break;
            std::string_view record = bytes.substr(at, length);
            at += length;
            size_t nameLength = static_cast<uint8_t>(record[Record::NameLength]);
            if (Record::Name + nameLength > record.size() || nameLength == 0)
                continue;
            std::string_view rawName = record.substr(Record::Name, nameLength);
            if (nameLength == 1 && (rawName[0] == '\0' || rawName[0] == '\1'))
                continue;
            uint8_t flags = static_cast<uint8_t>(record[Record::Flags]);
            uint32_t lsn = ByteReader(record).U32(Record::Extent, "extent");
            uint64_t size = ByteReader(record).U32(Record::DataLength, "data length");
            // A file of several extents is recorded as records of one name in a row, each but
            // the last flagged.
            if (!entries.empty() && entries.back().multiExtent && rawName == pieceName) {
                RawFolderEntry& file = entries.back();
                file.extents.push_back({ lsn, size });
                file.size += size;
                file.multiExtent = (flags & FlagMultiExtent) != 0;
                continue;
            }
            pieceName = std::string(rawName);
            RawFolderEntry entry;
            entry.name = joliet ? Ucs2BeToUtf8(rawName) : std::string(rawName);
            entry.lsn = lsn;
            entry.size = size;
            entry.extents.push_back({ lsn, size });
            entry.folder = (flags & FlagDirectory) != 0;
            entry.multiExtent = (flags & FlagMultiExtent) != 0;
            entry.time = RecordingTime(record);
            if (!joliet) {
                // The system use area starts after the name, padded to an even offset.
                size_t systemUse = Record::Name + nameLength + ((nameLength % 2 == 0) ? 1 : 0);
                if (systemUse < record.size())
                    ReadRockRidge(record.substr(systemUse), continuation, entry);
            }
            entries.push_back(std::move(entry));
        }
    }
    return entries;
}

std::optional<uint64_t> FolderSelfSize(std::string_view sector)
{
    if (sector.size() <= Record::Name)
        return std::nullopt;
    size_t length = static_cast<uint8_t>(sector[Record::Length]);
    if (length <= Record::Name || length > sector.size() || sector[Record::NameLength] != 1 || sector[Record::Name] != '\0'
        || !(static_cast<uint8_t>(sector[Record::Flags]) & FlagDirectory))
        return std::nullopt;
    return ByteReader(sector).U32(Record::DataLength, "data length");
}

}
