#pragma once

// One INI file's text, parsed the way the private-profile functions read it, and edited so
// that every line the edit does not concern stays byte for byte as it was.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace platform {

// A value longer than this is cut: the readers' buffers hold 2048 bytes with the terminator.
inline constexpr size_t kMaxProfileValueLength = 2047;

class IniDocument {
public:
    IniDocument() = default;
    // Reads as far as the text makes sense: junk lines and lines without "=" never stop the
    // parse, and all of them are kept for writing back.
    static IniDocument Parse(std::string_view text);

    // Value of a key of the first section of that name (first occurrence of the key), with
    // blanks trimmed, one pair of matching enclosing quotes removed, cut at the first NUL.
    // Not cut in length: the callers decide.
    std::optional<std::string> Value(std::string_view section, std::string_view key) const;
    bool HasSection(std::string_view section) const;

    // Section names in file order, a repeated section as often as its header appears (only
    // the first is ever read).
    std::vector<std::string> SectionNames() const;
    // Key names of the first section of that name, in file order, a repeated key as often as
    // it appears.
    std::vector<std::string> KeyNames(std::string_view section) const;
    // Key and value pairs of the section, one for each name KeyNames gives, each with the value
    // of its own line.
    std::vector<std::pair<std::string, std::string>> Entries(std::string_view section) const;

    // Edits. Names and values holding CR, LF or NUL, keys holding "=" and section names holding
    // "]" cannot be written without changing other entries, so they are refused (false).
    // Setting or deleting what is already so leaves the text unchanged and reports true.
    bool SetValue(std::string_view section, std::string_view key, std::string_view value);
    bool DeleteKey(std::string_view section, std::string_view key);
    bool DeleteSection(std::string_view section);

    // The text to store: unchanged lines as read, new lines ending in CR LF.
    std::string Text() const;
    bool Modified() const { return m_modified; }

private:
    enum class LineKind { Other,
        Section,
        Entry };
    struct Line {
        Line() = default;
        Line(std::string rawText, std::string lineEnding)
            : raw(std::move(rawText))
            , ending(std::move(lineEnding))
        {
        }
        std::string raw;    // without its line break
        std::string ending; // "\r\n", "\n", or "" for a last line without one
        LineKind kind = LineKind::Other;
        std::string name;  // section or key name, trimmed
        std::string value; // entry value as read
    };
    struct Section {
        std::string name;
        size_t headerLine = 0;
        size_t endLine = 0;                               // one past its last line
        std::vector<size_t> entryLines;                   // every entry, file order
        std::unordered_map<std::string, size_t> keyIndex; // folded key -> its first line
    };

    void Reindex();
    const Section* FindSection(std::string_view section) const;
    static bool CanWrite(std::string_view text);

    std::vector<Line> m_lines;
    std::vector<Section> m_sections;                        // first occurrence per name
    std::unordered_map<std::string, size_t> m_sectionIndex; // folded name -> m_sections index
    bool m_modified = false;
};

}
