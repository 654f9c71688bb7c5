// The plug-in as a VST 2.4 host sees it: the effect record, the identity, and the answer to
// each dispatcher request, checked through the shared object alone.

#include "PluginFixture.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <initializer_list>

namespace
{
constexpr int numPrograms = 10;
constexpr int numParams = 15;
constexpr int32_t uniqueId = 0x3539376F;    // '597o'
constexpr int32_t versionCode = 0x00020600; // 2.6.0

/** The four characters read as a big-endian 32-bit number, the interface's usual codes. */
constexpr int32_t fourCharacters(const char* text)
{
    return static_cast<int32_t>((static_cast<uint32_t>(static_cast<uint8_t>(text[0])) << 24) |
                                (static_cast<uint32_t>(static_cast<uint8_t>(text[1])) << 16) |
                                (static_cast<uint32_t>(static_cast<uint8_t>(text[2])) << 8) |
                                static_cast<uint32_t>(static_cast<uint8_t>(text[3])));
}

// What a text request wrote into a buffer prefilled with a marker byte.
struct TextAnswer
{
    intptr_t result = 0;
    std::string text;
    std::size_t bytesWritten = 0; ///< up to and including the last byte that was changed
};

constexpr char marker = '\x7f';

const char* const programNames[numPrograms] = {
    "Clean Set Up",         "Lfo Sine 1/4 LP",  "Lfo 2/1 BP",   "Fast Env Guitar",
    "Random Lfo  HP",       "Inverted  BP Env", "Noisy Mod BP", "SQ Lfo 1/16 LP",
    "Digital Artefacts HP", "Lfo Reso  1/1 BP"};

const char* const parameterNames[numParams] = {
    "",         "cutoff",      "resonance",  "filtertype", "lfointensity",      "lforate",
    "lfosync",  "lfowaveform", "volume",     "inputdrive", "envelopeintensity", "envelopespeed",
    "lfowidth", "Midi Learn",  "miditrigger"};

struct Arrangement
{
    int32_t type;
    std::vector<int32_t> speakers;
};

const Arrangement mono{kSpeakerArrMono, {kSpeakerM}};
const Arrangement stereo{kSpeakerArrStereo, {kSpeakerL, kSpeakerR}};
const Arrangement stereoSurround{kSpeakerArrStereoSurround, {kSpeakerLs, kSpeakerRs}};
const Arrangement threeChannels{kSpeakerArr30Cine, {kSpeakerL, kSpeakerR, kSpeakerC}};
const Arrangement fiveOne{kSpeakerArr51,
                          {kSpeakerL, kSpeakerR, kSpeakerC, kSpeakerLfe, kSpeakerLs, kSpeakerRs}};
const Arrangement noChannels{kSpeakerArrEmpty, {}};

VstSpeakerArrangement makeArrangement(const Arrangement& a)
{
    VstSpeakerArrangement record{};
    record.type = a.type;
    record.numChannels = static_cast<int32_t>(a.speakers.size());
    for (std::size_t i = 0; i < a.speakers.size(); ++i)
        record.speakers[i].type = a.speakers[i];
    return record;
}
} // namespace

class HostContractTest : public PluginFixture
{
protected:
    TextAnswer askText(int opcode, int index = 0, intptr_t value = 0)
    {
        std::array<char, 512> buffer;
        buffer.fill(marker);
        TextAnswer answer;
        answer.result = host->dispatch(opcode, index, value, buffer.data());

        const auto end = std::find(buffer.begin(), buffer.end(), '\0');
        answer.text.assign(buffer.begin(), end);
        const auto lastChanged =
            std::find_if(buffer.rbegin(), buffer.rend(), [](char c) { return c != marker; });
        answer.bytesWritten = static_cast<std::size_t>(buffer.rend() - lastChanged);
        return answer;
    }

    intptr_t setArrangement(const Arrangement& in, const Arrangement& out)
    {
        VstSpeakerArrangement input = makeArrangement(in);
        VstSpeakerArrangement output = makeArrangement(out);
        return host->dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&input),
                              &output);
    }

    /** The arrangement the plug-in reports, as (input channels, output channels). */
    std::pair<int, int> currentChannels()
    {
        VstSpeakerArrangement* input = nullptr;
        VstSpeakerArrangement* output = nullptr;
        if (host->dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&input),
                           &output) == 0 ||
            input == nullptr || output == nullptr)
            return {-1, -1};
        return {input->numChannels, output->numChannels};
    }

    std::vector<float> allParameters()
    {
        std::vector<float> values;
        for (int i = 0; i < numParams; ++i)
            values.push_back(host->getParameter(i));
        return values;
    }
};

TEST_F(HostContractTest, EffectRecordIsFilledAsAVst24HostExpects)
{
    const AEffect& e = *host->effect();

    struct Row
    {
        const char* field;
        intptr_t actual;
        intptr_t expected;
    };
    const Row rows[] = {
        {"magic", e.magic, 0x56737450},
        {"numPrograms", e.numPrograms, numPrograms},
        {"numParams", e.numParams, numParams},
        {"numInputs", e.numInputs, 2},
        {"numOutputs", e.numOutputs, 2},
        {"flags", e.flags, 0x231},
        {"initialDelay", e.initialDelay, 0},
        {"uniqueID", e.uniqueID, uniqueId},
        {"version", e.version, versionCode},
        {"process (accumulating) is absent", e.process == nullptr, 1},
        {"processReplacing is set", e.processReplacing != nullptr, 1},
        {"processDoubleReplacing is set", e.processDoubleReplacing != nullptr, 1},
        {"64-bit flag not raised", (e.flags & effFlagsCanDoubleReplacing) == 0, 1},
        {"synth flag not raised", (e.flags & effFlagsIsSynth) == 0, 1},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.field);
        EXPECT_EQ(row.actual, row.expected);
    }
}

TEST_F(HostContractTest, IdentityTextsAndNumbers)
{
    struct TextRow
    {
        const char* name;
        int opcode;
        const char* expected;
    };
    const TextRow texts[] = {
        {"effGetEffectName", effGetEffectName, "KIV-Filter"},
        {"effGetProductString", effGetProductString, "KIV-Filter"},
        {"effGetVendorString", effGetVendorString, "KIV-Velmora"},
    };
    for (const TextRow& row : texts)
    {
        SCOPED_TRACE(row.name);
        const TextAnswer answer = askText(row.opcode);
        EXPECT_EQ(answer.result, 1);
        EXPECT_EQ(answer.text, row.expected);
        // The text and its terminating zero, nothing more; never beyond 64 + 1 bytes.
        EXPECT_EQ(answer.bytesWritten, answer.text.size() + 1);
        EXPECT_LE(answer.bytesWritten, 65u);
    }

    struct NumberRow
    {
        const char* name;
        int opcode;
        intptr_t expected;
    };
    const NumberRow numbers[] = {
        {"effGetVendorVersion", effGetVendorVersion, versionCode},
        {"effGetPlugCategory", effGetPlugCategory, kPlugCategEffect},
        {"effGetVstVersion", effGetVstVersion, 2400},
        {"effIdentify", effIdentify, fourCharacters("NvEf")},
        {"effGetTailSize", effGetTailSize, 0},
        {"effGetNumMidiInputChannels", effGetNumMidiInputChannels, 16},
        {"effGetNumMidiOutputChannels", effGetNumMidiOutputChannels, 0},
        {"effGetCurrentMidiProgram", effGetCurrentMidiProgram, -1},
    };
    for (const NumberRow& row : numbers)
    {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(host->dispatch(row.opcode), row.expected);
    }
}

TEST_F(HostContractTest, CanDoAnswersEveryQuery)
{
    struct Row
    {
        const char* query;
        intptr_t expected;
    };
    const Row rows[] = {
        {"receiveVstEvents", 1},
        {"receiveVstMidiEvent", 1},
        {"receiveVstMidiEvents", 1},
        {"sendVstEvents", -1},
        {"sendVstMidiEvent", -1},
        {"sendVstMidiEvents", -1},
        {"receiveVstTimeInfo", 1},
        {"conformsToWindowRules", 1},
        {"supportsViewDpiScaling", 1},
        {"bypass", 1},
        {"openCloseAnyThread", -1},
        {"MPE", 0},
        // A 32-bit answer widened with its sign, as the dispatcher returns it.
        {"hasCockosExtensions", static_cast<intptr_t>(static_cast<int32_t>(0xBEEF0000u))},
        {"hasCockosViewAsConfig", 0},
        {"sizeWindow", 0},
        {"offline", 0},
        {"receiveVstMidiEventsX", 0},
        {"", 0},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.query);
        std::string query = row.query;
        EXPECT_EQ(host->dispatch(effCanDo, 0, 0, query.data()), row.expected);
    }
}

TEST_F(HostContractTest, ProgramRequests)
{
    for (int p = 0; p < numPrograms; ++p)
    {
        SCOPED_TRACE(p);
        const TextAnswer answer = askText(effGetProgramNameIndexed, p);
        EXPECT_EQ(answer.result, 1);
        EXPECT_EQ(answer.text, programNames[p]);
        EXPECT_EQ(answer.bytesWritten, answer.text.size() + 1);
    }
    EXPECT_EQ(host->currentProgramName(), "Clean Set Up");
    EXPECT_EQ(host->program(), 0);

    // Numbers outside the bank: no name is written, and a switch changes nothing at all.
    const std::vector<uint8_t> stateBefore = host->getChunk();
    const std::vector<float> valuesBefore = allParameters();
    for (int outside : {numPrograms, -1, 1000})
    {
        SCOPED_TRACE(outside);
        const TextAnswer name = askText(effGetProgramNameIndexed, outside);
        EXPECT_EQ(name.result, 0);
        EXPECT_EQ(name.bytesWritten, 0u);

        host->setProgram(outside);
        EXPECT_EQ(host->program(), 0);
        EXPECT_EQ(allParameters(), valuesBefore);
        EXPECT_EQ(host->getChunk(), stateBefore);
    }

    // A switch inside the bank reaches the processor: program 4 is the high-pass one.
    host->setProgram(4);
    EXPECT_EQ(host->program(), 4);
    EXPECT_EQ(host->currentProgramName(), "Random Lfo  HP");
    EXPECT_EQ(host->getParameter(3), 1.0f / 5.0f);

    // Names reach the host with at most 24 bytes.
    std::string longName = "A name much longer than the host allows";
    host->dispatch(effSetProgramName, 0, 0, longName.data());
    for (const TextAnswer& answer :
         {askText(effGetProgramName), askText(effGetProgramNameIndexed, 4)})
    {
        EXPECT_EQ(answer.text, longName.substr(0, 24));
        EXPECT_EQ(answer.bytesWritten, 25u);
    }
    EXPECT_EQ(host->programName(3), programNames[3]);
}

TEST_F(HostContractTest, ParameterTexts)
{
    for (int i = 0; i < numParams; ++i)
    {
        SCOPED_TRACE(i);
        const TextAnswer name = askText(effGetParamName, i);
        EXPECT_EQ(name.text, parameterNames[i]);
        EXPECT_EQ(name.bytesWritten, name.text.size() + 1);
        EXPECT_LE(name.bytesWritten, 33u);

        const TextAnswer label = askText(effGetParamLabel, i);
        EXPECT_EQ(label.text, "");
        EXPECT_LE(label.bytesWritten, 25u);
    }

    struct Row
    {
        int index;
        float value;
        const char* display;
    };
    const Row rows[] = {
        {0, 0.25f, "0.25"},  {1, 0.5f, "0.50"}, {2, 1.0f, "1.00"},    {3, 0.0f, "0.00"},
        {5, 0.123f, "0.12"}, {1, 1.5f, "1.50"}, {12, 0.876f, "0.88"},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(std::to_string(row.index) + " = " + row.display);
        host->setParameter(row.index, row.value);
        EXPECT_EQ(host->getParameter(row.index), row.value);
        const TextAnswer display = askText(effGetParamDisplay, row.index);
        EXPECT_EQ(display.text, row.display);
        EXPECT_EQ(display.bytesWritten, display.text.size() + 1);
        EXPECT_LE(display.bytesWritten, 25u);
    }

    // An index past the last parameter writes nothing and reads as 0.
    for (int opcode : {effGetParamName, effGetParamLabel, effGetParamDisplay})
    {
        SCOPED_TRACE(opcode);
        EXPECT_EQ(askText(opcode, numParams).bytesWritten, 0u);
    }
    const std::vector<float> before = allParameters();
    host->setParameter(numParams, 0.3f);
    EXPECT_EQ(host->getParameter(numParams), 0.0f);
    EXPECT_EQ(allParameters(), before);
}

TEST_F(HostContractTest, ChunkRequestsCarryTheWholeState)
{
    host->setProgram(3);
    host->setParameter(1, 0.3f);
    std::string name = "Renamed";
    host->dispatch(effSetProgramName, 0, 0, name.data());

    const std::vector<uint8_t> bank = host->getChunk(false);
    const std::vector<uint8_t> single = host->getChunk(true);
    ASSERT_GT(bank.size(), 9u);
    EXPECT_EQ(bank, single) << "one format for a bank and for a single program";
    EXPECT_EQ(std::string(bank.begin(), bank.begin() + 4), "VC2!");

    for (bool asSingleProgram : {false, true})
    {
        SCOPED_TRACE(asSingleProgram ? "set as program" : "set as bank");
        std::string error;
        auto other = Vst2Host::load(pluginPath(), error);
        ASSERT_NE(other, nullptr) << error;
        other->setChunk(bank, asSingleProgram);
        EXPECT_EQ(other->program(), 3);
        EXPECT_EQ(other->getParameter(1), 0.3f);
        EXPECT_EQ(other->programName(3), "Renamed");
        EXPECT_EQ(other->getChunk(), bank);
    }
}

TEST_F(HostContractTest, ProcessEventsIsAccepted)
{
    VstMidiEvent noteOn{};
    noteOn.type = kVstMidiType;
    noteOn.byteSize = sizeof(VstMidiEvent);
    noteOn.midiData[0] = static_cast<char>(0x90);
    noteOn.midiData[1] = 60;
    noteOn.midiData[2] = 100;
    VstEvents events{};
    events.numEvents = 1;
    events.events[0] = reinterpret_cast<VstEvent*>(&noteOn);

    EXPECT_EQ(host->dispatch(effProcessEvents, 0, 0, &events), 1);
}

TEST_F(HostContractTest, EditorRectangleIsTheFixedPanel)
{
    ERect* rect = nullptr;
    const intptr_t result = host->dispatch(effEditGetRect, 0, 0, &rect);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(result, reinterpret_cast<intptr_t>(rect));
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 480);
    EXPECT_EQ(rect->right, 520);
}

TEST_F(HostContractTest, SpeakerArrangementsFollowTheLayoutRule)
{
    struct Row
    {
        const char* name;
        Arrangement in;
        Arrangement out;
        intptr_t expected;
    };
    const Row rows[] = {
        {"stereo / stereo", stereo, stereo, 1},
        {"mono / mono", mono, mono, 1},
        {"other two-channel kinds", stereoSurround, stereoSurround, 1},
        {"mono in, stereo out", mono, stereo, 0},
        {"stereo in, mono out", stereo, mono, 0},
        {"no input", noChannels, stereo, 0},
        {"three channels", threeChannels, threeChannels, 0},
        {"stereo in, three out", stereo, threeChannels, 0},
        {"5.1", fiveOne, fiveOne, 0},
    };

    host->suspend();
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        ASSERT_EQ(setArrangement(stereo, stereo), 1);
        EXPECT_EQ(setArrangement(row.in, row.out), row.expected);

        // A refused request leaves the layout as it was.
        const std::pair<int, int> expectedChannels =
            row.expected == 1 ? std::pair<int, int>(static_cast<int>(row.in.speakers.size()),
                                                    static_cast<int>(row.out.speakers.size()))
                              : std::pair<int, int>(2, 2);
        EXPECT_EQ(currentChannels(), expectedChannels);
    }
}

TEST_F(HostContractTest, PinPropertiesNameTheBusAndChannel)
{
    struct Row
    {
        const char* name;
        const Arrangement* layout;
        int opcode;
        int pin;
        intptr_t result;
        const char* label;
        int32_t flags;
        int32_t arrangementType;
    };
    constexpr int32_t active = kVstPinIsActive | kVstPinUseSpeaker;
    const Row rows[] = {
        {"stereo input 0", &stereo, effGetInputProperties, 0, 1, "Input L",
         active | kVstPinIsStereo, kSpeakerArrStereo},
        {"stereo input 1", &stereo, effGetInputProperties, 1, 1, "Input R", active,
         kSpeakerArrStereo},
        {"stereo output 0", &stereo, effGetOutputProperties, 0, 1, "Output L",
         active | kVstPinIsStereo, kSpeakerArrStereo},
        {"stereo output 1", &stereo, effGetOutputProperties, 1, 1, "Output R", active,
         kSpeakerArrStereo},
        {"stereo input 2", &stereo, effGetInputProperties, 2, 0, "", 0, kSpeakerArrEmpty},
        {"mono input 0", &mono, effGetInputProperties, 0, 1, "Input", active, kSpeakerArrMono},
        {"mono output 0", &mono, effGetOutputProperties, 0, 1, "Output", active, kSpeakerArrMono},
        {"mono output 1", &mono, effGetOutputProperties, 1, 0, "", 0, kSpeakerArrEmpty},
    };

    host->suspend();
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        ASSERT_EQ(setArrangement(*row.layout, *row.layout), 1);
        VstPinProperties pin{};
        EXPECT_EQ(host->dispatch(row.opcode, row.pin, 0, &pin), row.result);
        EXPECT_EQ(std::string(pin.label, strnlen(pin.label, sizeof(pin.label))), row.label);
        EXPECT_EQ(std::string(pin.shortLabel, strnlen(pin.shortLabel, sizeof(pin.shortLabel))),
                  std::string(row.label).substr(0, sizeof(pin.shortLabel)));
        EXPECT_EQ(pin.flags, row.flags);
        EXPECT_EQ(pin.arrangementType, row.arrangementType);
    }
}

TEST_F(HostContractTest, ProcessPrecisionStaysSinglePrecision)
{
    // Refused while processing, accepted while suspended; either way processing stays 32-bit.
    EXPECT_EQ(host->dispatch(effSetProcessPrecision, 0, kVstProcessPrecision64), 0);
    host->suspend();
    EXPECT_EQ(host->dispatch(effSetProcessPrecision, 0, kVstProcessPrecision64), 1);
    EXPECT_EQ(host->dispatch(effSetProcessPrecision, 0, kVstProcessPrecision32), 1);
    EXPECT_EQ(host->dispatch(effSetProcessPrecision, 0, kVstProcessPrecision64), 1);
    host->resume();
    EXPECT_EQ(host->effect()->flags & effFlagsCanDoubleReplacing, 0);

    std::vector<float> left = sine(440.0, 4096, 0.5f);
    std::vector<float> right = left;
    const std::vector<float> input = left;
    host->processStereo(left, right, blockSize);
    EXPECT_NE(left, input);
    EXPECT_GT(rms(left, 2048), 1e-3);
}

TEST_F(HostContractTest, BypassPassesTheAudioThroughUntouched)
{
    EXPECT_EQ(host->dispatch(effSetBypass, 0, 1), 1);
    std::vector<float> left = sine(440.0, 4096, 0.5f);
    std::vector<float> right = sine(660.0, 4096, 0.5f);
    const std::vector<float> leftIn = left, rightIn = right;
    host->processStereo(left, right, blockSize);
    EXPECT_EQ(left, leftIn);
    EXPECT_EQ(right, rightIn);

    EXPECT_EQ(host->dispatch(effSetBypass, 0, 0), 1);
    host->processStereo(left, right, blockSize);
    EXPECT_NE(left, leftIn);
}

TEST_F(HostContractTest, VendorSpecificFuidIsDerivedFromTheIdentity)
{
    // "VST", the unique identifier from its most significant byte, and the first nine
    // characters of the effect name in lower case.
    const char* const expected = "VST597okiv-filte";
    for (const char* index : {"stCa", "stCA"})
    {
        SCOPED_TRACE(index);
        std::array<char, 32> buffer;
        buffer.fill(marker);
        EXPECT_EQ(host->dispatch(effVendorSpecific, fourCharacters(index), fourCharacters("FUID"),
                                 buffer.data()),
                  1)
            << "the framework's VST2 client answers this only in a build that also makes the "
               "VST3 format";
        EXPECT_EQ(std::string(buffer.data(), 16), expected);
        EXPECT_EQ(buffer[16], marker);
    }
}

TEST_F(HostContractTest, OtherVendorSpecificRequestsAnswerZeroAndWriteNothing)
{
    struct Row
    {
        const char* name;
        int32_t index;
        intptr_t value;
    };
    const Row rows[] = {
        {"stCa without FUID", fourCharacters("stCa"), fourCharacters("XXXX")},
        {"FUID under another index", fourCharacters("stCb"), fourCharacters("FUID")},
        {"unknown request", fourCharacters("abcd"), 0},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        std::array<char, 32> buffer;
        buffer.fill(marker);
        EXPECT_EQ(host->dispatch(effVendorSpecific, row.index, row.value, buffer.data()), 0);
        EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](char c) { return c == marker; }));
    }
}

TEST_F(HostContractTest, UnansweredRequestsAnswerZero)
{
    // Requests the client does not handle, and everything above the last 2.4 request.
    for (int opcode : {9,  16, 17, 18, 20, 21, 28, 30, 31, 32, 36, 37, 38, 39, 40, 41, 43, 46,
                       53, 54, 55, 56, 59, 60, 61, 62, 64, 65, 66, 67, 68, 70, 74, 75, 76, 79})
    {
        SCOPED_TRACE(opcode);
        EXPECT_EQ(host->dispatch(opcode), 0);
    }
    for (int opcode = 80; opcode <= 300; ++opcode)
    {
        SCOPED_TRACE(opcode);
        EXPECT_EQ(host->dispatch(opcode), 0);
    }
}

TEST_F(HostContractTest, MainEntryPointMakesTheSameInstance)
{
    std::string error;
    auto viaMain = Vst2Host::load(pluginPath(), error, 2400, "main");
    ASSERT_NE(viaMain, nullptr) << error;
    const AEffect& a = *host->effect();
    const AEffect& b = *viaMain->effect();
    EXPECT_NE(&a, &b);
    EXPECT_EQ(b.magic, a.magic);
    EXPECT_EQ(b.uniqueID, a.uniqueID);
    EXPECT_EQ(b.version, a.version);
    EXPECT_EQ(b.flags, a.flags);
    EXPECT_EQ(b.numPrograms, a.numPrograms);
    EXPECT_EQ(b.numParams, a.numParams);
    EXPECT_EQ(b.numInputs, a.numInputs);
    EXPECT_EQ(b.numOutputs, a.numOutputs);
    EXPECT_EQ(viaMain->effectName(), host->effectName());
    EXPECT_EQ(viaMain->getChunk(), host->getChunk());

    viaMain->resume();
    std::vector<float> leftA = sine(440.0, 8192, 0.5f), rightA = leftA;
    std::vector<float> leftB = leftA, rightB = leftA;
    host->processStereo(leftA, rightA, blockSize);
    viaMain->processStereo(leftB, rightB, blockSize);
    for (std::size_t i = 0; i < leftA.size(); i += 97)
    {
        SCOPED_TRACE(i);
        EXPECT_NEAR(leftB[i], leftA[i], 1e-5f); // the dither alone may differ
    }
}

TEST_F(HostContractTest, HostVersionZeroGetsNoInstance)
{
    for (const char* entry : {"VSTPluginMain", "main"})
    {
        SCOPED_TRACE(entry);
        std::string error;
        EXPECT_EQ(Vst2Host::load(pluginPath(), error, 0, entry), nullptr);
        EXPECT_FALSE(error.empty());
    }
}

TEST_F(HostContractTest, MonoInMonoOutProcessesOneChannel)
{
    // LFO and envelope off, so that the left channel of the stereo path depends on the left
    // input alone and the one-channel path must sound the same.
    auto holdFilter = [](Vst2Host& h)
    {
        h.setProgram(0);
        h.setParameter(1, 0.4f);
        h.setParameter(4, 0.5f);
        h.setParameter(10, 0.5f);
    };
    std::vector<float> input = sine(100.0, 16384, 0.25f);
    const std::vector<float> high = sine(8000.0, 16384, 0.25f);
    for (std::size_t i = 0; i < input.size(); ++i)
        input[i] += high[i];

    host->suspend();
    ASSERT_EQ(setArrangement(mono, mono), 1);
    host->resume();
    holdFilter(*host);

    std::vector<float> monoOut(input.size());
    std::vector<float> inBlock(blockSize);
    for (std::size_t start = 0; start < input.size(); start += blockSize)
    {
        std::copy_n(input.begin() + static_cast<std::ptrdiff_t>(start), blockSize, inBlock.begin());
        float* in[1] = {inBlock.data()};
        float* out[1] = {monoOut.data() + start};
        host->process(in, out, blockSize);
    }

    std::string error;
    auto reference = Vst2Host::load(pluginPath(), error);
    ASSERT_NE(reference, nullptr) << error;
    reference->setBlockSize(blockSize);
    reference->resume();
    holdFilter(*reference);
    std::vector<float> left = input, right = input;
    reference->processStereo(left, right, blockSize);

    EXPECT_NE(monoOut, input);
    EXPECT_GT(rms(monoOut, 8192), 0.05);
    double worst = 0.0;
    for (std::size_t i = 0; i < left.size(); ++i)
        worst = std::max(worst, static_cast<double>(std::fabs(monoOut[i] - left[i])));
    EXPECT_LT(worst, 1e-5);
}
