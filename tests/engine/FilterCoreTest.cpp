#include "FilterBp12dB.h"
#include "FilterHandler.h"
#include "FilterHp12dB.h"
#include "FilterLp12dB.h"
#include "LadderKernel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{
// One input sample's two core calls, as the filter section makes them.
template <typename Core>
float runPair(Core& core, float x, float a, float r)
{
    float first = x;
    float second = x;
    core.process(&first, a, r, true);
    core.process(&second, a, r, false);
    return second;
}

struct CoefficientCase
{
    const char* name;
    float sampleRate;
    float a;
    float expectedFactor;
    float expectedG;
    float expectedK;
};

template <typename Core>
void checkCoefficients(const CoefficientCase& c, float gScale)
{
    Core core(c.sampleRate);
    EXPECT_FLOAT_EQ(core.sampleRateFactor.load(), c.expectedFactor);
    float x = 0.0f;
    core.process(&x, c.a, 0.0f, true);
    EXPECT_NEAR(core.cutoffCoefficient, c.expectedG * gScale, 2.0e-5f);
    EXPECT_NEAR(core.resonanceCompensation, c.expectedK, 2.0e-5f);
}
} // namespace

TEST(FilterCore, CoefficientsFollowTheirPolynomials)
{
    // At a = 1 and 44100 Hz: f = 0.5, e = 1.0323, k = 0.93315, w = e * pi * f = 1.62153 and
    // g = 1 - P(w) = 0.82281 with P the fifth-order Taylor polynomial of e^-w (the exponential
    // itself would give 0.80240). The high-pass doubles g. Expected values worked out in double
    // precision from the same polynomials.
    const auto g = [](double f)
    {
        const double e = -0.649 * f + 0.4955 * f * f + 1.873 * f * f * f + 0.9988;
        const double w = e * 3.14159265358979 * f;
        const double p = 1 - w + 0.5 * w * w - w * w * w / 6 + w * w * w * w / 24
                         - w * w * w * w * w / 120;
        return static_cast<float>(1.0 - p);
    };
    const auto k = [](double f) { return static_cast<float>(1.8409 * f - 3.9364 * f * f + 0.9968); };
    const double f96 = 0.5 * 0.5 * 44100.0 / 96000.0;
    const CoefficientCase cases[] = {
        { "a = 1 at 44100 Hz", 44100.0f, 1.0f, 1.0f, 0.82281f, 0.93315f },
        { "a = 0.5 at 44100 Hz", 44100.0f, 0.5f, 1.0f, g(0.25), k(0.25) },
        { "a = 0 at 44100 Hz", 44100.0f, 0.0f, 1.0f, 0.0f, 0.9968f },
        { "a = 1 at 22050 Hz keeps factor 1", 22050.0f, 1.0f, 1.0f, 0.82281f, 0.93315f },
        { "a = 0.5 at 96000 Hz", 96000.0f, 0.5f, 44100.0f / 96000.0f, g(f96), k(f96) },
    };
    for (const CoefficientCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        {
            SCOPED_TRACE("low-pass");
            checkCoefficients<FilterLp12dB>(c, 1.0f);
        }
        {
            SCOPED_TRACE("high-pass");
            checkCoefficients<FilterHp12dB>(c, 2.0f);
        }
        {
            SCOPED_TRACE("band-pass");
            checkCoefficients<FilterBp12dB>(c, 1.0f);
        }
    }
}

TEST(FilterCore, CoefficientsAreReusedOnTheSecondCall)
{
    FilterLp12dB core(44100.0f);
    float x = 0.3f;
    core.process(&x, 1.0f, 0.5f, true);
    const float g = core.cutoffCoefficient;
    x = 0.3f;
    core.process(&x, 0.1f, 0.5f, false);
    EXPECT_EQ(core.cutoffCoefficient, g);
}

TEST(FilterCore, ConstantInputSettlesWithoutResonance)
{
    // With resonance 0 every stage settles where its saturated output equals its saturated
    // input. The band-pass mix then cancels exactly, as long as g is large enough for the stages
    // to meet to the last bit (at a small cutoff the updates fall below the last bit of a stage
    // first, leaving a few ulps). The high-pass mix of five terms cancels only to rounding. The
    // low-pass settles at u = x / (1 + 0.15 * 3.55 * d * k), below the input because of the
    // feedback it keeps at resonance 0; d = 0.99 damps positive feedback only.
    for (float x : { 0.01f, 0.2f, -0.5f })
    {
        for (float a : { 0.05f, 0.4f, 1.0f })
        {
            SCOPED_TRACE(testing::Message() << "x = " << x << ", a = " << a);
            FilterLp12dB lowPass(44100.0f);
            FilterHp12dB highPass(44100.0f);
            FilterBp12dB bandPass(44100.0f);
            float lp = 0.0f;
            float hp = 0.0f;
            float bp = 0.0f;
            for (int n = 0; n < 40000; ++n)
            {
                lp = runPair(lowPass, x, a, 0.0f);
                hp = runPair(highPass, x, a, 0.0f);
                bp = runPair(bandPass, x, a, 0.0f);
            }
            const float ulps = 4.0f * std::numeric_limits<float>::epsilon();
            if (a >= 0.4f)
            {
                EXPECT_EQ(bp, 0.0f);
            }
            EXPECT_NEAR(bp, 0.0f, ulps);
            EXPECT_NEAR(hp, 0.0f, ulps);
            const float k = lowPass.resonanceCompensation;
            const float damping = x > 0.0f ? 0.99f : 1.0f;
            EXPECT_NEAR(lp, x / (1.0f + 0.15f * 3.55f * damping * k), std::fabs(x) * 1.0e-5f);
            EXPECT_LT(std::fabs(lp), std::fabs(x));
        }
    }
}

TEST(FilterHandler, ShapesCutoffAndResonance)
{
    struct Case
    {
        const char* name;
        float cutoff;
        float lfo;
        float expectedA;
    };
    const Case cases[] = {
        { "0.3 - 0.8 acts like its magnitude", 0.3f, -0.8f, 0.0625f },
        { "0.3 + 0.2", 0.3f, 0.2f, 0.0625f },
        { "above 1 limits", 1.0f, 0.2f, 1.0f },
        { "far below -1 limits", -3.0f, 0.0f, 1.0f },
        { "zero", 0.2f, -0.2f, 0.0f },
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_FLOAT_EQ(FilterHandler::shapeCutoff(c.cutoff, c.lfo), c.expectedA);
    }
    EXPECT_TRUE(std::isnan(FilterHandler::shapeCutoff(std::nanf(""), 0.0f)));
    EXPECT_EQ(FilterHandler::shapeResonance(1.0f), 1.0f);
    EXPECT_EQ(FilterHandler::shapeResonance(0.5f), 0.75f);
    EXPECT_EQ(FilterHandler::shapeResonance(0.0f), 0.0f);
}

TEST(FilterCore, SaturatorFollowsHalfArgumentTanh)
{
    for (float x = -40.0f; x <= 40.0f; x += 0.001f)
    {
        const float s = saturate(x);
        ASSERT_NEAR(s, std::tanh(x / 2.0f), 0.049f) << "x = " << x;
        ASSERT_EQ(saturate(-x), -s) << "x = " << x;
    }
    EXPECT_FLOAT_EQ(saturate(1.0e-6f), 0.5e-6f); // slope 0.5 at 0
    for (float x : { 1.0e3f, 1.0e9f, 6.9e12f })
    {
        SCOPED_TRACE(x);
        EXPECT_LE(saturate(x), 1.0f);
        EXPECT_GT(saturate(x), 0.99f);
    }
    // Beyond its range it overflows to NaN; the filter section recovers from that.
    EXPECT_TRUE(std::isnan(saturate(8.0e12f)));
}
