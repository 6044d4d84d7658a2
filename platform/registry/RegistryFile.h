#pragma once

// One hive file in Wine's text registry format, held in memory so that it can be edited and
// written back. Anything the reader does not understand (unknown lines, malformed values or
// key lines) is kept verbatim and written back where it stood; values and keys that were read
// and not changed are written back byte for byte as they were read.
//
// Paths are below the hive's root ("Software\Wine"), separated by single backslashes and
// compared without regard to ASCII case; names and string data are UTF-16 as the file stores
// them.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct RegistryFileValue {
    std::u16string name; // empty: the key's default value ("@")
    uint32_t type = 0;
    std::vector<uint8_t> data;
    std::string sourceText; // the line(s) it was read from; empty once changed
};

class RegistryFile {
public:
    RegistryFile();

    // A new, empty hive with Wine's header; `relativeTo` is e.g. "\\Machine".
    static RegistryFile Create(std::u16string_view relativeTo, bool win64);
    static RegistryFile Parse(std::string_view text);
    std::string Serialize() const;

    // "#arch=win64" in the header.
    bool IsWin64() const;

    // The clock for key timestamps, seconds since 1970.
    void SetClock(std::function<int64_t()> now) { m_now = std::move(now); }

    bool KeyExists(std::u16string_view path) const;
    // Creates the key and any missing parents; true when it exists afterwards. Names longer
    // than 255 characters or paths deeper than 512 keys are refused, as the system does.
    bool CreateKey(std::u16string_view path);
    // Removes the key and its subkeys; false when it does not exist.
    bool DeleteKeyTree(std::u16string_view path);
    bool HasSubKeys(std::u16string_view path) const;
    // Names as first written, sorted without regard to case.
    std::vector<std::u16string> SubKeyNames(std::u16string_view path) const;

    const RegistryFileValue* FindValue(std::u16string_view path, std::u16string_view name) const;
    // Values in file order.
    std::vector<const RegistryFileValue*> Values(std::u16string_view path) const;
    // Creates the key when missing; false for a path the system could not hold.
    bool SetValue(std::u16string_view path, std::u16string_view name, uint32_t type, std::vector<uint8_t> data);
    bool DeleteValue(std::u16string_view path, std::u16string_view name);

    // Seconds since 1970 on the key line, when the key was written with one.
    std::optional<int64_t> KeyTimestamp(std::u16string_view path) const;

private:
    struct Entry {
        bool isValue = false;
        RegistryFileValue value;
        std::string rawLine; // when not a value
    };
    struct KeyBody {
        uint64_t order = 0;
        std::string headerText; // "[...] 123" as read; empty when the key was made or changed
        std::string timeLine;   // "#time=..." as read
        std::optional<int64_t> seconds;
        std::vector<Entry> entries;
    };
    struct Node {
        std::u16string path; // as first written
        std::unique_ptr<KeyBody> body; // null: exists only as a parent of other keys
    };

    static std::u16string Fold(std::u16string_view path);
    Node* FindNode(std::u16string_view path);
    const Node* FindNode(std::u16string_view path) const;
    Node& EnsureNode(const std::u16string& path);
    KeyBody& EnsureBody(Node& node);
    void Touch(KeyBody& body);
    void ParseLines(std::string_view text);

    std::vector<std::string> m_preamble;
    std::map<std::u16string, Node> m_nodes; // by folded path
    uint64_t m_nextOrder = 0;
    std::function<int64_t()> m_now;
};

// The key path normalised: separators collapsed, no leading or trailing backslash.
std::u16string NormaliseRegistryPath(std::u16string_view path);
// A normalised path within the system's limits of name length and depth.
bool IsUsableRegistryPath(std::u16string_view path);

}
