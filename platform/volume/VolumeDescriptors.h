#pragma once

// The volume descriptors at the start of an ISO 9660 volume (sector 16 on): the primary one
// and, where present, the Joliet one. They give the labels, the size, the Joliet level and the
// volume serial number Windows shows for the disc.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace platform {

inline constexpr uint32_t IsoSectorSize = 2048;

struct VolumeDescriptors {
    std::string primaryLabel; // trimmed, as recorded
    std::string jolietLabel;  // UTF-8; empty without Joliet
    int jolietLevel = 0;
    uint32_t volumeSectors = 0;
    uint32_t rootLsn = 0; // the primary tree's root folder: its extent and bytes
    uint32_t rootSize = 0;
    uint32_t jolietRootLsn = 0; // and the Joliet tree's
    uint32_t jolietRootSize = 0;
    uint32_t serial = 0;
    // The descriptor sectors as read, to tell one volume from another.
    std::string raw;
};

// Reads 2048-byte sectors into the buffer; false when it cannot.
using SectorReader = std::function<bool(uint32_t lsn, uint8_t* buffer)>;

// Empty when sector 16 holds no primary volume descriptor.
std::optional<VolumeDescriptors> ReadVolumeDescriptors(const SectorReader& read);

}
