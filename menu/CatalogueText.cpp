#include "menu/CatalogueText.h"

#include <algorithm>

namespace {

constexpr char kEndOfFile = '\x1a';

bool IsPadding(char ch)
{
    return ch == '\0' || ch == kEndOfFile || ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n';
}

// Without the NUL or end-of-file padding some mastering tools leave after the text.
std::string_view WithoutPadding(std::string_view bytes)
{
    while (!bytes.empty() && IsPadding(bytes.back()))
        bytes.remove_suffix(1);
    return bytes;
}

bool LooksLikeUtf16(std::string_view bytes)
{
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF"))
        return true;
    // Without a byte order mark: Latin text in UTF-16 has a NUL in every other byte.
    size_t pairs = bytes.size() / 2;
    size_t nuls[2] = { 0, 0 };
    for (size_t i = 0; i < pairs * 2; ++i)
        nuls[i % 2] += bytes[i] == '\0' ? 1 : 0;
    auto mostly = [&](size_t n) { return n * 10 >= pairs * 8; };
    auto few = [&](size_t n) { return n * 10 < pairs * 2; };
    return pairs >= 2 && ((mostly(nuls[1]) && few(nuls[0])) || (mostly(nuls[0]) && few(nuls[1])));
}

bool IsStrayControl(char ch)
{
    auto byte = static_cast<unsigned char>(ch);
    return byte < 0x20 && ch != '\t' && ch != '\r' && ch != '\n' && ch != '\f' && ch != kEndOfFile;
}

bool HasSectionLine(std::string_view text)
{
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        std::string_view line = text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        size_t first = line.find_first_not_of(" \t");
        if (first != std::string_view::npos && line[first] == '[' && line.find(']', first) != std::string_view::npos)
            return true;
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return false;
}

}

platform::Result<void> CheckCatalogueText(std::string_view bytes, const std::string& file)
{
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    if (LooksLikeUtf16(bytes))
        return platform::Problem { file, "is UTF-16 text; a catalogue is code page 1250 text" };
    std::string_view text = WithoutPadding(bytes);
    if (text.empty())
        return platform::Problem { file, "is empty" };
    size_t controls = static_cast<size_t>(std::count_if(text.begin(), text.end(), IsStrayControl));
    if (text.find('\0') != std::string_view::npos || controls * 20 > text.size())
        return platform::Problem { file, "holds binary data, not text" };
    if (!HasSectionLine(text))
        return platform::Problem { file, "holds no [section] line" };
    return {};
}

std::string CatalogueProblemText(const platform::Problem& problem)
{
    if (problem.reason == CatalogueMissingReason)
        return "Where is my TORVAXP.INI?????";
    return "The catalogue " + problem.file + " " + problem.reason + ".";
}
