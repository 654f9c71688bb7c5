#include "Lfo.h"

#include <cmath>
#include <cstdlib>

namespace
{
constexpr float randScale = 0x1p-31f; // rand() onto 0..1

float randomUnit() noexcept
{
    return static_cast<float>(std::rand()) * randScale;
}
} // namespace

Lfo::Lfo(float rate) noexcept
    : phase(0.0f),
      increment(255.0f / rate),
      sampleRate(rate),
      output(0.0f),
      holdValue(0.0f),
      noiseState(0.0f)
{
    for (int j = 0; j < numTableEntries; ++j)
    {
        const float position = static_cast<float>(j);
        // One cycle over 256 entries; the guard entry 256 is the same computation, which lands
        // close to but not exactly on 0.
        sineTable[j] = std::sin(position * 0.00390625f * 6.2831855f);

        // 0 at 0, 1 at 64, 0 at 128, -1 at 192, back to 0 at 256.
        if (j < 64)
        {
            triangleTable[j] = position / 64.0f;
        }
        else if (j < 128)
        {
            triangleTable[j] = (128.0f - position) / 64.0f;
        }
        else if (j < 192)
        {
            triangleTable[j] = -(position - 128.0f) / 64.0f;
        }
        else if (j < 256)
        {
            triangleTable[j] = (position - 256.0f) / 64.0f;
        }
        else
        {
            triangleTable[j] = 0.0f;
        }

        // A rising ramp from -1 at 0 to exactly +1 at 255; the guard entry starts the next cycle.
        sawTable[j] = j < 256 ? 2.0f * position / 255.0f - 1.0f : -1.0f;

        squareTable[j] = (j < 128 || j == 256) ? 1.0f : -1.0f;
    }
}

Lfo::~Lfo() = default;

float Lfo::wrapOutOfRange(float p) noexcept
{
    // Only reachable through out-of-range settings (an lfowidth far outside 0..1, a negative
    // rate, a stored phase): bring the phase into one cycle so the table reads stay in bounds.
    // A NaN or infinite phase restarts the cycle.
    p = p - 256.0f * std::floor(p / 256.0f);
    if (!(p >= 0.0f && p < 256.0f))
    {
        p = 0.0f;
    }
    return p;
}

float Lfo::tick(int waveform) noexcept
{
    float p = phase.load(std::memory_order_relaxed);
    bool wrapped = false;
    // The engine and the processor keep the phase in 0 <= p < 512, where one subtraction of 256
    // brings it into the table. Anything else is wrapped; a phase of 256 or more still counts as
    // the start of a new cycle for the sample-and-hold.
    if (!(p >= 0.0f && p < 512.0f))
    {
        wrapped = p >= 256.0f;
        p = wrapOutOfRange(p);
    }
    else if (p >= 256.0f)
    {
        p = p - 256.0f;
        wrapped = true;
    }

    const int index = static_cast<int>(std::floor(p));
    const float fraction = p - static_cast<float>(index);
    phase.store(p + increment.load(std::memory_order_relaxed), std::memory_order_relaxed);

    float value;
    switch (waveform)
    {
        case 0:
            value = (1.0f - fraction) * sineTable[index] + fraction * sineTable[index + 1];
            break;
        case 1:
            value = (1.0f - fraction) * triangleTable[index]
                    + fraction * triangleTable[index + 1];
            break;
        case 2:
            value = (1.0f - fraction) * sawTable[index] + fraction * sawTable[index + 1];
            break;
        case 3:
            value = (1.0f - fraction) * squareTable[index] + fraction * squareTable[index + 1];
            break;
        case 4:
            if (wrapped)
            {
                holdValue = (randomUnit() - 0.5f) * 2.0f;
            }
            value = holdValue;
            break;
        default:
            // Uniform values through a one-pole low-pass with weight 2/3 on the old state.
            noiseState = (randomUnit() + 2.0f * noiseState) * 0.33333334f;
            value = (noiseState - 0.5f) * 2.0f;
            break;
    }

    // One-pole smoother, time constant about 20 samples.
    output = (output * 19.0f + value) * 0.05f;
    return output;
}
