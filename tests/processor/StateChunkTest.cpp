// The stored state: the bytes a new instance writes, round trips, the reader's defaults and
// conversions, and chunks that are damaged or hostile.

#include "ChunkBytes.h"
#include "CoreSnapshot.h"
#include "KivCore.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace
{
using ChunkBytes::stateText;
using ChunkBytes::wrap;

void load(KivCore& core, const std::vector<char>& chunk)
{
    core.setStateInformation(chunk.data(), static_cast<int>(chunk.size()));
}

std::string repeat(const std::string& piece, int count)
{
    std::string text;
    text.reserve(piece.size() * static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
    {
        text += piece;
    }
    return text;
}

TEST(StateChunkTest, ANewInstanceWritesTheContainerAndTheExpectedText)
{
    KivCore core;
    const auto chunk = ChunkBytes::of(core);
    ASSERT_GT(chunk.size(), 9u);
    EXPECT_EQ(std::string(chunk.data(), 4), "VC2!");
    juce::uint32 length = 0;
    std::memcpy(&length, chunk.data() + 4, 4);
    EXPECT_EQ(juce::ByteOrder::swapIfBigEndian(length), chunk.size() - 9);
    EXPECT_EQ(chunk.back(), '\0');

    const auto text = ChunkBytes::textOf(chunk);
    const std::string start = "<?xml version=\"1.0\" encoding=\"UTF-8\"?> <kiv curprogram=\"0\" "
                              "version=\"1\"><programs><program version=\"1.1\" "
                              "programname=\"Clean Set Up\" cutoff=\"1.0\" resonance=\"";
    EXPECT_EQ(text.substr(0, start.size()), start);
    const auto firstProgram = text.substr(0, text.find("/>"));
    EXPECT_NE(firstProgram.find(" filtertype=\"0.0\" "), std::string::npos);
    EXPECT_NE(firstProgram.find(" lfosync=\"0.1666666716337204\" "), std::string::npos);
    const std::string tail = " lfowidth=\"0.0\" miditrigger=\"0.0\"/></programs><midimap/></kiv>";
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
    EXPECT_EQ(text.find('\n'), std::string::npos);
}

TEST(StateChunkTest, AnEditedStateSurvivesTheRoundTripIntoANewInstanceBitForBit)
{
    KivCore source;
    source.changeProgramName(2, "Amp & <Bass> \"quoted\" 'x' Caf\xc3\xa9\ttab\nline");
    source.changeProgramName(9, "");
    source.setCurrentProgram(7);
    const struct
    {
        int index;
        float value;
    } edits[] = {{1, 1.0f / 3.0f}, {2, 1.5f},        {3, 0.2f},      {4, -0.25f},
                 {5, 1.0e-30f},    {11, 123456.78f}, {12, 1.0e-40f}, {14, 0.75f}};
    for (const auto& edit : edits)
    {
        source.setParameter(edit.index, edit.value);
    }
    source.programs[3].values[5].store(0.123456789f);
    source.programs[0].values[6].store(-3.0f);
    for (auto& slot : source.programs)
    {
        slot.controllerMap[0].store(4);
        slot.controllerMap[1].store(9);
        slot.controllerMap[127].store(99);
        slot.controllerMap[254].store(14);
    }

    const auto chunk = ChunkBytes::of(source);
    KivCore target;
    target.takeChangePending();
    load(target, chunk);
    EXPECT_TRUE(target.takeChangePending());

    const auto expected = CoreSnapshot::of(source);
    const auto actual = CoreSnapshot::of(target);
    EXPECT_EQ(actual.currentProgram, 7);
    EXPECT_EQ(actual.names, expected.names);
    for (int p = 0; p < KivCore::numPrograms; ++p)
    {
        for (int i = 0; i < Parameters::numParameters; ++i)
        {
            if (Parameters::table[i].isStored)
            {
                SCOPED_TRACE(testing::Message() << "program " << p << " parameter " << i);
                EXPECT_EQ(actual.values[p][i], expected.values[p][i]);
            }
        }
        EXPECT_EQ(actual.maps[p][0], 0) << "controller 0 is written but never read";
        EXPECT_EQ(actual.maps[p][1], 9);
        EXPECT_EQ(actual.maps[p][127], 99);
        EXPECT_EQ(actual.maps[p][254], 14);
    }
    // The engine runs the chunk's current program.
    for (int i = 0; i < Parameters::numParameters; ++i)
    {
        EXPECT_EQ(actual.engineParams[i], expected.values[7][i]) << i;
    }

    // Written again, the state gives the same bytes (but for the binding of controller 0).
    for (auto& slot : source.programs)
    {
        slot.controllerMap[0].store(0);
    }
    EXPECT_EQ(ChunkBytes::of(target), ChunkBytes::of(source));
}

TEST(StateChunkTest, ProgramsOlderThan109HoldWholeNumbersAndAreConverted)
{
    struct Row
    {
        const char* versionAttribute;
        bool converted;
    };
    const Row rows[] = {{"", true},
                        {" version=\"1.08\"", true},
                        {" version=\"1\"", true},
                        {" version=\"1.09\"", false},
                        {" version=\"1.1\"", false},
                        {" version=\"2\"", false},
                        {" version=\"abc\"", true},
                        {" version=\"nan\"", true}};
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.versionAttribute);
        KivCore core;
        load(core, wrap(stateText("", std::string("<programs><program") + row.versionAttribute +
                                          " filtertype=\"3\" lfosync=\"7\" lfowaveform=\"2\""
                                          " cutoff=\"0.25\"/></programs>")));
        const auto& values = core.programs[0].values;
        EXPECT_EQ(values[3].load(), row.converted ? 2.0f / 5.0f : 3.0f);
        EXPECT_EQ(values[6].load(), row.converted ? 6.0f / 18.0f : 7.0f);
        EXPECT_EQ(values[7].load(), row.converted ? 1.0f / 6.0f : 2.0f);
        EXPECT_EQ(values[1].load(), 0.25f);
    }
}

TEST(StateChunkTest, MissingAttributesTakeTheirDefaults)
{
    KivCore core;
    load(core, wrap(stateText("", "<programs><program programname=\"Only a name\"/></programs>")));
    const struct
    {
        int index;
        float value;
    } expected[] = {{1, 0.8f}, {2, 0.8f}, {3, 0.0f},  {4, 1.0f},  {5, 1.0f},  {6, 0.0f}, {7, 0.0f},
                    {8, 0.5f}, {9, 1.0f}, {10, 0.5f}, {11, 1.0f}, {12, 1.0f}, {14, 0.0f}};
    for (const auto& row : expected)
    {
        SCOPED_TRACE(row.index);
        EXPECT_EQ(core.programs[0].values[row.index].load(), row.value);
    }
    EXPECT_EQ(core.getProgramName(0), juce::String("Only a name"));

    load(core, wrap(stateText("", "<programs><program cutoff=\"0.5\"/></programs>")));
    EXPECT_EQ(core.getProgramName(0), juce::String("Not Saved"));
}

TEST(StateChunkTest, NumbersThatAreNotFiniteFloatsCountAsMissing)
{
    struct Row
    {
        const char* text;
        float expected;
    };
    const Row rows[] = {{"0.25", 0.25f}, {" 0.5", 0.5f},   {"abc", 0.0f},   {"", 0.0f},
                        {"-2", -2.0f},   {"1e-50", 0.0f},  {"nan", 0.8f},   {"NaN", 0.8f},
                        {"inf", 0.8f},   {"-inf", 0.8f},   {"1e999", 0.8f}, {"1e300", 0.8f},
                        {"-1e39", 0.8f}, {"3e38", 3.0e38f}};
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.text);
        KivCore core;
        load(core, wrap(stateText("", std::string("<programs><program version=\"1.1\" cutoff=\"") +
                                          row.text + "\"/></programs>")));
        EXPECT_EQ(core.programs[0].values[1].load(), row.expected);
        EXPECT_EQ(core.params[1].load(), row.expected);
    }
}

TEST(StateChunkTest, ProgramsFillTheBankFromSlotZeroAndExtraOnesAreIgnored)
{
    struct Row
    {
        int numPrograms;
        int numFilled;
    };
    for (const Row row : {Row{12, 10}, Row{3, 3}, Row{0, 0}})
    {
        SCOPED_TRACE(row.numPrograms);
        KivCore core;
        std::string programs;
        for (int p = 0; p < row.numPrograms; ++p)
        {
            // Other elements between the programs are skipped without taking a slot.
            programs += "<other cutoff=\"0.9\"/><program version=\"1.1\" programname=\"P" +
                        std::to_string(p) + "\" cutoff=\"0.0" + std::to_string(p) + "\"/>";
        }
        const auto before = CoreSnapshot::of(core);
        load(core, wrap(stateText("", "<programs>" + programs + "</programs>")));
        for (int p = 0; p < KivCore::numPrograms; ++p)
        {
            SCOPED_TRACE(p);
            if (p < row.numFilled)
            {
                EXPECT_EQ(core.getProgramName(p), "P" + juce::String(p));
                EXPECT_EQ(core.programs[p].values[1].load(),
                          ("0.0" + juce::String(p)).getFloatValue());
            }
            else
            {
                EXPECT_EQ(core.getProgramName(p).toStdString(), before.names[p]);
                EXPECT_EQ(CoreSnapshot::bits(core.programs[p].values[1].load()),
                          before.values[p][1]);
            }
        }
    }
}

TEST(StateChunkTest, ElementNamesIgnoreLetterCaseAttributeNamesDoNot)
{
    KivCore core;
    const std::string text =
        "<?xml version=\"1.0\"?><KIV curprogram=\"1\"><PROGRAMS><Program version=\"1.1\" "
        "Cutoff=\"0.1\" resonance=\"0.3\"/><program version=\"1.1\" cutoff=\"0.6\"/></PROGRAMS>"
        "<MidiMap><MAP controllernumber=\"5\" param=\"2\"/><map ControllerNumber=\"6\" "
        "param=\"2\"/></MidiMap></KIV>";
    load(core, wrap(text));
    EXPECT_EQ(core.getCurrentProgram(), 1);
    EXPECT_EQ(core.programs[0].values[1].load(), 0.8f);
    EXPECT_EQ(core.programs[0].values[2].load(), 0.3f);
    EXPECT_EQ(core.programs[1].values[1].load(), 0.6f);
    EXPECT_EQ(core.programs[4].controllerMap[5].load(), 2);
    EXPECT_EQ(core.programs[4].controllerMap[6].load(), 0);
}

TEST(StateChunkTest, MapElementsBindControllersInEverySlotAndLeaveOthersAlone)
{
    struct Row
    {
        const char* element;
        int controller;
        int expected;
    };
    const Row rows[] = {
        {"<map controllernumber=\"1\" param=\"5\"/>", 1, 5},
        {"<map controllernumber=\"254\" param=\"14\"/>", 254, 14},
        {"<map controllernumber=\" 7abc\" param=\"+3\"/>", 7, 3},
        {"<map controllernumber=\"8\"/>", 8, 0},
        {"<map controllernumber=\"9\" param=\"99\"/>", 9, 99},
        {"<anything controllernumber=\"10\" param=\"4\"/>", 10, 4},
        {"<map controllernumber=\"0\" param=\"5\"/>", 0, 0},
        {"<map controllernumber=\"255\" param=\"5\"/>", 3, 6},
        {"<map controllernumber=\"-1\" param=\"5\"/>", 3, 6},
        {"<map controllernumber=\"99999999999\" param=\"5\"/>", 3, 6},
        {"<map param=\"5\"/>", 3, 6},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.element);
        KivCore core;
        for (auto& slot : core.programs)
        {
            slot.controllerMap[3].store(6);
        }
        load(core, wrap(stateText("", std::string("<midimap>") + row.element + "</midimap>")));
        for (int slot = 0; slot < KivCore::numPrograms; ++slot)
        {
            EXPECT_EQ(core.programs[slot].controllerMap[row.controller].load(), row.expected);
            EXPECT_EQ(core.programs[slot].controllerMap[3].load(),
                      row.controller == 3 ? row.expected : 6);
        }
    }
}

TEST(StateChunkTest, ThousandsOfMapElementsAreReadAndTheLastOneWins)
{
    std::string elements;
    for (int i = 0; i < 5000; ++i)
    {
        elements += "<map controllernumber=\"" + std::to_string(i % 254 + 1) + "\" param=\"" +
                    std::to_string(i % 15) + "\"/>";
    }
    KivCore core;
    load(core, wrap(stateText("", "<midimap>" + elements + "</midimap>")));
    for (int c = 1; c < 255; ++c)
    {
        const int last = ((5000 - 1 - (c - 1)) / 254) * 254 + (c - 1);
        EXPECT_EQ(core.programs[9].controllerMap[c].load(), last % 15) << c;
    }
}

TEST(StateChunkTest, TheCurrentProgramIsAlwaysOneOfTheTen)
{
    struct Row
    {
        const char* attribute;
        int expected;
    };
    const Row rows[] = {{" curprogram=\"3\"", 3},   {" curprogram=\" 9\"", 9},
                        {" curprogram=\"4.7\"", 4}, {" curprogram=\"12\"", 0},
                        {" curprogram=\"-1\"", 0},  {" curprogram=\"99999999999\"", 0},
                        {" curprogram=\"abc\"", 0}, {"", 0}};
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.attribute);
        KivCore core;
        core.setCurrentProgram(6);
        load(core, wrap(stateText(row.attribute, "<programs/>")));
        EXPECT_EQ(core.getCurrentProgram(), row.expected);
        EXPECT_EQ(core.params[1].load(), core.programs[row.expected].values[1].load());
        EXPECT_EQ(core.params[6].load(), core.programs[row.expected].values[6].load());
    }
}

TEST(StateChunkTest, ARootWithoutProgramsFirstStillReadsTheMapAndAppliesTheProgram)
{
    KivCore core;
    core.setParameter(13, 1.0f);
    const auto before = CoreSnapshot::of(core);
    core.takeChangePending();
    load(core, wrap(stateText(" curprogram=\"2\"",
                              "<midimap><map controllernumber=\"9\" param=\"2\"/></midimap>"
                              "<programs><program cutoff=\"0.1\"/></programs>")));
    EXPECT_TRUE(core.takeChangePending());
    EXPECT_EQ(core.getCurrentProgram(), 2);
    EXPECT_EQ(core.programs[0].values[1].load(), 1.0f);
    EXPECT_EQ(core.programs[4].controllerMap[9].load(), 2);
    EXPECT_EQ(core.params[13].load(), 0.0f);
    for (int p = 0; p < KivCore::numPrograms; ++p)
    {
        EXPECT_EQ(core.getProgramName(p).toStdString(), before.names[p]);
    }
}

TEST(StateChunkTest, ALengthFieldBeyondTheChunkReadsOnlyTheChunk)
{
    const std::string text = stateText(" curprogram=\"5\"", "");
    for (juce::int32 lengthField : {static_cast<juce::int32>(text.size()) + 1, 1 << 30})
    {
        SCOPED_TRACE(lengthField);
        KivCore core;
        load(core, wrap(text, lengthField));
        EXPECT_EQ(core.getCurrentProgram(), 5);
    }
}

TEST(StateChunkTest, DamagedOrHostileChunksChangeNothingButTheProgramNumber)
{
    const std::string valid = stateText(
        " curprogram=\"3\"", "<programs><program cutoff=\"0.1\"/></programs>"
                             "<midimap><map controllernumber=\"9\" param=\"2\"/></midimap>");
    const auto validChunk = wrap(valid);
    auto wrongMagic = validChunk;
    wrongMagic[2] = '3';
    const std::string deep = repeat("<a>", 200000);

    struct Row
    {
        const char* name;
        std::vector<char> bytes;
        int size; // -1: the vector's size
    };
    const Row rows[] = {
        {"empty", {}, 0},
        {"header only", std::vector<char>(validChunk.begin(), validChunk.begin() + 8), -1},
        {"wrong magic", wrongMagic, -1},
        {"length field 0", wrap(valid, 0), -1},
        {"negative length field", wrap(valid, -5), -1},
        {"size below the header", validChunk, 5},
        {"truncated text", wrap(valid, 50), -1},
        {"not XML", wrap("hello world, no markup here"), -1},
        {"another root", wrap("<other curprogram=\"3\"><programs/></other>"), -1},
        {"unclosed root", wrap("<kiv curprogram=\"3\"><programs>"), -1},
        {"deeply nested elements", wrap("<kiv>" + deep), -1},
        {"deeply nested with closed siblings", wrap("<kiv>" + repeat("<a><b/>", 200000)), -1},
        {"deeply nested behind quoted closers",
         wrap("<kiv>" + repeat("<a x=\"/>/></a>\">", 200000)), -1},
        {"nesting smuggled in a reference", wrap("<kiv>&" + deep + ";</kiv>"), -1},
        {"document type with entities",
         wrap("<!DOCTYPE kiv [<!ENTITY a \"<kiv curprogram='3'/>\">]><kiv "
              "curprogram=\"3\">&a;</kiv>"),
         -1},
        {"character reference at the very end",
         wrap("<kiv curprogram=\"3\"><programs><program programname=\"&#x"), -1},
        {"unknown reference", wrap("<kiv curprogram=\"3\" x=\"&nope;\"/>"), -1},
    };

    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.name);
        KivCore core;
        core.setCurrentProgram(5);
        core.setParameter(1, 0.42f);
        core.changeProgramName(1, "kept");
        core.programs[7].controllerMap[9].store(6);
        const auto before = CoreSnapshot::of(core);
        core.takeChangePending();

        const int size = row.size < 0 ? static_cast<int>(row.bytes.size()) : row.size;
        core.setStateInformation(row.bytes.empty() ? "" : row.bytes.data(), size);

        const auto after = CoreSnapshot::of(core);
        EXPECT_TRUE(after.sameExceptCurrentProgram(before));
        EXPECT_EQ(after.currentProgram, 0);
        EXPECT_FALSE(core.takeChangePending());
    }

    KivCore core;
    core.setCurrentProgram(5);
    core.setStateInformation(nullptr, 100);
    EXPECT_EQ(core.getCurrentProgram(), 0);
}

TEST(StateChunkTest, ReasonablyNestedUnknownElementsAreSkipped)
{
    KivCore core;
    load(core,
         wrap(stateText(" curprogram=\"2\"", "<programs>" + repeat("<x>", 40) + repeat("</x>", 40) +
                                                 "<program version=\"1.1\" cutoff=\"0.3\"/>"
                                                 "</programs>")));
    EXPECT_EQ(core.getCurrentProgram(), 2);
    EXPECT_EQ(core.programs[0].values[1].load(), 0.3f);
}
} // namespace
