// Random trees put on images by each mastering tool, unpacked by our reader and by libarchive:
// the listings and every file's bytes agree but where RandomDisc.h says they differ on purpose.
#include "tests/platform/image/ImageFixture.h"
#include "tests/platform/image/RandomDisc.h"

class SecondReaderTest : public ImageFixture {
};

TEST_F(SecondReaderTest, OurUnpackingMatchesLibarchives)
{
    for (const char* tool : { "genisoimage", "xorriso", "mkzftree", "bsdtar" })
        if (!Have(tool))
            GTEST_SKIP() << tool << " is not installed";
    constexpr uint32_t Rounds = 3;
    const auto& makers = randomdisc::Makers();
    for (uint32_t seed = 1; seed <= Rounds * makers.size(); ++seed) {
        const randomdisc::Maker& maker = makers[seed % makers.size()];
        std::filesystem::path work = root / ("seed" + std::to_string(seed));
        EXPECT_EQ(randomdisc::CompareOnce(work, seed, maker), "") << "seed " << seed << ", " << maker.name;
        std::system(("chmod -R u+w '" + work.string() + "'").c_str());
        std::filesystem::remove_all(work);
    }
}
