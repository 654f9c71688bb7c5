#include "Quantise.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(Quantise, RoundsHalfUpAndSaturatesEveryFloat)
{
    struct Case
    {
        const char* name;
        float value;
        float steps;
        int expected;
    };
    const float inf = std::numeric_limits<float>::infinity();
    const Case cases[] = {
        { "zero", 0.0f, 5.0f, 0 },
        { "one", 1.0f, 5.0f, 5 },
        { "just below half a step", 0.0999f, 5.0f, 0 },
        { "half a step rounds up", 0.1f, 5.0f, 1 },
        { "waveform 0.5", 0.5f, 6.0f, 3 },
        { "sync 1/6", 1.0f / 6.0f, 18.0f, 3 },
        { "negative", -0.3f, 5.0f, -1 },
        { "large", 1.0e6f, 6.0f, 6000000 },
        { "beyond 2^24", 1.0e30f, 5.0f, 1 << 24 },
        { "below -2^24", -1.0e30f, 5.0f, -(1 << 24) },
        { "inf", inf, 5.0f, 1 << 24 },
        { "-inf", -inf, 6.0f, -(1 << 24) },
        { "NaN", std::nanf(""), 5.0f, 0 },
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(quantise(c.value, c.steps), c.expected);
    }
}

TEST(Quantise, StoredWholeNumbersComeBackAfterConversion)
{
    // Older programs store filter type 1..6, waveform 1..7 and sync mode 1..19; the state reader
    // turns them into (v - 1) / (count - 1). Quantising must give every one of them back.
    struct Case
    {
        const char* name;
        int count;
    };
    const Case cases[] = { { "filter type", 6 }, { "waveform", 7 }, { "sync mode", 19 } };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const float steps = static_cast<float>(c.count - 1);
        for (int v = 1; v <= c.count; ++v)
        {
            const float stored = (static_cast<float>(v) - 1.0f) / steps;
            EXPECT_EQ(quantise(stored, steps), v - 1) << "v = " << v;
        }
    }
}
