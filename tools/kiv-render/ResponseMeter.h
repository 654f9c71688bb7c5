#pragma once

#include "MagnitudeResponse.h"
#include "PluginInstance.h"

#include <string>

/**
    Measures the magnitude response of a plug-in instance's current settings. The LFO and
    the envelope are taken out first (their intensities set to 0.5, the value of no
    modulation; a plug-in without those parameters is measured as it is). Half a second of
    silence lets the cutoff smoother settle, then a small impulse on every channel is
    followed for about 0.75 s. The impulse is small so that the filter's saturating stages
    stay in their linear range; the plug-in's dither stays more than 60 dB below it.
*/
class ResponseMeter
{
public:
    /** The instance must be configured for stereo at `sampleRate` and not yet have run. */
    static MagnitudeResponse measure(PluginInstance& instance, double sampleRate);

    static constexpr float impulseAmplitude = 1.0e-3f;
};
