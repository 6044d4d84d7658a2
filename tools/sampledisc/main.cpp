// torva_sampledisc DISC_TREE PICTURE_COUNTS REGULAR_FONT BOLD_FONT OUTDIR [MORE_CATALOGUE]:
// builds the sample disc folder (see DiscBuilder.h).

#include "tools/sampledisc/DiscBuilder.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv)
{
    if (argc != 6 && argc != 7) {
        std::cerr << "usage: torva_sampledisc DISC_TREE PICTURE_COUNTS REGULAR_FONT BOLD_FONT OUTDIR [MORE_CATALOGUE]\n";
        return 1;
    }
    try {
        sampledisc::BuildDisc({ argv[1], argv[2], argv[3], argv[4], argc == 7 ? argv[6] : "" }, argv[5]);
    } catch (const std::exception& e) {
        std::cerr << "torva_sampledisc: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
