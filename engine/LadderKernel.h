#pragma once

#include <algorithm>
#include <cmath>

// The loop over the four stages is short and fixed; unrolled, its values stay in registers.
#if defined(__GNUC__)
#define KIV_UNROLL _Pragma("GCC unroll 16")
#else
#define KIV_UNROLL
#endif

// The arithmetic shared by the three filter cores (FilterLp12dB, FilterHp12dB, FilterBp12dB),
// written once for any value type V that behaves like a float: plain float for one channel, or
// a pair of lanes carrying the left and the right channel side by side. Every expression keeps
// one fixed evaluation order, so both kinds of V give the same bits.
//
// A core is a feedback loop around four one-pole low-pass stages, each followed by a saturator,
// run twice per input sample (the filter section oversamples by two). The class passed as Core
// supplies what differs between the family members: its feedback term, the damping of positive
// feedback and its output mix.

inline float absValue(float x) noexcept
{
    return std::fabs(x);
}

// std::min(x, limit) and std::max(x, limit), in that operand order: a NaN x stays NaN.
inline float minOf(float x, float limit) noexcept
{
    return std::min(x, limit);
}

inline float maxOf(float x, float limit) noexcept
{
    return std::max(x, limit);
}

// Positive feedback is damped a little every call; negative feedback (and NaN) pass unchanged.
inline float dampPositive(float feedback, float damping) noexcept
{
    return feedback > 0.0f ? feedback * damping : feedback;
}

// A rational soft clipper that follows tanh(x / 2): slope 0.5 at 0, odd, tending to +-1.
// It is sign(x) * (E - 1) / (E + 1) with E = 1 + |x| + x^2/2 + |x|^3/6, the cubic Taylor
// polynomial of e^|x|. Against tanh(x / 2) the error is largest near |x| = 3.2 (0.048) and
// falls off both ways; |result| <= 1 everywhere. It is finite for |x| up to about 6.9e12; beyond
// that p * |x| overflows and the result is NaN, which the filter section detects and recovers
// from.
template <typename V>
inline V saturate(V x) noexcept
{
    const V ax = absValue(x);
    const V p = (ax + V(3.0f)) * ax + V(6.0f);
    return x * p / (p * ax + V(12.0f));
}

// Coefficients of one input sample from the shaped cutoff a (0..1). f is the normalised cutoff
// (0..0.5); e is a cubic warp that corrects the one-pole's tuning; k compensates the resonance
// for the cutoff; the stage coefficient is g = 1 - P(w), with P the fifth-order Taylor
// polynomial of e^-w. At the top of the range (w about 1.62) P is well away from e^-w
// (g = 0.82281 instead of 0.80240); that offset is part of the filter's tuning.
template <typename V>
inline void ladderCoefficients(V a, V sampleRateFactor, V pi, V coefficientScale, V& g,
                               V& k) noexcept
{
    const V f = a * sampleRateFactor * V(0.5f);
    const V e = V(-0.649f) * f + (V(0.4955f) * f * f + V(1.873f) * f * f * f) + V(0.9988f);
    k = V(1.8409f) * f - V(3.9364f) * f * f + V(0.9968f);
    const V w = e * pi * f;
    const V taylor = V(1.0f) - w + V(0.5f) * w * w - V(0.16666667f) * w * w * w
                     + V(0.041666668f) * w * w * w * w - V(0.008333334f) * w * w * w * w * w;
    g = (V(1.0f) - taylor) * coefficientScale;
}

// One oversampled value x through the ladder; returns the core's output. The feedback used here
// always comes from the previous call. Each stage moves towards its saturated input by g,
// measured from its own saturated output of the previous call.
template <typename Core, typename V>
inline V ladderStep(V x, V g, V k, V r, V gain, V& feedback, V& previousStage4, V (&stage)[4],
                    V (&stageSaturated)[4]) noexcept
{
    const V u = (Core::feedbackTerm(r, feedback, k) + x) * gain;
    const V s0 = saturate(V(2.0f) * u);
    const V stageGain = V(2.0f) * gain;

    V in = s0;
    KIV_UNROLL
    for (int i = 0; i < 4; ++i)
    {
        stage[i] = (in - stageSaturated[i]) * g + stage[i];
        stageSaturated[i] = saturate(stageGain * stage[i]);
        in = stageSaturated[i];
    }

    const V y4 = stage[3];
    feedback = V(0.5f) * y4 + V(0.5f) * previousStage4;
    previousStage4 = y4;
    feedback = dampPositive(feedback, V(Core::positiveFeedbackDamping));
    return Core::mix(s0, stageSaturated, y4);
}
