#include "StateCheck.h"

#include "KivCore.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

namespace
{
constexpr char containerMagic[4] = {'V', 'C', '2', '!'};
constexpr std::size_t containerHeaderSize = 8;
constexpr int numCheckFrames = 32;

std::vector<uint8_t> wrapAsChunk(const uint8_t* text, std::size_t size)
{
    std::vector<uint8_t> chunk(containerHeaderSize + size + 1, 0);
    std::memcpy(chunk.data(), containerMagic, sizeof(containerMagic));
    const auto length = juce::ByteOrder::swapIfBigEndian(static_cast<juce::uint32>(size));
    std::memcpy(chunk.data() + 4, &length, 4);
    if (size > 0)
        std::memcpy(chunk.data() + containerHeaderSize, text, size);
    return chunk;
}

std::string containerProblem(const juce::MemoryBlock& block)
{
    const auto size = block.getSize();
    const auto* bytes = static_cast<const uint8_t*>(block.getData());
    if (size < containerHeaderSize + 1)
        return "the written state is only " + std::to_string(size) + " bytes";
    if (std::memcmp(bytes, containerMagic, sizeof(containerMagic)) != 0)
        return "the written state does not start with the container's magic";
    juce::uint32 length = 0;
    std::memcpy(&length, bytes + 4, 4);
    if (juce::ByteOrder::swapIfBigEndian(length) != size - 9)
        return "the written length field is not the state's size minus 9";
    if (bytes[size - 1] != 0)
        return "the written state does not end in a zero byte";
    return {};
}

// The two states' texts around the first byte where they differ.
std::string firstDifference(const juce::MemoryBlock& a, const juce::MemoryBlock& b)
{
    const auto* x = static_cast<const char*>(a.getData());
    const auto* y = static_cast<const char*>(b.getData());
    std::size_t at = containerHeaderSize;
    while (at < a.getSize() && at < b.getSize() && x[at] == y[at])
        ++at;
    const std::size_t from = at > containerHeaderSize + 60 ? at - 60 : containerHeaderSize;
    const auto excerpt = [from](const char* text, std::size_t size)
    { return std::string(text + std::min(from, size), text + std::min(from + 120, size)); };
    return "  first: ..." + excerpt(x, a.getSize()) + "\n  then:  ..." + excerpt(y, b.getSize());
}

// Everything a state load may change, to tell what a rejected one changed.
struct Snapshot
{
    explicit Snapshot(KivCore& core)
    {
        for (int p = 0; p < KivCore::numPrograms; ++p)
        {
            names[p] = core.programs[p].name;
            for (int i = 0; i < Parameters::numParameters; ++i)
                values[p][i] = core.programs[p].values[i].load();
        }
        for (int c = 0; c < ProgramSlot::numControllers; ++c)
            controllerMap[c] = core.programs[0].controllerMap[c].load();
        for (int i = 0; i < Parameters::numParameters; ++i)
            params[i] = core.params[i].load();
    }

    bool operator==(const Snapshot& other) const
    {
        return std::equal(std::begin(names), std::end(names), std::begin(other.names)) &&
               std::memcmp(values, other.values, sizeof(values)) == 0 &&
               std::memcmp(controllerMap, other.controllerMap, sizeof(controllerMap)) == 0 &&
               std::memcmp(params, other.params, sizeof(params)) == 0;
    }

    juce::String names[KivCore::numPrograms];
    float values[KivCore::numPrograms][Parameters::numParameters] = {};
    int controllerMap[ProgramSlot::numControllers] = {};
    float params[Parameters::numParameters] = {};
};

// What holds after any load, accepted or not.
std::string bankProblem(KivCore& core)
{
    const int current = core.getCurrentProgram();
    if (current < 0 || current >= KivCore::numPrograms)
        return "current program " + std::to_string(current);
    for (int p = 0; p < KivCore::numPrograms; ++p)
    {
        for (int i = 0; i < Parameters::numParameters; ++i)
        {
            const float value = core.programs[p].values[i].load();
            if (!std::isfinite(value))
                return "program " + std::to_string(p) + " stores a non-finite value for " +
                       std::to_string(i);
        }
        for (int c = 0; c < ProgramSlot::numControllers; ++c)
        {
            if (core.programs[p].controllerMap[c].load() !=
                core.programs[0].controllerMap[c].load())
                return "program " + std::to_string(p) + " has its own binding of controller " +
                       std::to_string(c);
        }
    }
    return {};
}

// After an accepted load the engine runs the current program as stored.
std::string liveProgramProblem(KivCore& core)
{
    const int current = core.getCurrentProgram();
    for (int i = 0; i < Parameters::numParameters; ++i)
    {
        const float live = core.params[i].load();
        const float stored = core.programs[current].values[i].load();
        if (std::memcmp(&live, &stored, sizeof(float)) != 0)
            return "parameter " + std::to_string(i) + " runs at " + std::to_string(live) +
                   " but the current program stores " + std::to_string(stored);
    }
    return {};
}

// Reads the chunk and checks what the load did. A rejected chunk (it posts no change message)
// changes nothing but the current program number, which becomes 0; the engine keeps running
// what it ran.
std::string loadProblem(KivCore& core, const void* data, int size, bool& accepted)
{
    core.takeChangePending();
    const Snapshot before(core);
    core.setStateInformation(data, size);
    accepted = core.takeChangePending();
    if (auto problem = bankProblem(core); !problem.empty())
        return problem;
    if (accepted)
        return liveProgramProblem(core);
    if (core.getCurrentProgram() != 0)
        return "a rejected state left the current program at " +
               std::to_string(core.getCurrentProgram());
    if (!(Snapshot(core) == before))
        return "a rejected state changed the bank or the engine's values";
    return {};
}
} // namespace

namespace StateCheck
{
std::string applyAndCheck(KivCore& core, const uint8_t* data, std::size_t size)
{
    if (size > static_cast<std::size_t>(INT_MAX) - containerHeaderSize - 1)
        return {};

    const bool isContainer = size >= sizeof(containerMagic) &&
                             std::memcmp(data, containerMagic, sizeof(containerMagic)) == 0;
    std::vector<uint8_t> chunk =
        isContainer ? std::vector<uint8_t>(data, data + size) : wrapAsChunk(data, size);
    bool accepted = false;
    if (auto problem = loadProblem(core, chunk.empty() ? nullptr : chunk.data(),
                                   static_cast<int>(chunk.size()), accepted);
        !problem.empty())
        return "after reading the input: " + problem;

    juce::MemoryBlock written;
    core.getStateInformation(written);
    if (auto problem = containerProblem(written); !problem.empty())
        return problem;

    const int current = core.getCurrentProgram();
    if (auto problem =
            loadProblem(core, written.getData(), static_cast<int>(written.getSize()), accepted);
        !problem.empty())
        return "after reading the written state back: " + problem;
    if (!accepted)
        return "the state the processor wrote itself was rejected";
    if (core.getCurrentProgram() != current)
        return "the current program changed from " + std::to_string(current) + " to " +
               std::to_string(core.getCurrentProgram()) + " on reading the written state";

    juce::MemoryBlock rewritten;
    core.getStateInformation(rewritten);
    if (!(rewritten == written))
        return "reading the written state back and writing it again changes it:\n" +
               firstDifference(written, rewritten);

    // Whatever the values are, the engine must run on them (the sanitizers watch the rest).
    juce::AudioBuffer<float> buffer(2, numCheckFrames);
    for (int n = 0; n < numCheckFrames; ++n)
    {
        buffer.setSample(0, n, n % 2 == 0 ? 0.5f : -0.5f);
        buffer.setSample(1, n, 0.25f);
    }
    juce::MidiBuffer midi;
    core.processBlock(buffer, midi);
    return {};
}
} // namespace StateCheck
