// Command lines come from catalogues and from the registry's uninstall strings; program files
// from discs. Splitting must survive anything, and quoting what it split must split back.

#include "platform/process/Process.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> arguments = platform::SplitCommandLine(input);
    if (!input.empty() && arguments.empty())
        std::abort();

    std::string line = "program";
    std::vector<std::string> expected { "program" };
    for (size_t i = 1; i < arguments.size(); ++i) {
        line += " " + platform::QuoteArgument(arguments[i]);
        expected.push_back(arguments[i]);
    }
    if (platform::SplitCommandLine(line) != expected)
        std::abort();

    platform::ClassifyExecutable(input);
    platform::ExecutableHeaderBytesNeeded(input);
    return 0;
}
