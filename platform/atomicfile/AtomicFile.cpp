#include "platform/atomicfile/AtomicFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

std::function<void(const std::filesystem::path&)>& BeforeRenameHook()
{
    static std::function<void(const std::filesystem::path&)> hook;
    return hook;
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd)
        : m_fd(fd)
    {
    }
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return m_fd; }
    bool Valid() const { return m_fd >= 0; }

private:
    int m_fd;
};

std::optional<std::string> ReadAll(int fd, size_t expected = 0)
{
    std::string content;
    // Room for the whole file at once: growing a large buffer step by step holds two copies.
    content.reserve(expected);
    char buffer[65536];
    for (;;) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return std::nullopt;
        }
        if (got == 0)
            return content;
        content.append(buffer, static_cast<size_t>(got));
    }
}

bool WriteAll(int fd, std::string_view content)
{
    while (!content.empty()) {
        ssize_t put = ::write(fd, content.data(), content.size());
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        content.remove_prefix(static_cast<size_t>(put));
    }
    return true;
}

// Removes the temporary file unless the rename consumed it.
class TemporaryFile {
public:
    explicit TemporaryFile(std::string path)
        : m_path(std::move(path))
    {
    }
    ~TemporaryFile()
    {
        if (!m_path.empty())
            ::unlink(m_path.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    const std::string& Path() const { return m_path; }
    void Release() { m_path.clear(); }

private:
    std::string m_path;
};

bool StoreReplacement(const std::filesystem::path& file, std::string_view content, mode_t mode)
{
    std::string name = ".";
    name.append(file.filename().string()).append(".XXXXXX");
    std::string pattern = (file.parent_path() / name).string();
    int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    FileDescriptor temporaryFd(fd);
    TemporaryFile temporary(pattern);
    if (!WriteAll(fd, content) || ::fchmod(fd, mode) != 0 || ::fsync(fd) != 0)
        return false;
    if (auto& hook = BeforeRenameHook())
        hook(temporary.Path());
    if (::rename(temporary.Path().c_str(), file.c_str()) != 0)
        return false;
    temporary.Release();
    return true;
}

}

void RemoveStaleTemporaries(const std::filesystem::path& file)
{
    constexpr size_t kRandomPart = 6;
    const std::string prefix = "." + file.filename().string() + ".";
    std::filesystem::path folder = file.parent_path().empty() ? std::filesystem::path(".") : file.parent_path();
    std::error_code error;
    for (auto it = std::filesystem::directory_iterator(folder, error); !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        std::string name = it->path().filename().string();
        if (name.size() != prefix.size() + kRandomPart || !name.starts_with(prefix))
            continue;
        bool random = std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
            [](char ch) { return std::isalnum(static_cast<unsigned char>(ch)) != 0; });
        struct stat info {};
        if (random && ::lstat(it->path().c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::getuid())
            ::unlink(it->path().c_str());
    }
}

std::optional<std::string> ReadHostFile(const std::filesystem::path& file)
{
    FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.Valid())
        return std::nullopt;
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0 || S_ISDIR(info.st_mode))
        return std::nullopt;
    return ReadAll(fd.Get(), static_cast<size_t>(info.st_size));
}

bool EditHostFileAtomically(const std::filesystem::path& file, const FileEdit& edit)
{
    std::filesystem::path folder = file.parent_path();
    if (folder.empty())
        folder = ".";
    FileDescriptor folderFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folderFd.Valid() || ::flock(folderFd.Get(), LOCK_EX) != 0)
        return false;
    RemoveStaleTemporaries(file);

    std::optional<std::string> current;
    mode_t mode = 0644;
    struct stat info {};
    if (::stat(file.c_str(), &info) == 0) {
        // A read-only file refuses writes, as on Windows, even where the folder would allow
        // replacing it.
        if (!S_ISREG(info.st_mode) || (info.st_mode & S_IWUSR) == 0)
            return false;
        mode = info.st_mode & 07777;
        current = ReadHostFile(file);
        if (!current)
            return false;
    } else if (errno != ENOENT) {
        return false;
    }

    std::optional<std::string> replacement = edit(current);
    if (!replacement)
        return true;
    return StoreReplacement(file, *replacement, mode);
}

bool WriteHostFileAtomically(const std::filesystem::path& file, std::string_view content)
{
    return EditHostFileAtomically(file, [&](const std::optional<std::string>&) { return std::string(content); });
}

namespace testing {
void SetBeforeRenameHook(std::function<void(const std::filesystem::path&)> hook)
{
    BeforeRenameHook() = std::move(hook);
}
}

}
