#include <juce_events/juce_events.h>

#include <gtest/gtest.h>

// The processor starts a message-thread timer and the framework's string pool and XML code
// expect their singletons, so the whole test program runs inside one framework initialiser.
// The test thread is the message thread; no dispatch loop runs, so timers never fire on their
// own and the tests deliver change messages explicitly.
int main(int argc, char** argv)
{
    const juce::ScopedJuceInitialiser_GUI framework;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
