#include "ResponseMeter.h"

#include <cmath>

MagnitudeResponse ResponseMeter::measure(PluginInstance& instance, double sampleRate)
{
    std::string ignored;
    const std::vector<std::string> names = instance.parameterNames();

    for (const char* name : {"lfointensity", "envelopeintensity"})
        for (const auto& candidate : names)
            if (candidate == name)
                instance.setParameter(name, 0.5f, ignored);

    const auto settleFrames = static_cast<std::size_t>(std::lround(0.5 * sampleRate));
    const auto responseFrames = static_cast<std::size_t>(std::lround(0.75 * sampleRate));

    const int numChannels = 2;
    AudioClip probe;
    probe.sampleRate = sampleRate;
    probe.channels.assign(numChannels, std::vector<float>(settleFrames + responseFrames, 0.0f));

    for (auto& channel : probe.channels)
        channel[settleFrames] = impulseAmplitude;

    const AudioClip out = instance.render(probe, 0, nullptr);
    const std::vector<float>& left = out.channels.front();
    const std::vector<float> impulseResponse(left.begin() + static_cast<long>(settleFrames),
                                             left.end());
    return MagnitudeResponse::fromImpulse(impulseResponse, impulseAmplitude, sampleRate);
}
