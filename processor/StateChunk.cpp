#include "StateChunk.h"

#include "XmlInputGuard.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <cfloat>
#include <climits>
#include <cmath>

namespace
{
// The version every program is written with. Written from the double 1.1 so that the text is
// "1.1"; the float 1.1f widened would print all its binary digits.
constexpr double writtenProgramVersion = 1.1;
constexpr int writtenRootVersion = 1;

const char* const rootTag = "kiv";
const char* const programsTag = "programs";
const char* const programTag = "program";
const char* const midimapTag = "midimap";
const char* const mapTag = "map";
} // namespace

bool StateChunk::isTag(const juce::XmlElement& element, const char* name)
{
    // Text nodes have an empty tag name and so never match.
    return element.getTagName().equalsIgnoreCase(name);
}

int StateChunk::readDecimalInteger(const juce::String& text) noexcept
{
    // Leading white space, an optional sign and a run of decimal digits, like the C library's
    // base-10 conversion; anything else gives 0. Saturates at the int range instead of
    // overflowing.
    const char* p = text.toRawUTF8();
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\v' || *p == '\f' || *p == '\r')
    {
        ++p;
    }
    bool negative = false;
    if (*p == '+' || *p == '-')
    {
        negative = *p == '-';
        ++p;
    }
    long long magnitude = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
    {
        if (magnitude <= (long long)INT_MAX + 1)
        {
            magnitude = magnitude * 10 + (*p - '0');
        }
    }
    if (negative)
    {
        return magnitude > (long long)INT_MAX ? INT_MIN : (int)-magnitude;
    }
    return magnitude > (long long)INT_MAX ? INT_MAX : (int)magnitude;
}

float StateChunk::readNumber(const juce::XmlElement& element, const char* name, float whenMissing)
{
    if (!element.hasAttribute(name))
    {
        return whenMissing;
    }
    // The framework's text-to-double conversion: text that is not a number reads as 0. A value
    // that is not finite once it is a float counts as missing (see the class comment). Rounding
    // to float gives a finite value for every magnitude below the largest float plus half its
    // last step; the writer's text for the largest float itself lies a little above it.
    constexpr double firstMagnitudeRoundingToInfinity = 0x1.ffffffp127;
    const double number = element.getStringAttribute(name).getDoubleValue();
    if (!(std::abs(number) < firstMagnitudeRoundingToInfinity))
    {
        return whenMissing;
    }
    return (float)number;
}

bool StateChunk::read(const void* data, int sizeInBytes)
{
    if (data == nullptr || sizeInBytes < containerHeaderSize + 1)
    {
        return false;
    }
    const auto* bytes = static_cast<const char*>(data);
    if (juce::ByteOrder::littleEndianInt(bytes) != containerMagic)
    {
        return false;
    }
    const auto textLength = (juce::int32)juce::ByteOrder::littleEndianInt(bytes + 4);
    if (textLength <= 0)
    {
        return false;
    }
    // The framework's text classes step over the continuation bytes of a multi-byte sequence
    // without looking for the end of the text, so a damaged sequence at the end would make the
    // guard and the parser read past it. The writer only ever writes valid UTF-8 (it escapes
    // everything beyond ASCII), so a text that is not valid UTF-8 is not ours.
    const int textBytes = juce::jmin(sizeInBytes - containerHeaderSize, textLength);
    if (!juce::CharPointer_UTF8::isValidString(bytes + containerHeaderSize, textBytes))
    {
        return false;
    }
    // The text is copied into a string of its own with a terminating zero, so the parser never
    // sees the host's bytes beyond what the chunk and its length field allow.
    const auto text = juce::String::fromUTF8(bytes + containerHeaderSize, textBytes);
    if (!XmlInputGuard::isSafeToParse(text))
    {
        return false;
    }
    const auto root = juce::XmlDocument::parse(text);
    if (root == nullptr || !isTag(*root, rootTag))
    {
        return false;
    }

    currentProgram = root->hasAttribute("curprogram")
                         ? readDecimalInteger(root->getStringAttribute("curprogram"))
                         : 0;

    numProgramsRead = 0;
    const juce::XmlElement* firstChild = root->getFirstChildElement();
    while (firstChild != nullptr && firstChild->isTextElement())
    {
        firstChild = firstChild->getNextElement();
    }
    if (firstChild != nullptr && isTag(*firstChild, programsTag))
    {
        for (const auto* child = firstChild->getFirstChildElement();
             child != nullptr && numProgramsRead < numPrograms; child = child->getNextElement())
        {
            if (isTag(*child, programTag))
            {
                readProgram(*child, programs[numProgramsRead]);
                ++numProgramsRead;
            }
        }
    }

    for (const auto* child = root->getFirstChildElement(); child != nullptr;
         child = child->getNextElement())
    {
        if (isTag(*child, midimapTag))
        {
            readControllerMap(*child);
            break;
        }
    }
    return true;
}

void StateChunk::readProgram(const juce::XmlElement& element, Program& program) const
{
    program.version = readNumber(element, "version", 1.0f);
    program.name = element.getStringAttribute("programname", "Not Saved");
    for (int index = 0; index < Parameters::numParameters; ++index)
    {
        const auto& info = Parameters::table[index];
        program.values[index] =
            info.isStored ? readNumber(element, info.name, info.valueWhenMissing) : 0.0f;
    }
    if (program.version < firstNormalisedVersion)
    {
        // Whole numbers counted from 1: filter type 1..6, waveform 1..7, sync mode 1..19.
        auto& values = program.values;
        values[Parameters::filterType] = (values[Parameters::filterType] - 1.0f) / 5.0f;
        values[Parameters::lfoWaveform] = (values[Parameters::lfoWaveform] - 1.0f) / 6.0f;
        values[Parameters::lfoSync] = (values[Parameters::lfoSync] - 1.0f) / 18.0f;
    }
}

void StateChunk::readControllerMap(const juce::XmlElement& midimap)
{
    // Every child counts, whatever its name. Controller 0 is written but never read back.
    for (const auto* child = midimap.getFirstChildElement(); child != nullptr;
         child = child->getNextElement())
    {
        if (!child->hasAttribute("controllernumber"))
        {
            continue;
        }
        const int controller = readDecimalInteger(child->getStringAttribute("controllernumber"));
        if (controller < 1 || controller >= numControllers)
        {
            continue;
        }
        controllerMap[controller] = child->hasAttribute("param")
                                        ? readDecimalInteger(child->getStringAttribute("param"))
                                        : 0;
        controllerRead[controller] = true;
    }
}

void StateChunk::write(juce::MemoryBlock& destination) const
{
    juce::XmlElement root(rootTag);
    root.setAttribute("curprogram", currentProgram);
    root.setAttribute("version", writtenRootVersion);

    auto programsXml = std::make_unique<juce::XmlElement>(programsTag);
    for (const auto& program : programs)
    {
        auto programXml = std::make_unique<juce::XmlElement>(programTag);
        programXml->setAttribute("version", writtenProgramVersion);
        programXml->setAttribute("programname", program.name);
        for (int index = 0; index < Parameters::numParameters; ++index)
        {
            const auto& info = Parameters::table[index];
            if (info.isStored)
            {
                programXml->setAttribute(info.name, (double)program.values[index]);
            }
        }
        programsXml->addChildElement(programXml.release());
    }
    root.addChildElement(programsXml.release());

    auto midimapXml = std::make_unique<juce::XmlElement>(midimapTag);
    for (int controller = 0; controller < numControllers; ++controller)
    {
        if (controllerMap[controller] != 0)
        {
            auto mapXml = std::make_unique<juce::XmlElement>(mapTag);
            mapXml->setAttribute("param", controllerMap[controller]);
            mapXml->setAttribute("controllernumber", controller);
            midimapXml->addChildElement(mapXml.release());
        }
    }
    root.addChildElement(midimapXml.release());

    juce::AudioProcessor::copyXmlToBinary(root, destination);
}
