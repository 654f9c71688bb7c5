#pragma once

#include <cmath>

// Maps a normalised control value onto one of a few discrete steps:
// floor(value * steps + 0.5), computed in single precision. Defined for every float, so that a
// stored or automated value far outside 0..1 can never reach an out-of-range float-to-int
// conversion: NaN gives 0 and the result is saturated to +-2^24, the largest magnitude at which
// every integer is still a float.
inline int quantise(float value, float steps) noexcept
{
    constexpr float limit = 16777216.0f; // 2^24
    const float rounded = std::floor(value * steps + 0.5f);
    if (rounded != rounded)
    {
        return 0;
    }
    if (rounded >= limit)
    {
        return 1 << 24;
    }
    if (rounded <= -limit)
    {
        return -(1 << 24);
    }
    return static_cast<int>(rounded);
}
