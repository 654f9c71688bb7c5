#include "KivPlugin.h"

#include <cstring>

namespace
{
constexpr juce::int32 fourCharacters(const char (&text)[5])
{
    return (juce::int32)(
        ((juce::uint32)(juce::uint8)text[0] << 24) | ((juce::uint32)(juce::uint8)text[1] << 16) |
        ((juce::uint32)(juce::uint8)text[2] << 8) | (juce::uint32)(juce::uint8)text[3]);
}
} // namespace

void KivPlugin::writeClassIdentifier(juce::uint8 (&identifier)[16])
{
    identifier[0] = 'V';
    identifier[1] = 'S';
    identifier[2] = 'T';

    const auto uniqueId = (juce::uint32)JucePlugin_VSTUniqueID;
    for (int i = 0; i < 4; ++i)
        identifier[3 + i] = (juce::uint8)(uniqueId >> (8 * (3 - i)));

    const char* name = JucePlugin_Name;
    const auto nameLength = std::strlen(name);
    for (size_t i = 0; i < 9; ++i)
    {
        auto c = i < nameLength ? (juce::uint8)name[i] : (juce::uint8)0;
        if (c >= 'A' && c <= 'Z')
            c = (juce::uint8)(c + ('a' - 'A'));
        identifier[7 + i] = c;
    }
}

juce::pointer_sized_int KivPlugin::handleVstManufacturerSpecific(juce::int32 index,
                                                                 juce::pointer_sized_int value,
                                                                 void* ptr, float)
{
    const bool asksForIdentifier =
        (index == fourCharacters("stCA") || index == fourCharacters("stCa")) &&
        value == fourCharacters("FUID") && ptr != nullptr;
    if (!asksForIdentifier)
        return 0;

    juce::uint8 identifier[16];
    writeClassIdentifier(identifier);
    std::memcpy(ptr, identifier, sizeof(identifier));
    return 1;
}
