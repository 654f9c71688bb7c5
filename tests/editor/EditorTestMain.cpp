// The editor tests need the framework's GUI side (message manager, fonts, look and feel) for
// the whole run; no window is opened, so no display is needed.

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    const juce::ScopedJuceInitialiser_GUI framework;
    return RUN_ALL_TESTS();
}
