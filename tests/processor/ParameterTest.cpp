// The fifteen parameters as the host sees them: names, values, display texts, the engine values
// each one drives, and which calls raise a change message.

#include "KivCore.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>

namespace
{
class ParameterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        core = std::make_unique<KivCore>();
        core->takeChangePending();
    }

    std::unique_ptr<KivCore> core;
};

TEST_F(ParameterTest, NamesFollowTheTableAndOutOfRangeIndicesAreEmpty)
{
    struct Row
    {
        int index;
        const char* name;
    };
    const Row rows[] = {{-1, ""},
                        {0, ""},
                        {1, "cutoff"},
                        {3, "filtertype"},
                        {10, "envelopeintensity"},
                        {13, "Midi Learn"},
                        {14, "miditrigger"},
                        {15, ""},
                        {1000, ""}};
    EXPECT_EQ(core->getNumParameters(), 15);
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.index);
        EXPECT_EQ(core->getParameterName(row.index), juce::String(row.name));
    }
}

TEST_F(ParameterTest, DerivedEngineValuesFollowEachSetting)
{
    struct Row
    {
        const char* name;
        int index;
        float value;
        std::function<float(const Engine&)> field;
        float expected;
    };
    const auto lfoAmount = [](const Engine& e) { return e.lfoAmount.load(); };
    const auto envelopeAmount = [](const Engine& e) { return e.envelopeAmount.load(); };
    const auto volumeGain = [](const Engine& e) { return e.volumeGain.load(); };
    const auto inputDrive = [](const Engine& e) { return e.inputDrive.load(); };
    const Row rows[] = {
        {"lfointensity 0.75", 4, 0.75f, lfoAmount, 0.25f},
        {"lfointensity 0.25", 4, 0.25f, lfoAmount, -0.25f},
        {"lfointensity 0.5", 4, 0.5f, lfoAmount, 0.0f},
        {"lfointensity 1", 4, 1.0f, lfoAmount, 1.0f},
        {"envelopeintensity 0", 10, 0.0f, envelopeAmount, -1.0f},
        {"envelopeintensity 0.75", 10, 0.75f, envelopeAmount, 0.25f},
        {"volume 0.5", 8, 0.5f, volumeGain, 1.0f},
        {"volume 1", 8, 1.0f, volumeGain, 8.0f},
        {"volume 0", 8, 0.0f, volumeGain, 0.0f},
        {"inputdrive 0.5", 9, 0.5f, inputDrive, 0.125f},
        {"inputdrive 1", 9, 1.0f, inputDrive, 1.0f},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.name);
        core->setParameter(row.index, row.value);
        EXPECT_FLOAT_EQ(row.field(core->engine), row.expected);
        EXPECT_EQ(core->params[row.index].load(), row.value);
        EXPECT_EQ(core->getParameter(row.index), row.value);
        EXPECT_EQ(core->getParameterDefaultValue(row.index), row.value);
        EXPECT_EQ(core->lastParameterIndex.load(), row.index);
    }
}

TEST_F(ParameterTest, RateAndSyncEachSetTheLfoSpeedTogetherWithTheOtherStoredHalf)
{
    // Program 0 stores lfosync 1/6 (mode 4). A reference engine shows what setSync should
    // have been called with.
    struct Row
    {
        const char* name;
        float storedSync;
        float storedRate;
        int index;
        float value;
        int expectedMode;
        float expectedRate;
    };
    const Row rows[] = {
        {"lfosync 0.5 gives mode 10", 0.0f, 0.3f, 6, 0.5f, 10, 0.3f},
        {"lfosync 0 runs free at the stored rate", 0.5f, 0.3f, 6, 0.0f, 1, 0.3f},
        {"lfosync 1/18 gives mode 2", 0.0f, 0.3f, 6, 1.0f / 18.0f, 2, 0.3f},
        {"lfosync 1 gives mode 19", 0.0f, 0.3f, 6, 1.0f, 19, 0.3f},
        {"lforate in free mode", 0.0f, 0.1f, 5, 0.8f, 1, 0.8f},
        {"lforate in mode 10 keeps the tempo rate", 0.5f, 0.1f, 5, 0.8f, 10, 0.8f},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.name);
        core->setParameter(6, row.storedSync);
        core->setParameter(5, row.storedRate);
        core->setParameter(row.index, row.value);

        Engine reference(44100.0f);
        reference.setSync(row.expectedMode, row.expectedRate);
        EXPECT_EQ(core->engine.leftLfo.increment.load(), reference.leftLfo.increment.load());
        EXPECT_EQ(core->engine.rightLfo.increment.load(), reference.rightLfo.increment.load());
        // The stored value is the control value itself, never the mode.
        EXPECT_EQ(core->programs[0].values[row.index].load(), row.value);
        EXPECT_EQ(core->params[row.index].load(), row.value);
    }
}

TEST_F(ParameterTest, OutOfRangeIndicesChangeNothingAndPostNothing)
{
    core->setParameter(2, 0.25f);
    core->takeChangePending();
    const float cutoffBefore = core->getParameter(1);

    for (int index : {15, -1, 255, 1 << 30})
    {
        SCOPED_TRACE(index);
        core->setParameter(index, 0.3f);
        EXPECT_FALSE(core->takeChangePending());
        EXPECT_EQ(core->lastParameterIndex.load(), 2);
        EXPECT_EQ(core->getParameter(index), 0.0f);
        EXPECT_EQ(core->getParameterDefaultValue(index), 0.0f);
        EXPECT_EQ(core->getParameterText(index), juce::String());
    }
    EXPECT_EQ(core->getParameter(1), cutoffBefore);
}

TEST_F(ParameterTest, ValuesAreStoredUnclampedAndShownWithTwoDecimals)
{
    struct Row
    {
        float value;
        const char* text;
    };
    const Row rows[] = {{0.5f, "0.50"},
                        {1.0f, "1.00"},
                        {0.0f, "0.00"},
                        {1.5f, "1.50"},
                        {-0.25f, "-0.25"},
                        {1.0f / 3.0f, "0.33"},
                        {1.0e20f, "100000002004087734272.00"}};
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.text);
        core->setParameter(1, row.value);
        EXPECT_EQ(core->getParameter(1), row.value);
        EXPECT_EQ(core->params[1].load(), row.value);
        EXPECT_EQ(core->getParameterText(1), juce::String(row.text));
    }
}

TEST_F(ParameterTest, AcceptedChangesPostOneMergedMessageOnlyToListeners)
{
    struct CountingListener : juce::ChangeListener
    {
        void changeListenerCallback(juce::ChangeBroadcaster*) override { ++calls; }
        int calls = 0;
    };

    // Without a listener a pending change is dropped.
    core->setParameter(1, 0.2f);
    core->deliverPendingChange();
    EXPECT_FALSE(core->takeChangePending());

    CountingListener listener;
    core->addChangeListener(&listener);
    core->setParameter(1, 0.3f);
    core->setParameter(2, 0.4f);
    core->setCurrentProgram(3);
    core->deliverPendingChange();
    EXPECT_EQ(listener.calls, 1);

    core->deliverPendingChange();
    EXPECT_EQ(listener.calls, 1);

    core->setParameter(15, 0.4f);
    core->setCurrentProgram(10);
    core->changeProgramName(3, "renamed");
    core->deliverPendingChange();
    EXPECT_EQ(listener.calls, 1);

    core->removeChangeListener(&listener);
}
} // namespace
