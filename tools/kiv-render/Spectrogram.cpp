#include "Spectrogram.h"

#include <juce_dsp/juce_dsp.h>

#include <algorithm>
#include <cmath>

namespace
{
constexpr double frameSeconds = 0.046;
} // namespace

Spectrogram Spectrogram::compute(const AudioClip& clip, float floorDb)
{
    Spectrogram result;
    result.sampleRate = clip.sampleRate;
    result.durationSeconds = static_cast<double>(clip.numFrames()) / clip.sampleRate;

    const int order =
        std::clamp(static_cast<int>(std::lround(std::log2(clip.sampleRate * frameSeconds))), 8, 15);
    const int fftSize = 1 << order;
    const int hop = fftSize / 4;
    const auto length = static_cast<long long>(clip.numFrames());

    result.numBins = fftSize / 2 + 1;
    result.binHz = clip.sampleRate / fftSize;
    result.hopSeconds = hop / clip.sampleRate;
    result.numFrames = length == 0 ? 0 : static_cast<int>(length / hop + 1);
    result.levelsDb.assign(static_cast<std::size_t>(result.numFrames) *
                               static_cast<std::size_t>(result.numBins),
                           floorDb);

    if (result.numFrames == 0 || clip.numChannels() == 0)
        return result;

    juce::dsp::FFT fft(order);
    std::vector<float> window(static_cast<std::size_t>(fftSize));

    for (int i = 0; i < fftSize; ++i)
        window[static_cast<std::size_t>(i)] = static_cast<float>(
            0.5 - 0.5 * std::cos(2.0 * juce::MathConstants<double>::pi * i / fftSize));

    // A Hann window sums to fftSize / 2; a sine of amplitude A then peaks at A × fftSize / 4.
    const double fullScale = fftSize / 4.0;
    std::vector<float> work(static_cast<std::size_t>(fftSize) * 2);
    std::vector<double> power(static_cast<std::size_t>(result.numBins));

    for (int frame = 0; frame < result.numFrames; ++frame)
    {
        std::fill(power.begin(), power.end(), 0.0);
        const long long centre = static_cast<long long>(frame) * hop;

        for (const auto& channel : clip.channels)
        {
            std::fill(work.begin(), work.end(), 0.0f);

            for (int i = 0; i < fftSize; ++i)
            {
                const long long n = centre - fftSize / 2 + i;

                if (n >= 0 && n < length)
                    work[static_cast<std::size_t>(i)] =
                        channel[static_cast<std::size_t>(n)] * window[static_cast<std::size_t>(i)];
            }

            fft.performFrequencyOnlyForwardTransform(work.data(), true);

            for (int bin = 0; bin < result.numBins; ++bin)
            {
                const double magnitude = work[static_cast<std::size_t>(bin)] / fullScale;
                power[static_cast<std::size_t>(bin)] += magnitude * magnitude;
            }
        }

        float* row = result.levelsDb.data() +
                     static_cast<std::size_t>(frame) * static_cast<std::size_t>(result.numBins);

        for (int bin = 0; bin < result.numBins; ++bin)
        {
            const double mean = power[static_cast<std::size_t>(bin)] / clip.numChannels();
            const double db = mean > 0.0 ? 10.0 * std::log10(mean) : floorDb;
            row[bin] = std::max(floorDb, static_cast<float>(db));
        }
    }

    return result;
}

float Spectrogram::levelIn(int frame0, int frame1, double hz0, double hz1) const
{
    if (numFrames == 0)
        return -1000.0f;

    frame0 = std::clamp(frame0, 0, numFrames - 1);
    frame1 = std::clamp(frame1, frame0, numFrames - 1);
    const double b0 = hz0 / binHz;
    const double b1 = hz1 / binHz;
    float loudest = -1000.0f;

    if (std::floor(b1) <= std::ceil(b0))
    {
        // Narrower than a bin: interpolate at the middle, in dB.
        const double b = std::clamp(0.5 * (b0 + b1), 0.0, static_cast<double>(numBins - 1));
        const int lo = std::min(static_cast<int>(b), numBins - 2);
        const auto fraction = static_cast<float>(b - lo);

        for (int f = frame0; f <= frame1; ++f)
            loudest = std::max(loudest, at(f, lo) + fraction * (at(f, lo + 1) - at(f, lo)));

        return loudest;
    }

    const int first = std::clamp(static_cast<int>(std::ceil(b0)), 0, numBins - 1);
    const int last = std::clamp(static_cast<int>(std::floor(b1)), first, numBins - 1);

    for (int f = frame0; f <= frame1; ++f)
        for (int bin = first; bin <= last; ++bin)
            loudest = std::max(loudest, at(f, bin));

    return loudest;
}
