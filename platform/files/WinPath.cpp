#include "platform/files/WinPath.h"

#include "platform/files/Files.h"
#include "platform/files/NameFolding.h"
#include "platform/text/Text.h"

#include <algorithm>

namespace platform {

namespace {

std::string& CurrentDirectoryText()
{
    static std::string current = "C:\\";
    return current;
}

bool IsDriveLetter(char ch)
{
    return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z');
}

std::vector<std::string> SplitComponents(std::string_view text)
{
    std::vector<std::string> parts;
    for (std::string_view part : SplitNonEmpty(text, '\\'))
        parts.emplace_back(part);
    return parts;
}

// ".." never climbs above the root: at the root it is dropped.
std::vector<std::string> FoldDots(const std::vector<std::string>& parts)
{
    std::vector<std::string> folded;
    for (const std::string& part : parts) {
        if (part == ".")
            continue;
        if (part == "..") {
            if (!folded.empty())
                folded.pop_back();
            continue;
        }
        folded.push_back(part);
    }
    return folded;
}

std::string Join(std::string root, const std::vector<std::string>& parts, bool trailing)
{
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0)
            root += '\\';
        root += parts[i];
    }
    if (trailing && !parts.empty())
        root += '\\';
    return root;
}

bool EndsWithSeparator(std::string_view text)
{
    return !text.empty() && text.back() == '\\';
}

}

std::string GetFullPathName(std::string_view path)
{
    if (path.empty())
        return {};
    std::string text(path);
    std::replace(text.begin(), text.end(), '/', '\\');

    if (text.size() >= 2 && text[0] == '\\' && text[1] == '\\') {
        std::vector<std::string> parts = SplitComponents(std::string_view(text).substr(2));
        if (parts.size() < 2)
            return Join("\\\\", parts, EndsWithSeparator(text));
        std::vector<std::string> rest(parts.begin() + 2, parts.end());
        std::string root = "\\\\" + parts[0] + "\\" + parts[1];
        rest = FoldDots(rest);
        if (rest.empty())
            return root + (EndsWithSeparator(text) ? "\\" : "");
        return Join(root + "\\", rest, EndsWithSeparator(text));
    }

    const std::string& current = CurrentDirectoryText();
    std::string absolute;
    if (text.size() >= 2 && IsDriveLetter(text[0]) && text[1] == ':') {
        std::string_view rest = std::string_view(text).substr(2);
        if (!rest.empty() && rest[0] == '\\')
            absolute = text;
        else if (FoldNameChar(current[0]) == FoldNameChar(text[0]))
            absolute = current + "\\" + std::string(rest);
        else
            absolute = text.substr(0, 2) + "\\" + std::string(rest);
    } else if (text[0] == '\\') {
        absolute = current.substr(0, 2) + text;
    } else {
        absolute = current + "\\" + text;
    }

    std::vector<std::string> parts = FoldDots(SplitComponents(std::string_view(absolute).substr(2)));
    return Join(absolute.substr(0, 2) + "\\", parts, EndsWithSeparator(text));
}

std::string GetCurrentDirectory()
{
    return CurrentDirectoryText();
}

bool SetCurrentDirectory(std::string_view path)
{
    std::string full = GetFullPathName(path);
    WinPathParts parts = SplitFullPath(full);
    if (parts.drive == 0 || !DirectoryExists(full))
        return false;
    std::string stored = Join(std::string(1, parts.drive) + ":\\", parts.components, false);
    CurrentDirectoryText() = stored;
    return true;
}

WinPathParts SplitFullPath(std::string_view fullPath)
{
    WinPathParts parts;
    if (fullPath.size() >= 2 && fullPath[0] == '\\' && fullPath[1] == '\\') {
        parts.unc = true;
        return parts;
    }
    if (fullPath.size() < 3 || !IsDriveLetter(fullPath[0]) || fullPath[1] != ':' || fullPath[2] != '\\')
        return parts;
    parts.drive = FoldNameChar(fullPath[0]);
    parts.components = SplitComponents(fullPath.substr(3));
    parts.trailingSeparator = fullPath.size() > 3 && fullPath.back() == '\\';
    return parts;
}

std::string StoredComponentName(std::string_view component)
{
    size_t end = component.size();
    while (end > 0 && (component[end - 1] == ' ' || component[end - 1] == '.'))
        --end;
    return std::string(component.substr(0, end));
}

bool IsValidComponentName(std::string_view component)
{
    for (char ch : component) {
        unsigned char byte = static_cast<unsigned char>(ch);
        if (byte < 0x20)
            return false;
        switch (ch) {
        case '<':
        case '>':
        case ':':
        case '"':
        case '/':
        case '\\':
        case '|':
        case '?':
        case '*':
            return false;
        default:
            break;
        }
    }
    return true;
}

bool IsNulDevice(std::string_view component)
{
    return EqualsName(StoredComponentName(component), "NUL");
}

}
