// The built plug-in, heard through its binary interface: does it sound like a filter?

#include "PluginFixture.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr int cleanSetUp = 0;   // factory program 0, low-pass
constexpr int bandPassProg = 2; // factory program 2, "Lfo 2/1 BP"

constexpr int cutoffIndex = 1;
constexpr int lfoIntensityIndex = 4;
constexpr int envelopeIntensityIndex = 10;

// Half a second for the cutoff smoother (about 1000 samples) and the filter to settle.
constexpr std::size_t settleFrames = 22050;
constexpr std::size_t totalFrames = 44100;
} // namespace

class PluginSmokeTest : public PluginFixture
{
protected:
    /** Selects a program, fixes the cutoff and removes LFO and envelope modulation
        (intensity 0.5 is no modulation), so that the filter stands still. */
    void holdFilter(int program, float cutoff)
    {
        host->setProgram(program);
        host->setParameter(cutoffIndex, cutoff);
        host->setParameter(lfoIntensityIndex, 0.5f);
        host->setParameter(envelopeIntensityIndex, 0.5f);
    }

    /** Gain of the settled output against the input for a tone on both channels. */
    double toneGain(double frequencyHz)
    {
        std::vector<float> left = sine(frequencyHz, totalFrames, 0.25f);
        std::vector<float> right = left;
        const double inputRms = rms(left, settleFrames);
        host->processStereo(left, right, blockSize);
        EXPECT_NEAR(rms(left, settleFrames), rms(right, settleFrames), 1e-3 * inputRms);
        return rms(left, settleFrames) / inputRms;
    }
};

TEST_F(PluginSmokeTest, LowPassWithLowCutoffAttenuatesAHighTone)
{
    holdFilter(cleanSetUp, 0.4f);
    const double low = toneGain(100.0);
    holdFilter(cleanSetUp, 0.4f);
    const double high = toneGain(8000.0);

    EXPECT_GT(low, 0.1);
    EXPECT_LT(high, 0.05 * low) << "low " << low << ", high " << high;
}

TEST_F(PluginSmokeTest, BandPassCutsTheLowToneThatTheLowPassKeeps)
{
    holdFilter(cleanSetUp, 0.5f);
    const double lowPass = toneGain(60.0);
    holdFilter(bandPassProg, 0.5f);
    const double bandPass = toneGain(60.0);

    EXPECT_LT(bandPass, 0.25 * lowPass) << "low-pass " << lowPass << ", band-pass " << bandPass;
}

TEST_F(PluginSmokeTest, OutputIsProcessedAndFiniteInEveryProgram)
{
    for (int program = 0; program < 10; ++program)
    {
        SCOPED_TRACE(host->programName(program));
        host->setProgram(program);
        std::vector<float> left = sine(440.0, totalFrames / 4, 0.5f);
        std::vector<float> right = sine(660.0, totalFrames / 4, 0.5f);
        const std::vector<float> input = left;
        host->processStereo(left, right, blockSize);

        EXPECT_TRUE(
            std::all_of(left.begin(), left.end(), [](float s) { return std::isfinite(s); }));
        EXPECT_TRUE(
            std::all_of(right.begin(), right.end(), [](float s) { return std::isfinite(s); }));
        EXPECT_NE(left, input);
        EXPECT_GT(rms(left), 1e-4);
        EXPECT_LT(rms(left), 4.0);
    }
}

TEST_F(PluginSmokeTest, SilenceGivesNearSilenceButNotZero)
{
    std::vector<float> left(totalFrames, 0.0f), right(totalFrames, 0.0f);
    host->processStereo(left, right, blockSize);

    float peak = 0.0f;
    for (std::size_t i = 0; i < left.size(); ++i)
        peak = std::max({peak, std::fabs(left[i]), std::fabs(right[i])});

    EXPECT_GT(peak, 0.0f) << "the dither should leave a trace";
    EXPECT_LT(peak, 1e-6f);
}
