#pragma once

#include "Parameters.h"
#include "ProgramSlot.h"

#include <juce_core/juce_core.h>

// The plug-in's whole state as hosts store it: an XML text inside the framework's binary XML
// container ("VC2!", a 32-bit little-endian text length, the UTF-8 text, a zero byte).
//
//   <kiv curprogram="N" version="1">
//     <programs> ten <program version="1.1" programname="..." cutoff="..." .../> </programs>
//     <midimap> one <map param="P" controllernumber="C"/> per bound controller </midimap>
//   </kiv>
//
// A StateChunk is a plain snapshot of that content. The processor fills one and calls write(),
// or calls read() on the host's bytes and, if it succeeded, commits what it found. read() only
// ever fills this snapshot, so a malformed chunk cannot leave the processor half-loaded.
//
// Reading rules: element names compare without letter case, attribute names exactly. A
// missing number takes the parameter table's valueWhenMissing; so does a number that is not
// finite as a 32-bit float ("nan", "inf", "1e999", 1e300): such values would poison the
// engine's filter states and could never have been written from a sane program. Programs
// older than format 1.09 store filter type, sync mode and waveform as whole numbers counted
// from 1 and are converted to 0..1.
class StateChunk
{
public:
    static constexpr int numPrograms = 10;
    static constexpr int numControllers = ProgramSlot::numControllers;
    static constexpr float formatVersion = 1.1f;
    // Programs below this version hold the three discrete controls as whole numbers.
    static constexpr float firstNormalisedVersion = 1.09f;

    struct Program
    {
        juce::String name;
        float version = formatVersion;
        // By parameter index; 0 and 13 (Midi Learn) are never stored.
        float values[Parameters::numParameters] = {};
    };

    // Parses a chunk into this snapshot. Returns false, with the snapshot in an unspecified
    // state, when the container, the XML or the root element is not ours; true otherwise,
    // however little the chunk held. Never reads outside the given bytes.
    bool read(const void* data, int sizeInBytes);

    // Replaces the block's content with the chunk of this snapshot: all ten programs, the
    // current program and every non-zero controller-map entry.
    void write(juce::MemoryBlock& destination) const;

    // The root's curprogram, as read (not range-checked here).
    int currentProgram = 0;
    // How many leading programs read() filled (0..10); write() always writes all ten.
    int numProgramsRead = 0;
    Program programs[numPrograms];
    // Controller number -> parameter index; for read(), only entries with controllerRead set
    // were named by the chunk.
    int controllerMap[numControllers] = {};
    bool controllerRead[numControllers] = {};

private:
    static constexpr juce::uint32 containerMagic = 0x21324356; // "VC2!" little-endian
    static constexpr int containerHeaderSize = 8;

    static bool isTag(const juce::XmlElement& element, const char* name);
    static int readDecimalInteger(const juce::String& text) noexcept;
    static float readNumber(const juce::XmlElement& element, const char* name, float whenMissing);
    void readProgram(const juce::XmlElement& element, Program& program) const;
    void readControllerMap(const juce::XmlElement& midimap);
};
