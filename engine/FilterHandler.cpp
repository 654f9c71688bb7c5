#include "FilterHandler.h"

#include <cmath>

FilterHandler::FilterHandler(float sampleRate) noexcept
    : decimator(),
      previousInput(0.0f),
      lowPass(sampleRate),
      highPass(sampleRate),
      bandPass(sampleRate),
      oversampled {}
{
}

float FilterHandler::shapeCutoff(float cutoff, float lfo) noexcept
{
    return shapeCutoffSum(cutoff + lfo);
}

void FilterHandler::process(float* sample, float cutoff, float resonance, float lfo,
                            int filterType) noexcept
{
    const float x = *sample;
    oversampled[0] = (x - previousInput) * 0.5f + previousInput;
    oversampled[1] = x;
    previousInput = x;

    const float a = shapeCutoff(cutoff, lfo);
    const float r = shapeResonance(resonance);

    switch (filterType)
    {
        case 1:
            lowPass.process(&oversampled[0], a, r, true);
            lowPass.process(&oversampled[1], a, r, false);
            break;
        case 2:
            highPass.process(&oversampled[0], a, r, true);
            highPass.process(&oversampled[1], a, r, false);
            break;
        case 3:
            bandPass.process(&oversampled[0], a, r, true);
            bandPass.process(&oversampled[1], a, r, false);
            break;
        default:
            break;
    }

    const float output = decimator.process(oversampled[0], oversampled[1]);

    // Anything non-finite inside the core reaches its output within the same call, and
    // everything that enters the decimator is in oversampled[], so one test on this sum covers
    // the whole channel. (It would also fire for finite values near the float range limit,
    // which no sane signal reaches.)
    if (!std::isfinite(oversampled[0] + oversampled[1] + output))
    {
        reset();
        *sample = 0.0f;
        return;
    }
    *sample = output;
}

void FilterHandler::reset() noexcept
{
    decimator.reset();
    previousInput = 0.0f;
    lowPass.reset();
    highPass.reset();
    bandPass.reset();
    oversampled[0] = 0.0f;
    oversampled[1] = 0.0f;
}
