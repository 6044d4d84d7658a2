#include "SurfaceFixtures.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t K = 0x00FF00FF; // magenta in pixel order
constexpr uint32_t P = 0x00123456;

TEST(BuildRegion, RunsOfTwoOrMorePixelsRowByRowFromTheTop)
{
    TMemoryDIB dib;
    PutRows(dib, {
                     { K, P, P, K, P },
                     { P, K, K, K, K },
                     { P, P, P, P, P },
                     { K, K, K, P, P },
                 });
    EXPECT_EQ(dib.BuildRegion(RGB(0xFF, 0, 0xFF)), (std::vector<TRect> {
                                                       { 1, 0, 3, 1 },
                                                       { 0, 2, 5, 3 },
                                                       { 3, 3, 5, 4 },
                                                   }));
}

TEST(BuildRegion, AllKeyGivesNothingAndALonePixelIsDropped)
{
    TMemoryDIB allKey;
    PutRows(allKey, { { K, K }, { K, K } });
    EXPECT_TRUE(allKey.BuildRegion(RGB(0xFF, 0, 0xFF)).empty());

    TMemoryDIB lone;
    PutRows(lone, { { K, P, K }, { K, P, P } });
    EXPECT_EQ(lone.BuildRegion(RGB(0xFF, 0, 0xFF)), (std::vector<TRect> { { 1, 1, 3, 2 } }));
}

TEST(BuildRegion, ComparesColourBitsOnlyAndConvertsTheReference)
{
    TMemoryDIB dib;
    PutRows(dib, { { 0xAB112233, 0x00112233, 0x00332211, 0x7F332211 } });
    // RGB(0x11, 0x22, 0x33) is pixel 0x112233 whatever its mask byte.
    EXPECT_EQ(dib.BuildRegion(RGB(0x11, 0x22, 0x33)), (std::vector<TRect> { { 2, 0, 4, 1 } }));
}

TEST(BuildRegion, NoMemoryNoRegion)
{
    TMemoryDIB empty;
    EXPECT_TRUE(empty.BuildRegion(0).empty());
}

}
