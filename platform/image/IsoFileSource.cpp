// A plain image file of 2048-byte sectors: sectors are read straight from the file, and files
// are copied by the kernel (copy_file_range), as cp copies.

#include "platform/image/VolumeDescriptors.h"
#include "platform/image/VolumeSource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

namespace {

class IsoFileSource : public VolumeSource {
public:
    IsoFileSource(int fd, uint64_t bytes)
        : m_fd(fd)
        , m_bytes(bytes)
    {
    }
    ~IsoFileSource() override { ::close(m_fd); }

    bool ReadSectors(uint32_t lsn, uint32_t count, uint8_t* buffer) override
    {
        uint64_t offset = uint64_t(lsn) * IsoSectorSize;
        uint64_t bytes = uint64_t(count) * IsoSectorSize;
        if (offset + bytes > m_bytes)
            return false;
        while (bytes > 0) {
            ssize_t got = ::pread(m_fd, buffer, bytes, static_cast<off_t>(offset));
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

    uint64_t AvailableSectors() const override { return m_bytes / IsoSectorSize; }

    bool CopyExtent(uint32_t lsn, uint64_t size, int fd, const CopyProgress& progress) override
    {
        off_t from = static_cast<off_t>(uint64_t(lsn) * IsoSectorSize);
        if (uint64_t(from) + size > m_bytes)
            return false;
        constexpr size_t Step = 8 << 20;
        uint64_t left = size;
        while (left > 0) {
            ssize_t copied = ::copy_file_range(m_fd, &from, fd, nullptr, static_cast<size_t>(std::min<uint64_t>(left, Step)), 0);
            if (copied < 0 && errno == EINTR)
                continue;
            if (copied < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP))
                return VolumeSource::CopyExtent(static_cast<uint32_t>(from / IsoSectorSize), left, fd, progress);
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
};

}

std::unique_ptr<VolumeSource> OpenIsoFileSource(const std::string& file)
{
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<IsoFileSource>(fd, static_cast<uint64_t>(info.st_size));
}

}
