// An image file read by ourselves: plain 2048-byte sectors, whose files the kernel copies
// (copy_file_range) as cp copies, or raw sectors (2336, 2352 or 2448 bytes) whose user data
// sits after the header, from a byte offset in the file on.

#include "platform/volume/VolumeDescriptors.h"
#include "platform/image/VolumeSource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace platform {

namespace {

// Raw sectors: the mode byte of the header tells where the user data starts.
constexpr size_t RawModeByte = 15;
constexpr uint32_t Mode1Data = 16;
constexpr uint32_t Mode2Data = 24;
constexpr uint32_t Mode2FormData = 8; // 2336-byte sectors start with the subheader

bool ReadAll(int fd, uint8_t* buffer, uint64_t bytes, uint64_t offset)
{
    while (bytes > 0) {
        ssize_t got = ::pread(fd, buffer, bytes, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        buffer += got;
        offset += static_cast<uint64_t>(got);
        bytes -= static_cast<uint64_t>(got);
    }
    return true;
}

class FileSectorSource : public VolumeSource {
public:
    FileSectorSource(int fd, uint64_t bytes, const SectorLayout& layout)
        : m_fd(fd)
        , m_bytes(bytes)
        , m_layout(layout)
    {
    }
    ~FileSectorSource() override { ::close(m_fd); }

    bool ReadSectors(uint32_t lsn, uint32_t count, uint8_t* buffer) override
    {
        if (uint64_t(lsn) + count > AvailableSectors())
            return false;
        uint64_t offset = m_layout.base + uint64_t(lsn) * m_layout.stride;
        if (m_layout.stride == IsoSectorSize)
            return ReadAll(m_fd, buffer, uint64_t(count) * IsoSectorSize, offset);
        std::vector<uint8_t> raw(size_t(count) * m_layout.stride);
        if (!ReadAll(m_fd, raw.data(), raw.size(), offset))
            return false;
        for (uint32_t i = 0; i < count; ++i) {
            const uint8_t* sector = raw.data() + size_t(i) * m_layout.stride;
            uint32_t data = m_layout.stride == 2336 ? Mode2FormData : sector[RawModeByte] == 2 ? Mode2Data
                                                                                               : Mode1Data;
            std::memcpy(buffer + size_t(i) * IsoSectorSize, sector + data, IsoSectorSize);
        }
        return true;
    }

    uint64_t AvailableSectors() const override
    {
        uint64_t end = std::min(m_bytes, m_layout.base + m_layout.bytes);
        return end > m_layout.base ? (end - m_layout.base) / m_layout.stride : 0;
    }

    bool CopyExtent(uint32_t lsn, uint64_t size, int fd, const CopyProgress& progress) override
    {
        if (m_layout.stride != IsoSectorSize)
            return VolumeSource::CopyExtent(lsn, size, fd, progress);
        if (uint64_t(lsn) + (size + IsoSectorSize - 1) / IsoSectorSize > AvailableSectors())
            return false;
        off_t from = static_cast<off_t>(m_layout.base + uint64_t(lsn) * IsoSectorSize);
        constexpr size_t Step = 8 << 20;
        uint64_t left = size;
        while (left > 0) {
            ssize_t copied = ::copy_file_range(m_fd, &from, fd, nullptr, static_cast<size_t>(std::min<uint64_t>(left, Step)), 0);
            if (copied < 0 && errno == EINTR)
                continue;
            if (copied < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP))
                return VolumeSource::CopyExtent(static_cast<uint32_t>((uint64_t(from) - m_layout.base) / IsoSectorSize), left, fd, progress);
            if (copied <= 0)
                return false;
            left -= static_cast<uint64_t>(copied);
            if (progress && !progress(static_cast<uint64_t>(copied)))
                return false;
        }
        return true;
    }

private:
    int m_fd;
    uint64_t m_bytes;
    SectorLayout m_layout;
};

}

std::unique_ptr<VolumeSource> OpenFileSource(const std::string& file, const SectorLayout& layout)
{
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<FileSectorSource>(fd, static_cast<uint64_t>(info.st_size), layout);
}

}
