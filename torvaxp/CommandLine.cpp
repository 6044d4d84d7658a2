#include "torvaxp/CommandLine.h"

#include "platform/text/Codepage.h"

MenuOptions ParseMenuOptions(std::vector<std::string> args)
{
    MenuOptions options;
    size_t next = 0;
    if (!args.empty() && args.front() == "T") {
        options.showSetupCommand = true;
        next = 1;
    }
    auto value = [&](const std::string& option) -> const std::string& {
        if (next + 1 >= args.size())
            throw CommandLineError("option " + option + " needs a value");
        return args[++next];
    };
    bool namedDisc = false;
    auto setDisc = [&](const std::string& disc) {
        if (namedDisc)
            throw CommandLineError("only one disc can be given, not also '" + disc + "'");
        if (!options.disc)
            options.disc = std::filesystem::path(disc);
        options.discs.emplace_back(disc);
    };
    for (; next < args.size(); ++next) {
        const std::string& arg = args[next];
        if (arg == "--disc") {
            if (!options.discs.empty())
                throw CommandLineError("only one disc can be given, not also '" + value(arg) + "'");
            setDisc(value(arg));
            namedDisc = true;
        } else if (arg == "--shelf")
            options.shelf = true;
        else if (arg == "--label")
            options.label = value(arg);
        else if (arg == "--prefix")
            options.prefix = std::filesystem::path(value(arg));
        else if (arg == "--wine")
            options.wine = value(arg);
        else if (arg == "--own-path")
            options.ownPath = platform::Utf8ToCp1250(value(arg));
        else if (arg == "--help" || arg == "-h")
            options.help = true;
        else if (arg == "--version")
            options.version = true;
        else if (arg == "T")
            throw CommandLineError("\"T\" is only taken as the first argument");
        else if (arg == "t")
            throw CommandLineError("the first argument is a capital \"T\"");
        else if (arg.empty() || arg.front() == '-')
            throw CommandLineError("unknown argument '" + arg + "'");
        else
            setDisc(arg);
    }
    return options;
}

const char* MenuOptionsUsage()
{
    // The description column is the host options' one.
    return "  T                    first argument: installations show their setup command first\n"
           "  --disc DISC, DISC    the disc: a folder, or an image (.iso, .cue with its .bin,\n"
           "                       .nrg) that is unpacked once into $XDG_CACHE_HOME/torva/images\n"
           "                       (default: the built-in sample disc)\n"
           "  --shelf [FOLDER...]  the shelf: a window listing the disc images and disc folders in\n"
           "                       the folders, searched across them (also when FOLDER holds discs\n"
           "                       and is no disc itself, or several are given); without folders\n"
           "                       the last shelf again, as the prefix's torva.ini remembers it\n"
           "  --label TEXT         the volume label Windows programs see on the disc's drive\n"
           "                       (default: an image's or a mounted disc's own)\n"
           "  --prefix DIR         the machine prefix (default: $TORVA_PREFIX, else\n"
           "                       $XDG_DATA_HOME/torva/prefix)\n"
           "  --wine PATH          the wine program; wineserver and wineboot are the ones beside it\n"
           "                       (default: $WINE, else wine on PATH)\n"
           "  --own-path WINPATH   the program's own Windows path (default: the disc drive's\n"
           "                       \\TORVA.EXE; a C: path makes the menu search the drives)\n"
           "  --version            print the version and end\n"
           "  -h, --help           print this help and end\n";
}
