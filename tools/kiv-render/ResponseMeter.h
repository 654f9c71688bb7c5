#pragma once

#include "MagnitudeResponse.h"
#include "PluginInstance.h"

#include <string>

/**
    Measures the magnitude response of a plug-in instance's current settings. The LFO and
    the envelope are taken out first (their intensities set to 0.5, the value of no
    modulation; a plug-in without those parameters is measured as it is). Half a second of
    silence lets the cutoff smoother settle, then an impulse on both channels is followed for
    0.75 s. Its height, 0.01, is a compromise measured on the factory programs: ten times
    higher the saturating stages bend the response by about -30 dB, at this height their
    error and the plug-in's dither both stay some 60 dB or more below the response.
*/
class ResponseMeter
{
public:
    /** The instance must be configured for stereo at `sampleRate` and not yet have run. */
    static MagnitudeResponse measure(PluginInstance& instance, double sampleRate);

    static constexpr float impulseAmplitude = 1.0e-2f;
};
