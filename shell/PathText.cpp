#include "shell/PathText.h"

namespace shell {

namespace {

// The framework's Pos and Copy: 1-based, 0 for "not found", Copy clamped to the text.
int Pos(const std::string& needle, const std::string& text)
{
    size_t at = text.find(needle);
    return at == std::string::npos ? 0 : static_cast<int>(at) + 1;
}

std::string Copy(const std::string& text, int index, int count)
{
    if (index < 1)
        index = 1;
    if (count <= 0 || index > static_cast<int>(text.size()))
        return {};
    return text.substr(static_cast<size_t>(index - 1), static_cast<size_t>(count));
}

}

std::string PostFixDir(const std::string& path)
{
    if (path.empty() || path.back() == '\\')
        return path;
    return path + "\\";
}

std::string GetParentDir(const std::string& path)
{
    std::string text = path;
    if (text.size() > 3 && text.back() == '\\')
        text.pop_back();
    size_t last = text.find_last_of('\\');
    if (last == std::string::npos)
        return {};
    return text.substr(0, last);
}

std::vector<std::string> SplitList(const std::string& text)
{
    std::vector<std::string> entries;
    if (text.empty())
        return entries;
    char separator = ':';
    if (text.find(',') != std::string::npos)
        separator = ',';
    else if (text.find(';') != std::string::npos || text.find(':') == std::string::npos)
        separator = ';';
    size_t start = 0;
    for (;;) {
        size_t end = text.find(separator, start);
        if (end == std::string::npos) {
            entries.push_back(text.substr(start));
            return entries;
        }
        entries.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

std::string CutBeforeColon(const std::string& text)
{
    return text.substr(0, text.find(':'));
}

std::string CutAfterExtension(const std::string& text)
{
    size_t lastDot = text.find_last_of('.');
    if (text.find(' ') == std::string::npos || lastDot == std::string::npos)
        return text;
    return text.substr(0, lastDot + 4);
}

std::string StripQuotes(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        if (ch != '"')
            out += ch;
    }
    return out;
}

std::string UninstallDirOf(const std::string& commandLine)
{
    const std::string& s = commandLine;
    int start = 0;
    if (int at = Pos(" -f\"", s); at > 0)
        start = at + 4;
    else if (int plain = Pos(" -f", s); plain > 0)
        start = plain + 3;

    int end;
    if (int at = Pos(" -c\"", s); at > 0)
        end = at - 4;
    else
        end = Pos(" -c", s) - 3;

    if (int at = Pos("UNINST0.000\" \"", s); at > 0)
        start = at + 14;
    if (start == 0) {
        start = Pos("\"", s) + 1;
        if (start < 5)
            start = Pos(" ", s) + 1;
    }
    if (end < start)
        end = static_cast<int>(s.size());
    return ExtractFilePath(Copy(s, start, end - start));
}

std::string DoubleAmpersands(const std::string& text)
{
    std::string out;
    out.reserve(text.size() + 4);
    for (size_t i = 0; i < text.size(); ++i) {
        out += text[i];
        bool lone = text[i] == '&' && (i == 0 || text[i - 1] != '&') && (i + 1 == text.size() || text[i + 1] != '&');
        if (lone)
            out += '&';
    }
    return out;
}

std::string ExtractFilePath(const std::string& path)
{
    size_t last = path.find_last_of("\\:");
    return last == std::string::npos ? std::string {} : path.substr(0, last + 1);
}

}
