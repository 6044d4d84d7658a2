#pragma once

// A hive file on disk (system.reg or user.reg). Reads are served from memory and the file is
// parsed again only when its size, time or identity changed. Changes are made under an
// advisory lock on the file's folder, on a fresh read of the file, and written to a temporary
// file in the same folder that is renamed over the old one, so a crash leaves either the old
// or the new file, never half of one.

#include "platform/hive/RegistryFile.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class HiveFile {
public:
    // `relativeTo` and `win64` describe the hive that is made when the file does not exist.
    HiveFile(std::filesystem::path file, std::u16string relativeTo, bool win64 = false);

    const std::filesystem::path& Path() const { return m_path; }

    // The current contents; a missing or unreadable file reads as an empty hive.
    const RegistryFile& Read();

    // Applies `change` to the file's current contents and writes it back when `change` returns
    // true. False when the change was refused or the file could not be read or written; the
    // file is then as it was (one that cannot be read is never replaced).
    bool Modify(const std::function<bool(RegistryFile&)>& change);

    // Applies a change to the contents in memory only (the file belongs to a running
    // wineserver, which got the same change); it is applied again after each re-read until
    // DropMemoryChanges().
    void ApplyInMemory(const std::function<bool(RegistryFile&)>& change);
    bool HasMemoryChanges() const { return !m_memoryChanges.empty(); }
    // Forgets the in-memory changes and reads the file afresh next time.
    void DropMemoryChanges();

    // Replaces rename(2) for tests that make the last step of a write fail.
    void SetRenameForTesting(std::function<int(const char* from, const char* to)> rename) { m_rename = std::move(rename); }
    // A fixed clock for key timestamps (seconds since 1970).
    void SetClockForTesting(std::function<int64_t()> now) { m_now = std::move(now); }

private:
    struct Stamp {
        bool exists = false;
        uintmax_t size = 0;
        int64_t modifiedNs = 0;
        uint64_t inode = 0;
        bool operator==(const Stamp&) const = default;
    };
    Stamp CurrentStamp() const;
    // nullopt when the file exists but cannot be read whole.
    std::optional<RegistryFile> Load() const;
    bool WriteAtomically(const std::string& content);

    std::filesystem::path m_path;
    std::u16string m_relativeTo;
    bool m_win64;
    bool m_loaded = false;
    Stamp m_stamp;
    bool m_readable = false; // m_contents came from the file, not from a failed read
    RegistryFile m_contents;
    std::vector<std::function<bool(RegistryFile&)>> m_memoryChanges;
    std::function<int(const char*, const char*)> m_rename;
    std::function<int64_t()> m_now;
};

}
