#pragma once

#include <string>
#include <vector>

/**
    A magnitude response in dB over frequency, from a measured impulse response: the
    response's spectrum divided by the amplitude of the impulse that produced it. The bins
    run from 0 Hz to half the sample rate in equal steps.
*/
class MagnitudeResponse
{
public:
    /** `impulseResponse` is zero-padded to a power of two; the last tenth is faded out so a
        response that has not quite died away does not smear the spectrum. */
    static MagnitudeResponse fromImpulse(const std::vector<float>& impulseResponse,
                                         float impulseAmplitude, double sampleRate);

    /** The level at any frequency, interpolated linearly between bins. */
    float dbAt(double hz) const;

    /** The highest level between loHz and hiHz. */
    float peakDb(double loHz, double hiHz) const;

    std::string label;
    double binHz = 0.0;
    double sampleRate = 0.0;
    std::vector<float> levelsDb;
};
