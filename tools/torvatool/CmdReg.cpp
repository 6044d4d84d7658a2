// "torvatool reg": the prefix's registry as the menu sees it (32-bit view, classes overlay), for
// disc authors checking what their setups registered and for tests that prepare a machine.

#include "platform/machine/Machine.h"
#include "platform/registry/Registry.h"
#include "platform/hive/RegistryText.h"
#include "platform/text/Codepage.h"
#include "platform/wine/WineTools.h"
#include "tools/torvatool/Command.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <ostream>

namespace torvatool {

namespace {

const std::string Usage = "reg query|set|delete [--prefix DIR] [--wine PATH] KEYPATH [VALUE [DATA]] [--type sz|expand|dword|binary]";

// "@" names a key's default value, as the registry files write it.
std::string ValueName(const std::string& word)
{
    return word == "@" ? std::string() : platform::Utf8ToCp1250(word);
}

std::string FormatData(const platform::RegistryValueData& value)
{
    using namespace platform;
    if (value.type == REG_SZ || value.type == REG_EXPAND_SZ)
        return Cp1250ToUtf8(Utf16ToCp1250(RegistryBytesString(value.bytes)));
    if (auto number = RegistryBytesDword(value.bytes); value.type == REG_DWORD && number)
        return std::to_string(*number);
    std::string hex;
    for (size_t i = 0; i < value.bytes.size(); ++i) {
        char pair[4];
        std::snprintf(pair, sizeof pair, i ? ",%02x" : "%02x", value.bytes[i]);
        hex += pair;
    }
    return hex;
}

std::vector<uint8_t> ParseBinary(const std::string& text)
{
    std::vector<uint8_t> bytes;
    std::string digits;
    for (char ch : text) {
        if (ch == ',' || ch == ' ')
            continue;
        if (!std::isxdigit(static_cast<unsigned char>(ch)))
            throw ToolError("binary data must be hexadecimal bytes, e.g. 0a,ff or 0aff: " + text);
        digits += ch;
    }
    if (digits.size() % 2)
        throw ToolError("binary data needs two hex digits per byte: " + text);
    for (size_t i = 0; i < digits.size(); i += 2)
        bytes.push_back(static_cast<uint8_t>(std::stoul(digits.substr(i, 2), nullptr, 16)));
    return bytes;
}

uint32_t ParseDword(const std::string& text)
{
    char* end = nullptr;
    bool hex = text.starts_with("0x") || text.starts_with("0X");
    errno = 0;
    unsigned long long number = std::strtoull(text.c_str() + (hex ? 2 : 0), &end, hex ? 16 : 10);
    if (text.empty() || text[0] == '-' || *end || errno || number > 0xFFFFFFFFull || end == text.c_str() + (hex ? 2 : 0))
        throw ToolError("a dword is a decimal number or 0x and hex digits up to 0xffffffff: " + text);
    return static_cast<uint32_t>(number);
}

platform::RegistryKeyPath ParseKey(const std::string& word)
{
    auto key = platform::ParseRegistryKeyPath(platform::Utf8ToCp1250(word));
    if (!key)
        throw ToolError("unknown registry root in " + word + " (HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, HKEY_CLASSES_ROOT, HKLM, HKCU, HKCR)");
    return *key;
}

int Query(platform::Registry& reg, const std::string& path, const std::string& keyWord, const std::vector<std::string>& words, std::ostream& out)
{
    if (!reg.OpenKeyReadOnly(path))
        throw ToolError("no such key: " + keyWord);
    if (words.size() == 3) {
        auto value = reg.ReadValue(ValueName(words[2]));
        if (!value)
            throw ToolError("no value " + words[2] + " in " + keyWord);
        out << FormatData(*value) << "\n";
        return 0;
    }
    for (auto& name : reg.GetValueNames())
        out << (name.empty() ? std::string("@") : platform::Cp1250ToUtf8(name)) << "=" << FormatData(*reg.ReadValue(name)) << "\n";
    for (auto& name : reg.GetKeyNames())
        out << "[" << platform::Cp1250ToUtf8(name) << "]\n";
    return 0;
}

int Set(platform::Registry& reg, const std::string& path, const std::string& keyWord, const std::vector<std::string>& words, const std::string& type)
{
    if (words.size() != 4)
        throw ToolError("usage: reg set [--prefix DIR] KEYPATH VALUE DATA [--type sz|expand|dword|binary]");
    if (path == "\\")
        throw ToolError("values live in keys below the root: " + keyWord);
    std::string name = ValueName(words[2]);
    const std::string& data = words[3];
    platform::RegistryValueData value;
    if (type == "sz")
        value = { platform::REG_SZ, platform::RegistryStringBytes(platform::Cp1250ToUtf16(platform::Utf8ToCp1250(data))) };
    else if (type == "expand")
        value = { platform::REG_EXPAND_SZ, platform::RegistryStringBytes(platform::Cp1250ToUtf16(platform::Utf8ToCp1250(data))) };
    else if (type == "dword")
        value = { platform::REG_DWORD, platform::RegistryDwordBytes(ParseDword(data)) };
    else if (type == "binary")
        value = { platform::REG_BINARY, ParseBinary(data) };
    else
        throw ToolError("unknown --type " + type + " (sz, expand, dword, binary)");
    if (!reg.OpenKey(path, true))
        throw ToolError("cannot create the key " + keyWord);
    if (!reg.WriteValue(name, value))
        throw ToolError("cannot write " + words[2] + " in " + keyWord);
    return 0;
}

int Delete(platform::Registry& reg, const std::string& path, const std::string& keyWord, const std::vector<std::string>& words)
{
    if (words.size() == 2) {
        if (path == "\\")
            throw ToolError("refusing to delete a whole root: " + keyWord);
        if (!reg.DeleteKey(path))
            throw ToolError("no such key: " + keyWord);
        return 0;
    }
    if (!reg.OpenKeyReadOnly(path))
        throw ToolError("no such key: " + keyWord);
    if (!reg.DeleteValue(ValueName(words[2])))
        throw ToolError("no value " + words[2] + " in " + keyWord);
    return 0;
}

int RunReg(Arguments& args, std::ostream& out)
{
    auto prefix = args.TakeOption("--prefix");
    // While the prefix's wineserver runs, changes go through this Wine's "reg".
    platform::SetWineTools(platform::FindWineTools(args.TakeOption("--wine")));
    std::string type = args.TakeOption("--type").value_or("sz");
    auto& words = args.Positional(2, 4, Usage);
    const std::string& action = words[0];
    if ((action != "query" && action != "set" && action != "delete") || (action != "set" && words.size() > 3))
        throw ToolError("usage: " + Usage);
    platform::RegistryKeyPath key = ParseKey(words[1]);

    std::shared_ptr<platform::Machine> machine;
    try {
        machine = platform::Machine::OpenOrCreateForWine(prefix ? std::optional<std::filesystem::path>(*prefix) : std::nullopt, std::cerr);
    } catch (const std::runtime_error& error) {
        throw ToolError(error.what());
    }
    platform::Registry reg(*machine);
    reg.SetRootKey(key.root);
    std::string path = "\\" + key.path;
    if (action == "query")
        return Query(reg, path, words[1], words, out);
    if (action == "set")
        return Set(reg, path, words[1], words, type);
    return Delete(reg, path, words[1], words);
}

}

static CommandRegistration registration({ "reg", Usage + "   read and change the prefix's registry", RunReg });

}
