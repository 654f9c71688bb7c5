#pragma once

// Brings a pair of values at twice the sample rate back to one sample: a symmetric 19-tap
// half-band low-pass FIR in transposed polyphase form. Of the 19 taps only the centre tap (c0)
// and the ten taps at odd distances from it (c1..c5, on the first value of each pair) are
// nonzero, so one step costs eleven multiplies. Gain 1 at DC, 0.5 at half the base sample rate;
// together with the linear-interpolation upsampling in front of it the path is 5 samples late.
// The coefficients are exact multiples of 1/65536 and sum (c0 + 2 * (c1 + ... + c5)) to 1.
class HalfBandDecimator
{
public:
    static constexpr int numAccumulators = 9;
    static constexpr int numCoefficients = 6;

    HalfBandDecimator() noexcept;

    // x0 is the first (interpolated) value of the pair, x1 the second; returns one sample.
    float process(float x0, float x1) noexcept;

    // Clears the FIR history.
    void reset() noexcept;

    // One step for any float-like V (see LadderKernel.h); process() is step<float> on the
    // fields. Every right-hand side uses the accumulators from before the step, so they are
    // updated from the far end backwards.
    template <typename V>
    static V step(V (&a)[numAccumulators], const V (&c)[numCoefficients], V x0, V x1) noexcept
    {
        const V output = a[8] + c[5] * x0;
        a[8] = a[7] + c[4] * x0;
        a[7] = a[6] + c[3] * x0;
        a[6] = a[5] + c[2] * x0;
        a[5] = a[4] + c[1] * x0;
        a[4] = a[3] + c[1] * x0 + c[0] * x1;
        a[3] = a[2] + c[2] * x0;
        a[2] = a[1] + c[3] * x0;
        a[1] = a[0] + c[4] * x0;
        a[0] = c[5] * x0;
        return output;
    }

    float accumulators[numAccumulators];
    float coefficients[numCoefficients];
};
