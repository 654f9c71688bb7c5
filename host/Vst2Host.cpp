#include "Vst2Host.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <new>

namespace
{
using EntryPoint = AEffect* (*)(audioMasterCallback);

// Size of the text buffers handed to the plug-in. The interface's own limits are far
// smaller (8 to 64 characters); plug-ins routinely write more, so leave ample room.
constexpr std::size_t textBufferSize = 256;

// The vendor and product strings a host may hand out: 64 characters and a zero.
constexpr std::size_t hostStringSize = 64;

// Which instance a callback belongs to. The plug-in passes its AEffect with every call
// except the very first ones, made from inside the entry point before the record exists;
// those go to the instance being loaded. Loads are serialised so that this is unambiguous.
std::mutex loadLock;
std::atomic<Vst2Host*> hostBeingLoaded{nullptr};

std::mutex registryLock;
std::vector<std::pair<const AEffect*, Vst2Host*>>& registry()
{
    static std::vector<std::pair<const AEffect*, Vst2Host*>> instances;
    return instances;
}

Vst2Host* findHost(const AEffect* effect)
{
    if (effect != nullptr)
    {
        const std::lock_guard<std::mutex> lock(registryLock);

        for (const auto& entry : registry())
            if (entry.first == effect)
                return entry.second;
    }

    return hostBeingLoaded.load();
}

void unregisterHost(const Vst2Host* host)
{
    const std::lock_guard<std::mutex> lock(registryLock);
    auto& instances = registry();
    instances.erase(std::remove_if(instances.begin(), instances.end(),
                                   [host](const auto& entry) { return entry.second == host; }),
                    instances.end());
}

// Nonzero while this thread is inside processReplacing or the effProcessEvents just before
// it: the plug-in's question for the process level is answered per calling thread.
thread_local int processDepth = 0;

struct ProcessScope
{
    ProcessScope() { ++processDepth; }
    ~ProcessScope() { --processDepth; }
    ProcessScope(const ProcessScope&) = delete;
    ProcessScope& operator=(const ProcessScope&) = delete;
};

void copyHostString(void* destination, const char* text)
{
    if (destination == nullptr)
        return;

    auto* out = static_cast<char*>(destination);
    std::strncpy(out, text, hostStringSize);
    out[hostStringSize] = '\0';
}

double monotonicNanoseconds()
{
    using namespace std::chrono;
    return static_cast<double>(
        duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count());
}
} // namespace

std::unique_ptr<Vst2Host> Vst2Host::load(const std::string& soPath, std::string& error,
                                         int versionAnswer, const std::string& entryPoint)
{
    error.clear();

    struct stat info;
    if (::stat(soPath.c_str(), &info) != 0)
    {
        error = "plug-in file not found: " + soPath;
        return nullptr;
    }

    void* handle = ::dlopen(soPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr)
    {
        const char* reason = ::dlerror();
        error = "cannot open " + soPath + ": " + (reason != nullptr ? reason : "unknown error");
        return nullptr;
    }

    EntryPoint entry = nullptr;
    if (entryPoint.empty())
    {
        entry = reinterpret_cast<EntryPoint>(::dlsym(handle, "VSTPluginMain"));
        if (entry == nullptr)
            entry = reinterpret_cast<EntryPoint>(::dlsym(handle, "main"));
    }
    else
    {
        entry = reinterpret_cast<EntryPoint>(::dlsym(handle, entryPoint.c_str()));
    }

    if (entry == nullptr)
    {
        error =
            soPath + (entryPoint.empty() ? std::string(" exports neither VSTPluginMain nor main")
                                         : " does not export " + entryPoint);
        ::dlclose(handle);
        return nullptr;
    }

    std::unique_ptr<Vst2Host> host(new Vst2Host());
    host->versionReply = versionAnswer;

    AEffect* created = nullptr;
    {
        const std::lock_guard<std::mutex> lock(loadLock);
        hostBeingLoaded.store(host.get());
        created = entry(&Vst2Host::hostCallback);

        if (created != nullptr && created->magic == kEffectMagic)
        {
            const std::lock_guard<std::mutex> registered(registryLock);
            registry().emplace_back(created, host.get());
        }

        hostBeingLoaded.store(nullptr);
    }

    if (created == nullptr)
    {
        error = "the entry point of " + soPath + " created no instance";
        ::dlclose(handle);
        return nullptr;
    }

    if (created->magic != kEffectMagic)
    {
        // Not a record we know how to release: leave the library loaded rather than pull
        // code out from under whatever it made.
        error = soPath + " answered a record without the VST magic";
        return nullptr;
    }

    if (created->processReplacing == nullptr)
    {
        error = soPath + " has no 32-bit processReplacing callback";
        created->dispatcher(created, effClose, 0, 0, nullptr, 0.0f);
        unregisterHost(host.get());
        ::dlclose(handle);
        return nullptr;
    }

    host->library = handle;
    host->aeffect = created;

    host->dispatch(effOpen);
    host->setSampleRate(44100.0f);
    host->setBlockSize(512);
    return host;
}

Vst2Host::~Vst2Host()
{
    if (aeffect != nullptr)
    {
        if (editorOpen)
            closeEditor();

        suspend();
        dispatch(effClose);
        aeffect = nullptr;
    }

    unregisterHost(this);

    if (library != nullptr)
        ::dlclose(library);
}

intptr_t Vst2Host::dispatch(int opcode, int index, intptr_t value, void* ptr, float opt)
{
    return aeffect->dispatcher(aeffect, opcode, index, value, ptr, opt);
}

void Vst2Host::setSampleRate(float rate)
{
    currentSampleRate = rate;
    dispatch(effSetSampleRate, 0, 0, nullptr, rate);
}

void Vst2Host::setBlockSize(int frames)
{
    currentBlockSize = frames;
    dispatch(effSetBlockSize, 0, frames);
}

void Vst2Host::resume()
{
    if (resumed)
        return;

    dispatch(effMainsChanged, 0, 1);
    dispatch(effStartProcess);
    resumed = true;
}

void Vst2Host::suspend()
{
    if (!resumed)
        return;

    dispatch(effStopProcess);
    dispatch(effMainsChanged, 0, 0);
    resumed = false;
}

float Vst2Host::getParameter(int index)
{
    return aeffect->getParameter(aeffect, index);
}

void Vst2Host::setParameter(int index, float value)
{
    aeffect->setParameter(aeffect, index, value);
}

std::string Vst2Host::readText(int opcode, int index, std::size_t bufferSize)
{
    std::vector<char> buffer(bufferSize, '\0');
    dispatch(opcode, index, 0, buffer.data());
    buffer.back() = '\0';
    return std::string(buffer.data());
}

std::string Vst2Host::parameterName(int index)
{
    return readText(effGetParamName, index, textBufferSize);
}

std::string Vst2Host::parameterLabel(int index)
{
    return readText(effGetParamLabel, index, textBufferSize);
}

std::string Vst2Host::parameterDisplay(int index)
{
    return readText(effGetParamDisplay, index, textBufferSize);
}

std::string Vst2Host::programName(int index)
{
    return readText(effGetProgramNameIndexed, index, textBufferSize);
}

std::string Vst2Host::currentProgramName()
{
    return readText(effGetProgramName, 0, textBufferSize);
}

int Vst2Host::program()
{
    return static_cast<int>(dispatch(effGetProgram));
}

void Vst2Host::setProgram(int index)
{
    dispatch(effSetProgram, 0, index);
}

std::string Vst2Host::effectName()
{
    return readText(effGetEffectName, 0, textBufferSize);
}

std::string Vst2Host::vendorString()
{
    return readText(effGetVendorString, 0, textBufferSize);
}

std::string Vst2Host::productString()
{
    return readText(effGetProductString, 0, textBufferSize);
}

int Vst2Host::vendorVersion()
{
    return static_cast<int>(dispatch(effGetVendorVersion));
}

std::vector<uint8_t> Vst2Host::getChunk(bool singleProgram)
{
    void* data = nullptr;
    const intptr_t size = dispatch(effGetChunk, singleProgram ? 1 : 0, 0, &data);

    if (size <= 0 || data == nullptr)
        return {};

    const auto* bytes = static_cast<const uint8_t*>(data);
    return std::vector<uint8_t>(bytes, bytes + size);
}

intptr_t Vst2Host::setChunk(const std::vector<uint8_t>& data, bool singleProgram)
{
    // The interface passes the buffer as non-const; hand over a copy so that a plug-in that
    // writes into it cannot change the caller's bytes.
    std::vector<uint8_t> copy(data);
    return dispatch(effSetChunk, singleProgram ? 1 : 0, static_cast<intptr_t>(copy.size()),
                    copy.empty() ? nullptr : copy.data());
}

void Vst2Host::queueMidi(int deltaFrames, uint8_t status, uint8_t data1, uint8_t data2)
{
    VstMidiEvent event{};
    event.type = kVstMidiType;
    event.byteSize = sizeof(VstMidiEvent);
    event.deltaFrames = deltaFrames;
    event.midiData[0] = static_cast<char>(status);
    event.midiData[1] = static_cast<char>(data1);
    event.midiData[2] = static_cast<char>(data2);
    midiQueue.push_back(event);
}

void Vst2Host::deliverMidi()
{
    if (midiQueue.empty())
        return;

    // VstEvents declares room for two pointers; the record is allocated to hold all of ours.
    const std::size_t bytes = std::max(sizeof(VstEvents), offsetof(VstEvents, events) +
                                                              midiQueue.size() * sizeof(VstEvent*));
    eventRecord.assign((bytes + sizeof(VstEvent*) - 1) / sizeof(VstEvent*), nullptr);

    auto* record = new (eventRecord.data()) VstEvents{};
    record->numEvents = static_cast<int32_t>(midiQueue.size());

    VstEvent** slots = record->events;
    for (std::size_t i = 0; i < midiQueue.size(); ++i)
        slots[i] = reinterpret_cast<VstEvent*>(&midiQueue[i]);

    dispatch(effProcessEvents, 0, 0, record);
}

void Vst2Host::process(float** inputs, float** outputs, int frames)
{
    if (frames < 0)
        return;

    {
        const ProcessScope scope;
        deliverMidi();
        aeffect->processReplacing(aeffect, inputs, outputs, frames);
    }

    // The plug-in may keep pointers into the record until the next block; only now is it
    // done with the events.
    midiQueue.clear();

    if (transport.advance && transport.playing && currentSampleRate > 0.0f)
    {
        transport.samplePosition += frames;
        transport.ppqPosition +=
            frames * transport.tempo / (60.0 * static_cast<double>(currentSampleRate));
    }
}

void Vst2Host::runBlocks(std::vector<float>* channels[2], int numChannels, std::size_t length,
                         int blockSize)
{
    const auto frames = static_cast<std::size_t>(std::max(1, blockSize));
    const int numIn = std::max(0, aeffect->numInputs);
    const int numOut = std::max(0, aeffect->numOutputs);

    std::vector<std::vector<float>> in(static_cast<std::size_t>(numIn), std::vector<float>(frames));
    std::vector<std::vector<float>> out(static_cast<std::size_t>(numOut),
                                        std::vector<float>(frames));
    std::vector<float*> inPointers;
    std::vector<float*> outPointers;
    for (auto& channel : in)
        inPointers.push_back(channel.data());
    for (auto& channel : out)
        outPointers.push_back(channel.data());

    for (std::size_t start = 0; start < length; start += frames)
    {
        const std::size_t count = std::min(frames, length - start);

        for (int c = 0; c < numIn; ++c)
        {
            auto& buffer = in[static_cast<std::size_t>(c)];
            if (c < numChannels)
                std::copy_n(channels[c]->begin() + static_cast<std::ptrdiff_t>(start), count,
                            buffer.begin());
            else
                std::fill_n(buffer.begin(), count, 0.0f);
        }

        process(inPointers.data(), outPointers.data(), static_cast<int>(count));

        for (int c = 0; c < numChannels; ++c)
        {
            auto target = channels[c]->begin() + static_cast<std::ptrdiff_t>(start);
            if (c < numOut)
                std::copy_n(out[static_cast<std::size_t>(c)].begin(), count, target);
            else
                std::fill_n(target, count, 0.0f);
        }
    }
}

void Vst2Host::processStereo(std::vector<float>& left, std::vector<float>& right, int blockSize)
{
    std::vector<float>* channels[2] = {&left, &right};
    runBlocks(channels, 2, std::min(left.size(), right.size()), blockSize);
}

void Vst2Host::processMono(std::vector<float>& samples, int blockSize)
{
    std::vector<float>* channels[2] = {&samples, nullptr};
    runBlocks(channels, 1, samples.size(), blockSize);
}

bool Vst2Host::editorRect(int& width, int& height)
{
    ERect* rect = nullptr;
    dispatch(effEditGetRect, 0, 0, &rect);

    if (rect == nullptr)
        return false;

    width = rect->right - rect->left;
    height = rect->bottom - rect->top;
    return true;
}

bool Vst2Host::openEditor(void* parentWindow)
{
    if (editorOpen)
        return true;

    editorOpen = dispatch(effEditOpen, 0, 0, parentWindow) != 0;
    return editorOpen;
}

void Vst2Host::closeEditor()
{
    if (!editorOpen)
        return;

    dispatch(effEditClose);
    editorOpen = false;
}

void Vst2Host::idle()
{
    dispatch(effEditIdle);
}

std::vector<int> Vst2Host::receivedOpcodes() const
{
    const std::lock_guard<std::mutex> lock(recordLock);
    return opcodes;
}

int Vst2Host::countOf(int opcode) const
{
    const std::lock_guard<std::mutex> lock(recordLock);
    const auto found = opcodeCounts.find(opcode);
    return found == opcodeCounts.end() ? 0 : found->second;
}

std::vector<Vst2Host::Automation> Vst2Host::automations() const
{
    const std::lock_guard<std::mutex> lock(recordLock);
    return automationRecord;
}

std::vector<int> Vst2Host::beginEdits() const
{
    const std::lock_guard<std::mutex> lock(recordLock);
    return beginEditRecord;
}

std::vector<int> Vst2Host::endEdits() const
{
    const std::lock_guard<std::mutex> lock(recordLock);
    return endEditRecord;
}

std::vector<Vst2Host::WindowSize> Vst2Host::windowSizeRequests() const
{
    const std::lock_guard<std::mutex> lock(recordLock);
    return sizeRecord;
}

void Vst2Host::clearRecords()
{
    const std::lock_guard<std::mutex> lock(recordLock);
    opcodes.clear();
    opcodeCounts.clear();
    automationRecord.clear();
    beginEditRecord.clear();
    endEditRecord.clear();
    sizeRecord.clear();
}

void Vst2Host::record(int32_t opcode)
{
    const std::lock_guard<std::mutex> lock(recordLock);
    ++opcodeCounts[opcode];
    if (opcodes.size() < maxRecordedOpcodes)
        opcodes.push_back(opcode);
}

VstIntPtr VSTCALLBACK Vst2Host::hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                             VstIntPtr value, void* ptr, float opt)
{
    if (auto* host = findHost(effect))
        return host->handleCallback(opcode, index, static_cast<intptr_t>(value), ptr, opt);

    // A call for an instance we no longer (or never) knew: the interface version is the one
    // answer that does not depend on an instance.
    return opcode == audioMasterVersion ? 2400 : 0;
}

intptr_t Vst2Host::handleCallback(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                  float opt)
{
    record(opcode);

    switch (opcode)
    {
    case audioMasterAutomate:
    {
        const std::lock_guard<std::mutex> lock(recordLock);
        automationRecord.push_back({index, opt});
        return 1;
    }

    case audioMasterVersion:
        return versionReply;

    case audioMasterIdle:
    case audioMasterUpdateDisplay:
        return 1;

    case audioMasterGetTime:
        return answerTimeInfo();

    case audioMasterSizeWindow:
    {
        const std::lock_guard<std::mutex> lock(recordLock);
        sizeRecord.push_back({index, static_cast<int>(value)});
        return 1;
    }

    case audioMasterGetSampleRate:
        return static_cast<intptr_t>(currentSampleRate);

    case audioMasterGetBlockSize:
        return currentBlockSize;

    case audioMasterGetCurrentProcessLevel:
        return processDepth > 0 ? 2 : 1; // realtime inside process, else the user thread

    case audioMasterGetVendorString:
        copyHostString(ptr, hostVendorName);
        return 1;

    case audioMasterGetProductString:
        copyHostString(ptr, hostProductName);
        return 1;

    case audioMasterCanDo:
    {
        if (ptr == nullptr)
            return 0;

        static const char* const supported[] = {
            "sendVstEvents",       "sendVstMidiEvent", "sendVstTimeInfo", "receiveVstEvents",
            "receiveVstMidiEvent", "sizeWindow",       "startStopProcess"};
        const char* query = static_cast<const char*>(ptr);
        for (const char* text : supported)
            if (std::strcmp(query, text) == 0)
                return 1;
        return 0;
    }

    case audioMasterBeginEdit:
    {
        const std::lock_guard<std::mutex> lock(recordLock);
        beginEditRecord.push_back(index);
        return 1;
    }

    case audioMasterEndEdit:
    {
        const std::lock_guard<std::mutex> lock(recordLock);
        endEditRecord.push_back(index);
        return 1;
    }

    default:
        return 0;
    }
}

intptr_t Vst2Host::answerTimeInfo()
{
    if (!transport.hasTimeInfo)
        return 0;

    const Transport& t = transport;
    timeInfo = VstTimeInfo{};
    timeInfo.samplePos = t.samplePosition;
    timeInfo.sampleRate = currentSampleRate;
    timeInfo.nanoSeconds = monotonicNanoseconds();
    timeInfo.ppqPos = t.ppqPosition;
    timeInfo.tempo = t.tempo;
    timeInfo.timeSigNumerator = t.timeSigNumerator;
    timeInfo.timeSigDenominator = t.timeSigDenominator;

    // Start of the current bar in quarter notes. The tiny allowance keeps a position that
    // reached a bar line by summing block lengths from landing just before it.
    const double quartersPerBar =
        t.timeSigDenominator > 0 ? t.timeSigNumerator * 4.0 / t.timeSigDenominator : 0.0;
    if (quartersPerBar > 0.0)
        timeInfo.barStartPos = std::floor(t.ppqPosition / quartersPerBar + 1.0e-9) * quartersPerBar;

    timeInfo.flags =
        kVstNanosValid | kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid;
    if (t.playing)
        timeInfo.flags |= kVstTransportPlaying;
    if (t.playing != reportedPlaying)
        timeInfo.flags |= kVstTransportChanged;
    reportedPlaying = t.playing;

    return reinterpret_cast<intptr_t>(&timeInfo);
}
