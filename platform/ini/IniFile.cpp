#include "platform/ini/IniFile.h"

#include "platform/files/Files.h"
#include "platform/files/PathResolver.h"
#include "platform/ini/IniDocument.h"
#include "platform/ini/ProfileFile.h"

#include <string>

namespace platform {

std::optional<std::filesystem::path> ProfileHostPath(std::string_view fileName)
{
    if (fileName.empty())
        return std::nullopt;
    bool bare = fileName.find_first_of("\\/:") == std::string_view::npos;
    std::string winPath = bare ? std::string(kWindowsDirectory) + "\\" + std::string(fileName) : std::string(fileName);
    return ResolveForCreate(winPath);
}

std::string GetPrivateProfileString(std::string_view section, std::string_view key, std::string_view defaultValue,
    std::string_view fileName)
{
    auto host = ProfileHostPath(fileName);
    if (!host) {
        std::string result = DefaultProfileString(defaultValue);
        if (result.size() > kMaxProfileValueLength)
            result.resize(kMaxProfileValueLength);
        return result;
    }
    return ReadProfileString(*host, section, key, defaultValue);
}

int32_t GetPrivateProfileInt(std::string_view section, std::string_view key, int32_t defaultValue, std::string_view fileName)
{
    auto host = ProfileHostPath(fileName);
    return host ? ReadProfileInt(*host, section, key, defaultValue) : defaultValue;
}

std::vector<std::string> GetPrivateProfileSectionNames(std::string_view fileName)
{
    auto host = ProfileHostPath(fileName);
    return host ? ReadProfileSectionNames(*host) : std::vector<std::string> {};
}

std::vector<std::string> GetPrivateProfileKeyNames(std::string_view section, std::string_view fileName)
{
    auto host = ProfileHostPath(fileName);
    return host ? ReadProfileKeyNames(*host, section) : std::vector<std::string> {};
}

bool WritePrivateProfileString(std::string_view section, std::optional<std::string_view> key,
    std::optional<std::string_view> value, std::string_view fileName)
{
    auto host = ProfileHostPath(fileName);
    return host && WriteProfileString(*host, section, key, value);
}

}

TIniFile::TIniFile(std::string fileName)
    : m_fileName(std::move(fileName))
{
}

TIniFile::TIniFile(std::string fileName, std::shared_ptr<const platform::IniDocument> contents)
    : m_fileName(std::move(fileName))
    , m_batch(contents ? std::move(contents) : std::make_shared<const platform::IniDocument>())
    , m_readOnly(true)
{
}

TIniFile::ReadBatch::ReadBatch(const TIniFile& file)
    : m_file(file)
    , m_outermost(!file.m_batch)
{
    if (m_outermost)
        m_file.m_batch = m_file.Document();
}

TIniFile::ReadBatch::~ReadBatch()
{
    if (m_outermost)
        m_file.m_batch.reset();
}

std::optional<std::filesystem::path> TIniFile::HostPath(bool fresh) const
{
    // A name relative to the current directory can mean another file at any time.
    const std::string& name = m_fileName;
    bool bare = name.find_first_of("\\/:") == std::string::npos;
    bool absolute = name.size() > 2 && name[1] == ':' && (name[2] == '\\' || name[2] == '/');
    uint64_t drives = platform::DriveTableGeneration();
    if (fresh || !m_host || drives != m_hostDrives || !(bare || absolute)) {
        m_host = platform::ProfileHostPath(m_fileName);
        m_hostDrives = drives;
    }
    return m_host;
}

std::shared_ptr<const platform::IniDocument> TIniFile::Document() const
{
    if (m_batch)
        return m_batch;
    static const auto none = std::make_shared<const platform::IniDocument>();
    // A remembered place that no longer holds the file is looked up again: the file may have
    // come back under another spelling, or somewhere the current directory now points.
    for (bool fresh : { false, true }) {
        auto host = HostPath(fresh);
        if (!host)
            return none;
        if (auto document = platform::LoadExistingProfile(*host))
            return document;
    }
    return none;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view ident, std::string_view defaultValue) const
{
    return platform::ProfileString(*Document(), section, ident, defaultValue);
}

int32_t TIniFile::ReadInteger(std::string_view section, std::string_view ident, int32_t defaultValue) const
{
    return platform::ProfileInt(*Document(), section, ident, defaultValue);
}

bool TIniFile::ReadBool(std::string_view section, std::string_view ident, bool defaultValue) const
{
    return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

std::vector<std::string> TIniFile::ReadSections() const
{
    return Document()->SectionNames();
}

std::vector<std::string> TIniFile::ReadSection(std::string_view section) const
{
    return Document()->KeyNames(section);
}

std::vector<std::pair<std::string, std::string>> TIniFile::ReadSectionValues(std::string_view section) const
{
    auto entries = Document()->Entries(section);
    for (auto& entry : entries) {
        if (entry.second.size() > platform::kMaxProfileValueLength)
            entry.second.resize(platform::kMaxProfileValueLength);
    }
    return entries;
}

bool TIniFile::SectionExists(std::string_view section) const
{
    return Document()->HasSection(section);
}

bool TIniFile::ValueExists(std::string_view section, std::string_view ident) const
{
    return Document()->Value(section, ident).has_value();
}

void TIniFile::WriteString(std::string_view section, std::string_view ident, std::string_view value)
{
    Write(section, ident, value);
}

void TIniFile::WriteInteger(std::string_view section, std::string_view ident, int32_t value)
{
    Write(section, ident, std::to_string(value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view ident, bool value)
{
    Write(section, ident, value ? "1" : "0");
}

void TIniFile::EraseSection(std::string_view section)
{
    Write(section, std::nullopt, std::nullopt);
}

void TIniFile::DeleteKey(std::string_view section, std::string_view ident)
{
    Write(section, ident, std::nullopt);
}

void TIniFile::Write(std::string_view section, std::optional<std::string_view> ident, std::optional<std::string_view> value)
{
    if (m_readOnly)
        throw EIniFileException("Unable to write to " + m_fileName);
    auto host = HostPath(false);
    if (host && !std::filesystem::exists(*host))
        host = HostPath(true);
    if (!host || !platform::WriteProfileString(*host, section, ident, value))
        throw EIniFileException("Unable to write to " + m_fileName);
    if (m_batch) {
        m_batch.reset();
        m_batch = Document();
    }
}
