// MIDI inside the block: where each event takes effect, learning controllers, and moving the
// bound parameters.

#include "KivCore.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace
{
struct Event
{
    int position;
    juce::uint8 status;
    juce::uint8 data1;
    juce::uint8 data2;
};

juce::MidiBuffer makeMidi(const std::vector<Event>& events)
{
    juce::MidiBuffer midi;
    for (const auto& event : events)
    {
        const juce::uint8 bytes[] = {event.status, event.data1, event.data2};
        midi.addEvent(bytes, 3, event.position);
    }
    return midi;
}

std::unique_ptr<KivCore> makeCoreWithBindings()
{
    auto core = std::make_unique<KivCore>();
    core->setRateAndBufferSizeDetails(44100.0, 512);
    core->setCurrentProgram(1);
    for (auto& slot : core->programs)
    {
        slot.controllerMap[20].store(8); // volume
        slot.controllerMap[21].store(1); // cutoff
        slot.controllerMap[22].store(1); // cutoff as well
    }
    return core;
}

std::vector<float> ramp(int numSamples)
{
    std::vector<float> samples(static_cast<std::size_t>(numSamples));
    for (int i = 0; i < numSamples; ++i)
    {
        samples[static_cast<std::size_t>(i)] = 0.5f * std::sin(0.05f * static_cast<float>(i));
    }
    return samples;
}

// Processes `length` samples of a stereo buffer starting at `start` in one block.
void processSpan(KivCore& core, std::vector<float>& left, std::vector<float>& right, int start,
                 int length, juce::MidiBuffer& midi)
{
    float* channels[] = {left.data() + start, right.data() + start};
    juce::AudioBuffer<float> buffer(channels, 2, length);
    core.processBlock(buffer, midi);
}

TEST(MidiTest, EventsTakeEffectExactlyBeforeTheSampleTheyAreAt)
{
    constexpr int numSamples = 64;
    const auto input = ramp(numSamples);

    // With MIDI: volume from controller 20 at sample 10, cutoff from controller 21 at sample 20.
    auto core = makeCoreWithBindings();
    auto left = input;
    auto right = input;
    auto midi = makeMidi({{10, 0xb0, 20, 30}, {20, 0xb5, 21, 90}});
    std::srand(5);
    processSpan(*core, left, right, 0, numSamples, midi);

    // Reference: the same changes made by hand between three spans.
    auto reference = makeCoreWithBindings();
    auto expectedLeft = input;
    auto expectedRight = input;
    juce::MidiBuffer none;
    std::srand(5);
    processSpan(*reference, expectedLeft, expectedRight, 0, 10, none);
    reference->setParameter(8, 30.0f / 127.0f);
    processSpan(*reference, expectedLeft, expectedRight, 10, 10, none);
    reference->setParameter(1, 90.0f / 127.0f);
    processSpan(*reference, expectedLeft, expectedRight, 20, numSamples - 20, none);

    EXPECT_EQ(std::memcmp(left.data(), expectedLeft.data(), sizeof(float) * numSamples), 0);
    EXPECT_EQ(std::memcmp(right.data(), expectedRight.data(), sizeof(float) * numSamples), 0);
    EXPECT_EQ(core->getParameter(8), 30.0f / 127.0f);
    EXPECT_EQ(core->getParameter(1), 90.0f / 127.0f);
    EXPECT_EQ(core->lastParameterIndex.load(), 1);
}

TEST(MidiTest, EventsAtOneSampleAreAllHandledThereInBufferOrder)
{
    struct Row
    {
        const char* name;
        std::vector<Event> events;
        float expectedCutoff;
    };
    const Row rows[] = {
        {"22 then 21", {{5, 0xb0, 22, 10}, {5, 0xb0, 21, 100}}, 100.0f / 127.0f},
        {"21 then 22", {{5, 0xb0, 21, 100}, {5, 0xb0, 22, 10}}, 10.0f / 127.0f},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.name);
        auto core = makeCoreWithBindings();
        auto midi = makeMidi(row.events);
        std::vector<float> left(16, 0.0f);
        std::vector<float> right(16, 0.0f);
        // A block that ends right after sample 5: both events must be handled by then.
        processSpan(*core, left, right, 0, 6, midi);
        EXPECT_EQ(core->getParameter(1), row.expectedCutoff);
    }
}

TEST(MidiTest, AnEventOutsideTheBlockStopsTheWalk)
{
    struct Row
    {
        const char* name;
        std::vector<Event> events;
        bool cutoffMoves;
    };
    const Row rows[] = {
        {"at the block length", {{32, 0xb0, 21, 100}}, false},
        {"beyond the block", {{500, 0xb0, 21, 100}}, false},
        {"negative, then a valid one", {{-1, 0xb0, 20, 1}, {4, 0xb0, 21, 100}}, false},
        {"last sample of the block", {{31, 0xb0, 21, 100}}, true},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.name);
        auto core = makeCoreWithBindings();
        const float cutoffBefore = core->getParameter(1);
        const float volumeBefore = core->getParameter(8);
        auto midi = makeMidi(row.events);
        std::vector<float> left(32, 0.0f);
        std::vector<float> right(32, 0.0f);
        processSpan(*core, left, right, 0, 32, midi);
        EXPECT_EQ(core->getParameter(1), row.cutoffMoves ? 100.0f / 127.0f : cutoffBefore);
        EXPECT_EQ(core->getParameter(8), volumeBefore);
    }
}

TEST(MidiTest, LearningBindsTheLastTouchedParameterInEverySlot)
{
    KivCore core;
    core.setRateAndBufferSizeDetails(44100.0, 512);
    core.setParameter(13, 1.0f);
    core.setParameter(1, 0.7f);

    auto midi = makeMidi({{0, 0xb4, 74, 64}});
    juce::AudioBuffer<float> buffer(2, 8);
    buffer.clear();
    core.processBlock(buffer, midi);

    for (int slot = 0; slot < 10; ++slot)
    {
        SCOPED_TRACE(slot);
        EXPECT_EQ(core.programs[slot].controllerMap[74].load(), 1);
    }
    EXPECT_EQ(core.params[1].load(), 64.0f / 127.0f);
    EXPECT_EQ(core.programs[0].values[1].load(), 64.0f / 127.0f);

    // The binding survives program switches, which also end learning.
    core.setCurrentProgram(8);
    auto moveCutoff = makeMidi({{0, 0xb0, 74, 127}, {1, 0xb0, 75, 3}});
    core.processBlock(buffer, moveCutoff);
    EXPECT_EQ(core.getParameter(1), 1.0f);
    EXPECT_EQ(core.programs[0].controllerMap[75].load(), 0);
}

TEST(MidiTest, LearningRightAfterSwitchingItOnBindsTheSwitchItself)
{
    KivCore core;
    core.setRateAndBufferSizeDetails(44100.0, 512);
    core.setParameter(13, 1.0f);

    // Value 0 on the controller now bound to Midi Learn switches learning off again, so the
    // next controller stays unbound.
    auto midi = makeMidi({{0, 0xb0, 20, 0}, {1, 0xb0, 21, 90}});
    juce::AudioBuffer<float> buffer(2, 4);
    buffer.clear();
    core.processBlock(buffer, midi);

    for (int slot = 0; slot < 10; ++slot)
    {
        SCOPED_TRACE(slot);
        EXPECT_EQ(core.programs[slot].controllerMap[20].load(), 13);
        EXPECT_EQ(core.programs[slot].controllerMap[21].load(), 0);
    }
    EXPECT_EQ(core.params[13].load(), 0.0f);
}

TEST(MidiTest, OtherMessagesAndBindingsOutsideTheParametersChangeNothing)
{
    auto core = makeCoreWithBindings();
    for (auto& slot : core->programs)
    {
        slot.controllerMap[30].store(15); // no such parameter
        slot.controllerMap[31].store(-4);
    }
    core->setParameter(2, 0.25f);
    const float cutoffBefore = core->getParameter(1);

    auto midi = makeMidi({{0, 0xb0, 30, 90},
                          {0, 0xb0, 31, 90},
                          {1, 0x80, 21, 90},
                          {1, 0xe0, 21, 90},
                          {2, 0xb0, 40, 90}});
    const juce::uint8 shortMessage[] = {0xb0, 21};
    midi.addEvent(shortMessage, 2, 3);
    juce::AudioBuffer<float> buffer(2, 8);
    buffer.clear();
    core->processBlock(buffer, midi);

    EXPECT_EQ(core->getParameter(1), cutoffBefore);
    EXPECT_EQ(core->lastParameterIndex.load(), 2);
}
} // namespace
