// torvatool: the menu's own code, reachable from the command line for disc authors and tests.

#include "tools/torvatool/Command.h"

#include <exception>
#include <iostream>

using namespace torvatool;

static void PrintUsage(std::ostream& out)
{
    out << "usage: torvatool COMMAND ...\n";
    for (auto& command : Commands())
        out << "  torvatool " << command.usage << "\n";
}

int main(int argc, char** argv)
{
    if (argc < 2 || std::string(argv[1]) == "help" || std::string(argv[1]) == "--help") {
        PrintUsage(argc < 2 ? std::cerr : std::cout);
        return argc < 2 ? 1 : 0;
    }
    std::string name = argv[1];
    for (auto& command : Commands()) {
        if (command.name != name)
            continue;
        try {
            Arguments args(std::vector<std::string>(argv + 2, argv + argc));
            return command.run(args, std::cout);
        } catch (const std::exception& e) {
            std::cerr << "torvatool " << name << ": " << e.what() << "\n";
            return 1;
        }
    }
    std::cerr << "torvatool: unknown command '" << name << "'\n";
    PrintUsage(std::cerr);
    return 1;
}
