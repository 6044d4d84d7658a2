#include "platform/machine/MountTable.h"

#include "platform/text/Text.h"

#include <fstream>
#include <iterator>
#include <system_error>

namespace platform {

namespace fs = std::filesystem;

namespace {

// Fields of a line: id, parent id, major:minor, root, mount point, options, optional fields
// ended by "-", then file system type, source and the file system's options.
constexpr size_t MountPointField = 4;
constexpr size_t FieldsBeforeOptional = 6;

bool IsOctal(char c)
{
    return c >= '0' && c <= '7';
}

std::string Unescape(std::string_view field)
{
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && IsOctal(field[i + 1]) && IsOctal(field[i + 2]) && IsOctal(field[i + 3])) {
            out += static_cast<char>((field[i + 1] - '0') << 6 | (field[i + 2] - '0') << 3 | (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

std::optional<MountEntry> ParseLine(std::string_view line)
{
    std::vector<std::string_view> fields = SplitNonEmpty(line, ' ');
    size_t separator = FieldsBeforeOptional;
    while (separator < fields.size() && fields[separator] != "-")
        ++separator;
    if (fields.size() < FieldsBeforeOptional || separator + 2 >= fields.size() || fields[MountPointField].front() != '/')
        return std::nullopt;
    return MountEntry { Unescape(fields[MountPointField]), Unescape(fields[separator + 1]), Unescape(fields[separator + 2]) };
}

bool IsDiscFileSystem(const std::string& type)
{
    return type == "iso9660" || type == "udf";
}

}

std::vector<MountEntry> ParseMountInfo(std::string_view text)
{
    std::vector<MountEntry> mounts;
    for (std::string_view line : SplitLines(text)) {
        if (auto entry = ParseLine(line))
            mounts.push_back(std::move(*entry));
    }
    return mounts;
}

std::optional<MountEntry> DiscMountAt(const std::vector<MountEntry>& mounts, const fs::path& folder)
{
    std::error_code error;
    fs::path wanted = fs::weakly_canonical(folder, error);
    if (error)
        return std::nullopt;
    const MountEntry* last = nullptr;
    for (const MountEntry& mount : mounts) {
        if (mount.mountPoint == wanted)
            last = &mount;
    }
    if (!last || !IsDiscFileSystem(last->fileSystem) || last->source.rfind("/dev/", 0) != 0)
        return std::nullopt;
    return *last;
}

std::optional<MountEntry> DiscMountAt(const fs::path& folder)
{
    std::ifstream in("/proc/self/mountinfo");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return DiscMountAt(ParseMountInfo(text), folder);
}

}
