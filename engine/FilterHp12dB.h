#pragma once

#include <atomic>

// The high-pass member of the filter-core family (see LadderKernel.h): four saturating one-pole
// stages in a feedback loop, called twice per input sample by the filter section. `process`
// filters one oversampled value in place; with updateCoefficients true it first derives and
// caches the stage coefficient g and the resonance compensation k from the shaped cutoff, and
// the second call of the same input sample reuses them.
class FilterHp12dB
{
public:
    static constexpr int numStages = 4;

    explicit FilterHp12dB(float sampleRate) noexcept;

    // cutoff: shaped cutoff a, 0..1. resonance: shaped resonance r, 0..1.
    void process(float* sample, float cutoff, float resonance, bool updateCoefficients) noexcept;

    // Clears every state value; the constants and sampleRateFactor stay.
    void reset() noexcept;

    // r * -4.1 * fb * k: no feedback at resonance 0.
    template <typename V>
    static V feedbackTerm(V r, V feedback, V k) noexcept
    {
        return r * V(-4.1f) * feedback * k;
    }

    static constexpr float positiveFeedbackDamping = 0.97f;

    // s0 - 4 t1 + 6 (t1/8 + 7 t2/8) - 4 (t2/4 + 3 t3/4) + (3 t3/8 + 5 t4/8), that is
    // s0 - 3.25 t1 + 4.25 t2 - 2.625 t3 + 0.625 t4: the weights sum to 0, so the output vanishes
    // for a constant input once the stages have settled (to within rounding).
    template <typename V>
    static V mix(V s0, const V (&t)[4], V /*y4*/) noexcept
    {
        return s0 - V(4.0f) * t[0] + V(6.0f) * (V(0.125f) * t[0] + V(0.875f) * t[1])
               - V(4.0f) * (V(0.25f) * t[1] + V(0.75f) * t[2])
               + (V(0.375f) * t[2] + V(0.625f) * t[3]);
    }

    float pi;
    float coefficientScale;
    float gain;
    // min(1, 44100 / sampleRate): above 44100 Hz the normalised cutoff is scaled down so that
    // the cutoff in Hz stays where it is at 44100 Hz. Written by the processor on a rate change.
    std::atomic<float> sampleRateFactor;
    float stage[numStages];
    float stageSaturated[numStages];
    float feedback;
    float previousStage4;
    float cutoffCoefficient;
    float resonanceCompensation;
};

static_assert(std::atomic<float>::is_always_lock_free, "the audio thread must not lock");
