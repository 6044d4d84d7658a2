#include "platform/process/Process.h"

namespace platform {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// CreateProcess takes the program name without escapes: a quoted name ends at the next quote.
size_t ReadProgramName(std::string_view line, std::string& name)
{
    size_t i = 0;
    if (!line.empty() && line[0] == '"') {
        size_t close = line.find('"', 1);
        if (close == std::string_view::npos) {
            name.assign(line.substr(1));
            return line.size();
        }
        name.assign(line.substr(1, close - 1));
        return close + 1;
    }
    while (i < line.size() && !IsBlank(line[i]))
        ++i;
    name.assign(line.substr(0, i));
    return i;
}

}

std::vector<std::string> SplitCommandLine(std::string_view line)
{
    std::vector<std::string> arguments;
    if (line.empty())
        return arguments;
    std::string current;
    size_t i = ReadProgramName(line, current);
    arguments.push_back(current);

    for (;;) {
        while (i < line.size() && IsBlank(line[i]))
            ++i;
        if (i >= line.size())
            break;
        current.clear();
        bool quoted = false;
        while (i < line.size() && (quoted || !IsBlank(line[i]))) {
            if (line[i] == '\\') {
                size_t backslashes = 0;
                while (i < line.size() && line[i] == '\\') {
                    ++backslashes;
                    ++i;
                }
                if (i < line.size() && line[i] == '"') {
                    current.append(backslashes / 2, '\\');
                    if (backslashes % 2 == 1) {
                        current.push_back('"');
                        ++i;
                    }
                } else {
                    current.append(backslashes, '\\');
                }
                continue;
            }
            if (line[i] == '"') {
                if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                    current.push_back('"');
                    i += 2;
                    continue;
                }
                quoted = !quoted;
                ++i;
                continue;
            }
            current.push_back(line[i++]);
        }
        arguments.push_back(current);
    }
    return arguments;
}

std::string QuoteArgument(std::string_view argument)
{
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string_view::npos)
        return std::string(argument);
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"')
            quoted.append(backslashes * 2 + 1, '\\');
        else
            quoted.append(backslashes, '\\');
        backslashes = 0;
        quoted.push_back(c);
    }
    quoted.append(backslashes * 2, '\\');
    quoted.push_back('"');
    return quoted;
}

}
