#include "StereoFilterPath.h"

#if defined(__SSE2__)

#include "FloatPair.h"
#include "LadderKernel.h"

namespace
{
constexpr auto relaxed = std::memory_order_relaxed;

template <typename Core>
void runCorePair(Core& left, Core& right, FloatPair& x0, FloatPair& x1, FloatPair a,
                 FloatPair r) noexcept
{
    constexpr int n = Core::numStages;
    FloatPair stage[n];
    FloatPair stageSaturated[n];
    static_assert(n == 4, "the stages are moved as groups of four");
    FloatPair::loadFour(left.stage, right.stage, stage);
    FloatPair::loadFour(left.stageSaturated, right.stageSaturated, stageSaturated);
    FloatPair feedback = FloatPair::load(left.feedback, right.feedback);
    FloatPair previousStage4 = FloatPair::load(left.previousStage4, right.previousStage4);
    const FloatPair gain = FloatPair::load(left.gain, right.gain);

    // The first call of the sample computes the coefficients, the second reuses them.
    FloatPair g;
    FloatPair k;
    ladderCoefficients(a,
                       FloatPair(left.sampleRateFactor.load(relaxed),
                                 right.sampleRateFactor.load(relaxed)),
                       FloatPair::load(left.pi, right.pi),
                       FloatPair::load(left.coefficientScale, right.coefficientScale), g, k);
    x0 = ladderStep<Core>(x0, g, k, r, gain, feedback, previousStage4, stage, stageSaturated);
    x1 = ladderStep<Core>(x1, g, k, r, gain, feedback, previousStage4, stage, stageSaturated);

    FloatPair::storeFour(stage, left.stage, right.stage);
    FloatPair::storeFour(stageSaturated, left.stageSaturated, right.stageSaturated);
    feedback.store(left.feedback, right.feedback);
    previousStage4.store(left.previousStage4, right.previousStage4);
    g.store(left.cutoffCoefficient, right.cutoffCoefficient);
    k.store(left.resonanceCompensation, right.resonanceCompensation);
}

FloatPair decimatePair(HalfBandDecimator& left, HalfBandDecimator& right, FloatPair x0,
                       FloatPair x1) noexcept
{
    constexpr int numA = HalfBandDecimator::numAccumulators;
    constexpr int numC = HalfBandDecimator::numCoefficients;
    FloatPair a[numA];
    FloatPair c[numC];
    static_assert(numA == 9 && numC == 6, "moved as two groups of four and one, or four and two");
    FloatPair::loadFour(left.accumulators, right.accumulators, a);
    FloatPair::loadFour(left.accumulators + 4, right.accumulators + 4, a + 4);
    a[8] = FloatPair::load(left.accumulators[8], right.accumulators[8]);
    FloatPair::loadFour(left.coefficients, right.coefficients, c);
    c[4] = FloatPair::load(left.coefficients[4], right.coefficients[4]);
    c[5] = FloatPair::load(left.coefficients[5], right.coefficients[5]);

    const FloatPair output = HalfBandDecimator::step(a, c, x0, x1);

    FloatPair::storeFour(a, left.accumulators, right.accumulators);
    FloatPair::storeFour(a + 4, left.accumulators + 4, right.accumulators + 4);
    a[8].store(left.accumulators[8], right.accumulators[8]);
    return output;
}
} // namespace

void StereoFilterPath::process(FilterHandler& leftSection, FilterHandler& rightSection,
                               float& left, float& right, float cutoff, float resonance,
                               float lfoLeft, float lfoRight, int filterType) noexcept
{
    const FloatPair x(left, right);
    const FloatPair previous =
        FloatPair::load(leftSection.previousInput, rightSection.previousInput);
    FloatPair x0 = (x - previous) * FloatPair(0.5f) + previous;
    FloatPair x1 = x;
    x.store(leftSection.previousInput, rightSection.previousInput);

    const FloatPair a =
        FilterHandler::shapeCutoffSum(FloatPair(cutoff) + FloatPair(lfoLeft, lfoRight));
    const FloatPair r(FilterHandler::shapeResonance(resonance));

    switch (filterType)
    {
        case 1:
            runCorePair(leftSection.lowPass, rightSection.lowPass, x0, x1, a, r);
            break;
        case 2:
            runCorePair(leftSection.highPass, rightSection.highPass, x0, x1, a, r);
            break;
        case 3:
            runCorePair(leftSection.bandPass, rightSection.bandPass, x0, x1, a, r);
            break;
        default:
            break;
    }
    x0.store(leftSection.oversampled[0], rightSection.oversampled[0]);
    x1.store(leftSection.oversampled[1], rightSection.oversampled[1]);

    const FloatPair output = decimatePair(leftSection.decimator, rightSection.decimator, x0, x1);
    output.store(left, right);

    // The same recovery as FilterHandler::process, per channel.
    const int finite = (x0 + x1 + output).finiteMask();
    if (finite != 3)
    {
        if ((finite & 1) == 0)
        {
            leftSection.reset();
            left = 0.0f;
        }
        if ((finite & 2) == 0)
        {
            rightSection.reset();
            right = 0.0f;
        }
    }
}

#else

void StereoFilterPath::process(FilterHandler& leftSection, FilterHandler& rightSection,
                               float& left, float& right, float cutoff, float resonance,
                               float lfoLeft, float lfoRight, int filterType) noexcept
{
    leftSection.process(&left, cutoff, resonance, lfoLeft, filterType);
    rightSection.process(&right, cutoff, resonance, lfoRight, filterType);
}

#endif
