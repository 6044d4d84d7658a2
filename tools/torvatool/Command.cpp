#include "tools/torvatool/Command.h"

#include <algorithm>

namespace torvatool {

std::optional<std::string> Arguments::TakeOption(const std::string& name)
{
    auto it = std::find(m_words.begin(), m_words.end(), name);
    if (it == m_words.end())
        return std::nullopt;
    if (it + 1 == m_words.end())
        throw ToolError(name + " needs a value");
    std::string value = *(it + 1);
    m_words.erase(it, it + 2);
    return value;
}

bool Arguments::TakeFlag(const std::string& name)
{
    auto it = std::find(m_words.begin(), m_words.end(), name);
    if (it == m_words.end())
        return false;
    m_words.erase(it);
    return true;
}

const std::vector<std::string>& Arguments::Positional(size_t min, size_t max, const std::string& usage) const
{
    for (auto& word : m_words) {
        if (word.size() > 2 && word.starts_with("--"))
            throw ToolError("unknown option " + word + "\nusage: " + usage);
    }
    if (m_words.size() < min || m_words.size() > max)
        throw ToolError("usage: " + usage);
    return m_words;
}

static std::vector<Command>& Registry()
{
    static std::vector<Command> commands;
    return commands;
}

void RegisterCommand(Command command)
{
    Registry().push_back(std::move(command));
}

const std::vector<Command>& Commands()
{
    auto& commands = Registry();
    std::sort(commands.begin(), commands.end(), [](auto& a, auto& b) { return a.name < b.name; });
    return commands;
}

}
