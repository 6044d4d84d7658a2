#include "platform/ini/IniFile.h"

#include "platform/files/Files.h"
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
        std::string result(defaultValue);
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

std::string TIniFile::ReadString(std::string_view section, std::string_view ident, std::string_view defaultValue) const
{
    return platform::GetPrivateProfileString(section, ident, defaultValue, m_fileName);
}

int32_t TIniFile::ReadInteger(std::string_view section, std::string_view ident, int32_t defaultValue) const
{
    return platform::GetPrivateProfileInt(section, ident, defaultValue, m_fileName);
}

bool TIniFile::ReadBool(std::string_view section, std::string_view ident, bool defaultValue) const
{
    return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

std::vector<std::string> TIniFile::ReadSections() const
{
    return platform::GetPrivateProfileSectionNames(m_fileName);
}

std::vector<std::string> TIniFile::ReadSection(std::string_view section) const
{
    return platform::GetPrivateProfileKeyNames(section, m_fileName);
}

std::vector<std::pair<std::string, std::string>> TIniFile::ReadSectionValues(std::string_view section) const
{
    auto host = platform::ProfileHostPath(m_fileName);
    if (!host)
        return {};
    auto entries = platform::LoadProfile(*host)->Entries(section);
    for (auto& entry : entries) {
        if (entry.second.size() > platform::kMaxProfileValueLength)
            entry.second.resize(platform::kMaxProfileValueLength);
    }
    return entries;
}

bool TIniFile::SectionExists(std::string_view section) const
{
    auto host = platform::ProfileHostPath(m_fileName);
    return host && platform::LoadProfile(*host)->HasSection(section);
}

bool TIniFile::ValueExists(std::string_view section, std::string_view ident) const
{
    auto host = platform::ProfileHostPath(m_fileName);
    return host && platform::LoadProfile(*host)->Value(section, ident).has_value();
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
    if (!platform::WritePrivateProfileString(section, ident, value, m_fileName))
        throw EIniFileException("Unable to write to " + m_fileName);
}
