#pragma once

// An advisory lock on a host file (flock), shared or exclusive, held until the object goes.
// The kernel drops it when the process ends, however it ends, so a crashed holder never leaves a
// lock behind. Two FileLock objects on the same file conflict even within one process.

#include <filesystem>
#include <optional>

namespace platform {

class FileLock {
public:
    enum class Mode { Shared,
        Exclusive };

    // Opens (creating when missing) and locks the file, waiting when `wait`, else failing at
    // once when another holder conflicts. Empty on failure.
    static std::optional<FileLock> Acquire(const std::filesystem::path& file, Mode mode, bool wait = true);

    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock();

    // Turns a shared lock into an exclusive one without waiting. False when someone else holds
    // the file too; the lock is then gone altogether, as flock drops the shared one first.
    bool TryUpgrade();

private:
    explicit FileLock(int fd)
        : m_fd(fd) {}
    int m_fd = -1;
};

}
