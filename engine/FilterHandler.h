#pragma once

#include "FilterBp12dB.h"
#include "FilterHp12dB.h"
#include "FilterLp12dB.h"
#include "HalfBandDecimator.h"
#include "LadderKernel.h"

// One channel's filter section. Each input sample is upsampled to twice the rate by linear
// interpolation (the midpoint to the previous input, then the input itself), both values go
// through the selected core (1 low-pass, 2 high-pass, 3 band-pass; any other type runs no core),
// and the decimator brings them back to one sample, 5 samples late. Only the selected core runs;
// the other two keep their state frozen until they are selected again.
//
// Recovery: the cores are feedback loops, so a single NaN or infinite input, or a sample large
// enough to overflow the saturator (about 4e12), would otherwise leave them producing NaN for
// ever. After every sample the section checks the values that left the core and the decimator;
// if any is not finite, the whole channel (all three cores, the decimator and the previous input)
// restarts from silence and that one output sample is 0. For finite, sane input the check never
// fires and changes nothing.
class FilterHandler
{
public:
    explicit FilterHandler(float sampleRate) noexcept;

    // cutoff: the engine's cutoff sum; lfo: this channel's scaled LFO value; both are shaped
    // here into a = min(1, (cutoff + lfo)^4). resonance: the raw parameter, 0..1.
    void process(float* sample, float cutoff, float resonance, float lfo,
                 int filterType) noexcept;

    // Back to the state of construction (sample-rate factors stay).
    void reset() noexcept;

    // (cutoff + lfo)^4 limited to 0..1. The power is even, so a negative sum acts like its
    // magnitude; a NaN sum stays NaN.
    static float shapeCutoff(float cutoff, float lfo) noexcept;

    // The same for any float-like V (see LadderKernel.h), given the sum cutoff + lfo.
    template <typename V>
    static V shapeCutoffSum(V sum) noexcept
    {
        V a = sum * sum * sum * sum;
        a = minOf(a, V(1.0f));
        a = maxOf(a, V(0.0f));
        return a;
    }

    // 1 - (1 - resonance)^2.
    static float shapeResonance(float resonance) noexcept
    {
        return 1.0f - (1.0f - resonance) * (1.0f - resonance);
    }

    HalfBandDecimator decimator;
    float previousInput;
    FilterLp12dB lowPass;
    FilterHp12dB highPass;
    FilterBp12dB bandPass;
    float oversampled[2];
};
