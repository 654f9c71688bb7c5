#pragma once

#include <cstdlib>
#include <vector>

// Deterministic stereo test material, independent of rand() (which the engine itself draws
// from): tones and a sweep, bursts of noise, full-scale and louder passages that drive the
// saturators hard, near-silence, and a different signal on each channel.
struct TestSignal
{
    std::vector<float> left;
    std::vector<float> right;

    static TestSignal make(int numFrames, float sampleRate);
};

// Renders the signal through any engine with the C library's generator reseeded first, so that
// two engines see the same dither and random waveforms. Returns left and right interleaved.
template <typename EngineType>
std::vector<float> renderInterleaved(EngineType& engine, const TestSignal& signal,
                                     unsigned seed)
{
    std::srand(seed);
    std::vector<float> out;
    out.reserve(signal.left.size() * 2);
    for (size_t i = 0; i < signal.left.size(); ++i)
    {
        float l = signal.left[i];
        float r = signal.right[i];
        engine.process(&l, &r);
        out.push_back(l);
        out.push_back(r);
    }
    return out;
}
