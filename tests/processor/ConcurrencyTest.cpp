// The host's threads and the audio thread at once: parameter, program, name and state calls
// while blocks with MIDI are processed. Built with the thread sanitiser (KIV_TSAN) this also
// proves that everything they share is well-defined.

#include "KivCore.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

namespace
{
TEST(ConcurrencyTest, HostCallsDuringProcessingKeepTheStateConsistent)
{
    KivCore core;
    core.setRateAndBufferSizeDetails(44100.0, 128);
    juce::MemoryBlock initialState;
    core.getStateInformation(initialState);

    std::atomic<bool> audioDone{false};
    bool outputFinite = true;
    std::thread audio(
        [&]
        {
            juce::AudioBuffer<float> buffer(2, 128);
            juce::MidiBuffer midi;
            const juce::uint8 learnController[] = {0xb0, 74, 20};
            const juce::uint8 noteOn[] = {0x90, 60, 100};
            midi.addEvent(learnController, 3, 5);
            midi.addEvent(noteOn, 3, 64);
            for (int block = 0; block < 400; ++block)
            {
                for (int i = 0; i < 128; ++i)
                {
                    const float sample =
                        0.3f * std::sin(0.07f * static_cast<float>(block * 128 + i));
                    buffer.setSample(0, i, sample);
                    buffer.setSample(1, i, -sample);
                }
                core.processBlock(buffer, midi);
                for (int channel = 0; channel < 2; ++channel)
                {
                    for (int i = 0; i < 128; ++i)
                    {
                        outputFinite = outputFinite && std::isfinite(buffer.getSample(channel, i));
                    }
                }
            }
            audioDone = true;
        });

    int round = 0;
    while (!audioDone)
    {
        const float value = static_cast<float>(round % 100) / 100.0f;
        core.setParameter(round % 15, value);
        core.setParameter(13, 1.0f);
        if (round % 7 == 0)
        {
            core.setCurrentProgram(round % 10);
        }
        if (round % 11 == 0)
        {
            core.changeProgramName(round % 10, "Round " + juce::String(round));
            juce::MemoryBlock state;
            core.getStateInformation(state);
        }
        if (round % 23 == 0)
        {
            core.setStateInformation(initialState.getData(),
                                     static_cast<int>(initialState.getSize()));
        }
        (void)core.getParameter(round % 15);
        (void)core.getParameterText(round % 15);
        ++round;
    }
    audio.join();

    EXPECT_TRUE(outputFinite);
    const int current = core.getCurrentProgram();
    ASSERT_GE(current, 0);
    ASSERT_LT(current, 10);
    core.setCurrentProgram(current);
    for (int index = 0; index < 15; ++index)
    {
        EXPECT_EQ(core.params[index].load(), core.programs[current].values[index].load()) << index;
    }
}
} // namespace
