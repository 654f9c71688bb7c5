#include "FilterHandler.h"
#include "StereoFilterPath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace
{
uint32_t bitsOf(float x)
{
    uint32_t b;
    std::memcpy(&b, &x, sizeof b);
    return b;
}
} // namespace

TEST(StereoFilterPath, MatchesTwoScalarSectionsLaneByLane)
{
    // Each lane must use its own section's state and constants: here the two channels run at
    // different sample-rate factors, get different LFO values, and only the left one receives
    // a NaN and the right one an overflowing sample, so each recovers on its own.
    for (int filterType : { 1, 2, 3, 4, 0 })
    {
        SCOPED_TRACE(filterType);
        FilterHandler pairLeft(96000.0f);
        FilterHandler pairRight(44100.0f);
        FilterHandler scalarLeft(96000.0f);
        FilterHandler scalarRight(44100.0f);
        uint32_t noise = 7u;
        for (int n = 0; n < 20000; ++n)
        {
            noise = noise * 1664525u + 1013904223u;
            const float white = static_cast<float>(noise >> 8) / 8388608.0f - 1.0f;
            float left = 0.7f * std::sin(static_cast<float>(n) * 0.02f) + 0.2f * white;
            float right = n % 300 < 150 ? 0.9f : -0.9f;
            if (n == 7000)
            {
                left = std::numeric_limits<float>::quiet_NaN();
            }
            if (n == 12000)
            {
                right = 6.0e12f;
            }
            const float cutoff = 0.3f + 0.6f * static_cast<float>(n % 5000) / 5000.0f;
            const float resonance = n < 10000 ? 0.9f : 0.2f;
            const float lfoLeft = 0.3f * std::sin(static_cast<float>(n) * 0.001f);
            const float lfoRight = -lfoLeft * 0.5f;

            float expectedLeft = left;
            float expectedRight = right;
            scalarLeft.process(&expectedLeft, cutoff, resonance, lfoLeft, filterType);
            scalarRight.process(&expectedRight, cutoff, resonance, lfoRight, filterType);
            StereoFilterPath::process(pairLeft, pairRight, left, right, cutoff, resonance,
                                      lfoLeft, lfoRight, filterType);
            ASSERT_EQ(bitsOf(left), bitsOf(expectedLeft)) << "n = " << n;
            ASSERT_EQ(bitsOf(right), bitsOf(expectedRight)) << "n = " << n;
        }
        // The state itself is kept in the sections, identical to the scalar path.
        EXPECT_EQ(std::memcmp(pairLeft.decimator.accumulators, scalarLeft.decimator.accumulators,
                              sizeof scalarLeft.decimator.accumulators),
                  0);
        EXPECT_EQ(std::memcmp(pairRight.lowPass.stage, scalarRight.lowPass.stage,
                              sizeof scalarRight.lowPass.stage),
                  0);
        EXPECT_EQ(bitsOf(pairRight.bandPass.feedback), bitsOf(scalarRight.bandPass.feedback));
        EXPECT_EQ(bitsOf(pairLeft.highPass.cutoffCoefficient),
                  bitsOf(scalarLeft.highPass.cutoffCoefficient));
    }
}
