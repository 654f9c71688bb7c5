#pragma once

#include <cstddef>
#include <vector>

/** A piece of audio in memory: one vector of samples per channel, all of one length. */
struct AudioClip
{
    double sampleRate = 44100.0;
    std::vector<std::vector<float>> channels;

    int numChannels() const { return static_cast<int>(channels.size()); }
    std::size_t numFrames() const { return channels.empty() ? 0 : channels.front().size(); }
};
