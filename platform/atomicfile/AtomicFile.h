#pragma once

// Host-side reading and replacing of whole files. A replacement is written to a temporary file
// in the same folder and renamed over the old one while an advisory lock on the folder is held,
// so readers see the old or the new content, never a part, and writers do not lose each
// other's edits.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

std::optional<std::string> ReadHostFile(const std::filesystem::path& file);

// Under the lock: reads the current content (empty when the file is missing), asks `edit` for
// the new one and stores it; `edit` returning no text leaves the file alone. False when the
// folder is missing or not writable, the file is read-only or writing fails; the old file is
// then intact and no temporary file is left.
using FileEdit = std::function<std::optional<std::string>(const std::optional<std::string>& current)>;
bool EditHostFileAtomically(const std::filesystem::path& file, const FileEdit& edit);
bool WriteHostFileAtomically(const std::filesystem::path& file, std::string_view content);

// Removes the temporary files that writers of `file` left when they were killed before their
// rename ("." + name + "." + six letters or digits). Call it only while holding the folder's
// lock: every writer holds that lock for as long as its temporary file lives, so any such file
// found then belongs to a writer that is gone.
void RemoveStaleTemporaries(const std::filesystem::path& file);

namespace testing {
// Runs just before the rename of every replacement; a hook that throws stands for a crash at
// that point.
void SetBeforeRenameHook(std::function<void(const std::filesystem::path& temporary)> hook);
}

}
