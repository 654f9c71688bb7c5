// Where kiv-render's files end up: through symbolic links, and nowhere at all when the run is
// interrupted.

#include "ScratchFolder.h"
#include "TestFiles.h"
#include "ToolRunner.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

TEST(KivRenderOutput, WritesThroughASymbolicLink)
{
    if (std::string(KIV_PLUGIN_PATH).empty())
        GTEST_SKIP() << "the plug-in is not part of this build";

    ScratchFolder dir;
    ASSERT_TRUE(TestFiles::writeAudio(dir.path("in.wav"), TestFiles::testSignal(44100, 2, 0.05),
                                      TestFiles::Format::wav, 24));
    dir.file().getChildFile("renders").createDirectory();
    std::filesystem::create_symlink("renders/latest.wav", dir.path("link.wav"));

    const ToolResult result = ToolRunner::render(
        {dir.path("in.wav"), "--plugin", KIV_PLUGIN_PATH, "-o", dir.path("link.wav")});
    ASSERT_EQ(result.status, 0) << result.err;

    EXPECT_TRUE(std::filesystem::is_symlink(dir.path("link.wav"))) << "the link stays a link";
    EXPECT_EQ(TestFiles::readAudio(dir.path("renders/latest.wav")).numFrames(), 2205u);
}

TEST(KivRenderOutput, InterruptedRenderLeavesNoFileBehind)
{
    if (std::string(KIV_PLUGIN_PATH).empty())
        GTEST_SKIP() << "the plug-in is not part of this build";

    ScratchFolder dir;
    ASSERT_TRUE(TestFiles::writeAudio(dir.path("in.wav"), TestFiles::testSignal(8000, 1, 0.05),
                                      TestFiles::Format::wav, 24));

    // Ten minutes of tail keep the render busy; the temporary output exists from before the
    // plug-in is loaded until the end, so once it shows the render is under way.
    const int pid = ToolRunner::start({dir.path("in.wav"), "--plugin", KIV_PLUGIN_PATH, "--tail",
                                       "600", "-o", dir.path("out.wav")});
    bool sawTemporary = false;

    for (int attempt = 0; attempt < 4000 && !sawTemporary; ++attempt)
    {
        for (const auto& [name, content] : TestFiles::listFolder(dir.path("")))
            sawTemporary = sawTemporary || name.rfind(".out.wav.", 0) == 0;

        if (!sawTemporary)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }

    ::kill(pid, SIGINT);
    const ToolResult result = ToolRunner::finish(pid);

    ASSERT_TRUE(sawTemporary) << result.err;
    EXPECT_EQ(result.status, 128 + SIGINT) << result.err;
    const auto listing = TestFiles::listFolder(dir.path(""));
    EXPECT_EQ(listing.size(), 1u);
    EXPECT_EQ(listing.count("in.wav"), 1u);
}
