#pragma once

#include "KivCore.h"

// The processor as the VST2 client creates it. It adds what only the built
// plug-in knows: its identity. A host that asks the vendor-specific question
// for the plug-in's 16-byte class identifier ('stCA' or 'stCa' with 'FUID')
// gets the identifier derived from the unique ID and the effect name, so a
// host can match this VST2 plug-in to saved projects that name it that way.
class KivPlugin final : public KivCore, public juce::VSTCallbackHandler
{
public:
    KivPlugin() = default;

    juce::pointer_sized_int handleVstManufacturerSpecific(juce::int32 index,
                                                          juce::pointer_sized_int value, void* ptr,
                                                          float opt) override;

    // The identifier: the characters V, S, T, the four characters of the
    // unique ID from its most significant byte, and the first nine characters
    // of the effect name with ASCII capitals made small (zero bytes where the
    // name is shorter).
    static void writeClassIdentifier(juce::uint8 (&identifier)[16]);
};
