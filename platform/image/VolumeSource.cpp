#include "platform/image/VolumeSource.h"

#include "platform/volume/VolumeDescriptors.h"

#include <unistd.h>

#include <cerrno>
#include <vector>

namespace platform {

namespace {

constexpr uint32_t CopyChunkSectors = 512; // 1 MiB a read

bool WriteAll(int fd, const uint8_t* data, size_t size)
{
    while (size > 0) {
        ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

}

bool VolumeSource::CopyExtent(uint32_t lsn, uint64_t size, int fd, const CopyProgress& progress)
{
    std::vector<uint8_t> buffer(size_t(CopyChunkSectors) * IsoSectorSize);
    uint64_t left = size;
    while (left > 0) {
        uint32_t sectors = static_cast<uint32_t>(std::min<uint64_t>(CopyChunkSectors, (left + IsoSectorSize - 1) / IsoSectorSize));
        if (!ReadSectors(lsn, sectors, buffer.data()))
            return false;
        size_t bytes = static_cast<size_t>(std::min<uint64_t>(left, uint64_t(sectors) * IsoSectorSize));
        if (!WriteAll(fd, buffer.data(), bytes))
            return false;
        left -= bytes;
        lsn += sectors;
        if (progress && !progress(bytes))
            return false;
    }
    return true;
}

}
