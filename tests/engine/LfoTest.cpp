#include "Lfo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

namespace
{
// The raw waveform value at a phase: with the smoother's output at 0 the tick returns
// value * 0.05.
float rawValueAt(int waveform, float phase)
{
    Lfo lfo(44100.0f);
    lfo.phase = phase;
    return lfo.tick(waveform) / 0.05f;
}

float randomUnitFromSeed(unsigned seed)
{
    std::srand(seed);
    return static_cast<float>(std::rand()) * 0x1p-31f;
}
} // namespace

TEST(Lfo, TablesReadAtChosenPhases)
{
    const float inf = std::numeric_limits<float>::infinity();
    struct Case
    {
        const char* name;
        int waveform;
        float phase;
        float expected;
    };
    const Case cases[] = {
        { "sine at 0", 0, 0.0f, 0.0f },
        { "sine peak at 64", 0, 64.0f, 1.0f },
        { "sine trough at 192", 0, 192.0f, -1.0f },
        { "triangle peak at 64", 1, 64.0f, 1.0f },
        { "triangle trough at 192", 1, 192.0f, -1.0f },
        { "triangle halfway up", 1, 32.5f, 32.5f / 64.0f },
        { "saw starts at -1", 2, 0.0f, -1.0f },
        { "saw halfway down its fall at 255.5", 2, 255.5f, 0.0f },
        { "square high", 3, 10.0f, 1.0f },
        { "square low", 3, 200.0f, -1.0f },
        { "square halfway down at 127.5", 3, 127.5f, 0.0f },
        { "phase 256..512 wraps once", 1, 256.0f + 64.0f, 1.0f },
        { "out of range: 64 + 3 cycles", 1, 64.0f + 768.0f, 1.0f },
        { "out of range: negative", 1, -192.0f, 1.0f },
        { "out of range: huge", 1, 1.0e30f, 0.0f },
        { "NaN restarts the cycle", 2, std::nanf(""), -1.0f },
        { "inf restarts the cycle", 2, inf, -1.0f },
        { "-inf restarts the cycle", 2, -inf, -1.0f },
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_NEAR(rawValueAt(c.waveform, c.phase), c.expected, 2.0e-6f);
    }
}

TEST(Lfo, FirstTicksOfANewOscillator)
{
    Lfo sine(44100.0f);
    EXPECT_EQ(sine.tick(0), 0.0f);
    EXPECT_EQ(sine.phase.load(), 255.0f / 44100.0f);

    // The square is 1 while the phase stays below 127, so the smoother climbs as 1 - 0.95^n.
    Lfo square(44100.0f);
    double expected = 1.0;
    for (int n = 1; n <= 500; ++n)
    {
        expected *= 0.95;
        ASSERT_NEAR(square.tick(3), 1.0 - expected, 1.0e-6) << "n = " << n;
    }
}

TEST(Lfo, SampleAndHoldDrawsOnlyOnANewCycle)
{
    const unsigned seed = 777u;
    const float expectedHold = (randomUnitFromSeed(seed) - 0.5f) * 2.0f;
    struct Case
    {
        const char* name;
        float phase;
        bool draws;
    };
    const Case cases[] = {
        { "256 wraps to 0 and draws", 256.0f, true },
        { "300 wraps and draws", 300.0f, true },
        { "far beyond one cycle still draws", 5000.0f, true },
        { "inside the cycle holds", 100.0f, false },
        { "negative holds", -10.0f, false },
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        Lfo lfo(44100.0f);
        lfo.holdValue = 0.25f;
        lfo.phase = c.phase;
        std::srand(seed);
        const float out = lfo.tick(4);
        EXPECT_EQ(lfo.holdValue, c.draws ? expectedHold : 0.25f);
        EXPECT_EQ(out, (0.0f * 19.0f + lfo.holdValue) * 0.05f);
        EXPECT_GE(lfo.phase.load(), 0.0f);
        EXPECT_LT(lfo.phase.load(), 256.0f);
    }
    Lfo wrapped(44100.0f);
    wrapped.phase = 256.0f;
    wrapped.tick(4);
    EXPECT_EQ(wrapped.phase.load(), 255.0f / 44100.0f);
}

TEST(Lfo, EveryOtherWaveformNumberIsTheSameNoise)
{
    const auto render = [](int waveform)
    {
        Lfo lfo(44100.0f);
        std::srand(4242u);
        std::vector<float> out;
        for (int n = 0; n < 200; ++n)
        {
            out.push_back(lfo.tick(waveform));
        }
        return out;
    };
    const std::vector<float> noise = render(5);
    for (int waveform : { 6, 7, -1, 1 << 24, -(1 << 24) })
    {
        SCOPED_TRACE(waveform);
        EXPECT_EQ(render(waveform), noise);
    }
    // It really is random: a different seed gives a different signal, and it moves.
    Lfo other(44100.0f);
    std::srand(99u);
    EXPECT_NE(other.tick(5), noise[0]);
    EXPECT_NE(noise[100], noise[150]);
}

TEST(Lfo, EveryWaveformStaysWithinPlusMinusOne)
{
    for (int waveform = -1; waveform <= 7; ++waveform)
    {
        SCOPED_TRACE(waveform);
        Lfo lfo(44100.0f);
        lfo.increment = 50.0f * 255.0f / 44100.0f; // the fastest free-running rate
        std::srand(1u);
        float peak = 0.0f;
        for (int n = 0; n < 200000; ++n)
        {
            const float v = lfo.tick(waveform);
            ASSERT_LE(std::fabs(v), 1.0f) << "n = " << n;
            peak = std::max(peak, std::fabs(v));
        }
        EXPECT_GT(peak, 0.3f);
    }
}
