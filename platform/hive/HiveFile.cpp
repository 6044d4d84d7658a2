#include "platform/hive/HiveFile.h"

#include "platform/atomicfile/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// Holds flock(2) on a folder for as long as it lives.
class FolderLock {
public:
    explicit FolderLock(const std::filesystem::path& folder)
        : m_fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        if (m_fd >= 0) {
            while (::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
    }
    ~FolderLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    bool Held() const { return m_fd >= 0; }

private:
    int m_fd;
};

bool WriteAll(int fd, const std::string& content)
{
    size_t done = 0;
    while (done < content.size()) {
        ssize_t written = ::write(fd, content.data() + done, content.size() - done);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<size_t>(written);
    }
    return true;
}

}

HiveFile::HiveFile(std::filesystem::path file, std::u16string relativeTo, bool win64)
    : m_path(std::move(file))
    , m_relativeTo(std::move(relativeTo))
    , m_win64(win64)
    , m_rename([](const char* from, const char* to) { return std::rename(from, to); })
{
}

HiveFile::Stamp HiveFile::CurrentStamp() const
{
    struct stat info {};
    if (::stat(m_path.c_str(), &info) != 0)
        return {};
    return { true, static_cast<uintmax_t>(info.st_size),
        static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec, static_cast<uint64_t>(info.st_ino) };
}

std::optional<RegistryFile> HiveFile::Load() const
{
    std::string text;
    std::error_code error;
    auto status = std::filesystem::status(m_path, error);
    if (std::filesystem::exists(status)) {
        if (!std::filesystem::is_regular_file(status))
            return std::nullopt;
        auto read = ReadHostFile(m_path);
        if (!read)
            return std::nullopt;
        text = std::move(*read);
    }
    RegistryFile file = text.empty() ? RegistryFile::Create(m_relativeTo, m_win64) : RegistryFile::ParseOwned(std::move(text));
    if (m_now)
        file.SetClock(m_now);
    return file;
}

const RegistryFile& HiveFile::Read()
{
    Stamp stamp = CurrentStamp();
    if (!m_loaded || !(stamp == m_stamp)) {
        auto loaded = Load();
        m_readable = loaded.has_value();
        m_contents = loaded ? std::move(*loaded) : RegistryFile::Create(m_relativeTo, m_win64);
        for (auto& change : m_memoryChanges)
            change(m_contents);
        m_stamp = stamp;
        m_loaded = true;
    }
    return m_contents;
}

bool HiveFile::Modify(const std::function<bool(RegistryFile&)>& change)
{
    FolderLock lock(m_path.parent_path());
    if (!lock.Held())
        return false;
    RemoveStaleTemporaries(m_path);
    // One hive in memory at a time: what was read stays in use when the file has not changed
    // since (and holds no changes that live only in memory), and is dropped otherwise.
    std::optional<RegistryFile> loaded;
    if (m_loaded && m_readable && m_memoryChanges.empty() && CurrentStamp() == m_stamp) {
        loaded = std::move(m_contents);
    } else {
        m_contents = RegistryFile();
        loaded = Load();
    }
    m_loaded = false;
    if (!loaded)
        return false;
    RegistryFile& fresh = *loaded;
    if (!change(fresh))
        return false;
    if (!WriteAtomically(fresh.Serialize()))
        return false;
    m_contents = std::move(fresh);
    for (auto& memoryChange : m_memoryChanges)
        memoryChange(m_contents);
    m_stamp = CurrentStamp();
    m_loaded = true;
    m_readable = true;
    return true;
}

void HiveFile::ApplyInMemory(const std::function<bool(RegistryFile&)>& change)
{
    Read();
    change(m_contents);
    m_memoryChanges.push_back(change);
}

void HiveFile::DropMemoryChanges()
{
    m_memoryChanges.clear();
    m_loaded = false;
}

bool HiveFile::WriteAtomically(const std::string& content)
{
    std::string pattern = (m_path.parent_path() / ("." + m_path.filename().string() + ".XXXXXX")).string();
    int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return false;
    struct stat old {};
    mode_t mode = ::stat(m_path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    bool written = ::fchmod(fd, mode) == 0 && WriteAll(fd, content) && ::fsync(fd) == 0;
    written = (::close(fd) == 0) && written;
    if (!written || m_rename(pattern.c_str(), m_path.c_str()) != 0) {
        ::unlink(pattern.c_str());
        return false;
    }
    return true;
}

}
