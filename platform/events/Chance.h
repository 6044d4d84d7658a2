#pragma once

// Chance for what only decorates the window (which side animation plays next). Unseeded, each
// run draws differently; a headless script seeds it so that its screenshots repeat.

#include <cstdint>

namespace platform {

// From now on every draw follows from `seed`.
void SeedChance(uint32_t seed);
// A number from low to high, both included (low <= high).
int ChanceBetween(int low, int high);

}
