// The bank of ten programs: switching, what a switch applies and resets, names, and edits that
// stay in their slot.

#include "KivCore.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{
class ProgramTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        core = std::make_unique<KivCore>();
        core->takeChangePending();
    }

    std::unique_ptr<KivCore> core;
};

TEST_F(ProgramTest, SwitchAppliesEverySlotValueToTheEngineAndEndsWithMidiLearnOff)
{
    core->setParameter(13, 1.0f);
    core->setCurrentProgram(4);

    EXPECT_EQ(core->getCurrentProgram(), 4);
    EXPECT_EQ(core->getParameter(3), 1.0f / 5.0f);
    EXPECT_EQ(core->getParameter(6), 7.0f / 9.0f);
    EXPECT_EQ(core->getParameter(7), 2.0f / 3.0f);
    EXPECT_EQ(core->getParameter(14), 0.0f);
    EXPECT_EQ(core->getParameter(13), 0.0f);
    EXPECT_EQ(core->lastParameterIndex.load(), 13);
    EXPECT_TRUE(core->takeChangePending());
    for (int index = 0; index < 15; ++index)
    {
        SCOPED_TRACE(index);
        EXPECT_EQ(core->params[index].load(), core->programs[4].values[index].load());
    }

    // Program 4 runs at sync mode 15 (8/3 cycles per beat at 120 bpm).
    Engine reference(44100.0f);
    reference.setSync(15, core->getParameter(5));
    EXPECT_EQ(core->engine.leftLfo.increment.load(), reference.leftLfo.increment.load());
}

TEST_F(ProgramTest, NumbersOutsideTheBankChangeNothing)
{
    core->setCurrentProgram(2);
    core->setParameter(1, 0.3f);
    core->takeChangePending();

    for (int index : {10, -1, 1000})
    {
        SCOPED_TRACE(index);
        core->setCurrentProgram(index);
        EXPECT_EQ(core->getCurrentProgram(), 2);
        EXPECT_EQ(core->lastParameterIndex.load(), 1);
        EXPECT_EQ(core->params[1].load(), 0.3f);
        EXPECT_FALSE(core->takeChangePending());
    }
}

TEST_F(ProgramTest, EditsStayInTheirSlotAcrossSwitches)
{
    core->setCurrentProgram(2);
    core->setParameter(1, 0.3f);
    core->setCurrentProgram(5);
    EXPECT_NE(core->getParameter(1), 0.3f);
    core->setCurrentProgram(2);
    EXPECT_EQ(core->getParameter(1), 0.3f);
    EXPECT_EQ(core->params[1].load(), 0.3f);
}

TEST_F(ProgramTest, NamesCanBeReadAndChangedWithoutAChangeMessage)
{
    EXPECT_EQ(core->getNumPrograms(), 10);
    EXPECT_EQ(core->getProgramName(9), juce::String("Lfo Reso  1/1 BP"));
    EXPECT_EQ(core->getProgramName(10), juce::String("Invalid"));
    EXPECT_EQ(core->getProgramName(-1), juce::String("Invalid"));

    core->changeProgramName(3, "Dark Sweep");
    EXPECT_EQ(core->getProgramName(3), juce::String("Dark Sweep"));
    core->changeProgramName(3, "");
    EXPECT_EQ(core->getProgramName(3), juce::String());
    core->changeProgramName(12, "nowhere");
    for (int index = 0; index < 10; ++index)
    {
        EXPECT_NE(core->getProgramName(index), juce::String("nowhere"));
    }
    EXPECT_FALSE(core->takeChangePending());
}

TEST_F(ProgramTest, ANewInstanceRunsProgramZeroWithLastIndexZero)
{
    EXPECT_EQ(core->getCurrentProgram(), 0);
    EXPECT_EQ(core->lastParameterIndex.load(), 0);
    EXPECT_EQ(core->params[1].load(), 1.0f);
    EXPECT_EQ(core->params[6].load(), 1.0f / 6.0f);
    EXPECT_EQ(core->sampleRate, 44100.0f);
}
} // namespace
