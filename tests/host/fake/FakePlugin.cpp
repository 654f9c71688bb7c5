// A tiny stand-in plug-in for testing the host library's mechanics: it copies input to
// output and remembers what the host handed it, which the tests read back through
// effVendorSpecific requests (see FakePluginQueries.h). Built three ways: with both entry
// points, with `main` only (KIV_FAKE_MAIN_ONLY), and with no entry point (KIV_FAKE_NO_ENTRY).

#include "FakePluginQueries.h"

#include "pluginterfaces/vst2.x/aeffect.h"
#include "pluginterfaces/vst2.x/aeffectx.h"

#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

namespace
{
struct FakeState
{
    AEffect effect{};
    audioMasterCallback host = nullptr;
    float parameters[fake::numParams] = {};
    std::vector<uint8_t> chunk{1, 2, 3};
    int processEventsCalls = 0;
    std::vector<VstMidiEvent> midi;
    bool sawTimeInfo = false;
    VstTimeInfo timeInfo{};
    intptr_t processLevelInProcess = 0;
    int processCalls = 0;
    int lastFrames = 0;
};

FakeState* stateOf(AEffect* effect)
{
    return static_cast<FakeState*>(effect->object);
}

VstIntPtr vendorQuery(FakeState& s, VstInt32 index, VstIntPtr value, void* ptr)
{
    switch (index)
    {
    case fake::queryProcessEventsCalls:
        return s.processEventsCalls;
    case fake::queryNumMidi:
        return static_cast<intptr_t>(s.midi.size());
    case fake::queryMidiEvent:
    {
        if (value < 0 || value >= static_cast<intptr_t>(s.midi.size()))
            return -1;
        const VstMidiEvent& e = s.midi[static_cast<std::size_t>(value)];
        return fake::packMidi(e.deltaFrames, static_cast<uint8_t>(e.midiData[0]),
                              static_cast<uint8_t>(e.midiData[1]),
                              static_cast<uint8_t>(e.midiData[2]));
    }
    case fake::queryTimeInfo:
        if (s.sawTimeInfo && ptr != nullptr)
            std::memcpy(ptr, &s.timeInfo, sizeof(VstTimeInfo));
        return s.sawTimeInfo ? 1 : 0;
    case fake::queryProcessLevelInProcess:
        return s.processLevelInProcess;
    case fake::queryProcessLevelNow:
        return s.host(&s.effect, audioMasterGetCurrentProcessLevel, 0, 0, nullptr, 0.0f);
    case fake::queryProcessCalls:
        return s.processCalls;
    case fake::queryLastFrames:
        return s.lastFrames;
    case fake::automateFromThread:
    {
        // Report a burst of edits from a thread of our own, as an editor would.
        AEffect* effect = &s.effect;
        audioMasterCallback host = s.host;
        std::thread worker(
            [effect, host, value]
            {
                for (int i = 0; i < static_cast<int>(value); ++i)
                {
                    host(effect, audioMasterBeginEdit, 1, 0, nullptr, 0.0f);
                    host(effect, audioMasterAutomate, 1, 0, nullptr, static_cast<float>(i));
                    host(effect, audioMasterEndEdit, 1, 0, nullptr, 0.0f);
                }
            });
        for (int i = 0; i < static_cast<int>(value); ++i)
            host(effect, audioMasterAutomate, 0, 0, nullptr, static_cast<float>(i));
        worker.join();
        return 1;
    }
    case fake::askHost:
        return s.host(&s.effect, static_cast<int32_t>(value), 0, 0, ptr, 0.0f);
    default:
        return 0;
    }
}

VstIntPtr dispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                     float)
{
    FakeState& s = *stateOf(effect);
    switch (opcode)
    {
    case effClose:
        delete &s;
        return 1;
    case effGetEffectName:
        std::strcpy(static_cast<char*>(ptr), "Fake");
        return 1;
    case effGetParamName:
        std::strcpy(static_cast<char*>(ptr), index == 0 ? "gain" : "pan");
        return 0;
    case effGetChunk:
        *static_cast<void**>(ptr) = s.chunk.data();
        return static_cast<intptr_t>(s.chunk.size());
    case effSetChunk:
    {
        const auto* bytes = static_cast<const uint8_t*>(ptr);
        s.chunk.assign(bytes, bytes + value);
        return 1;
    }
    case effProcessEvents:
    {
        const auto* events = static_cast<const VstEvents*>(ptr);
        ++s.processEventsCalls;
        s.midi.clear();
        for (int32_t i = 0; i < events->numEvents; ++i)
            if (events->events[i]->type == kVstMidiType)
                s.midi.push_back(*reinterpret_cast<const VstMidiEvent*>(events->events[i]));
        return 1;
    }
    case effVendorSpecific:
        return vendorQuery(s, index, value, ptr);
    default:
        return 0;
    }
}

void processReplacing(AEffect* effect, float** inputs, float** outputs, VstInt32 frames)
{
    FakeState& s = *stateOf(effect);
    ++s.processCalls;
    s.lastFrames = frames;
    s.processLevelInProcess =
        s.host(effect, audioMasterGetCurrentProcessLevel, 0, 0, nullptr, 0.0f);

    const intptr_t answer = s.host(effect, audioMasterGetTime, 0, 0, nullptr, 0.0f);
    s.sawTimeInfo = answer != 0;
    if (s.sawTimeInfo)
        s.timeInfo = *reinterpret_cast<const VstTimeInfo*>(answer);

    for (int c = 0; c < effect->numOutputs; ++c)
        std::memmove(outputs[c], inputs[c], sizeof(float) * static_cast<std::size_t>(frames));
}

void setParameter(AEffect* effect, VstInt32 index, float value)
{
    if (index >= 0 && index < fake::numParams)
        stateOf(effect)->parameters[index] = value;
}

float getParameter(AEffect* effect, VstInt32 index)
{
    return index >= 0 && index < fake::numParams ? stateOf(effect)->parameters[index] : 0.0f;
}

AEffect* createFake(audioMasterCallback host)
{
    if (host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
        return nullptr;

    auto* s = new FakeState();
    s->host = host;
    AEffect& e = s->effect;
    e.magic = kEffectMagic;
    e.dispatcher = dispatcher;
    e.setParameter = setParameter;
    e.getParameter = getParameter;
    e.processReplacing = processReplacing;
    e.numPrograms = 1;
    e.numParams = fake::numParams;
    e.numInputs = 2;
    e.numOutputs = 2;
    e.flags = effFlagsCanReplacing;
    e.object = s;
    e.uniqueID = 0x4B76466B; // 'KvFk'
    return &e;
}
} // namespace

#if !defined(KIV_FAKE_NO_ENTRY)
#if !defined(KIV_FAKE_MAIN_ONLY)
extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback host)
{
    return createFake(host);
}
#endif

// `main` cannot be declared with this signature in C++; bind the symbol name directly.
extern "C" __attribute__((visibility("default"))) AEffect*
fakeMain(audioMasterCallback host) __asm__("main");
extern "C" AEffect* fakeMain(audioMasterCallback host)
{
    return createFake(host);
}
#else
// An entry point under a name no host looks for.
extern "C" __attribute__((visibility("default"))) AEffect*
fakeWithoutEntry(audioMasterCallback host)
{
    return createFake(host);
}
#endif
