#pragma once

// torvatool's subcommands register themselves here; each lives in a file of its own.

#include "platform/types/Exception.h"

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace torvatool {

// Thrown by a subcommand for a clear message on stderr and exit status 1.
class ToolError : public platform::Exception {
public:
    using platform::Exception::Exception;
};

class Arguments {
public:
    explicit Arguments(std::vector<std::string> words)
        : m_words(std::move(words))
    {
    }

    // Removes "--name VALUE" wherever it stands and returns VALUE.
    std::optional<std::string> TakeOption(const std::string& name);
    // Removes a bare "--name" flag and tells whether it was there.
    bool TakeFlag(const std::string& name);
    // The remaining words, in order; fails unless their count lies in [min, max].
    const std::vector<std::string>& Positional(size_t min, size_t max, const std::string& usage) const;

private:
    std::vector<std::string> m_words;
};

struct Command {
    std::string name;  // "ini", "reg", "path", ...
    std::string usage; // one or more lines shown by "torvatool help"
    std::function<int(Arguments&, std::ostream& out)> run;
};

void RegisterCommand(Command command);
const std::vector<Command>& Commands();

struct CommandRegistration {
    explicit CommandRegistration(Command command) { RegisterCommand(std::move(command)); }
};

}
