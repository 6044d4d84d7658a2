#include "platform/events/Chance.h"

#include <optional>
#include <random>

namespace platform {

namespace {

std::optional<std::minstd_rand>& Generator()
{
    static std::optional<std::minstd_rand> generator;
    return generator;
}

}

void SeedChance(uint32_t seed)
{
    Generator().emplace(seed);
}

int ChanceBetween(int low, int high)
{
    std::optional<std::minstd_rand>& generator = Generator();
    if (!generator)
        generator.emplace(std::random_device {}());
    return std::uniform_int_distribution<int>(low, high)(*generator);
}

}
