#include "FilterHandler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace
{
// RMS gain of a 0.05-amplitude tone after half a second of settling.
float toneGain(int filterType, float cutoff, float resonance, double hz)
{
    const double sampleRate = 44100.0;
    FilterHandler section(static_cast<float>(sampleRate));
    double sumOut = 0.0;
    double sumIn = 0.0;
    for (int n = 0; n < 44100; ++n)
    {
        const float x = 0.05f * static_cast<float>(std::sin(6.283185307179586 * hz * n / sampleRate));
        float y = x;
        section.process(&y, cutoff, resonance, 0.0f, filterType);
        if (n >= 22050)
        {
            sumOut += static_cast<double>(y) * y;
            sumIn += static_cast<double>(x) * x;
        }
    }
    return static_cast<float>(std::sqrt(sumOut / sumIn));
}
} // namespace

TEST(FilterHandler, EachTypePassesAndStopsTheRightBands)
{
    // cutoff 0.5 gives a = 0.0625, a corner of a few kHz at 44100 Hz.
    struct Case
    {
        const char* name;
        int filterType;
        float resonance;
        double hz;
        float minGain;
        float maxGain;
    };
    const Case cases[] = {
        { "low-pass passes 200 Hz", 1, 0.0f, 200.0, 0.55f, 0.75f },
        { "low-pass stops 8 kHz", 1, 0.0f, 8000.0, 0.0f, 0.01f },
        { "high-pass stops 200 Hz", 2, 0.0f, 200.0, 0.0f, 0.02f },
        { "high-pass passes 8 kHz", 2, 0.0f, 8000.0, 0.3f, 0.45f },
        { "band-pass stops 50 Hz", 3, 0.0f, 50.0, 0.0f, 0.01f },
        { "band-pass passes 1 kHz", 3, 0.0f, 1000.0, 0.3f, 0.5f },
        { "band-pass stops 15 kHz", 3, 0.0f, 15000.0, 0.0f, 0.03f },
        { "resonance lowers the low-pass passband", 1, 0.5f, 200.0, 0.15f, 0.3f },
        { "no core passes 1 kHz", 4, 0.0f, 1000.0, 0.99f, 1.01f },
        { "no core: the oversampling path rolls off 15 kHz", 4, 0.0f, 15000.0, 0.65f, 0.8f },
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const float gain = toneGain(c.filterType, 0.5f, c.resonance, c.hz);
        EXPECT_GE(gain, c.minGain);
        EXPECT_LE(gain, c.maxGain);
    }
}

TEST(FilterHandler, UnselectedCoresKeepTheirStateFrozen)
{
    FilterHandler section(44100.0f);
    for (int n = 0; n < 500; ++n)
    {
        float x = std::sin(n * 0.05f);
        section.process(&x, 0.6f, 0.7f, 0.0f, 1);
    }
    const FilterLp12dB& lp = section.lowPass;
    float stage[4];
    std::memcpy(stage, lp.stage, sizeof stage);
    const float feedback = lp.feedback;

    for (int n = 0; n < 500; ++n)
    {
        float x = std::sin(n * 0.05f);
        section.process(&x, 0.6f, 0.7f, 0.0f, 3);
    }
    EXPECT_EQ(std::memcmp(stage, lp.stage, sizeof stage), 0);
    EXPECT_EQ(feedback, lp.feedback);
    EXPECT_NE(section.bandPass.stage[3], 0.0f);
    EXPECT_EQ(section.highPass.stage[3], 0.0f);
}

TEST(FilterHandler, RecoversFromNonFiniteState)
{
    // A NaN, an infinity, or a sample so large that the saturator overflows would otherwise leave
    // the feedback loop producing NaN for ever.
    const float inf = std::numeric_limits<float>::infinity();
    struct Case
    {
        const char* name;
        float badSample;
        int filterType;
    };
    const Case cases[] = {
        { "NaN into low-pass", std::nanf(""), 1 },   { "inf into high-pass", inf, 2 },
        { "-inf into band-pass", -inf, 3 },          { "4e12 into low-pass", 4.0e12f, 1 },
        { "4e12 into band-pass", 4.0e12f, 3 },       { "NaN with no core", std::nanf(""), 4 },
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        FilterHandler section(44100.0f);
        FilterHandler clean(44100.0f);     // never sees the bad sample
        FilterHandler restarted(44100.0f); // starts on the sample after it
        for (int n = 0; n < 2000; ++n)
        {
            const float x = 0.5f * std::sin(static_cast<float>(n) * 0.03f);
            float y = n == 1000 ? c.badSample : x;
            section.process(&y, 0.7f, 0.8f, 0.0f, c.filterType);
            if (n < 1000)
            {
                float reference = x;
                clean.process(&reference, 0.7f, 0.8f, 0.0f, c.filterType);
                ASSERT_EQ(y, reference) << "n = " << n;
            }
            else if (n == 1000)
            {
                ASSERT_EQ(y, 0.0f);
            }
            else
            {
                // The whole channel restarted from silence: from here on it is a new section.
                float reference = x;
                restarted.process(&reference, 0.7f, 0.8f, 0.0f, c.filterType);
                ASSERT_EQ(y, reference) << "n = " << n;
            }
        }
    }
}
