#include "HalfBandDecimator.h"

HalfBandDecimator::HalfBandDecimator() noexcept
    : accumulators {},
      coefficients { 0.5f,                 // 32768 / 65536, the centre tap
                     0.3077392578125f,     // 20168 / 65536
                     -0.07794189453125f,   // -5108 / 65536
                     0.02618408203125f,    // 1716 / 65536
                     -0.007080078125f,     // -464 / 65536
                     0.0010986328125f }    // 72 / 65536
{
}

float HalfBandDecimator::process(float x0, float x1) noexcept
{
    float* const a = accumulators;
    const float* const c = coefficients;

    // Every right-hand side uses the accumulators from before this step, so update from the
    // far end backwards.
    const float output = a[8] + c[5] * x0;
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

void HalfBandDecimator::reset() noexcept
{
    for (float& a : accumulators)
    {
        a = 0.0f;
    }
}
