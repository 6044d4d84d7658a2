// torva_sampleshelf DISC_TREE BUILT_DISC OUT: the trees of the sample shelf's other discs, each a
// copy of the sample disc's tree with the menu's folder of the built disc (its pictures, artwork
// and fonts, so each menu shows; the built programs and clips stay out to keep the images small)
// and a catalogue that names another issue, with its own date, counts and items, as later issues
// of the magazine did. The build makes images of them with the mastering tools.
#include "platform/atomicfile/AtomicFile.h"
#include "platform/ini/IniDocument.h"
#include "platform/text/Codepage.h"

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Change {
    const char* section;
    const char* key;
    const char* value; // UTF-8; stored in code page 1250
};

struct Variant {
    const char* folder;
    std::vector<Change> changes;
};

const Variant Variants[] = {
    { "0206", { { "Main", "CD", "0206" }, { "Main", "CDLabel", "Torva 2/2006" }, { "Main", "Date", "25. 1. 2006" }, { "Main", "Demos", "8" }, { "Demo1", "Name", "Žluťoučký kůň" }, { "Demo1", "Firm", "Ďábelské hry" } } },
    { "0506", { { "Main", "CD", "0506" }, { "Main", "CDLabel", "Torva 5/2006" }, { "Main", "Date", "26. 4. 2006" }, { "Main", "Fulls", "1" }, { "Demo2", "Name", "Pražský hrad" }, { "Demo2", "Describe1", "Strategie o stavbě hradu nad Vltavou." } } },
    { "1105", { { "Main", "CD", "1105" }, { "Main", "CDLabel", "Torva 11/2005" }, { "Main", "Date", "27. 10. 2005" }, { "Main", "Extra", "0" }, { "Demo3", "Name", "Černá věž" }, { "Demo3", "Firm", "Úsvit Games" } } },
    { "0307", { { "Main", "CD", "0307" }, { "Main", "CDLabel", "Torva 3/2007" }, { "Demo4", "Name", "Šíleně žluťoučký kůň úpěl ďábelské ódy" } } },
    { "0706", { { "Main", "CD", "0706" }, { "Main", "CDLabel", "Torva 7/2006" }, { "Main", "Date", "27. 6. 2006" } } },
};

}

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::cerr << "usage: torva_sampleshelf DISC_TREE BUILT_DISC OUT\n";
        return 2;
    }
    fs::path tree = argv[1];
    fs::path menuFolder = fs::path(argv[2]) / "Torva";
    fs::path out = argv[3];
    if (!fs::is_directory(menuFolder)) {
        std::cerr << "torva_sampleshelf: the built sample disc has no folder " << menuFolder << "\n";
        return 1;
    }
    auto catalogue = platform::ReadHostFile(tree / "Torva" / "torvaxp.ini");
    if (!catalogue) {
        std::cerr << "torva_sampleshelf: cannot read " << (tree / "Torva" / "torvaxp.ini") << "\n";
        return 1;
    }
    for (const Variant& variant : Variants) {
        fs::path disc = out / variant.folder;
        fs::remove_all(disc);
        fs::create_directories(disc);
        fs::copy(tree, disc, fs::copy_options::recursive);
        fs::copy(menuFolder, disc / "Torva", fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        platform::IniDocument document = platform::IniDocument::Parse(*catalogue);
        for (const Change& change : variant.changes) {
            if (!document.SetValue(change.section, change.key, platform::Utf8ToCp1250(change.value))) {
                std::cerr << "torva_sampleshelf: cannot set [" << change.section << "] " << change.key << "\n";
                return 1;
            }
        }
        if (!platform::WriteHostFileAtomically(disc / "Torva" / "torvaxp.ini", document.Text())) {
            std::cerr << "torva_sampleshelf: cannot write " << (disc / "Torva" / "torvaxp.ini") << "\n";
            return 1;
        }
    }
    return 0;
}
