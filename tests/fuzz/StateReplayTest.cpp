// Replays the fuzzer's seed corpus and every input the fuzzer ever broke the state reader with
// through the same checks, in the normal test suite: a fixed fault stays fixed.

#include "KivCore.h"
#include "StateCheck.h"

#include <juce_events/juce_events.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace
{
std::vector<juce::File> inputsIn(const char* folder)
{
    const auto files = juce::File(folder).findChildFiles(juce::File::findFiles, false);
    std::vector<juce::File> inputs(files.begin(), files.end());
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

void replay(const std::vector<juce::File>& inputs)
{
    // One processor for all, as in the fuzzer, and a fresh one per input: the promises must
    // hold after any history.
    KivCore longLived;
    for (const auto& file : inputs)
    {
        SCOPED_TRACE(file.getParentDirectory().getFileName().toStdString() + "/" +
                     file.getFileName().toStdString());
        juce::MemoryBlock bytes;
        ASSERT_TRUE(file.loadFileAsData(bytes));
        const auto* data = static_cast<const uint8_t*>(bytes.getData());
        EXPECT_EQ(StateCheck::applyAndCheck(longLived, data, bytes.getSize()), "");
        KivCore fresh;
        EXPECT_EQ(StateCheck::applyAndCheck(fresh, data, bytes.getSize()), "");
    }
}
} // namespace

TEST(StateReplayTest, SeedCorpusAndRecordedFindingsKeepThePromises)
{
    const auto seeds = inputsIn(KIV_FUZZ_CORPUS_DIR);
    ASSERT_GE(seeds.size(), 5u) << "the seed corpus is missing from " << KIV_FUZZ_CORPUS_DIR;
    auto inputs = inputsIn(KIV_FUZZ_REGRESSIONS_DIR);
    inputs.insert(inputs.end(), seeds.begin(), seeds.end());
    replay(inputs);
}

int main(int argc, char** argv)
{
    // The processor starts a message-thread timer and the framework's XML code expects its
    // singletons; no dispatch loop runs.
    const juce::ScopedJuceInitialiser_GUI framework;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
