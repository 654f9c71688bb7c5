// Renders through the real plug-in: the demo, the input formats and sample formats, mono
// files, the state round trip, program selection and the host transport.

#include "ScratchFolder.h"
#include "TestFiles.h"
#include "ToolRunner.h"

#include <juce_graphics/juce_graphics.h>

#include <gtest/gtest.h>

#include <cmath>

namespace
{
bool havePlugin()
{
    return !std::string(KIV_PLUGIN_PATH).empty();
}

double rmsDifference(const AudioClip& a, const AudioClip& b)
{
    double sum = 0.0;
    std::size_t n = 0;

    for (std::size_t ch = 0; ch < a.channels.size() && ch < b.channels.size(); ++ch)
        for (std::size_t i = 0; i < a.numFrames() && i < b.numFrames(); ++i, ++n)
            sum += std::pow(a.channels[ch][i] - b.channels[ch][i], 2.0);

    return n == 0 ? 0.0 : std::sqrt(sum / static_cast<double>(n));
}

double rms(const AudioClip& clip)
{
    AudioClip silence = clip;

    for (auto& channel : silence.channels)
        std::fill(channel.begin(), channel.end(), 0.0f);

    return rmsDifference(clip, silence);
}

bool allFinite(const AudioClip& clip)
{
    for (const auto& channel : clip.channels)
        for (const float v : channel)
            if (!std::isfinite(v))
                return false;

    return true;
}
} // namespace

TEST(KivRender, DemoRendersTheSameBytesEveryTimeWithTheBuiltInPlugin)
{
    if (!havePlugin())
        GTEST_SKIP() << "the plug-in is not part of this build";

    ScratchFolder dir;
    // No --plugin and no KIV_PLUGIN: the .so built next to the tool is used.
    const ToolResult first =
        ToolRunner::render({"-o", dir.path("a.wav"), "--plot", dir.path("a.png")});
    const ToolResult second = ToolRunner::render({"-o", dir.path("b.wav")});
    ASSERT_EQ(first.status, 0) << first.err;
    ASSERT_EQ(second.status, 0) << second.err;

    const auto bytes = TestFiles::readBytes(dir.path("a.wav"));
    EXPECT_TRUE(bytes == TestFiles::readBytes(dir.path("b.wav")));

    int bits = 0;
    bool isFloat = false;
    const AudioClip demo = TestFiles::readAudio(dir.path("a.wav"), &bits, &isFloat);
    EXPECT_EQ(demo.numChannels(), 2);
    EXPECT_EQ(demo.sampleRate, 44100.0);
    EXPECT_EQ(demo.numFrames(), 8u * 44100u) << "four bars at 120 bpm";
    EXPECT_EQ(bits, 32);
    EXPECT_TRUE(isFloat);
    EXPECT_TRUE(allFinite(demo));
    EXPECT_GT(rms(demo), 0.01);
    EXPECT_LT(rms(demo), 2.0);

    const juce::Image plot = juce::ImageFileFormat::loadFrom(juce::File(dir.path("a.png")));
    ASSERT_TRUE(plot.isValid());
    EXPECT_EQ(plot.getWidth(), 1400);
    EXPECT_GT(plot.getHeight(), 600);
    EXPECT_EQ(TestFiles::listFolder(dir.path("")).size(), 3u) << "no temporary files left";
}

TEST(KivRender, WavAiffAndFlacInputsGiveOneRenderIn32And24Bits)
{
    if (!havePlugin())
        GTEST_SKIP() << "the plug-in is not part of this build";

    ScratchFolder dir;
    const AudioClip signal = TestFiles::testSignal(48000, 2, 0.3);
    const std::vector<std::string> common = {"--plugin",        KIV_PLUGIN_PATH, "--program",
                                             "Fast Env Guitar", "--tail",        "0.25"};

    struct Row
    {
        const char* name;
        TestFiles::Format format;
        const char* file;
    };

    const Row rows[] = {{"WAV", TestFiles::Format::wav, "in.wav"},
                        {"AIFF", TestFiles::Format::aiff, "in.aiff"},
                        {"FLAC", TestFiles::Format::flac, "in.flac"}};
    std::vector<std::uint8_t> reference;

    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(TestFiles::writeAudio(dir.path(row.file), signal, row.format, 24));
        std::vector<std::string> args = common;
        args.insert(args.end(), {dir.path(row.file), "-o", dir.path("out.wav")});
        const ToolResult result = ToolRunner::render(args);
        ASSERT_EQ(result.status, 0) << result.err;

        const auto bytes = TestFiles::readBytes(dir.path("out.wav"));

        if (reference.empty())
            reference = bytes;
        else
            EXPECT_TRUE(bytes == reference) << "the same samples must give the same render";
    }

    const AudioClip floatRender = TestFiles::readAudio(dir.path("out.wav"));
    EXPECT_EQ(floatRender.sampleRate, 48000.0);
    EXPECT_EQ(floatRender.numFrames(), signal.numFrames() + 12000u) << "0.25 s of tail";
    EXPECT_GT(rmsDifference(floatRender, signal), 0.001) << "the plug-in changed the sound";

    std::vector<std::string> args = common;
    args.insert(args.end(), {dir.path("in.wav"), "--bits", "24", "-o", dir.path("out24.wav")});
    const ToolResult result = ToolRunner::render(args);
    ASSERT_EQ(result.status, 0) << result.err;

    int bits = 0;
    bool isFloat = true;
    const AudioClip intRender = TestFiles::readAudio(dir.path("out24.wav"), &bits, &isFloat);
    EXPECT_EQ(bits, 24);
    EXPECT_FALSE(isFloat);
    ASSERT_EQ(intRender.numFrames(), floatRender.numFrames());

    double worst = 0.0;

    for (std::size_t ch = 0; ch < 2; ++ch)
        for (std::size_t i = 0; i < intRender.numFrames(); ++i)
            worst = std::max(worst, std::abs(static_cast<double>(intRender.channels[ch][i]) -
                                             std::clamp(floatRender.channels[ch][i], -1.0f, 1.0f)));

    EXPECT_LE(worst, 1.0 / 8388608.0) << "24-bit output is the float render, rounded";
}

TEST(KivRender, MonoFileRendersOneChannel)
{
    if (!havePlugin())
        GTEST_SKIP() << "the plug-in is not part of this build";

    ScratchFolder dir;
    const AudioClip signal = TestFiles::testSignal(44100, 1, 0.3);
    ASSERT_TRUE(TestFiles::writeAudio(dir.path("mono.wav"), signal, TestFiles::Format::wav, 24));

    for (const char* program : {"Clean Set Up", "Noisy Mod BP"})
    {
        SCOPED_TRACE(program);
        const ToolResult result =
            ToolRunner::render({dir.path("mono.wav"), "--plugin", KIV_PLUGIN_PATH, "--program",
                                program, "-o", dir.path("mono-out.wav")});
        ASSERT_EQ(result.status, 0) << result.err;

        const AudioClip out = TestFiles::readAudio(dir.path("mono-out.wav"));
        EXPECT_EQ(out.numChannels(), 1);
        EXPECT_EQ(out.numFrames(), signal.numFrames());
        EXPECT_TRUE(allFinite(out));
        EXPECT_GT(rms(out), 0.001);
        EXPECT_GT(rmsDifference(out, signal), 0.001);
    }
}

TEST(KivRender, SavedStateRestoresTheSameSound)
{
    if (!havePlugin())
        GTEST_SKIP() << "the plug-in is not part of this build";

    ScratchFolder dir;
    ASSERT_TRUE(TestFiles::writeAudio(dir.path("in.wav"), TestFiles::testSignal(44100, 2, 0.3),
                                      TestFiles::Format::wav, 24));
    const std::string in = dir.path("in.wav");
    const std::string plugin = KIV_PLUGIN_PATH;

    const ToolResult saved = ToolRunner::render(
        {in, "--plugin", plugin, "--program", "random lfo hp", "--param", "RESONANCE=0.95",
         "--param", "cutoff=0.3", "--state-out", dir.path("s.state"), "-o", dir.path("a.wav")});
    ASSERT_EQ(saved.status, 0) << saved.err;

    const ToolResult restored = ToolRunner::render(
        {in, "--plugin", plugin, "--state-in", dir.path("s.state"), "-o", dir.path("b.wav")});
    const ToolResult plain = ToolRunner::render({in, "--plugin", plugin, "-o", dir.path("c.wav")});
    ASSERT_EQ(restored.status, 0) << restored.err;
    ASSERT_EQ(plain.status, 0) << plain.err;

    const std::string text = TestFiles::chunkText(TestFiles::readBytes(dir.path("s.state")));
    EXPECT_NE(text.find("curprogram=\"4\""), std::string::npos) << text;
    EXPECT_TRUE(TestFiles::readBytes(dir.path("a.wav")) == TestFiles::readBytes(dir.path("b.wav")));
    EXPECT_FALSE(TestFiles::readBytes(dir.path("a.wav")) == TestFiles::readBytes(dir.path("c.wav")))
        << "without the state the sound differs, so the comparison above means something";
    EXPECT_EQ(restored.err.find("warning"), std::string::npos) << restored.err;

    // A file that is no state chunk at all is passed on, with a warning: the plug-in ignores
    // it, which would otherwise look like a restore.
    const ToolResult wrong =
        ToolRunner::render({in, "--plugin", plugin, "--state-in", in, "-o", dir.path("d.wav")});
    EXPECT_EQ(wrong.status, 0) << wrong.err;
    EXPECT_NE(wrong.err.find("warning: '" + in + "' does not look like a KIV-Filter state chunk"),
              std::string::npos)
        << wrong.err;
}

TEST(KivRender, ProgramByNumberAndByNameAgree)
{
    if (!havePlugin())
        GTEST_SKIP() << "the plug-in is not part of this build";

    ScratchFolder dir;
    ASSERT_TRUE(TestFiles::writeAudio(dir.path("in.wav"), TestFiles::testSignal(44100, 2, 0.2),
                                      TestFiles::Format::wav, 24));
    const char* const selections[] = {"2", "Lfo 2/1 BP", "LFO 2/1 bp", " lfo  2/1 BP "};
    std::vector<std::uint8_t> byNumber;

    for (const char* selection : selections)
    {
        SCOPED_TRACE(selection);
        const ToolResult result =
            ToolRunner::render({dir.path("in.wav"), "--plugin", KIV_PLUGIN_PATH, "--program",
                                selection, "-o", dir.path("out.wav")});
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_NE(result.out.find("program 2 \u201cLfo 2/1 BP\u201d"), std::string::npos)
            << result.out;

        if (byNumber.empty())
            byNumber = TestFiles::readBytes(dir.path("out.wav"));
        else
            EXPECT_TRUE(TestFiles::readBytes(dir.path("out.wav")) == byNumber);
    }
}

TEST(KivRender, SongPositionReachesThePluginInQuarterNotes)
{
    if (!havePlugin())
        GTEST_SKIP() << "the plug-in is not part of this build";

    // "Lfo Sine 1/4 LP" locks its LFO to one cycle per quarter note (255/256 of one, to be
    // exact), so starting one quarter later sounds almost the same and starting half a
    // quarter later puts the LFO half a cycle off.
    ScratchFolder dir;
    ASSERT_TRUE(TestFiles::writeAudio(dir.path("in.wav"), TestFiles::testSignal(44100, 2, 1.0),
                                      TestFiles::Format::wav, 24));
    auto renderFrom = [&](const std::string& ppq, const std::string& tempo)
    {
        const std::string out = dir.path("ppq" + ppq + "-" + tempo + ".wav");
        const ToolResult result =
            ToolRunner::render({dir.path("in.wav"), "--plugin", KIV_PLUGIN_PATH, "--program", "1",
                                "--tempo", tempo, "--start-ppq", ppq, "-o", out});
        EXPECT_EQ(result.status, 0) << result.err;
        return TestFiles::readAudio(out);
    };

    for (const std::string tempo : {"120", "90"})
    {
        SCOPED_TRACE("tempo " + tempo);
        const AudioClip fromZero = renderFrom("0", tempo);
        const double oneBeatLater = rmsDifference(fromZero, renderFrom("1", tempo));
        const double halfBeatLater = rmsDifference(fromZero, renderFrom("0.5", tempo));
        EXPECT_GT(halfBeatLater, 0.0);
        EXPECT_LT(oneBeatLater, 0.2 * halfBeatLater);
    }
}
