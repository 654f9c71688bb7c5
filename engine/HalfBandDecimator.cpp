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
    return step(accumulators, coefficients, x0, x1);
}

void HalfBandDecimator::reset() noexcept
{
    for (float& a : accumulators)
    {
        a = 0.0f;
    }
}
