#pragma once

// The private-profile functions over Windows paths, and the framework's INI file object that
// the menu keeps open for its catalogue and its state file. A bare file name means the Windows
// folder of the machine.

#include "platform/types/Exception.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

// The host file a profile name refers to: bare names in C:\WINDOWS, other names made absolute
// against the current directory. Empty when it lies outside the mapped drives.
std::optional<std::filesystem::path> ProfileHostPath(std::string_view fileName);

std::string GetPrivateProfileString(std::string_view section, std::string_view key,
    std::string_view defaultValue, std::string_view fileName);
int32_t GetPrivateProfileInt(std::string_view section, std::string_view key, int32_t defaultValue,
    std::string_view fileName);
std::vector<std::string> GetPrivateProfileSectionNames(std::string_view fileName);
std::vector<std::string> GetPrivateProfileKeyNames(std::string_view section, std::string_view fileName);
bool WritePrivateProfileString(std::string_view section, std::optional<std::string_view> key,
    std::optional<std::string_view> value, std::string_view fileName);

}

// A refused write; the message is "Unable to write to " and the file name as given.
class EIniFileException : public platform::Exception {
public:
    using platform::Exception::Exception;
};

namespace platform {
class IniDocument;
}

class TIniFile {
public:
    explicit TIniFile(std::string fileName);
    // A file whose text was read elsewhere (from a disc image): reads take `contents`, and
    // writes are refused, as there is no file to write to.
    TIniFile(std::string fileName, std::shared_ptr<const platform::IniDocument> contents);

    // While a batch is open, reads take the contents the file had when it opened: one look at
    // the file for many values (a catalogue load), instead of one per value. Writes through
    // this object are seen; changes made by others meanwhile are not.
    class ReadBatch {
    public:
        explicit ReadBatch(const TIniFile& file);
        ~ReadBatch();
        ReadBatch(const ReadBatch&) = delete;
        ReadBatch& operator=(const ReadBatch&) = delete;

    private:
        const TIniFile& m_file;
        bool m_outermost;
    };

    const std::string& FileName() const { return m_fileName; }

    std::string ReadString(std::string_view section, std::string_view ident, std::string_view defaultValue) const;
    int32_t ReadInteger(std::string_view section, std::string_view ident, int32_t defaultValue) const;
    bool ReadBool(std::string_view section, std::string_view ident, bool defaultValue) const;
    // Section names in file order; the key names of one section in file order.
    std::vector<std::string> ReadSections() const;
    std::vector<std::string> ReadSection(std::string_view section) const;
    // The section's keys with their values (each cut as ReadString cuts it), in file order.
    std::vector<std::pair<std::string, std::string>> ReadSectionValues(std::string_view section) const;
    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view ident) const;

    // Each raises EIniFileException when the write is refused.
    void WriteString(std::string_view section, std::string_view ident, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view ident, int32_t value);
    void WriteBool(std::string_view section, std::string_view ident, bool value);
    void EraseSection(std::string_view section);
    void DeleteKey(std::string_view section, std::string_view ident);

private:
    void Write(std::string_view section, std::optional<std::string_view> ident,
        std::optional<std::string_view> value);

    // The document reads come from: the batch's, or the file's as it is now.
    std::shared_ptr<const platform::IniDocument> Document() const;
    // Where the file lies on the host. A file once found is looked for there again while the
    // drive table stays as it was, so a read costs one look at the file, not one per folder.
    std::optional<std::filesystem::path> HostPath(bool fresh) const;

    std::string m_fileName;
    mutable std::shared_ptr<const platform::IniDocument> m_batch;
    mutable std::optional<std::filesystem::path> m_host;
    mutable uint64_t m_hostDrives = 0;
    bool m_readOnly = false;
};
