#include "FilterHp12dB.h"

#include "LadderKernel.h"

#include <algorithm>

FilterHp12dB::FilterHp12dB(float sampleRate) noexcept
    : pi(3.1415927f),
      coefficientScale(2.0f),
      gain(0.5f),
      sampleRateFactor(std::min(1.0f, 44100.0f / sampleRate)),
      stage {},
      stageSaturated {},
      feedback(0.0f),
      previousStage4(0.0f),
      cutoffCoefficient(0.0f),
      resonanceCompensation(0.0f)
{
}

void FilterHp12dB::process(float* sample, float cutoff, float resonance,
                     bool updateCoefficients) noexcept
{
    if (updateCoefficients)
    {
        ladderCoefficients(cutoff, sampleRateFactor.load(std::memory_order_relaxed), pi,
                           coefficientScale, cutoffCoefficient, resonanceCompensation);
    }
    *sample = ladderStep<FilterHp12dB>(*sample, cutoffCoefficient, resonanceCompensation, resonance,
                                 gain, feedback, previousStage4, stage, stageSaturated);
}

void FilterHp12dB::reset() noexcept
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
