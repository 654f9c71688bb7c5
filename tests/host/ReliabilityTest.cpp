// What the built plug-in does with input that a sane host never sends but real ones do: one
// non-finite or enormous sample, non-finite and far out-of-range parameter values, odd values
// in a stored state, extreme sample rates and block sizes, blocks of no samples and floods of
// MIDI events. Through the shared object only, as a host sees it.
//
// The rule throughout: nothing crashes, and once the bad value is gone the instance settles
// within a fraction of a second to finite output with signal in it again; it never stays stuck
// producing NaN or silence.

#include "PluginFixture.h"
#include "SeededRender.h"

#include <algorithm>
#include <cfloat>
#include <cstdint>
#include <limits>
#include <string>

namespace
{
constexpr int numPrograms = 10;
constexpr int numParams = 15;

constexpr int cutoffIndex = 1;
constexpr int midiLearnIndex = 13;

constexpr float infinity = std::numeric_limits<float>::infinity();
constexpr float notANumber = std::numeric_limits<float>::quiet_NaN();

// Time for the filter, the cutoff smoother (about 1000 samples) and the envelope follower to
// forget a reset, and the window measured after it; both at 44100 Hz.
constexpr std::size_t settleFrames = 11025;
constexpr std::size_t windowFrames = 11025;

// Peak of the noise input below, and the least output rms that counts as "signal": every
// factory program at every rate tried here passes well above this (the quietest case about
// 0.016), while a stuck instance gives the dither's 1e-8 or exact zeros.
constexpr float noiseAmplitude = 0.25f;
constexpr double minSignalRms = 0.005;

using SeededRender::Noise;

/** Index of the first non-finite sample, or the size when there is none. */
std::size_t firstNonFinite(const std::vector<float>& samples)
{
    for (std::size_t i = 0; i < samples.size(); ++i)
        if (!std::isfinite(samples[i]))
            return i;
    return samples.size();
}

bool allFinite(const std::vector<float>& samples)
{
    return firstNonFinite(samples) == samples.size();
}

/** The framework's binary container around a state text: magic, length, text, a zero. */
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

const char* const storedAttributes[] = {
    "cutoff",        "resonance",   "filtertype", "lfointensity", "lforate",
    "lfosync",       "lfowaveform", "volume",     "inputdrive",   "envelopeintensity",
    "envelopespeed", "lfowidth",    "miditrigger"};

/** A whole bank of ten programs, all with sane values but `attribute`, which gets `text`. */
std::string stateWith(const std::string& attribute, const std::string& text, int curprogram)
{
    std::string state = "<?xml version=\"1.0\" encoding=\"UTF-8\"?> <kiv curprogram=\"" +
                        std::to_string(curprogram) + "\" version=\"1\"><programs>";
    for (int p = 0; p < numPrograms; ++p)
    {
        state += "<program version=\"1.1\" programname=\"P" + std::to_string(p) + "\"";
        for (const char* name : storedAttributes)
        {
            // Band-pass (filtertype 0.4 is type 3) with moderate settings.
            const std::string sane = std::string(name) == "miditrigger"  ? "0.0"
                                     : std::string(name) == "filtertype" ? "0.4"
                                                                         : "0.5";
            state += std::string(" ") + name + "=\"" + (attribute == name ? text : sane) + "\"";
        }
        state += "/>";
    }
    state += "</programs><midimap/></kiv>";
    return state;
}
} // namespace

class ReliabilityTest : public PluginFixture
{
protected:
    /** Processes noise on both channels through the instance and returns the output. */
    void render(std::vector<float>& left, std::vector<float>& right, std::size_t frames,
                int block = blockSize)
    {
        left = noise.block(frames, noiseAmplitude);
        right = noise.block(frames, noiseAmplitude);
        host->processStereo(left, right, block);
    }

    /** After whatever went before: let the instance settle, then expect finite output on both
        channels with signal on both. */
    void expectSettledSignal(const std::string& when, float rate = sampleRate)
    {
        SCOPED_TRACE(when);
        // The settling times are counted at 44100 Hz; the engine's time constants scale with
        // the rate (the cutoff smoother's only partly, so this is generous below 44100).
        const double scale = std::max(1.0, static_cast<double>(rate) / sampleRate);
        std::vector<float> left, right;
        render(left, right, static_cast<std::size_t>(settleFrames * scale));
        render(left, right, static_cast<std::size_t>(windowFrames * scale));
        const std::size_t badLeft = firstNonFinite(left);
        const std::size_t badRight = firstNonFinite(right);
        EXPECT_EQ(badLeft, left.size()) << "left output " << left[badLeft % left.size()];
        EXPECT_EQ(badRight, right.size()) << "right output " << right[badRight % right.size()];
        if (badLeft == left.size() && badRight == right.size())
        {
            EXPECT_GT(rms(left), minSignalRms);
            EXPECT_GT(rms(right), minSignalRms);
        }
    }

    /** The checks after a recovered event: the instance settles, and then a program switch
        and a change of sample rate (suspended, as hosts do it) still give sound. */
    void expectRecoveryAndLaterChanges(int otherProgram)
    {
        expectSettledSignal("after the event");
        host->setProgram(otherProgram);
        expectSettledSignal("after switching to program " + std::to_string(otherProgram));
        host->suspend();
        host->setSampleRate(48000.0f);
        host->resume();
        expectSettledSignal("after a change to 48000 Hz");
    }

    Noise noise{12345u};
};

TEST_F(ReliabilityTest, OneNonFiniteOrHugeInputSampleIsForgotten)
{
    struct Row
    {
        const char* name;
        float value;
        bool left;
        bool right;
    };
    const Row rows[] = {
        {"+inf on the left", infinity, true, false},
        {"-inf on the right", -infinity, false, true},
        {"NaN on the left", notANumber, true, false},
        {"NaN on both", notANumber, true, true},
        {"4e12 on both (saturator overflow)", 4e12f, true, true},
        {"-4e12 on the right", -4e12f, false, true},
        {"1e20 on the left", 1e20f, true, false},
        {"largest float on both", FLT_MAX, true, true},
    };
    for (const Row& row : rows)
    {
        for (int program = 0; program < numPrograms; ++program)
        {
            SCOPED_TRACE(std::string(row.name) + ", program " + std::to_string(program));
            host->suspend();
            host->setSampleRate(sampleRate);
            host->resume();
            host->setProgram(program);
            std::vector<float> left, right;
            render(left, right, blockSize * 4);

            left = noise.block(blockSize * 2, noiseAmplitude);
            right = noise.block(blockSize * 2, noiseAmplitude);
            // Inside a block, not at its start.
            const std::size_t at = blockSize + 100;
            if (row.left)
                left[at] = row.value;
            if (row.right)
                right[at] = row.value;
            host->processStereo(left, right, blockSize);

            expectRecoveryAndLaterChanges((program + 3) % numPrograms);
        }
    }
}

TEST_F(ReliabilityTest, NonFiniteParameterValueIsForgottenOnceTheHostSendsASaneOne)
{
    const float badValues[] = {notANumber, infinity, -infinity};
    // A tempo-locked LFO program and a free-running one, so that lforate and lfosync reach
    // the LFO increment in both ways.
    const int programs[] = {1, 3};
    for (const int program : programs)
    {
        for (int index = 0; index < numParams; ++index)
        {
            for (const float bad : badValues)
            {
                SCOPED_TRACE("program " + std::to_string(program) + ", parameter " +
                             std::to_string(index) + " = " + std::to_string(bad));
                host->suspend();
                host->setSampleRate(sampleRate);
                host->resume();
                host->setProgram(program);
                std::vector<float> left, right;
                render(left, right, blockSize * 2);

                host->setParameter(index, bad);
                render(left, right, blockSize * 4);
                host->setParameter(index, 0.5f);

                expectRecoveryAndLaterChanges((program + 1) % numPrograms);
            }
        }
    }
}

TEST_F(ReliabilityTest, FarOutOfRangeParameterValuesKeepTheOutputFinite)
{
    constexpr int volumeIndex = 8;
    struct Value
    {
        float value;
        // The output gain of volume is 8 v^3 with nothing to limit it: for a volume this far out
        // it is infinite, and so is the output while the value stays.
        bool overflowsVolumeGain;
    };
    const Value values[] = {{-1e30f, true},   {1e30f, true},   {-5.0f, false},  {7.0f, false},
                            {-FLT_MAX, true}, {FLT_MAX, true}, {1e-40f, false}, {-0.0f, false}};
    for (int index = 0; index < numParams; ++index)
    {
        for (const Value& row : values)
        {
            SCOPED_TRACE("parameter " + std::to_string(index) + " = " + std::to_string(row.value));
            host->setProgram(2);
            host->setParameter(index, row.value);
            EXPECT_EQ(host->getParameter(index), row.value) << "stored as sent";

            std::vector<float> left, right;
            render(left, right, blockSize * 8);
            if (!(index == volumeIndex && row.overflowsVolumeGain))
            {
                const std::size_t bad = std::min(firstNonFinite(left), firstNonFinite(right));
                EXPECT_EQ(bad, left.size()) << "first non-finite output at frame " << bad;
            }

            host->setParameter(index, 0.5f);
            expectSettledSignal("after the parameter is back at 0.5");
        }
    }
}

TEST_F(ReliabilityTest, OddValuesInAStoredStateKeepTheOutputFinite)
{
    // One attribute at a time, in all ten programs of the state: each program is then played.
    const char* const texts[] = {"-1e30", "1e30",  "-5",           "7",      "nan", "inf",
                                 "-inf",  "1e999", "-1e999",       "1e-45",  "-0",  "garbage",
                                 "",      "0x10",  "3.4028236e38", "  0.5  "};
    for (const char* attribute : storedAttributes)
    {
        for (const char* text : texts)
        {
            SCOPED_TRACE(std::string(attribute) + "=\"" + text + "\"");
            host->setChunk(wrapState(stateWith(attribute, text, 4)));
            ASSERT_EQ(host->program(), 4);
            for (int program = 0; program < numPrograms; ++program)
            {
                host->setProgram(program);
                std::vector<float> left, right;
                render(left, right, blockSize * 2);
                const bool volumeOverflows =
                    std::string(attribute) == "volume" && std::abs(host->getParameter(8)) > 1e12f;
                if (!volumeOverflows)
                {
                    ASSERT_TRUE(allFinite(left) && allFinite(right)) << "program " << program;
                }
                for (int index = 0; index < numParams; ++index)
                    ASSERT_TRUE(std::isfinite(host->getParameter(index))) << "parameter " << index;
            }
        }
    }
}

TEST_F(ReliabilityTest, EveryProgramSoundsAtSampleRatesFrom8000To384000)
{
    const float rates[] = {8000.0f,  11025.0f, 16000.0f,  22050.0f,  32000.0f,  44100.0f, 48000.0f,
                           88200.0f, 96000.0f, 176400.0f, 192000.0f, 352800.0f, 384000.0f};
    for (const float rate : rates)
    {
        host->suspend();
        host->setSampleRate(rate);
        host->resume();
        for (int program = 0; program < numPrograms; ++program)
        {
            host->setProgram(program);
            expectSettledSignal(std::to_string(static_cast<int>(rate)) + " Hz, program " +
                                    std::to_string(program),
                                rate);
        }
    }
}

TEST_F(ReliabilityTest, NonsenseSampleRatesFromTheHostAreSurvived)
{
    const float rates[] = {0.0f, -44100.0f, 1.0f, 1e9f, notANumber, infinity, -infinity};
    for (const float rate : rates)
    {
        SCOPED_TRACE("host rate " + std::to_string(rate));
        host->suspend();
        host->setSampleRate(rate);
        host->resume();
        host->setProgram(1);
        std::vector<float> left, right;
        render(left, right, blockSize * 8);
        EXPECT_TRUE(allFinite(left) && allFinite(right));

        host->suspend();
        host->setSampleRate(sampleRate);
        host->resume();
        expectSettledSignal("back at 44100 Hz");
    }
}

TEST_F(ReliabilityTest, NonsenseTempoAndSongPositionFromTheHostAreSurvived)
{
    constexpr double dInfinity = std::numeric_limits<double>::infinity();
    constexpr double dNotANumber = std::numeric_limits<double>::quiet_NaN();
    struct Row
    {
        const char* name;
        double tempo;
        double ppqPosition;
    };
    const Row rows[] = {
        {"tempo NaN", dNotANumber, 0.0},
        {"tempo +inf", dInfinity, 0.0},
        {"tempo -inf", -dInfinity, 0.0},
        {"tempo 0", 0.0, 0.0},
        {"tempo -120", -120.0, 0.0},
        {"tempo 1e-300", 1e-300, 0.0},
        {"tempo 1e308", 1e308, 0.0},
        {"position NaN", 120.0, dNotANumber},
        {"position +inf", 120.0, dInfinity},
        {"position -inf", 120.0, -dInfinity},
        {"position -1e300", 120.0, -1e300},
        {"position 1e18", 120.0, 1e18},
        {"both NaN", dNotANumber, dNotANumber},
    };
    // Program 1's LFO is locked to the tempo, so it takes its phase from the song position.
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        host->setProgram(1);
        host->transport.tempo = row.tempo;
        host->transport.ppqPosition = row.ppqPosition;
        std::vector<float> left, right;
        render(left, right, blockSize * 8);
        EXPECT_TRUE(allFinite(left) && allFinite(right));

        host->transport.tempo = 120.0;
        host->transport.ppqPosition = 0.0;
        expectSettledSignal("with a sane transport again");
    }
}

TEST_F(ReliabilityTest, BlockSizesFromOneTo8192GiveTheSameOutput)
{
    // Free-running sine LFO, envelope and resonance all at work.
    constexpr int program = 3;
    constexpr std::size_t numFrames = 3 * SeededRender::largestBlock + 1234;
    const auto renderInBlocks = [](const std::vector<int>& sizes)
    {
        auto instance = SeededRender::freshInstance(pluginPath(), program);
        return instance != nullptr ? SeededRender::render(*instance, numFrames, sizes)
                                   : std::vector<float>();
    };
    const std::vector<float> reference = renderInBlocks({512});
    ASSERT_EQ(reference.size(), 2 * numFrames);
    ASSERT_TRUE(allFinite(reference));
    EXPECT_GT(rms(reference), minSignalRms);

    struct Row
    {
        const char* name;
        std::vector<int> sizes;
    };
    const Row rows[] = {
        {"1", {1}},
        {"2", {2}},
        {"3", {3}},
        {"64", {64}},
        {"511", {511}},
        {"513", {513}},
        {"4096", {4096}},
        {"8191", {8191}},
        {"8192", {8192}},
        {"mixed, with blocks of no samples", {0, 7, 8192, 0, 0, 1, 300, 0, 4000, 2, 0, 8191}},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(std::string("blocks of ") + row.name);
        const std::vector<float> output = renderInBlocks(row.sizes);
        ASSERT_EQ(output.size(), reference.size());
        const std::size_t difference = SeededRender::firstDifference(output, reference);
        EXPECT_EQ(difference, output.size())
            << "first difference at frame " << difference % numFrames << " of channel "
            << difference / numFrames;
    }
}

TEST_F(ReliabilityTest, FloodOfMidiEventsInOneBlock)
{
    // Controller 74 learned for cutoff, the usual way: learn on, touch cutoff, move the knob.
    host->setParameter(midiLearnIndex, 1.0f);
    host->setParameter(cutoffIndex, 0.7f);
    host->queueMidi(0, 0xb0, 74, 64);
    std::vector<float> left, right;
    render(left, right, blockSize);
    host->setParameter(midiLearnIndex, 0.0f);
    ASSERT_FLOAT_EQ(host->getParameter(cutoffIndex), 64.0f / 127.0f) << "controller not learned";

    struct Row
    {
        const char* name;
        int blockFrames;
        int numEvents;
        int numAtOneSample; ///< of numEvents, all at sample blockFrames / 2
        int numBeyond;      ///< extra events at or past the end of the block
    };
    const Row rows[] = {
        {"5000 in a block of 512", 512, 5000, 0, 0},
        {"4000 in 512, 2000 of them at one sample, 300 beyond", 512, 4000, 2000, 300},
        {"3000 in a block of 1", 1, 3000, 3000, 10},
        {"10000 in a block of 8192", 8192, 10000, 500, 500},
    };
    uint32_t random = 7u;
    const auto nextRandom = [&random](uint32_t range)
    {
        random = random * 1664525u + 1013904223u;
        return (random >> 8) % range;
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        host->setBlockSize(std::max(row.blockFrames, blockSize));
        // Controller 74 (cutoff) everywhere, with notes, other controllers and malformed
        // messages between them. The buffer keeps events in position order, equal positions in
        // the order sent; so the value the cutoff ends at is that of the last controller 74
        // event at the latest position inside the block.
        int lastPosition = -1;
        int lastValue = -1;
        for (int e = 0; e < row.numEvents; ++e)
        {
            const int position =
                e < row.numAtOneSample
                    ? row.blockFrames / 2
                    : static_cast<int>(nextRandom(static_cast<uint32_t>(row.blockFrames)));
            switch (nextRandom(4))
            {
            case 0:
            case 1:
            {
                const int value = static_cast<int>(nextRandom(128));
                host->queueMidi(position, static_cast<uint8_t>(0xb0 + nextRandom(16)), 74,
                                static_cast<uint8_t>(value));
                if (position >= lastPosition)
                {
                    lastPosition = position;
                    lastValue = value;
                }
                break;
            }
            case 2:
                host->queueMidi(position, static_cast<uint8_t>(0x90 + nextRandom(16)),
                                static_cast<uint8_t>(nextRandom(128)),
                                static_cast<uint8_t>(nextRandom(128)));
                break;
            default:
            {
                // Any status outside the controller range, data bytes with the top bit
                // set, unbound controllers.
                uint8_t status = static_cast<uint8_t>(nextRandom(256));
                if ((status & 0xf0) == 0xb0)
                    status = 0xf7;
                host->queueMidi(position, status, static_cast<uint8_t>(nextRandom(256)),
                                static_cast<uint8_t>(nextRandom(256)));
                host->queueMidi(position, 0xb3, static_cast<uint8_t>(nextRandom(74)), 127);
                break;
            }
            }
        }
        for (int e = 0; e < row.numBeyond; ++e)
            host->queueMidi(row.blockFrames + static_cast<int>(nextRandom(1000)), 0xb0, 74, 0);

        render(left, right, static_cast<std::size_t>(row.blockFrames), row.blockFrames);
        EXPECT_TRUE(allFinite(left) && allFinite(right));
        ASSERT_GE(lastValue, 0);
        EXPECT_FLOAT_EQ(host->getParameter(cutoffIndex), static_cast<float>(lastValue) / 127.0f);
        expectSettledSignal("after the flood");
    }
}

TEST_F(ReliabilityTest, MidiEventsOutsideTheBlockAreSurvived)
{
    struct Row
    {
        const char* name;
        int blockFrames;
        std::vector<int> positions;
    };
    const Row rows[] = {
        {"negative positions", 512, {-1, -1000, 5, -2147483647 - 1}},
        {"far beyond the block", 512, {511, 512, 100000, 2147483647}},
        {"a block of no samples", 0, {0, 0, 1, 2}},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        for (const int position : row.positions)
        {
            host->queueMidi(position, 0xb0, 74, 99);
            host->queueMidi(position, 0x90, 60, 100);
        }
        // Real buffers even for a block of no samples, as hosts hand over.
        std::vector<float> left(static_cast<std::size_t>(std::max(row.blockFrames, 1)), 0.1f);
        std::vector<float> right = left;
        float* channels[2] = {left.data(), right.data()};
        host->process(channels, channels, row.blockFrames);
        EXPECT_TRUE(allFinite(left) && allFinite(right));
        expectSettledSignal("afterwards");
    }
}
