#pragma once

#include "AudioClip.h"

#include <vector>

/**
    Short-time spectrum of a clip over time, for drawing: Hann-windowed frames of about
    46 ms (a power of two: 2048 points at 44.1 or 48 kHz), a hop of a quarter frame, the
    channels' powers averaged. Levels are in dB relative to full scale, so that a full-scale
    sine reads about 0 dB at its frequency; silence is clamped at `floorDb`.
*/
class Spectrogram
{
public:
    static Spectrogram compute(const AudioClip& clip, float floorDb = -120.0f);

    int numFrames = 0;
    int numBins = 0;         ///< fftSize / 2 + 1, from 0 Hz to half the sample rate
    double binHz = 0.0;      ///< frequency step between bins
    double hopSeconds = 0.0; ///< time step between frames; frame k is centred at k × hop
    double durationSeconds = 0.0;
    double sampleRate = 0.0;
    std::vector<float> levelsDb; ///< numFrames × numBins, frame after frame

    float at(int frame, int bin) const
    {
        return levelsDb[static_cast<std::size_t>(frame) * static_cast<std::size_t>(numBins) +
                        static_cast<std::size_t>(bin)];
    }

    /** The loudest level in the rectangle of frames [frame0, frame1] and of frequencies
        [hz0, hz1]; below one bin's width it interpolates between the two nearest bins. */
    float levelIn(int frame0, int frame1, double hz0, double hz1) const;
};
