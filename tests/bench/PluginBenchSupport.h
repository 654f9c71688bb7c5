#pragma once

#include "ProgramSettings.h"
#include "Vst2Host.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

// What the whole-plug-in benchmark and the instruction-count driver share: where the built
// plug-in is, one deterministic stereo test signal, a stereo buffer pair in the layout a host
// hands to processReplacing, and the engine settings of a program read back from the plug-in.
namespace PluginBenchSupport
{
// All figures are at this rate; the plug-in's filter cores are tuned at it.
constexpr float sampleRateHz = 44100.0f;

// The plug-in built in the same tree (set by the build), unless $KIV_PLUGIN names another.
inline std::string pluginFile()
{
    const char* override = std::getenv("KIV_PLUGIN");
    return override != nullptr && *override != '\0' ? std::string(override)
                                                    : std::string(KIV_PLUGIN_PATH);
}

// A 0.5 sine at `hz` plus 0.05 of uniform noise from a fixed linear congruential generator:
// the same samples on every run and machine, loud enough to drive the filter and envelope.
inline std::vector<float> testSignal(std::size_t numFrames, double hz, uint32_t seed)
{
    std::vector<float> v(numFrames);
    for (std::size_t i = 0; i < numFrames; ++i)
    {
        seed = seed * 1664525u + 1013904223u;
        const double noise = static_cast<double>(seed >> 8) / 8388608.0 - 1.0;
        v[i] = static_cast<float>(
            0.5 * std::sin(6.283185307179586 * hz * static_cast<double>(i) / sampleRateHz) +
            0.05 * noise);
    }
    return v;
}

// Separate input and output channels, as most hosts pass them: the plug-in copies the input
// into the output and works there. `input` keeps the test signal; `output` is overwritten.
struct StereoBuffers
{
    explicit StereoBuffers(std::size_t numFrames)
        : inLeft(testSignal(numFrames, 110.0, 1u)), inRight(testSignal(numFrames, 165.0, 2u)),
          outLeft(numFrames), outRight(numFrames)
    {
    }

    // Channel pointers for the block starting at `frame`.
    void pointAt(std::size_t frame, float* inputs[2], float* outputs[2])
    {
        inputs[0] = inLeft.data() + frame;
        inputs[1] = inRight.data() + frame;
        outputs[0] = outLeft.data() + frame;
        outputs[1] = outRight.data() + frame;
    }

    std::size_t numFrames() const { return inLeft.size(); }

    std::vector<float> inLeft;
    std::vector<float> inRight;
    std::vector<float> outLeft;
    std::vector<float> outRight;
};

// One instance at 44100 Hz with the given largest block, switched to `program` and resumed.
// Null, with `error` filled, when the plug-in cannot be loaded.
inline std::unique_ptr<Vst2Host> openInstance(int program, int maxBlockFrames, std::string& error)
{
    auto host = Vst2Host::load(pluginFile(), error);
    if (host == nullptr)
    {
        return nullptr;
    }
    host->setSampleRate(sampleRateHz);
    host->setBlockSize(maxBlockFrames);
    host->setProgram(program);
    host->resume();
    return host;
}

// Runs `buffers` through the instance in blocks of `blockFrames` (the last one may be shorter).
inline void processInBlocks(Vst2Host& host, StereoBuffers& buffers, std::size_t blockFrames)
{
    float* inputs[2];
    float* outputs[2];
    const std::size_t total = buffers.numFrames();
    for (std::size_t start = 0; start < total; start += blockFrames)
    {
        const std::size_t count = blockFrames < total - start ? blockFrames : total - start;
        buffers.pointAt(start, inputs, outputs);
        host.process(inputs, outputs, static_cast<int>(count));
    }
}

// The fifteen parameter values of the instance's current program, as the engine receives
// them from the processor, so that a bare engine can run exactly the program the plug-in runs.
inline ProgramSettings settingsOf(Vst2Host& host)
{
    ProgramSettings settings;
    for (int i = 0; i < ProgramSettings::numValues; ++i)
    {
        settings.values[i] = host.getParameter(i);
    }
    return settings;
}
} // namespace PluginBenchSupport
