// libFuzzer target for the state reader: every input is handed to one long-lived processor as
// its stored state, and the promises of StateCheck are checked after each. A broken promise
// aborts, which the fuzzer records as a crash with its input.

#include "KivCore.h"
#include "StateCheck.h"

#include <juce_events/juce_events.h>

#include <cstdio>
#include <cstdlib>

namespace
{
KivCore& processor()
{
    // The processor starts a message-thread timer and the framework's XML code expects its
    // singletons, so the framework is initialised first. Neither is ever destroyed: the
    // fuzzer ends the process with exit(), and the framework's shutdown would then run after
    // some of its own function-local statics are already gone.
    static const auto* framework = new juce::ScopedJuceInitialiser_GUI();
    static auto* core = new KivCore();
    juce::ignoreUnused(framework);
    return *core;
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    processor();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string problem = StateCheck::applyAndCheck(processor(), data, size);
    if (!problem.empty())
    {
        std::fprintf(stderr, "state check failed: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
