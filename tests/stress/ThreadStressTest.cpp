// One instance driven by several host threads at once, as real hosts do: an audio thread
// processing blocks (with the MIDI events of each block delivered just before it, on the same
// thread), an automation thread moving parameters, a thread switching and renaming programs,
// and one saving and restoring the state. Run under ThreadSanitizer, which fails the test on
// the first data race; the test itself checks that every value anyone reads back is one that
// was really written (no torn or invented values), that the output stays finite, and that the
// saved state is always a well-formed container.

#include "Vst2Host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace
{
constexpr int numPrograms = 10;
constexpr int numParams = 15;
constexpr int cutoffIndex = 1;
constexpr int midiLearnIndex = 13;
constexpr int learnedController = 74;

// The audio thread's share of the work; the other threads run until it is done.
constexpr int numBlocks = 20000;
constexpr int blockFrames = 128;

// What the automation thread writes: steps of 1/64 in 0..1.
constexpr int numAutomationSteps = 64;

/** A small generator per thread, so that no thread shares the C library's random source. */
class Random
{
public:
    explicit Random(uint32_t seed) : state(seed) {}
    uint32_t next(uint32_t range)
    {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % range;
    }

private:
    uint32_t state;
};

std::vector<uint8_t> wrapState(const std::string& text)
{
    std::vector<uint8_t> chunk = {'V', 'C', '2', '!'};
    const auto length = static_cast<uint32_t>(text.size());
    for (int shift = 0; shift < 32; shift += 8)
        chunk.push_back(static_cast<uint8_t>(length >> shift));
    chunk.insert(chunk.end(), text.begin(), text.end());
    chunk.push_back(0);
    return chunk;
}

/** A bank of its own: programs named "S<n>", values in 0.01..0.91 that differ from program to
    program, and controller 74 bound to cutoff. */
std::vector<uint8_t> stressState()
{
    const char* const attributes[] = {
        "cutoff",        "resonance",   "filtertype", "lfointensity", "lforate",
        "lfosync",       "lfowaveform", "volume",     "inputdrive",   "envelopeintensity",
        "envelopespeed", "lfowidth",    "miditrigger"};
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?> <kiv curprogram=\"5\" "
                       "version=\"1\"><programs>";
    for (int p = 0; p < numPrograms; ++p)
    {
        text += "<program version=\"1.1\" programname=\"S" + std::to_string(p) + "\"";
        int k = 0;
        for (const char* name : attributes)
        {
            const float value = std::string(name) == "miditrigger"
                                    ? 0.0f
                                    : static_cast<float>((p + ++k) % 7) / 7.0f * 0.9f + 0.01f;
            text += std::string(" ") + name + "=\"" + std::to_string(value) + "\"";
        }
        text += "/>";
    }
    text += "</programs><midimap><map param=\"1\" controllernumber=\"" +
            std::to_string(learnedController) + "\"/></midimap></kiv>";
    return wrapState(text);
}

bool isWellFormedContainer(const std::vector<uint8_t>& chunk)
{
    if (chunk.size() < 9 || std::memcmp(chunk.data(), "VC2!", 4) != 0 || chunk.back() != 0)
        return false;
    uint32_t length = 0;
    for (int i = 3; i >= 0; --i)
        length = (length << 8) | chunk[4 + static_cast<std::size_t>(i)];
    const std::string tail = "</kiv>";
    return length == chunk.size() - 9 &&
           std::equal(tail.begin(), tail.end(), chunk.end() - 1 - static_cast<long>(tail.size()));
}

/** Every value each parameter may legally read back, and every name a program may have. */
struct LegalValues
{
    std::set<float> values[numParams];
    std::set<std::string> names;

    bool has(int index, float value) const { return values[index].count(value) != 0; }
};

/** Collects what the plug-in reads back for every program of each state, plus what the
    threads will write. */
LegalValues collectLegalValues(Vst2Host& host, const std::vector<std::vector<uint8_t>>& states,
                               const std::vector<std::string>& renames)
{
    LegalValues legal;
    for (const auto& state : states)
    {
        host.setChunk(state);
        for (int p = 0; p < numPrograms; ++p)
        {
            host.setProgram(p);
            legal.names.insert(host.programName(p));
            for (int i = 0; i < numParams; ++i)
                legal.values[i].insert(host.getParameter(i));
        }
    }
    for (int i = 0; i < numParams; ++i)
        for (int k = 0; k <= numAutomationSteps; ++k)
            legal.values[i].insert(static_cast<float>(k) / numAutomationSteps);
    for (int d = 0; d < 128; ++d)
        legal.values[cutoffIndex].insert(static_cast<float>(d) / 127.0f);
    legal.names.insert(renames.begin(), renames.end());
    return legal;
}

/** What the threads found wrong, the first twenty of it; a thread that finds something keeps
    running, so that none of the others is left waiting. */
class Failures
{
public:
    void add(const std::string& what)
    {
        const std::lock_guard<std::mutex> lock(mutex);
        if (list.size() < 20)
            list.push_back(what);
    }
    std::vector<std::string> all() const
    {
        const std::lock_guard<std::mutex> lock(mutex);
        return list;
    }

private:
    mutable std::mutex mutex;
    std::vector<std::string> list;
};
} // namespace

TEST(ThreadStressTest, AudioAutomationProgramsStateAndMidiAtOnce)
{
    std::string error;
    auto host = Vst2Host::load(KIV_PLUGIN_PATH, error);
    ASSERT_NE(host, nullptr) << error;
    host->setSampleRate(44100.0f);
    host->setBlockSize(blockFrames);

    const std::vector<uint8_t> factoryState = host->getChunk();
    const std::vector<std::vector<uint8_t>> states = {factoryState, stressState()};
    // Short enough for the 24 characters a host is answered with.
    const std::vector<std::string> renames = {"Renamed A", "Renamed B, longer"};
    const LegalValues legal = collectLegalValues(*host, states, renames);
    host->setChunk(states[1]);
    host->resume();

    Failures failures;
    std::atomic<bool> audioDone{false};
    std::atomic<long> automationRounds{0}, programRounds{0}, stateRounds{0};

    // The host's audio thread; it also queues the block's MIDI, as hosts deliver
    // effProcessEvents on the audio thread just before each block.
    std::thread audio(
        [&]
        {
            Random random(1);
            std::vector<float> left(blockFrames), right(blockFrames);
            for (int block = 0; block < numBlocks; ++block)
            {
                for (int e = 0; e < 4; ++e)
                    host->queueMidi(static_cast<int>(random.next(blockFrames)), 0xb0,
                                    learnedController, static_cast<uint8_t>(random.next(128)));
                if (block % 16 == 0)
                    host->queueMidi(0, 0x90, 60, 100);
                for (int n = 0; n < blockFrames; ++n)
                {
                    left[static_cast<std::size_t>(n)] =
                        static_cast<float>(random.next(2001)) / 4000.0f - 0.25f;
                    right[static_cast<std::size_t>(n)] =
                        static_cast<float>(random.next(2001)) / 4000.0f - 0.25f;
                }
                float* channels[2] = {left.data(), right.data()};
                host->process(channels, channels, blockFrames);
                for (int n = 0; n < blockFrames; ++n)
                {
                    if (!std::isfinite(left[static_cast<std::size_t>(n)]) ||
                        !std::isfinite(right[static_cast<std::size_t>(n)]))
                    {
                        failures.add("non-finite output in block " + std::to_string(block));
                        break;
                    }
                }
            }
            audioDone = true;
        });

    // Automation from the host's own thread; reads back every parameter in between.
    std::thread automation(
        [&]
        {
            Random random(2);
            while (!audioDone)
            {
                int index = static_cast<int>(random.next(numParams));
                if (index == midiLearnIndex)
                    index = cutoffIndex;
                const float value =
                    static_cast<float>(random.next(numAutomationSteps + 1)) / numAutomationSteps;
                host->setParameter(index, value);
                for (int i = 0; i < numParams; ++i)
                {
                    const float read = host->getParameter(i);
                    if (!legal.has(i, read))
                        failures.add("parameter " + std::to_string(i) + " read back " +
                                     std::to_string(read) + ", which nobody wrote");
                }
                ++automationRounds;
            }
        });

    // Program switches and renames from the host's user-interface thread.
    std::thread programs(
        [&]
        {
            Random random(3);
            while (!audioDone)
            {
                const int program = static_cast<int>(random.next(numPrograms));
                host->setProgram(program);
                const int current = host->program();
                if (current < 0 || current >= numPrograms)
                    failures.add("current program " + std::to_string(current));
                const std::string name =
                    host->programName(static_cast<int>(random.next(numPrograms)));
                if (legal.names.count(name) == 0)
                    failures.add("a program is named \"" + name + "\", which nobody wrote");
                if (random.next(8) == 0)
                {
                    char rename[64];
                    std::strncpy(rename, renames[random.next(2)].c_str(), sizeof(rename) - 1);
                    rename[sizeof(rename) - 1] = '\0';
                    host->dispatch(effSetProgramName, 0, 0, rename);
                }
                ++programRounds;
            }
        });

    // The host saving and restoring the project.
    std::thread state(
        [&]
        {
            Random random(4);
            while (!audioDone)
            {
                const std::vector<uint8_t> saved = host->getChunk(random.next(2) == 0);
                if (!isWellFormedContainer(saved))
                    failures.add("a saved state of " + std::to_string(saved.size()) +
                                 " bytes is not a well-formed container");
                host->setChunk(random.next(3) == 0 ? saved : states[random.next(2)]);
                ++stateRounds;
            }
        });

    audio.join();
    automation.join();
    programs.join();
    state.join();

    for (const auto& failure : failures.all())
        ADD_FAILURE() << failure;
    RecordProperty("audioBlocks", numBlocks);
    RecordProperty("automationRounds", static_cast<int>(automationRounds.load()));
    RecordProperty("programRounds", static_cast<int>(programRounds.load()));
    RecordProperty("stateRounds", static_cast<int>(stateRounds.load()));
    std::printf("audio blocks %d, automation rounds %ld, program rounds %ld, state rounds %ld\n",
                numBlocks, automationRounds.load(), programRounds.load(), stateRounds.load());

    // Still a working instance afterwards.
    std::vector<float> left(4096, 0.1f), right(4096, -0.1f);
    host->processStereo(left, right, blockFrames);
    EXPECT_TRUE(std::all_of(left.begin(), left.end(), [](float s) { return std::isfinite(s); }));
    EXPECT_TRUE(isWellFormedContainer(host->getChunk()));
}
