#include "platform/registry/Registry.h"

#include "platform/hive/RegistryText.h"
#include "platform/text/Codepage.h"
#include "platform/text/Text.h"

#include <algorithm>

namespace platform {

namespace {

constexpr std::u16string_view ClassesPath = u"Software\\Classes";
constexpr std::u16string_view SoftwareName = u"software";
constexpr std::u16string_view ClassesName = u"classes";
constexpr std::u16string_view Wow64Name = u"wow6432node";

struct Location {
    Hive hive;
    std::u16string path;
};

std::u16string FoldAscii(std::u16string_view text)
{
    std::u16string folded(text);
    for (auto& ch : folded) {
        if (ch >= u'A' && ch <= u'Z')
            ch = static_cast<char16_t>(ch + (u'a' - u'A'));
    }
    return folded;
}

std::u16string Join(std::u16string_view parent, std::u16string_view child)
{
    if (child.empty())
        return std::u16string(parent);
    if (parent.empty())
        return std::u16string(child);
    return std::u16string(parent) + u'\\' + std::u16string(child);
}

// A 32-bit program's HKLM\Software\X is HKLM\Software\Wow6432Node\X on a 64-bit prefix;
// Software\Classes is shared by both views.
std::u16string MachineView(std::u16string path, bool win64)
{
    if (!win64)
        return path;
    size_t first = path.find(u'\\');
    if (first == std::u16string::npos || FoldAscii(path.substr(0, first)) != SoftwareName)
        return path;
    size_t second = path.find(u'\\', first + 1);
    std::u16string next = FoldAscii(path.substr(first + 1, second == std::u16string::npos ? std::u16string::npos : second - first - 1));
    if (next == ClassesName || next == Wow64Name)
        return path;
    return path.substr(0, first) + u"\\Wow6432Node" + path.substr(first);
}

std::vector<Location> Locations(RegistryStore& store, RootKey root, const std::u16string& path)
{
    switch (root) {
    case RootKey::ClassesRoot:
        return { { Hive::CurrentUser, Join(ClassesPath, path) }, { Hive::LocalMachine, Join(ClassesPath, path) } };
    case RootKey::LocalMachine:
        return { { Hive::LocalMachine, MachineView(path, store.IsWin64()) } };
    case RootKey::CurrentUser:
    default:
        return { { Hive::CurrentUser, path } };
    }
}

std::u16string ToUtf16(const std::string& text)
{
    return Cp1250ToUtf16(text);
}

// The names `namesAt(file, path)` lists in each location, each once whatever its case: the
// spelling met first stays.
template <class NamesAt>
std::vector<std::u16string> UniqueNames(RegistryStore& store, const std::vector<Location>& locations, NamesAt namesAt)
{
    std::vector<std::u16string> names;
    for (const Location& location : locations) {
        for (std::u16string& name : namesAt(store.Read(location.hive), location.path)) {
            bool known = std::any_of(names.begin(), names.end(), [&](auto& other) { return FoldAscii(other) == FoldAscii(name); });
            if (!known)
                names.push_back(std::move(name));
        }
    }
    return names;
}

std::vector<std::string> ToCp1250(const std::vector<std::u16string>& names)
{
    std::vector<std::string> result;
    for (auto& name : names)
        result.push_back(Utf16ToCp1250(name));
    return result;
}

}

Registry::Registry()
    : m_machine(&CurrentMachine())
{
}

Registry::Registry(Machine& machine)
    : m_machine(&machine)
{
}

void Registry::SetRootKey(RootKey root)
{
    if (root != m_root)
        CloseKey();
    m_root = root;
}

std::string Registry::Resolve(const std::string& key) const
{
    std::string path = key;
    if (!key.starts_with('\\') && m_open && !m_currentPath.empty())
        path = m_currentPath + "\\" + key;
    return Utf16ToCp1250(NormaliseRegistryPath(ToUtf16(path)));
}

bool Registry::KeyExists(const std::string& key) const
{
    RegistryStore& store = m_machine->RegistryHives();
    for (auto& location : Locations(store, m_root, ToUtf16(Resolve(key)))) {
        if (store.Read(location.hive).KeyExists(location.path))
            return true;
    }
    return false;
}

bool Registry::OpenKey(const std::string& key, bool canCreate)
{
    std::string path = Resolve(key);
    if (!KeyExists(path.empty() ? "\\" : "\\" + path)) {
        if (!canCreate)
            return false;
        RegistryStore& store = m_machine->RegistryHives();
        auto locations = Locations(store, m_root, ToUtf16(path));
        // Classes keys are made machine-wide, as the system does for keys the user lacks.
        const Location& target = locations.back();
        if (!store.CreateKey(target.hive, target.path))
            return false;
    }
    m_open = true;
    m_currentPath = path;
    return true;
}

bool Registry::OpenKeyReadOnly(const std::string& key)
{
    return OpenKey(key, false);
}

void Registry::CloseKey()
{
    m_open = false;
    m_currentPath.clear();
}

std::optional<RegistryValueData> Registry::ReadValue(const std::string& name) const
{
    if (!m_open)
        return std::nullopt;
    RegistryStore& store = m_machine->RegistryHives();
    for (auto& location : Locations(store, m_root, ToUtf16(m_currentPath))) {
        if (const RegistryFileValue* value = store.Read(location.hive).FindValue(location.path, ToUtf16(name)))
            return RegistryValueData { value->type, value->data };
    }
    return std::nullopt;
}

bool Registry::ValueExists(const std::string& name) const
{
    return ReadValue(name).has_value();
}

std::string Registry::ReadString(const std::string& name) const
{
    auto value = ReadValue(name);
    if (!value || (value->type != REG_SZ && value->type != REG_EXPAND_SZ))
        return {};
    return Utf16ToCp1250(RegistryBytesString(value->bytes));
}

std::optional<uint32_t> Registry::ReadDword(const std::string& name) const
{
    auto value = ReadValue(name);
    if (!value || value->type != REG_DWORD)
        return std::nullopt;
    return RegistryBytesDword(value->bytes);
}

bool Registry::HasSubKeys() const
{
    if (!m_open)
        return false;
    RegistryStore& store = m_machine->RegistryHives();
    for (auto& location : Locations(store, m_root, ToUtf16(m_currentPath))) {
        if (store.Read(location.hive).HasSubKeys(location.path))
            return true;
    }
    return false;
}

std::vector<std::string> Registry::GetKeyNames() const
{
    if (!m_open)
        return {};
    RegistryStore& store = m_machine->RegistryHives();
    auto names = UniqueNames(store, Locations(store, m_root, ToUtf16(m_currentPath)),
        [](const RegistryFile& file, const std::u16string& path) { return file.SubKeyNames(path); });
    std::sort(names.begin(), names.end(), [](auto& a, auto& b) { return FoldAscii(a) < FoldAscii(b); });
    return ToCp1250(names);
}

std::vector<std::string> Registry::GetValueNames() const
{
    if (!m_open)
        return {};
    RegistryStore& store = m_machine->RegistryHives();
    auto names = UniqueNames(store, Locations(store, m_root, ToUtf16(m_currentPath)), [](const RegistryFile& file, const std::u16string& path) {
        std::vector<std::u16string> valueNames;
        for (const RegistryFileValue* value : file.Values(path))
            valueNames.push_back(value->name);
        return valueNames;
    });
    return ToCp1250(names);
}

bool Registry::WriteValue(const std::string& name, const RegistryValueData& value)
{
    if (!m_open)
        return false;
    RegistryStore& store = m_machine->RegistryHives();
    auto locations = Locations(store, m_root, ToUtf16(m_currentPath));
    const Location* target = &locations.back();
    for (auto& location : locations) {
        if (store.Read(location.hive).KeyExists(location.path)) {
            target = &location;
            break;
        }
    }
    return store.SetValue(target->hive, target->path, ToUtf16(name), value.type, value.bytes);
}

bool Registry::WriteString(const std::string& name, const std::string& value)
{
    return WriteValue(name, { REG_SZ, RegistryStringBytes(ToUtf16(value)) });
}

bool Registry::WriteExpandString(const std::string& name, const std::string& value)
{
    return WriteValue(name, { REG_EXPAND_SZ, RegistryStringBytes(ToUtf16(value)) });
}

bool Registry::WriteDword(const std::string& name, uint32_t value)
{
    return WriteValue(name, { REG_DWORD, RegistryDwordBytes(value) });
}

bool Registry::WriteBinaryData(const std::string& name, const std::vector<uint8_t>& bytes)
{
    return WriteValue(name, { REG_BINARY, bytes });
}

bool Registry::DeleteKey(const std::string& key)
{
    std::u16string path = ToUtf16(Resolve(key));
    if (path.empty())
        return false;
    RegistryStore& store = m_machine->RegistryHives();
    bool deleted = false;
    for (auto& location : Locations(store, m_root, path)) {
        if (store.Read(location.hive).KeyExists(location.path))
            deleted = store.DeleteKeyTree(location.hive, location.path) || deleted;
    }
    return deleted;
}

bool Registry::DeleteEmptyKey(const std::string& key)
{
    std::u16string path = ToUtf16(Resolve(key));
    RegistryStore& store = m_machine->RegistryHives();
    for (auto& location : Locations(store, m_root, path)) {
        if (store.Read(location.hive).HasSubKeys(location.path))
            return false;
    }
    return DeleteKey(key);
}

bool Registry::DeleteValue(const std::string& name)
{
    if (!m_open)
        return false;
    RegistryStore& store = m_machine->RegistryHives();
    bool deleted = false;
    for (auto& location : Locations(store, m_root, ToUtf16(m_currentPath))) {
        if (store.Read(location.hive).FindValue(location.path, ToUtf16(name)))
            deleted = store.DeleteValue(location.hive, location.path, ToUtf16(name)) || deleted;
    }
    return deleted;
}

std::optional<RegistryKeyPath> ParseRegistryKeyPath(const std::string& text)
{
    static const struct {
        std::string_view name;
        RootKey root;
    } roots[] = {
        { "HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE },
        { "HKLM", HKEY_LOCAL_MACHINE },
        { "HKEY_CURRENT_USER", HKEY_CURRENT_USER },
        { "HKCU", HKEY_CURRENT_USER },
        { "HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT },
        { "HKCR", HKEY_CLASSES_ROOT },
    };
    size_t cut = text.find('\\');
    std::string_view head = std::string_view(text).substr(0, cut);
    for (auto& row : roots) {
        if (EqualsNoCase(head, row.name)) {
            std::string rest = cut == std::string::npos ? std::string() : text.substr(cut + 1);
            return RegistryKeyPath { row.root, Utf16ToCp1250(NormaliseRegistryPath(ToUtf16(rest))) };
        }
    }
    return std::nullopt;
}

}
