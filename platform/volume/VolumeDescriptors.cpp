#include "platform/volume/VolumeDescriptors.h"

#include "platform/bytes/ByteReader.h"
#include "platform/volume/IsoFields.h"

#include <cstring>

namespace platform {

namespace {

constexpr uint32_t FirstDescriptorSector = 16;
// A volume rarely has more than four; the bound keeps a damaged one from reading on and on.
constexpr uint32_t MaxDescriptors = 32;

namespace Field {
constexpr size_t Type = 0;
constexpr size_t StandardId = 1;       // "CD001"
constexpr size_t VolumeId = 40;        // 32 bytes
constexpr size_t VolumeSpaceSize = 80; // 32-bit little-endian, then big-endian
constexpr size_t EscapeSequences = 88; // 32 bytes; Joliet: "%/@", "%/C" or "%/E"
constexpr size_t RootRecord = 156;     // the root folder's directory record
}
// In a directory record: the folder's extent and size in bytes, each 32-bit little-endian,
// then big-endian.
constexpr size_t RecordExtent = 2;
constexpr size_t RecordDataLength = 10;
constexpr size_t VolumeIdLength = 32;

constexpr uint8_t TypePrimary = 1;
constexpr uint8_t TypeSupplementary = 2;
constexpr uint8_t TypeTerminator = 255;

std::string TrimRight(std::string text)
{
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0'))
        text.pop_back();
    return text;
}

std::string_view Bytes(const uint8_t* sector)
{
    return std::string_view(reinterpret_cast<const char*>(sector), IsoSectorSize);
}

int JolietLevel(const uint8_t* sector)
{
    const uint8_t* escape = sector + Field::EscapeSequences;
    if (escape[0] != '%' || escape[1] != '/')
        return 0;
    switch (escape[2]) {
    case '@':
        return 1;
    case 'C':
        return 2;
    case 'E':
        return 3;
    default:
        return 0;
    }
}

// Windows derives a CD's serial number from its descriptor (the Joliet one where present): the
// sum of each of the four byte lanes of the sector; the NT family puts lane 0 in the highest
// byte, as the prefixes we make are NT ones.
uint32_t DescriptorSerial(const uint8_t* sector)
{
    uint8_t sum[4] = {};
    for (size_t i = 0; i < IsoSectorSize; i += 4)
        for (size_t lane = 0; lane < 4; ++lane)
            sum[lane] = static_cast<uint8_t>(sum[lane] + sector[i + lane]);
    return uint32_t(sum[0]) << 24 | uint32_t(sum[1]) << 16 | uint32_t(sum[2]) << 8 | uint32_t(sum[3]);
}

}

std::optional<VolumeDescriptors> ReadVolumeDescriptors(const SectorReader& read)
{
    VolumeDescriptors volume;
    bool primary = false;
    uint8_t sector[IsoSectorSize];
    for (uint32_t i = 0; i < MaxDescriptors; ++i) {
        if (!read(FirstDescriptorSector + i, sector))
            break;
        if (std::memcmp(sector + Field::StandardId, "CD001", 5) != 0)
            break;
        uint8_t type = sector[Field::Type];
        ByteReader descriptor(Bytes(sector));
        volume.raw.append(reinterpret_cast<const char*>(sector), IsoSectorSize);
        if (type == TypePrimary && !primary) {
            primary = true;
            volume.primaryLabel = TrimRight(std::string(reinterpret_cast<const char*>(sector + Field::VolumeId), VolumeIdLength));
            volume.volumeSectors = descriptor.U32(Field::VolumeSpaceSize);
            volume.rootLsn = descriptor.U32(Field::RootRecord + RecordExtent);
            volume.rootSize = descriptor.U32(Field::RootRecord + RecordDataLength);
            if (volume.jolietLevel == 0)
                volume.serial = DescriptorSerial(sector);
        } else if (type == TypeSupplementary && volume.jolietLevel == 0 && JolietLevel(sector) > 0) {
            volume.jolietLevel = JolietLevel(sector);
            volume.jolietLabel = TrimRight(Ucs2BeToUtf8(Bytes(sector).substr(Field::VolumeId, VolumeIdLength)));
            volume.jolietRootLsn = descriptor.U32(Field::RootRecord + RecordExtent);
            volume.jolietRootSize = descriptor.U32(Field::RootRecord + RecordDataLength);
            volume.serial = DescriptorSerial(sector);
        } else if (type == TypeTerminator) {
            break;
        }
    }
    if (!primary)
        return std::nullopt;
    return volume;
}

}
