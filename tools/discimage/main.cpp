// torva_rawbin ISO BIN CUE [mode1|mode2]: the ISO image as raw sectors with its cue sheet.
#include "tools/discimage/RawSectorWriter.h"

#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    std::string mode = argc == 5 ? argv[4] : "mode1";
    if ((argc != 4 && argc != 5) || (mode != "mode1" && mode != "mode2")) {
        std::cerr << "usage: torva_rawbin ISO BIN CUE [mode1|mode2]\n";
        return 2;
    }
    auto written = discimage::WriteRawImage(argv[1], argv[2], argv[3], mode == "mode1" ? discimage::RawMode::Mode1 : discimage::RawMode::Mode2Form1);
    if (!written) {
        std::cerr << "torva_rawbin: " << written.Error().Message() << "\n";
        return 1;
    }
    return 0;
}
