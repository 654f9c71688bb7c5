#pragma once

#include "Vst2Host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

/**
    Renders that two runs can compare sample for sample. The plug-in's dither and its random
    LFO waveforms draw from the C library's random source, which the plug-in shares with this
    process: reseeding it before a render makes that render repeatable. Without time info from
    the host nothing else varies from run to run.
*/
namespace SeededRender
{
/** Deterministic uniform noise in -amplitude..amplitude, the same sequence for a seed. */
class Noise
{
public:
    explicit Noise(uint32_t seed) : state(seed) {}

    float next(float amplitude)
    {
        state = state * 1664525u + 1013904223u;
        return amplitude * (static_cast<float>(state >> 8) * 0x1p-23f - 1.0f);
    }

    std::vector<float> block(std::size_t frames, float amplitude)
    {
        std::vector<float> samples(frames);
        for (auto& s : samples)
            s = next(amplitude);
        return samples;
    }

private:
    uint32_t state;
};

constexpr int largestBlock = 8192;
constexpr float sampleRate = 44100.0f;

/** A fresh instance at 44100 Hz, declared block size 8192, without time info, switched on
    and on the given program. Null (with a test failure) when it cannot be loaded. */
inline std::unique_ptr<Vst2Host> freshInstance(const char* pluginPath, int program)
{
    std::string error;
    auto instance = Vst2Host::load(pluginPath, error);
    EXPECT_NE(instance, nullptr) << error;
    if (instance == nullptr)
        return nullptr;
    instance->setSampleRate(sampleRate);
    instance->setBlockSize(largestBlock);
    instance->transport.hasTimeInfo = false;
    instance->resume();
    instance->setProgram(program);
    return instance;
}

/** Processes the noise of `seed` (numFrames on each channel) through `instance`, in place, in
    blocks of the sizes given, cycled; `beforeBlock(instance, n)` runs before block n. Reseeds
    the random source first. Returns left then right, one after the other. */
template <typename BeforeBlock>
std::vector<float> render(Vst2Host& instance, std::size_t numFrames, const std::vector<int>& sizes,
                          BeforeBlock beforeBlock, uint32_t seed = 99u)
{
    Noise source(seed);
    std::vector<float> left = source.block(numFrames, 0.25f);
    std::vector<float> right = source.block(numFrames, 0.25f);
    std::srand(2024u);
    std::size_t start = 0;
    for (std::size_t n = 0; start < numFrames; ++n)
    {
        const auto size =
            std::min(static_cast<std::size_t>(sizes[n % sizes.size()]), numFrames - start);
        float* channels[2] = {left.data() + start, right.data() + start};
        beforeBlock(instance, n);
        instance.process(channels, channels, static_cast<int>(size));
        start += size;
    }
    left.insert(left.end(), right.begin(), right.end());
    return left;
}

inline std::vector<float> render(Vst2Host& instance, std::size_t numFrames,
                                 const std::vector<int>& sizes)
{
    return render(instance, numFrames, sizes, [](Vst2Host&, std::size_t) {});
}

/** Index of the first sample where the two differ, or their common size. */
inline std::size_t firstDifference(const std::vector<float>& a, const std::vector<float>& b)
{
    std::size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i])
        ++i;
    return i;
}
} // namespace SeededRender
