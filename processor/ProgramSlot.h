#pragma once

#include "Parameters.h"

#include <juce_core/juce_core.h>

#include <atomic>

// One stored program: a name, the stored value of every parameter, and the MIDI controller map
// (controller number -> parameter index, 0 = unbound). The map holds the same content in every
// slot of the bank, since learning and the state reader always write all ten at once.
//
// The values and the map are read and written from the host's threads and from the audio
// thread (MIDI), so they are single relaxed atomics. The name is only touched off the audio
// thread, under the processor's name lock.
struct ProgramSlot
{
    static constexpr int numControllers = 255;

    ProgramSlot() noexcept
    {
        for (auto& value : values)
        {
            value.store(0.0f, std::memory_order_relaxed);
        }
        for (auto& entry : controllerMap)
        {
            entry.store(0, std::memory_order_relaxed);
        }
    }

    juce::String name{"default"};
    std::atomic<float> values[Parameters::numParameters];
    std::atomic<int> controllerMap[numControllers];
    // Format version of the program as last read from a state chunk; written by the state
    // reader only, before anything reads it.
    float version = 0.0f;
};

static_assert(std::atomic<float>::is_always_lock_free, "values are shared with the audio thread");
static_assert(std::atomic<int>::is_always_lock_free, "the map is shared with the audio thread");
