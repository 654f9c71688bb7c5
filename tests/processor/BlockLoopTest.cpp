// The block loop: the sample-rate step, mono and stereo processing, channels beyond the input,
// the accepted layouts, block-size invariance and real-time safety.

#include "AllocationCounter.h"
#include "KivCore.h"
#include "TestPlayHead.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace
{
// Accepts every layout, so that tests can feed the block loop channel counts the layout rule
// refuses but a framework caller could still hand over.
class AnyLayoutCore : public KivCore
{
public:
    bool isBusesLayoutSupported(const BusesLayout&) const override { return true; }
};

std::vector<float> testSignal(int numSamples, unsigned seed)
{
    // A sine with some noise from a fixed linear congruential generator, so the signal is the
    // same on every run and does not touch the C library's rand().
    std::vector<float> samples(static_cast<std::size_t>(numSamples));
    unsigned state = seed;
    for (int i = 0; i < numSamples; ++i)
    {
        state = state * 1664525u + 1013904223u;
        const float noise = static_cast<float>(state >> 8) / 16777216.0f - 0.5f;
        samples[static_cast<std::size_t>(i)] =
            0.5f * std::sin(0.031f * static_cast<float>(i)) + 0.2f * noise;
    }
    return samples;
}

// Runs left/right through the processor in blocks of the given sizes, cycling through them.
void renderInChunks(KivCore& core, std::vector<float>& left, std::vector<float>& right,
                    const std::vector<int>& chunkSizes)
{
    juce::MidiBuffer midi;
    std::size_t position = 0;
    std::size_t chunk = 0;
    while (position < left.size())
    {
        const int size = static_cast<int>(
            std::min<std::size_t>(static_cast<std::size_t>(chunkSizes[chunk % chunkSizes.size()]),
                                  left.size() - position));
        float* channels[] = {left.data() + position, right.data() + position};
        juce::AudioBuffer<float> buffer(channels, 2, size);
        core.processBlock(buffer, midi);
        position += static_cast<std::size_t>(size);
        ++chunk;
    }
}

bool bitIdentical(const std::vector<float>& a, const std::vector<float>& b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

TEST(SampleRateStepTest, RewritesRateDependentValuesOncePerChange)
{
    struct Row
    {
        double hostRate;
        float factor;
        float envelopeRate;
        float lfoRate;
    };
    const Row rows[] = {{48000.0, 0.91875f, 48000.0f * 100.0f / 44100.0f, 48000.0f},
                        {88200.0, 0.5f, 200.0f, 88200.0f},
                        {22050.0, 1.0f, 50.0f, 22050.0f},
                        {0.0, 1.0f, 100.0f, 44100.0f},
                        {-5.0, 1.0f, 100.0f, 44100.0f}};
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.hostRate);
        KivCore core;
        core.setCurrentProgram(1);
        core.setRateAndBufferSizeDetails(row.hostRate, 64);
        juce::AudioBuffer<float> buffer(2, 64);
        buffer.clear();
        juce::MidiBuffer midi;
        core.processBlock(buffer, midi);

        EXPECT_EQ(core.sampleRate, static_cast<float>(row.hostRate));
        for (const auto* filter : {&core.engine.leftFilter, &core.engine.rightFilter})
        {
            EXPECT_EQ(filter->lowPass.sampleRateFactor.load(), row.factor);
            EXPECT_EQ(filter->highPass.sampleRateFactor.load(), row.factor);
            EXPECT_EQ(filter->bandPass.sampleRateFactor.load(), row.factor);
        }
        EXPECT_FLOAT_EQ(core.engine.envelopeRate.load(), row.envelopeRate);
        EXPECT_EQ(core.engine.leftLfo.sampleRate.load(), row.lfoRate);
        EXPECT_EQ(core.engine.rightLfo.sampleRate.load(), row.lfoRate);
        // The program was re-applied: program 1 runs sync mode 4 at 120 bpm, now at the new rate.
        Engine reference(row.lfoRate);
        reference.setSync(4, core.getParameter(5));
        EXPECT_EQ(core.engine.leftLfo.increment.load(), reference.leftLfo.increment.load());
        EXPECT_EQ(core.lastParameterIndex.load(), 13);
        // The cutoff smoother keeps its construction-time constant.
        EXPECT_EQ(core.engine.smoothingWeight, 1000.0f);

        // A second block at the same rate does not re-apply the program, which would switch
        // MIDI learn off again.
        core.setParameter(13, 1.0f);
        core.processBlock(buffer, midi);
        EXPECT_EQ(core.params[13].load(), 1.0f);
    }
}

TEST(SampleRateStepTest, IsSkippedAtTheConstructionRateAndAtRatesAFloatCannotHold)
{
    for (double rate : {44100.0, 44100.1})
    {
        SCOPED_TRACE(rate);
        KivCore core;
        core.setRateAndBufferSizeDetails(rate, 32);
        juce::AudioBuffer<float> buffer(2, 32);
        buffer.clear();
        juce::MidiBuffer midi;
        if (rate != 44100.0)
        {
            core.processBlock(buffer, midi);
        }
        core.setParameter(13, 1.0f);
        core.processBlock(buffer, midi);
        core.processBlock(buffer, midi);
        EXPECT_EQ(core.params[13].load(), 1.0f);
    }
}

TEST(BlockLoopTest, MonoRunsTheEngineWithAScratchRightChannelCarriedAcrossSamples)
{
    constexpr int numSamples = 300;
    const auto input = testSignal(numSamples, 7);

    // Expected: the engine driven directly, the right sample starting at 0 and each right
    // output becoming the next right input.
    KivCore reference;
    reference.setCurrentProgram(3);
    std::vector<float> expected = input;
    std::srand(99);
    float scratch = 0.0f;
    for (auto& sample : expected)
    {
        reference.engine.process(&sample, &scratch);
    }

    struct Row
    {
        const char* name;
        int numOutputs;
    };
    for (const Row row : {Row{"mono to mono", 1}, Row{"mono to stereo", 2}})
    {
        SCOPED_TRACE(row.name);
        AnyLayoutCore core;
        core.setPlayConfigDetails(1, row.numOutputs, 44100.0, numSamples);
        ASSERT_EQ(core.getTotalNumInputChannels(), 1);
        ASSERT_EQ(core.getTotalNumOutputChannels(), row.numOutputs);
        core.setCurrentProgram(3);

        juce::AudioBuffer<float> buffer(row.numOutputs, numSamples);
        buffer.copyFrom(0, 0, input.data(), numSamples);
        if (row.numOutputs == 2)
        {
            buffer.copyFrom(1, 0, input.data(), numSamples);
        }
        juce::MidiBuffer midi;
        std::srand(99);
        core.processBlock(buffer, midi);

        EXPECT_EQ(
            std::memcmp(buffer.getReadPointer(0), expected.data(), expected.size() * sizeof(float)),
            0);
        if (row.numOutputs == 2)
        {
            EXPECT_EQ(buffer.findMinMax(1, 0, numSamples), juce::Range<float>(0.0f, 0.0f));
        }
    }
}

TEST(BlockLoopTest, MoreThanTwoInputsPassThroughUntouchedAndMidiIsNotHandled)
{
    AnyLayoutCore core;
    core.setPlayConfigDetails(3, 4, 44100.0, 64);
    ASSERT_EQ(core.getTotalNumInputChannels(), 3);
    ASSERT_EQ(core.getTotalNumOutputChannels(), 4);
    for (auto& slot : core.programs)
    {
        slot.controllerMap[20].store(1);
    }
    const float cutoffBefore = core.getParameter(1);

    const auto input = testSignal(64, 3);
    juce::AudioBuffer<float> buffer(4, 64);
    for (int channel = 0; channel < 4; ++channel)
    {
        buffer.copyFrom(channel, 0, input.data(), 64);
    }
    juce::MidiBuffer midi;
    const juce::uint8 controller[] = {0xb0, 20, 5};
    midi.addEvent(controller, 3, 0);
    core.processBlock(buffer, midi);

    for (int channel = 0; channel < 3; ++channel)
    {
        SCOPED_TRACE(channel);
        EXPECT_EQ(std::memcmp(buffer.getReadPointer(channel), input.data(), 64 * sizeof(float)), 0);
    }
    EXPECT_EQ(buffer.findMinMax(3, 0, 64), juce::Range<float>(0.0f, 0.0f));
    EXPECT_EQ(core.getParameter(1), cutoffBefore);
}

TEST(BlockLoopTest, LayoutRuleAcceptsOnlyEqualMonoOrTwoChannelBuses)
{
    using Set = juce::AudioChannelSet;
    struct Row
    {
        const char* name;
        bool hasInput;
        Set input;
        bool hasOutput;
        Set output;
        bool accepted;
    };
    const Row rows[] = {
        {"stereo to stereo", true, Set::stereo(), true, Set::stereo(), true},
        {"mono to mono", true, Set::mono(), true, Set::mono(), true},
        {"any two-channel sets", true, Set::discreteChannels(2), true, Set::stereo(), true},
        {"mono to stereo", true, Set::mono(), true, Set::stereo(), false},
        {"stereo to mono", true, Set::stereo(), true, Set::mono(), false},
        {"no input bus", false, Set(), true, Set::stereo(), false},
        {"no output bus", true, Set::stereo(), false, Set(), false},
        {"disabled input", true, Set::disabled(), true, Set::stereo(), false},
        {"three channels", true, Set::createLCR(), true, Set::createLCR(), false},
        {"five-one", true, Set::create5point1(), true, Set::create5point1(), false},
    };
    KivCore core;
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.name);
        juce::AudioProcessor::BusesLayout layout;
        if (row.hasInput)
        {
            layout.inputBuses.add(row.input);
        }
        if (row.hasOutput)
        {
            layout.outputBuses.add(row.output);
        }
        EXPECT_EQ(core.isBusesLayoutSupported(layout), row.accepted);
    }
}

TEST(BlockLoopTest, OutputDoesNotDependOnHowTheHostSplitsTheBlocks)
{
    constexpr int numSamples = 2000;
    const auto inputLeft = testSignal(numSamples, 11);
    const auto inputRight = testSignal(numSamples, 12);

    // Programs 6 (noise LFO) and 4 (sample-and-hold) draw from rand() every sample.
    for (int program : {6, 4, 1})
    {
        SCOPED_TRACE(program);
        std::vector<std::vector<float>> outputs;
        for (const std::vector<int>& chunks : {std::vector<int>{numSamples}, std::vector<int>{1},
                                               std::vector<int>{7, 1, 64, 3, 333}})
        {
            KivCore core;
            core.setCurrentProgram(program);
            core.setRateAndBufferSizeDetails(44100.0, numSamples);
            auto left = inputLeft;
            auto right = inputRight;
            std::srand(4242);
            renderInChunks(core, left, right, chunks);
            outputs.push_back(left);
            outputs.push_back(right);
        }
        for (std::size_t i = 2; i < outputs.size(); ++i)
        {
            SCOPED_TRACE(i);
            EXPECT_TRUE(bitIdentical(outputs[i % 2], outputs[i]));
        }
        EXPECT_FALSE(bitIdentical(outputs[0], inputLeft));
    }
}

TEST(BlockLoopTest, ProcessingAllocatesNothing)
{
    KivCore core;
    core.setRateAndBufferSizeDetails(44100.0, 256);
    TestPlayHead playHead;
    core.setPlayHead(&playHead);
    core.setCurrentProgram(1);
    core.setParameter(13, 1.0f);
    core.setParameter(1, 0.6f);

    constexpr int blockSize = 256;
    juce::AudioBuffer<float> buffer(2, blockSize);
    juce::MidiBuffer midi;
    const juce::uint8 controller[] = {0xb3, 74, 100};
    const juce::uint8 noteOn[] = {0x90, 60, 90};
    midi.addEvent(controller, 3, 10);
    midi.addEvent(controller, 3, 10);
    midi.addEvent(noteOn, 3, 100);
    midi.ensureSize(4096);
    const auto input = testSignal(blockSize, 5);

    const long before = AllocationCounter::count();
    for (int block = 0; block < 8; ++block)
    {
        buffer.copyFrom(0, 0, input.data(), blockSize);
        buffer.copyFrom(1, 0, input.data(), blockSize);
        playHead.set(100.0 + block, block * 0.5);
        if (block == 4)
        {
            core.setRateAndBufferSizeDetails(48000.0, blockSize);
        }
        core.processBlock(buffer, midi);
    }
    EXPECT_EQ(AllocationCounter::count() - before, 0);
    EXPECT_EQ(core.programs[5].controllerMap[74].load(), 1);
    core.setPlayHead(nullptr);
}
} // namespace
