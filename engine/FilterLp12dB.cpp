#include "FilterLp12dB.h"

#include "LadderKernel.h"

#include <algorithm>

FilterLp12dB::FilterLp12dB(float sampleRate) noexcept
    : pi(3.1415927f),
      coefficientScale(1.0f),
      gain(1.0f),
      sampleRateFactor(std::min(1.0f, 44100.0f / sampleRate)),
      stage {},
      stageSaturated {},
      feedback(0.0f),
      previousStage4(0.0f),
      cutoffCoefficient(0.0f),
      resonanceCompensation(0.0f)
{
}

void FilterLp12dB::process(float* sample, float cutoff, float resonance,
                     bool updateCoefficients) noexcept
{
    if (updateCoefficients)
    {
        ladderCoefficients(cutoff, sampleRateFactor.load(std::memory_order_relaxed), pi,
                           coefficientScale, cutoffCoefficient, resonanceCompensation);
    }
    *sample = ladderStep<FilterLp12dB>(*sample, cutoffCoefficient, resonanceCompensation, resonance,
                                 gain, feedback, previousStage4, stage, stageSaturated);
}

void FilterLp12dB::reset() noexcept
{
    for (int i = 0; i < numStages; ++i)
    {
        stage[i] = 0.0f;
        stageSaturated[i] = 0.0f;
    }
    feedback = 0.0f;
    previousStage4 = 0.0f;
    cutoffCoefficient = 0.0f;
    resonanceCompensation = 0.0f;
}
