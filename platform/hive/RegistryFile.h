#pragma once

// One hive file in Wine's text registry format, held in memory so that it can be edited and
// written back. Anything the reader does not understand (unknown lines, malformed values or
// key lines) is kept verbatim and written back where it stood; values and keys that were read
// and not changed are written back byte for byte as they were read.
//
// Paths are below the hive's root ("Software\Wine"), separated by single backslashes and
// compared without regard to ASCII case; names and string data are UTF-16 as the file stores
// them.
//
// Hives grow to a hundred megabytes, and a change touches a key or two: the text as read is
// kept, each key is indexed by its path in a compact form, and its lines are read into values
// only when the key is first looked at. A key that was not changed is written back from the
// text it was read from.

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
    // The same, keeping `text` itself rather than a copy of it.
    static RegistryFile ParseOwned(std::string&& text);
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
        std::string_view block; // the lines it was read from, while they still say what it holds
    };
    struct Node {
        std::u16string path;           // as first written
        std::unique_ptr<KeyBody> body; // null: exists only as a parent of other keys
    };
    // A key of the text as read that is not in m_nodes yet: its block of lines in the text and
    // its folded path in the arena.
    struct FileKey {
        uint32_t folded = 0;
        uint32_t foldedLength = 0;
        uint32_t begin = 0; // its key line
        uint32_t end = 0;   // the next key line, or the end of the text
        bool taken = false; // read into m_nodes, or deleted
    };

    static std::u16string Fold(std::u16string_view path);
    static std::string ArenaForm(std::u16string_view folded);
    Node* FindNode(std::u16string_view path) const;
    Node& EnsureNode(const std::u16string& path) const;
    KeyBody& EnsureBody(Node& node);
    void Touch(KeyBody& body);
    void ParseLines(std::string_view text);
    void ParseBlock(KeyBody& body, std::string_view lines) const;
    std::string_view ArenaKey(uint32_t index) const;
    std::u16string FileKeyPath(uint32_t index) const;
    // The file keys whose folded path starts with `prefix`, in path order.
    std::pair<size_t, size_t> FileKeyRange(std::string_view prefix) const;
    std::optional<uint32_t> FindFileKey(std::string_view arenaPath) const;
    Node& Materialize(uint32_t index) const;
    void SerializeBlock(std::string& out, std::string_view block) const;

    std::vector<std::string> m_preamble;
    mutable std::map<std::u16string, Node> m_nodes; // by folded path
    uint64_t m_nextOrder = 0;
    std::function<int64_t()> m_now;
    std::shared_ptr<const std::string> m_source;
    std::string m_arena;
    mutable std::vector<FileKey> m_fileKeys; // in file order, which is their order number
    std::vector<uint32_t> m_byPath;          // m_fileKeys by folded path
};

// The key path normalised: separators collapsed, no leading or trailing backslash.
std::u16string NormaliseRegistryPath(std::u16string_view path);
// A normalised path within the system's limits of name length and depth.
bool IsUsableRegistryPath(std::u16string_view path);

}
