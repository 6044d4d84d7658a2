#pragma once

// Rounding to the nearest integer with halves to even, as the framework's Round does.

#include <cfenv>
#include <cmath>

inline int RoundHalfEven(double value)
{
    std::fesetround(FE_TONEAREST);
    return static_cast<int>(std::nearbyint(value));
}
