// Every bad invocation of kiv-render ends with a non-zero status and a message that says what
// is wrong, and leaves the folder exactly as it was: no output, no temporary file, an existing
// target untouched.

#include "ScratchFolder.h"
#include "TestFiles.h"
#include "ToolRunner.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace
{
struct BadInvocation
{
    const char* name;
    std::vector<std::string> args; ///< "{dir}/" is the scratch folder, "{plugin}" the .so
    int status;
    std::string fragment; ///< expected in the message on stderr
    std::map<std::string, std::string> environment = {};
};

std::string expand(std::string text, const ScratchFolder& dir)
{
    const std::pair<std::string, std::string> keys[] = {{"{dir}/", dir.path("") + "/"},
                                                        {"{plugin}", KIV_PLUGIN_PATH},
                                                        {"{noentry}", KIV_NO_ENTRY_PATH}};

    for (const auto& [key, value] : keys)
        for (auto at = text.find(key); at != std::string::npos; at = text.find(key))
            text.replace(at, key.size(), value);

    return text;
}
} // namespace

TEST(KivRenderErrors, BadInvocationsFailCleanly)
{
    if (std::string(KIV_PLUGIN_PATH).empty())
        GTEST_SKIP() << "the plug-in is not part of this build";

    ScratchFolder dir;
    ASSERT_TRUE(TestFiles::writeAudio(dir.path("in.wav"), TestFiles::testSignal(44100, 2, 0.1),
                                      TestFiles::Format::wav, 24));
    ASSERT_TRUE(TestFiles::writeAudio(dir.path("three.wav"), TestFiles::testSignal(44100, 3, 0.05),
                                      TestFiles::Format::wav, 24));
    TestFiles::writeText(dir.path("notaudio.wav"), "this is text, not a RIFF file\n");
    TestFiles::writeText(dir.path("notmidi.mid"), "MThd? no.\n");
    TestFiles::writeText(dir.path("empty.state"), "");
    TestFiles::writeText(dir.path("existing.wav"), "an earlier render that must survive");
    dir.file().getChildFile("sub").createDirectory();
    ASSERT_EQ(::mkfifo(dir.path("pipe.wav").c_str(), 0644), 0);

    const std::string p = "{plugin}";
    const std::vector<BadInvocation> rows = {
        // The command line itself.
        {"unknown option",
         {"--frobnicate", "-o", "{dir}/out.wav"},
         2,
         "unknown option '--frobnicate'"},
        {"option without its value", {"-o"}, 2, "-o needs a value"},
        {"nothing to write", {"{dir}/in.wav"}, 2, "nothing to write"},
        {"two inputs",
         {"{dir}/in.wav", "{dir}/in.wav", "-o", "{dir}/out.wav"},
         2,
         "more than one input file"},
        {"option given twice",
         {"--block", "64", "--block=128", "-o", "{dir}/out.wav"},
         2,
         "--block given more than once"},
        {"block with trailing text",
         {"--block", "12x", "-o", "{dir}/out.wav"},
         2,
         "--block: '12x' is not a whole number"},
        {"block of zero", {"--block", "0", "-o", "{dir}/out.wav"}, 2, "--block: '0'"},
        {"negative tempo", {"--tempo", "-5", "-o", "{dir}/out.wav"}, 2, "--tempo: '-5'"},
        {"tempo not a number", {"--tempo", "fast", "-o", "{dir}/out.wav"}, 2, "--tempo: 'fast'"},
        {"infinite tail", {"--tail", "inf", "-o", "{dir}/out.wav"}, 2, "--tail: 'inf'"},
        {"sixteen bits", {"--bits", "16", "-o", "{dir}/out.wav"}, 2, "is not 24 or 32"},
        {"rate too low", {"--rate", "100", "-o", "{dir}/out.wav"}, 2, "--rate: '100'"},
        {"param without value",
         {"--param", "cutoff", "-o", "{dir}/out.wav"},
         2,
         "'cutoff' is not NAME=VALUE"},
        {"param above 1",
         {"--param", "cutoff=1.5", "-o", "{dir}/out.wav"},
         2,
         "--param cutoff: '1.5' is not a number in 0..1"},
        {"rate with an input file",
         {"{dir}/in.wav", "--rate", "48000", "-o", "{dir}/out.wav"},
         2,
         "--rate applies to the built-in demo only"},
        {"one file for two outputs",
         {"-o", "{dir}/x.wav", "--plot", "{dir}/x.wav"},
         2,
         "name the same file"},
        {"overview with a program",
         {"--plot-overview", "{dir}/o.png", "--program", "1"},
         2,
         "--plot-overview renders every program"},
        // Names that only the plug-in can judge.
        {"unknown program name",
         {"{dir}/in.wav", "--plugin", p, "--program", "Nope", "-o", "{dir}/out.wav"},
         2,
         "unknown program 'Nope'; the programs are:\n  0  Clean Set Up"},
        {"program number out of range",
         {"{dir}/in.wav", "--plugin", p, "--program", "10", "-o", "{dir}/out.wav"},
         2,
         "program 10 does not exist; the programs are 0..9"},
        {"unknown parameter",
         {"{dir}/in.wav", "--plugin", p, "--param", "cutof=0.5", "-o", "{dir}/existing.wav"},
         2,
         "unknown parameter 'cutof'; the parameters are: 'cutoff', 'resonance'"},
        // Files.
        {"missing input",
         {"{dir}/nothere.wav", "--plugin", p, "-o", "{dir}/out.wav"},
         1,
         "cannot read '{dir}/nothere.wav': no such file"},
        {"input that is no audio",
         {"{dir}/notaudio.wav", "--plugin", p, "-o", "{dir}/out.wav"},
         1,
         "not a WAV, AIFF or FLAC file"},
        {"input that is a folder",
         {"{dir}/sub", "--plugin", p, "-o", "{dir}/out.wav"},
         1,
         "is a folder, not an audio file"},
        {"three channels",
         {"{dir}/three.wav", "--plugin", p, "-o", "{dir}/out.wav"},
         1,
         "has 3 channels; only mono and stereo files are supported"},
        {"output folder missing",
         {"{dir}/in.wav", "--plugin", p, "-o", "{dir}/no/such/folder/out.wav"},
         1,
         "cannot write '{dir}/no/such/folder/out.wav': folder"},
        {"output is a folder",
         {"{dir}/in.wav", "--plugin", p, "-o", "{dir}/sub"},
         1,
         "cannot write '{dir}/sub': it is a folder"},
        {"output is a pipe",
         {"{dir}/in.wav", "--plugin", p, "-o", "{dir}/pipe.wav"},
         1,
         "cannot write '{dir}/pipe.wav': not a regular file"},
        {"plot into a missing folder",
         {"{dir}/in.wav", "--plugin", p, "--plot", "{dir}/no/p.png"},
         1,
         "cannot write '{dir}/no/p.png'"},
        {"missing MIDI file",
         {"{dir}/in.wav", "--plugin", p, "--midi", "{dir}/none.mid", "-o", "{dir}/out.wav"},
         1,
         "cannot read MIDI file '{dir}/none.mid': no such file"},
        {"MIDI file that is no SMF",
         {"{dir}/in.wav", "--plugin", p, "--midi", "{dir}/notmidi.mid", "-o", "{dir}/out.wav"},
         1,
         "not a Standard MIDI File"},
        {"missing state",
         {"{dir}/in.wav", "--plugin", p, "--state-in", "{dir}/none.state", "-o", "{dir}/out.wav"},
         1,
         "cannot read state file '{dir}/none.state': no such file"},
        {"empty state",
         {"{dir}/in.wav", "--plugin", p, "--state-in", "{dir}/empty.state", "-o", "{dir}/out.wav"},
         1,
         "state file '{dir}/empty.state' is empty"},
        // The plug-in.
        {"plug-in missing",
         {"{dir}/in.wav", "--plugin", "{dir}/none.so", "-o", "{dir}/out.wav"},
         1,
         "cannot load the plug-in '{dir}/none.so'"},
        {"plug-in that is no shared object",
         {"{dir}/in.wav", "--plugin", "{dir}/notaudio.wav", "-o", "{dir}/out.wav"},
         1,
         "cannot load the plug-in"},
        {"shared object without entry point",
         {"{dir}/in.wav", "--plugin", "{noentry}", "-o", "{dir}/out.wav"},
         1,
         "cannot load the plug-in '{noentry}': {noentry} exports neither VSTPluginMain nor main"},
        {"plug-in from the environment",
         {"{dir}/in.wav", "-o", "{dir}/existing.wav"},
         1,
         "cannot load the plug-in '{dir}/gone.so'",
         {{"KIV_PLUGIN", "{dir}/gone.so"}}},
    };

    for (const BadInvocation& row : rows)
    {
        SCOPED_TRACE(row.name);
        std::vector<std::string> args;

        for (const auto& a : row.args)
            args.push_back(expand(a, dir));

        std::map<std::string, std::string> environment;

        for (const auto& [name, value] : row.environment)
            environment[name] = expand(value, dir);

        const auto before = TestFiles::listFolder(dir.path(""));
        const ToolResult result = ToolRunner::render(args, environment);

        EXPECT_EQ(result.status, row.status) << result.err;
        EXPECT_EQ(result.err.rfind("kiv-render: ", 0), 0u) << result.err;
        EXPECT_NE(result.err.find(expand(row.fragment, dir)), std::string::npos) << result.err;
        EXPECT_TRUE(TestFiles::listFolder(dir.path("")) == before)
            << "the folder changed although the run failed";
    }
}
