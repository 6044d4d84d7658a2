// "torvatool path": where a Windows path of the machine lives on the host.

#include "platform/files/Files.h"
#include "platform/machine/Machine.h"
#include "platform/text/Codepage.h"
#include "tools/torvatool/Command.h"

#include <memory>
#include <ostream>

namespace torvatool {

namespace {

int RunPath(Arguments& args, std::ostream& out)
{
    auto prefix = args.TakeOption("--prefix");
    auto& words = args.Positional(1, 1, "path [--prefix DIR] WINPATH");
    std::filesystem::path root = prefix ? std::filesystem::path(*prefix) : platform::Machine::DefaultPrefixRoot();
    // Looking a path up must not create a prefix, so the machine is used as it is.
    platform::SetCurrentMachine(std::make_shared<platform::Machine>(root));
    auto host = platform::ResolveExisting(platform::Utf8ToCp1250(words[0]));
    if (!host) {
        out << "not found\n";
        return 1;
    }
    out << host->string() << "\n";
    return 0;
}

CommandRegistration registration({ "path", "path [--prefix DIR] WINPATH   the host path of a Windows path, or \"not found\"", RunPath });

}

}
