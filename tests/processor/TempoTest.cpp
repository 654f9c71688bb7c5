// Following the host's tempo and song position: when the engine's tempo changes, when the LFO
// phase is taken from the position, and what the miditrigger switch turns off.

#include "KivCore.h"
#include "TestPlayHead.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{
class TempoTest : public ::testing::Test
{
protected:
    void SetUp() override { makeCore(); }

    // A new instance at the host rate it was built for, so that no sample-rate step runs.
    void makeCore()
    {
        if (core != nullptr)
        {
            core->setPlayHead(nullptr);
        }
        core = std::make_unique<KivCore>();
        core->setRateAndBufferSizeDetails(44100.0, 512);
        core->setPlayHead(&playHead);
    }

    void TearDown() override { core->setPlayHead(nullptr); }

    // A block without samples runs the tempo step alone, so phases read afterwards are exactly
    // what the step wrote.
    void runTempoStep()
    {
        juce::AudioBuffer<float> buffer(2, 0);
        juce::MidiBuffer midi;
        core->processBlock(buffer, midi);
    }

    float expectedIncrement(int mode, float bpm) const
    {
        Engine reference(44100.0f);
        reference.bpm.store(bpm);
        reference.setSync(mode, core->getParameter(5));
        return reference.leftLfo.increment.load();
    }

    // A valid increment that no setSync call of these tests produces, to see whether one ran.
    static constexpr float untouchedIncrement = 0.5f;

    TestPlayHead playHead;
    std::unique_ptr<KivCore> core;
};

TEST_F(TempoTest, AHostTempoIsAppliedOnceAndAnUnchangedRecordDoesNothing)
{
    // Program 0 runs sync mode 4 (one cycle per beat).
    playHead.set(140.0, 0.0);
    runTempoStep();
    EXPECT_EQ(core->engine.bpm.load(), 140.0f);
    EXPECT_EQ(core->engine.leftLfo.increment.load(), expectedIncrement(4, 140.0f));
    EXPECT_EQ(core->lastPosition.bpm, 140.0);

    core->engine.leftLfo.increment.store(untouchedIncrement);
    core->engine.rightLfo.phase.store(33.0f);
    runTempoStep();
    EXPECT_EQ(core->engine.leftLfo.increment.load(), untouchedIncrement);
    EXPECT_EQ(core->engine.rightLfo.phase.load(), 33.0f);
}

TEST_F(TempoTest, TempoOutsideTheUsableRangeIsRecordedButNotApplied)
{
    struct Row
    {
        double hostBpm;
        bool recorded;
    };
    const Row rows[] = {{600.0, true}, {500.0, true}, {1.0, true}, {0.0, false}, {-10.0, false}};
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.hostBpm);
        makeCore();
        core->engine.leftLfo.increment.store(untouchedIncrement);
        playHead.set(row.hostBpm, 0.0);
        runTempoStep();
        EXPECT_EQ(core->engine.bpm.load(), 120.0f);
        EXPECT_EQ(core->lastPosition.bpm, row.recorded ? row.hostBpm : 120.0);
        if (!row.recorded)
        {
            EXPECT_EQ(core->engine.leftLfo.increment.load(), untouchedIncrement);
        }
    }
}

TEST_F(TempoTest, WithoutAPositionTheTempoFallsBackTo120)
{
    playHead.set(90.0, 0.0);
    runTempoStep();
    ASSERT_EQ(core->engine.bpm.load(), 90.0f);

    playHead.hasPosition = false;
    runTempoStep();
    EXPECT_EQ(core->engine.bpm.load(), 120.0f);
    EXPECT_EQ(core->engine.leftLfo.increment.load(), expectedIncrement(4, 120.0f));

    // Already at 120: nothing is recomputed, with or without a play head.
    core->engine.leftLfo.increment.store(untouchedIncrement);
    runTempoStep();
    core->setPlayHead(nullptr);
    runTempoStep();
    EXPECT_EQ(core->engine.leftLfo.increment.load(), untouchedIncrement);
}

TEST_F(TempoTest, TempoLockedModesTakeTheirPhaseFromTheSongPosition)
{
    struct Row
    {
        const char* name;
        float lfoSync;
        double hostBpm;
        double ppq;
        float expectedPhase; // negative: the phase is not touched
    };
    // Mode 4 at 120 bpm: 255/256 of a cycle per quarter note.
    const Row rows[] = {
        {"mode 4, half a beat", 1.0f / 6.0f, 120.0, 0.5, 127.5f},
        {"mode 4, a beat and a quarter", 1.0f / 6.0f, 120.0, 1.25, 62.75f},
        {"mode 2 counts too", 1.0f / 18.0f, 120.0, 0.5, 254.0f},
        {"600 bpm is used for the phase", 1.0f / 6.0f, 600.0, 2.0, 102.0f},
        {"free mode never", 0.0f, 120.0, 0.5, -1.0f},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.name);
        makeCore();
        playHead.position = {};
        core->setParameter(6, row.lfoSync);
        core->engine.rightLfo.phase.store(33.0f);
        core->engine.leftLfo.phase.store(33.0f);
        playHead.set(row.hostBpm, row.ppq);
        runTempoStep();
        const float expected = row.expectedPhase < 0.0f ? 33.0f : row.expectedPhase;
        EXPECT_NEAR(core->engine.rightLfo.phase.load(), expected, 0.01f);
        EXPECT_NEAR(core->engine.leftLfo.phase.load(), expected, 0.01f);
    }
}

TEST_F(TempoTest, AChangeInAnyFieldOfTheRecordCountsTheTimeInSecondsIncluded)
{
    playHead.set(120.0, 0.5);
    playHead.position.setTimeInSeconds(1.0);
    runTempoStep();
    ASSERT_NEAR(core->engine.rightLfo.phase.load(), 127.5f, 0.01f);

    core->engine.rightLfo.phase.store(33.0f);
    runTempoStep();
    EXPECT_EQ(core->engine.rightLfo.phase.load(), 33.0f);

    playHead.position.setTimeInSeconds(2.0);
    runTempoStep();
    EXPECT_NEAR(core->engine.rightLfo.phase.load(), 127.5f, 0.01f);
}

TEST_F(TempoTest, MidiTriggerDecidesBetweenHostTimelineAndNoteRestarts)
{
    struct Row
    {
        const char* name;
        float midiTrigger;
        bool followsHost;
        bool notesRestart;
    };
    const Row rows[] = {{"0 follows the host", 0.0f, true, false},
                        {"0.49 follows the host", 0.49f, true, false},
                        {"exactly 0.5 does neither", 0.5f, false, false},
                        {"0.51 restarts on notes", 0.51f, false, true},
                        {"1 restarts on notes", 1.0f, false, true}};
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.name);
        makeCore();
        core->setParameter(14, row.midiTrigger);
        playHead.set(140.0, 0.5);

        juce::AudioBuffer<float> buffer(2, 4);
        buffer.clear();
        juce::MidiBuffer midi;
        const juce::uint8 silentNote[] = {0x93, 60, 0};
        const juce::uint8 noteOn[] = {0x93, 60, 100};
        midi.addEvent(silentNote, 3, 1);
        midi.addEvent(noteOn, 3, 3);
        core->engine.rightLfo.phase.store(200.0f);
        core->processBlock(buffer, midi);

        EXPECT_EQ(core->engine.bpm.load(), row.followsHost ? 140.0f : 120.0f);
        EXPECT_EQ(core->lastPosition.bpm, row.followsHost ? 140.0 : 120.0);
        // A restart at sample 3 leaves exactly one tick of phase; the velocity-0 note at
        // sample 1 restarts nothing.
        const float increment = core->engine.rightLfo.increment.load();
        if (row.notesRestart)
        {
            EXPECT_EQ(core->engine.rightLfo.phase.load(), increment);
        }
        else
        {
            EXPECT_GT(core->engine.rightLfo.phase.load(), 3.0f * increment);
        }
    }
}
} // namespace
