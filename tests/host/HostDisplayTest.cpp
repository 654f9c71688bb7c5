#include "PluginFixture.h"

#include <chrono>
#include <thread>

namespace
{
// Waits, pumping the plug-in's idle call in case an editor-less host still drives it, until
// the plug-in has asked for the host's display to be refreshed, or gives up after two seconds.
bool waitForDisplayUpdate(Vst2Host& host)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (std::chrono::steady_clock::now() < deadline)
    {
        if (host.countOf(audioMasterUpdateDisplay) > 0)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return host.countOf(audioMasterUpdateDisplay) > 0;
}
} // namespace

// A host keeps its own copy of the parameter values for its controls and its saved
// project. After a program switch it must be told to read them again, or it shows and
// stores the old program's values beside the new program's chunk.
TEST_F(PluginFixture, ProgramSwitchAsksTheHostToReadTheValuesAgain)
{
    ASSERT_TRUE(waitForDisplayUpdate(*host)) << "construction applies program 0";
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    host->clearRecords();

    host->setParameter(1, 0.25f);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(host->countOf(audioMasterUpdateDisplay), 0)
        << "a parameter edit is no program change";

    host->setProgram(8);
    ASSERT_TRUE(waitForDisplayUpdate(*host));
    EXPECT_FLOAT_EQ(host->getParameter(3), 0.2f) << "the host reads program 8's values";

    host->clearRecords();
    host->setChunk(host->getChunk());
    EXPECT_TRUE(waitForDisplayUpdate(*host)) << "loading a state applies its program too";
}
