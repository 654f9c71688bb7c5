#pragma once

#include "Vst2Host.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

/**
    Loads the built plug-in through its binary interface as a host would: 44100 Hz,
    block size 512, switched on. Tests that need another set-up change it themselves.
*/
class PluginFixture : public ::testing::Test
{
protected:
    static constexpr float sampleRate = 44100.0f;
    static constexpr int blockSize = 512;

    static const char* pluginPath() { return KIV_PLUGIN_PATH; }

    void SetUp() override
    {
        std::string error;
        host = Vst2Host::load(pluginPath(), error);
        ASSERT_NE(host, nullptr) << error;
        host->setSampleRate(sampleRate);
        host->setBlockSize(blockSize);
        host->resume();
    }

    void TearDown() override { host.reset(); }

    /** A sine tone of the given frequency and peak amplitude at the fixture's rate. */
    static std::vector<float> sine(double frequencyHz, std::size_t frames, float amplitude)
    {
        std::vector<float> samples(frames);
        const double step = 2.0 * 3.14159265358979323846 * frequencyHz / sampleRate;
        for (std::size_t i = 0; i < frames; ++i)
            samples[i] = amplitude * static_cast<float>(std::sin(step * static_cast<double>(i)));
        return samples;
    }

    /** Root mean square of samples[from..end). */
    static double rms(const std::vector<float>& samples, std::size_t from = 0)
    {
        double sum = 0.0;
        for (std::size_t i = from; i < samples.size(); ++i)
            sum += static_cast<double>(samples[i]) * samples[i];
        return samples.size() > from ? std::sqrt(sum / static_cast<double>(samples.size() - from))
                                     : 0.0;
    }

    std::unique_ptr<Vst2Host> host;
};
