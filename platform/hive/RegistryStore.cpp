#include "platform/hive/RegistryStore.h"

#include "platform/hive/RegistryText.h"
#include "platform/text/Codepage.h"

#include <cstdio>

namespace platform {

namespace {

constexpr uint32_t TypeSz = 1;
constexpr uint32_t TypeExpandSz = 2;
constexpr uint32_t TypeBinary = 3;
constexpr uint32_t TypeDword = 4;

std::string ToUtf8(std::u16string_view text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t code = text[i];
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        AppendUtf8(out, code);
    }
    return out;
}

std::string WineKeyName(Hive hive, std::u16string_view path)
{
    return (hive == Hive::LocalMachine ? "HKLM\\" : "HKCU\\") + ToUtf8(NormaliseRegistryPath(path));
}

void AddValueName(std::vector<std::string>& arguments, std::u16string_view name)
{
    if (name.empty()) {
        arguments.push_back("/ve");
    } else {
        arguments.push_back("/v");
        arguments.push_back(ToUtf8(name));
    }
}

}

RegistryStore::RegistryStore(std::filesystem::path systemReg, std::filesystem::path userReg, std::shared_ptr<WineServer> server)
    : m_system(std::move(systemReg), u"\\Machine")
    , m_user(std::move(userReg), u"\\User\\S-1-5-21-0-0-0-1000")
    , m_server(std::move(server))
{
}

const RegistryFile& RegistryStore::Read(Hive hive)
{
    HiveFile& file = File(hive);
    // Once the server is gone it has written its registry back: the file is the truth again.
    if (file.HasMemoryChanges() && !m_server->IsRunning())
        file.DropMemoryChanges();
    return file.Read();
}

bool RegistryStore::Change(Hive hive, const std::function<bool(RegistryFile&)>& change, const std::function<std::vector<std::string>()>& wineArguments)
{
    HiveFile& file = File(hive);
    if (!m_server->IsRunning()) {
        if (file.HasMemoryChanges())
            file.DropMemoryChanges();
        return file.Modify(change);
    }
    std::vector<std::string> arguments = wineArguments();
    if (arguments.empty() || !m_server->RunReg(arguments))
        return false;
    file.ApplyInMemory(change);
    return true;
}

bool RegistryStore::CreateKey(Hive hive, std::u16string_view path)
{
    std::u16string key(path);
    if (!IsUsableRegistryPath(NormaliseRegistryPath(key)))
        return false;
    return Change(
        hive, [key](RegistryFile& file) { return file.CreateKey(key); },
        [&] { return std::vector<std::string> { "add", WineKeyName(hive, key), "/f" }; });
}

bool RegistryStore::SetValue(Hive hive, std::u16string_view path, std::u16string_view name, uint32_t type, std::vector<uint8_t> data)
{
    std::u16string key(path);
    std::u16string valueName(name);
    if (!IsUsableRegistryPath(NormaliseRegistryPath(key)))
        return false;
    return Change(
        hive,
        [key, valueName, type, data](RegistryFile& file) { return file.SetValue(key, valueName, type, data); },
        [&] { return WineRegAddArguments(hive, key, valueName, type, data); });
}

bool RegistryStore::DeleteValue(Hive hive, std::u16string_view path, std::u16string_view name)
{
    std::u16string key(path);
    std::u16string valueName(name);
    if (!Read(hive).FindValue(key, valueName))
        return false;
    return Change(
        hive, [key, valueName](RegistryFile& file) { return file.DeleteValue(key, valueName); },
        [&] {
            std::vector<std::string> arguments { "delete", WineKeyName(hive, key) };
            AddValueName(arguments, valueName);
            arguments.push_back("/f");
            return arguments;
        });
}

bool RegistryStore::DeleteKeyTree(Hive hive, std::u16string_view path)
{
    std::u16string key(path);
    if (NormaliseRegistryPath(key).empty() || !Read(hive).KeyExists(key))
        return false;
    return Change(
        hive, [key](RegistryFile& file) { return file.DeleteKeyTree(key); },
        [&] { return std::vector<std::string> { "delete", WineKeyName(hive, key), "/f" }; });
}

std::vector<std::string> WineRegAddArguments(Hive hive, std::u16string_view path, std::u16string_view name, uint32_t type, const std::vector<uint8_t>& data)
{
    std::vector<std::string> arguments { "add", WineKeyName(hive, path) };
    AddValueName(arguments, name);
    arguments.push_back("/t");
    switch (type) {
    case TypeSz:
    case TypeExpandSz:
        arguments.push_back(type == TypeSz ? "REG_SZ" : "REG_EXPAND_SZ");
        arguments.push_back("/d");
        arguments.push_back(ToUtf8(RegistryBytesString(data)));
        break;
    case TypeDword: {
        auto number = RegistryBytesDword(data);
        if (!number)
            return {};
        arguments.push_back("REG_DWORD");
        arguments.push_back("/d");
        arguments.push_back(std::to_string(*number));
        break;
    }
    case TypeBinary: {
        arguments.push_back("REG_BINARY");
        arguments.push_back("/d");
        std::string hex;
        for (uint8_t byte : data) {
            char pair[3];
            std::snprintf(pair, sizeof pair, "%02x", byte);
            hex += pair;
        }
        arguments.push_back(hex);
        break;
    }
    default:
        return {}; // not expressible on the command line
    }
    arguments.push_back("/f");
    return arguments;
}

}
