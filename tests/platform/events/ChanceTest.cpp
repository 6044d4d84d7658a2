#include "platform/events/Chance.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int> Draws(int count)
{
    std::vector<int> draws;
    for (int i = 0; i < count; ++i)
        draws.push_back(platform::ChanceBetween(1, 15));
    return draws;
}

TEST(Chance, ASeedRepeatsItsDrawsWithinTheBounds)
{
    platform::SeedChance(7);
    const std::vector<int> first = Draws(50);
    platform::SeedChance(7);
    EXPECT_EQ(Draws(50), first);
    for (int draw : first) {
        EXPECT_GE(draw, 1);
        EXPECT_LE(draw, 15);
    }
    platform::SeedChance(8);
    EXPECT_NE(Draws(50), first);
}

}
