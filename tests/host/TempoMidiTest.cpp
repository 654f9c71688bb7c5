// The host's timeline and MIDI, heard through the plug-in's binary interface: the LFO follows
// the song position only in tempo-locked modes and only while miditrigger is off; notes restart
// it; controllers are learned, move their parameter, and keep their binding in the state.

#include "PluginFixture.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace
{
constexpr int cutoffIndex = 1;
constexpr int resonanceIndex = 2;
constexpr int filterTypeIndex = 3;
constexpr int lfoIntensityIndex = 4;
constexpr int lfoSyncIndex = 6;
constexpr int lfoWaveformIndex = 7;
constexpr int envelopeIntensityIndex = 10;
constexpr int lfoWidthIndex = 12;
constexpr int midiLearnIndex = 13;
constexpr int midiTriggerIndex = 14;

constexpr float syncOneCyclePerBeat = 1.0f / 6.0f; // sync mode 4
constexpr float freeRunning = 0.0f;                // sync mode 1
constexpr std::size_t numFrames = 16384;
constexpr int samplesPerQuarterAt120 = 22050;
} // namespace

class TempoMidiTest : public PluginFixture
{
protected:
    struct Setting
    {
        float lfoSync;
        float midiTrigger;
        double startPpq;
    };

    /** A low-pass swept hard by a saw LFO, so the LFO's phase is plainly audible. */
    static void configure(Vst2Host& instance, const Setting& setting)
    {
        instance.setParameter(filterTypeIndex, 0.0f);
        instance.setParameter(cutoffIndex, 0.45f);
        instance.setParameter(resonanceIndex, 0.5f);
        instance.setParameter(lfoIntensityIndex, 1.0f);
        instance.setParameter(lfoWaveformIndex, 2.0f / 6.0f); // rising saw
        instance.setParameter(lfoWidthIndex, 0.0f);
        instance.setParameter(envelopeIntensityIndex, 0.5f);
        instance.setParameter(lfoSyncIndex, setting.lfoSync);
        instance.setParameter(midiTriggerIndex, setting.midiTrigger);
        instance.transport.tempo = 120.0;
        instance.transport.ppqPosition = setting.startPpq;
        instance.transport.samplePosition = setting.startPpq * samplesPerQuarterAt120;
        instance.transport.playing = true;
        instance.transport.advance = true;
    }

    std::unique_ptr<Vst2Host> loadInstance()
    {
        std::string error;
        auto instance = Vst2Host::load(pluginPath(), error);
        EXPECT_NE(instance, nullptr) << error;
        if (instance != nullptr)
        {
            instance->setSampleRate(sampleRate);
            instance->setBlockSize(blockSize);
            instance->resume();
        }
        return instance;
    }

    /** Renders a tone through a fresh instance. The dither and the random waveforms draw
        from the process's one rand() sequence, which is reseeded first. */
    std::vector<float> render(const Setting& setting, int noteAtFrame = -1)
    {
        auto instance = loadInstance();
        if (instance == nullptr)
        {
            return {};
        }
        configure(*instance, setting);
        std::vector<float> left = sine(220.0, numFrames, 0.3f);
        std::vector<float> right = left;
        std::srand(2024);
        if (noteAtFrame < 0)
        {
            instance->processStereo(left, right, blockSize);
            return left;
        }
        for (std::size_t start = 0; start < numFrames; start += blockSize)
        {
            const int block = static_cast<int>(start / blockSize);
            if (block == noteAtFrame / blockSize)
            {
                instance->queueMidi(noteAtFrame % blockSize, 0x97, 64, 100);
            }
            float* inputs[] = {left.data() + start, right.data() + start};
            instance->process(inputs, inputs, blockSize);
        }
        return left;
    }

    static double rmsDifference(const std::vector<float>& a, const std::vector<float>& b)
    {
        std::vector<float> difference(a.size());
        for (std::size_t i = 0; i < a.size(); ++i)
        {
            difference[i] = a[i] - b[i];
        }
        return rms(difference);
    }

    static std::size_t firstDifference(const std::vector<float>& a, const std::vector<float>& b)
    {
        std::size_t i = 0;
        while (i < a.size() && std::memcmp(&a[i], &b[i], sizeof(float)) == 0)
        {
            ++i;
        }
        return i;
    }
};

TEST_F(TempoMidiTest, TempoLockedLfoTakesItsPhaseFromTheSongPosition)
{
    // At 120 bpm in mode 4 the LFO runs 255/256 of a cycle per quarter note: 256 quarters
    // later it stands where it stood at 0, 128 quarters later it is half a cycle away.
    const auto atZero = render({syncOneCyclePerBeat, 0.0f, 0.0});
    const auto fullCyclesLater = render({syncOneCyclePerBeat, 0.0f, 256.0});
    const auto halfACycleLater = render({syncOneCyclePerBeat, 0.0f, 128.0});
    ASSERT_EQ(atZero.size(), numFrames);

    const double level = rms(atZero);
    EXPECT_LT(rmsDifference(atZero, fullCyclesLater), 0.01 * level);
    EXPECT_GT(rmsDifference(atZero, halfACycleLater), 0.3 * level);
}

TEST_F(TempoMidiTest, FreeRunningOrNoteTriggeredLfoIgnoresTheSongPosition)
{
    struct Row
    {
        const char* name;
        float lfoSync;
        float midiTrigger;
    };
    const Row rows[] = {{"free running", freeRunning, 0.0f},
                        {"note triggered", syncOneCyclePerBeat, 1.0f},
                        {"miditrigger exactly one half", syncOneCyclePerBeat, 0.5f}};
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.name);
        const auto atZero = render({row.lfoSync, row.midiTrigger, 0.0});
        const auto elsewhere = render({row.lfoSync, row.midiTrigger, 128.0});
        ASSERT_EQ(atZero.size(), numFrames);
        EXPECT_EQ(firstDifference(atZero, elsewhere), numFrames);
    }
}

TEST_F(TempoMidiTest, ANoteRestartsTheLfoAtItsOwnSampleOnlyWhileMiditriggerIsOn)
{
    constexpr int noteFrame = 8 * blockSize + 100;
    const auto withoutNote = render({syncOneCyclePerBeat, 1.0f, 0.0});
    const auto withNote = render({syncOneCyclePerBeat, 1.0f, 0.0}, noteFrame);
    ASSERT_EQ(withNote.size(), numFrames);
    EXPECT_EQ(firstDifference(withoutNote, withNote), static_cast<std::size_t>(noteFrame));

    const auto offWithoutNote = render({freeRunning, 0.5f, 0.0});
    const auto offWithNote = render({freeRunning, 0.5f, 0.0}, noteFrame);
    EXPECT_EQ(firstDifference(offWithoutNote, offWithNote), numFrames);
}

TEST_F(TempoMidiTest, ALearnedControllerMovesItsParameterAndTravelsWithTheState)
{
    host->setParameter(midiLearnIndex, 1.0f);
    host->setParameter(cutoffIndex, 0.7f);
    host->clearRecords();

    std::vector<float> left(blockSize, 0.0f);
    std::vector<float> right(blockSize, 0.0f);
    host->queueMidi(3, 0xb4, 74, 64); // channel 5
    host->processStereo(left, right, blockSize);
    EXPECT_EQ(host->getParameter(cutoffIndex), 64.0f / 127.0f);
    // The host is not told; it sees the value when it next reads it.
    for (const auto& automation : host->automations())
    {
        EXPECT_NE(automation.index, cutoffIndex);
    }

    // A program switch ends learning but keeps the binding.
    host->setProgram(8);
    EXPECT_EQ(host->getParameter(midiLearnIndex), 0.0f);
    host->queueMidi(0, 0xb0, 74, 127);
    host->queueMidi(1, 0xb0, 75, 10);
    host->processStereo(left, right, blockSize);
    EXPECT_EQ(host->getParameter(cutoffIndex), 1.0f);

    const auto chunk = host->getChunk();
    const std::string text(chunk.begin(), chunk.end());
    EXPECT_NE(text.find("<midimap><map param=\"1\" controllernumber=\"74\"/></midimap>"),
              std::string::npos);

    auto other = loadInstance();
    ASSERT_NE(other, nullptr);
    other->setChunk(chunk, true);
    other->queueMidi(0, 0xbf, 74, 0);
    other->processStereo(left, right, blockSize);
    EXPECT_EQ(other->getParameter(cutoffIndex), 0.0f);
}
