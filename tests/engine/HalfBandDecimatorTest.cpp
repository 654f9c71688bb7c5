#include "FilterHandler.h"
#include "HalfBandDecimator.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

TEST(HalfBandDecimator, ImpulseThroughPassThroughSectionIsExactAndFiveSamplesLate)
{
    // Upsampling by linear interpolation and the 19-tap decimator together, for filter types
    // that run no core.
    const float expected[] = { 9.0f / 16384,     -49.0f / 16384, 313.0f / 32768, -53.0f / 2048,
                               3765.0f / 32768,  6617.0f / 8192, 3765.0f / 32768,
                               -53.0f / 2048,    313.0f / 32768, -49.0f / 16384, 9.0f / 16384 };
    for (int filterType : { 0, 4, 5, 6, -1, 99 })
    {
        SCOPED_TRACE(filterType);
        FilterHandler section(44100.0f);
        float sum = 0.0f;
        int peakIndex = -1;
        for (int n = 0; n < 30; ++n)
        {
            float x = n == 0 ? 1.0f : 0.0f;
            section.process(&x, 0.5f, 0.5f, 0.0f, filterType);
            if (n < 11)
            {
                EXPECT_EQ(x, expected[n]) << "n = " << n;
            }
            else
            {
                EXPECT_EQ(x, 0.0f) << "n = " << n;
            }
            if (x == 6617.0f / 8192)
            {
                peakIndex = n;
            }
            sum += x;
        }
        EXPECT_EQ(peakIndex, 5);
        EXPECT_FLOAT_EQ(sum, 1.0f);
    }
}

TEST(HalfBandDecimator, MatchesPlainConvolutionOnTheDoubledRateSequence)
{
    HalfBandDecimator decimator;
    const float* c = decimator.coefficients;
    // The 19 taps at distances -9..9 from the centre; even distances other than 0 are zero.
    float taps[19] = {};
    taps[9] = c[0];
    for (int k = 1; k <= 5; ++k)
    {
        taps[9 - (2 * k - 1)] = c[k];
        taps[9 + (2 * k - 1)] = c[k];
    }

    std::vector<float> doubled;
    uint32_t state = 1u;
    for (int n = 0; n < 400; ++n)
    {
        state = state * 1664525u + 1013904223u;
        const float x0 = static_cast<float>(state >> 8) / 8388608.0f - 1.0f;
        state = state * 1664525u + 1013904223u;
        const float x1 = static_cast<float>(state >> 8) / 8388608.0f - 1.0f;
        doubled.push_back(x0);
        doubled.push_back(x1);
        const float y = decimator.process(x0, x1);

        // Output n is centred on x1[n - 5], at index 2(n - 5) + 1 of the doubled sequence.
        const int centre = 2 * (n - 5) + 1;
        double reference = 0.0;
        for (int j = -9; j <= 9; ++j)
        {
            const int index = centre + j;
            if (index >= 0 && index < static_cast<int>(doubled.size()))
            {
                reference += static_cast<double>(taps[9 + j]) * doubled[static_cast<size_t>(index)];
            }
        }
        ASSERT_NEAR(y, reference, 1.0e-6) << "n = " << n;
    }
}
