// The longer run of the second-reader comparison: `count` random trees from seed `first` on
// (default 200 from 1000), each put on an image by the next mastering tool, unpacked by our
// reader and by bsdtar and compared as the unit test does. Prints each difference with its seed
// and tool, and exits 1 when there was any.

#include "tests/platform/image/RandomDisc.h"

#include <cstdio>
#include <iostream>
#include <random>

int main(int argc, char** argv)
{
    uint32_t count = argc > 1 ? static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 10)) : 200;
    uint32_t first = argc > 2 ? static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10)) : 1000;
    std::filesystem::path work = std::filesystem::temp_directory_path() / ("torva-second-reader-" + std::to_string(std::random_device()()));
    const auto& makers = randomdisc::Makers();
    int failed = 0;
    for (uint32_t seed = first; seed < first + count; ++seed) {
        const randomdisc::Maker& maker = makers[seed % makers.size()];
        std::string differences;
        try {
            differences = randomdisc::CompareOnce(work, seed, maker);
        } catch (const std::exception& error) {
            differences = std::string("error: ") + error.what() + "\n";
        }
        if (!differences.empty()) {
            ++failed;
            std::cout << "seed " << seed << ", " << maker.name << ":\n"
                      << differences;
        }
        std::system(("chmod -R u+w '" + work.string() + "' 2>/dev/null; rm -rf '" + work.string() + "'").c_str());
    }
    std::cout << count - static_cast<uint32_t>(failed) << " of " << count << " images agree\n";
    return failed ? 1 : 0;
}
