#include "KivPlugin.h"

// The framework's VST2 client calls this once per plug-in instance and owns
// the processor from then on.
juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new KivPlugin();
}
