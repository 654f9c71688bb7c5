#pragma once

#include <juce_core/juce_core.h>

#include <string>
#include <vector>

class KivCore;

// Building and taking apart state chunks in tests.
namespace ChunkBytes
{
// The framework's container around an XML text: "VC2!", the length field, the text, a zero.
std::vector<char> wrap(const std::string& xml);
// The same with any length field, for malformed containers.
std::vector<char> wrap(const std::string& xml, juce::int32 lengthField);
// The processor's chunk, as bytes.
std::vector<char> of(KivCore& core);
// The XML text inside a chunk written by the processor.
std::string textOf(const std::vector<char>& chunk);
// A minimal state text around the given children of the root.
std::string stateText(const std::string& rootAttributes, const std::string& children);
} // namespace ChunkBytes
