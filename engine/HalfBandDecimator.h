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

    float accumulators[numAccumulators];
    float coefficients[numCoefficients];
};
