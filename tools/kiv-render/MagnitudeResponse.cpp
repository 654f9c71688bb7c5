#include "MagnitudeResponse.h"

#include <juce_dsp/juce_dsp.h>

#include <algorithm>
#include <cmath>

MagnitudeResponse MagnitudeResponse::fromImpulse(const std::vector<float>& impulseResponse,
                                                 float impulseAmplitude, double sampleRate)
{
    MagnitudeResponse result;
    result.sampleRate = sampleRate;

    int order = 4;

    while ((std::size_t{1} << order) < impulseResponse.size() && order < 20)
        ++order;

    const int size = 1 << order;
    std::vector<float> work(static_cast<std::size_t>(size) * 2, 0.0f);
    const std::size_t used = std::min(impulseResponse.size(), static_cast<std::size_t>(size));
    const std::size_t fadeStart = used - used / 10;

    for (std::size_t i = 0; i < used; ++i)
    {
        float gain = 1.0f;

        if (i >= fadeStart && used > fadeStart)
        {
            const double x =
                static_cast<double>(i - fadeStart) / static_cast<double>(used - fadeStart);
            gain = static_cast<float>(0.5 + 0.5 * std::cos(juce::MathConstants<double>::pi * x));
        }

        work[i] = impulseResponse[i] * gain;
    }

    juce::dsp::FFT fft(order);
    fft.performFrequencyOnlyForwardTransform(work.data(), true);

    const int numBins = size / 2 + 1;
    result.binHz = sampleRate / size;
    result.levelsDb.resize(static_cast<std::size_t>(numBins));

    for (int bin = 0; bin < numBins; ++bin)
    {
        const double gain = work[static_cast<std::size_t>(bin)] / impulseAmplitude;
        result.levelsDb[static_cast<std::size_t>(bin)] =
            static_cast<float>(20.0 * std::log10(std::max(gain, 1.0e-12)));
    }

    return result;
}

float MagnitudeResponse::dbAt(double hz) const
{
    if (levelsDb.empty())
        return -240.0f;

    const double b = std::clamp(hz / binHz, 0.0, static_cast<double>(levelsDb.size() - 1));
    const auto lo = std::min(static_cast<std::size_t>(b), levelsDb.size() - 2);
    const auto fraction = static_cast<float>(b - static_cast<double>(lo));
    return levelsDb[lo] + fraction * (levelsDb[lo + 1] - levelsDb[lo]);
}

float MagnitudeResponse::peakDb(double loHz, double hiHz) const
{
    float peak = -240.0f;

    for (std::size_t bin = 0; bin < levelsDb.size(); ++bin)
    {
        const double hz = static_cast<double>(bin) * binHz;

        if (hz >= loHz && hz <= hiHz)
            peak = std::max(peak, levelsDb[bin]);
    }

    return peak;
}
