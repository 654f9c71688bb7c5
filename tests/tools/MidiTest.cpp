// MIDI files: where their events land on the render's timeline, and that controllers bound to
// a parameter and note-ons act at exactly that frame.

#include "MidiSchedule.h"
#include "ScratchFolder.h"
#include "TestFiles.h"
#include "ToolRunner.h"

#include <gtest/gtest.h>

namespace
{
/** First frame at which the two clips differ in any channel, or -1. */
long firstDifference(const AudioClip& a, const AudioClip& b)
{
    for (std::size_t i = 0; i < a.numFrames() && i < b.numFrames(); ++i)
        for (std::size_t ch = 0; ch < a.channels.size(); ++ch)
            if (a.channels[ch][i] != b.channels[ch][i])
                return static_cast<long>(i);

    return -1;
}
} // namespace

TEST(MidiSchedule, PlacesEventsByBeatsAtTheHostTempo)
{
    struct Row
    {
        const char* name;
        int ticksPerQuarter;
        double fileTempo; ///< written into the file; must not matter
        double hostTempo;
        double rate;
        int tick;
        long frame;
    };

    const Row rows[] = {
        {"half a beat at 120", 480, 120.0, 120.0, 44100.0, 240, 11025},
        {"file tempo ignored", 480, 60.0, 120.0, 44100.0, 240, 11025},
        {"host tempo 90", 96, 200.0, 90.0, 48000.0, 48, 16000},
        {"rounded to the nearest frame", 3, 120.0, 120.0, 44100.0, 1, 7350},
        {"tick zero", 480, 120.0, 120.0, 44100.0, 0, 0},
    };

    ScratchFolder dir;

    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        const std::string path = dir.path("t.mid");
        TestFiles::writeMidiFile(path, row.ticksPerQuarter, row.fileTempo,
                                 {{row.tick, 0xb3, 74, 100}});
        MidiSchedule schedule;
        std::string error;
        ASSERT_TRUE(schedule.load(path, row.rate, row.hostTempo, error)) << error;
        ASSERT_EQ(schedule.events().size(), 1u) << "the tempo meta event is not sent";
        EXPECT_EQ(schedule.events()[0].frame, row.frame);
        EXPECT_EQ(schedule.events()[0].status, 0xb3);
        EXPECT_EQ(schedule.events()[0].data1, 74);
        EXPECT_EQ(schedule.events()[0].data2, 100);
    }
}

TEST(MidiSchedule, KeepsFileOrderOnOneFrameAndSplitsIntoBlocks)
{
    ScratchFolder dir;
    const std::string path = dir.path("t.mid");
    TestFiles::writeMidiFile(
        path, 480, 120.0,
        {{480, 0x90, 60, 100}, {0, 0xb0, 1, 10}, {0, 0xb0, 1, 20}, {960, 0x80, 60, 0}});
    MidiSchedule schedule;
    std::string error;
    ASSERT_TRUE(schedule.load(path, 1000.0, 60.0, error)) << error;

    const auto& events = schedule.events();
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].data2, 10);
    EXPECT_EQ(events[1].data2, 20);
    EXPECT_EQ(events[2].frame, 1000);
    EXPECT_EQ(events[3].frame, 2000);

    EXPECT_EQ(schedule.eventsIn(0, 1000).size(), 2u);
    EXPECT_EQ(schedule.eventsIn(1000, 1000).size(), 1u) << "a block holds its first frame";
    EXPECT_EQ(schedule.eventsIn(1001, 999).size(), 0u);
    EXPECT_EQ(schedule.countFrom(1500), 1u);
}

TEST(KivRender, MidiEventsActAtTheirFrame)
{
    if (std::string(KIV_PLUGIN_PATH).empty())
        GTEST_SKIP() << "the plug-in is not part of this build";

    ScratchFolder dir;
    const std::string plugin = KIV_PLUGIN_PATH;

    // The plug-in's own state with controller 74 bound to cutoff (parameter 1), made from its
    // default state.
    ASSERT_TRUE(TestFiles::writeAudio(dir.path("short.wav"), TestFiles::testSignal(48000, 2, 0.01),
                                      TestFiles::Format::wav, 24));
    const ToolResult saved = ToolRunner::render(
        {dir.path("short.wav"), "--plugin", plugin, "--state-out", dir.path("default.state")});
    ASSERT_EQ(saved.status, 0) << saved.err;
    std::string text = TestFiles::chunkText(TestFiles::readBytes(dir.path("default.state")));
    const auto midimap = text.find("<midimap/>");
    ASSERT_NE(midimap, std::string::npos) << text;
    text.replace(midimap, 10, "<midimap><map param=\"1\" controllernumber=\"74\"/></midimap>");
    TestFiles::writeBytes(dir.path("bound.state"), TestFiles::chunkFromText(text));

    struct Row
    {
        const char* name;
        double rate;
        const char* program;
        std::vector<std::string> settings;
        TestFiles::MidiEvent event; ///< at tick 240
        bool movesCutoff;           ///< controller 74 bound to cutoff, value 127
    };

    // Learning binds the controller to the parameter touched last after "Midi Learn" went on.
    // It runs at 44100 Hz, the rate the plug-in starts at: a first block at another rate
    // re-applies the program, and every program switch ends learning.
    const Row rows[] = {
        {"controller learned through Midi Learn",
         44100.0,
         "0",
         {"--param", "Midi Learn=1", "--param", "cutoff=0.1"},
         {240, 0xb5, 74, 127},
         true},
        {"controller bound in the loaded state",
         48000.0,
         "0",
         {"--state-in", dir.path("bound.state"), "--param", "cutoff=0.1"},
         {240, 0xb5, 74, 127},
         true},
        // With miditrigger on, every note-on restarts the LFO.
        {"note-on restarting the LFO",
         48000.0,
         "SQ Lfo 1/16 LP",
         {"--param", "miditrigger=1"},
         {240, 0x92, 60, 100},
         false},
    };

    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        const std::string in = dir.path("in.wav");
        ASSERT_TRUE(TestFiles::writeAudio(in, TestFiles::testSignal(row.rate, 2, 0.5),
                                          TestFiles::Format::wav, 24));

        // Tick 240 of 480 per quarter at 150 bpm is 0.2 s: frame 0.2 × rate, inside a block
        // of 512. The file says 60 bpm; the host tempo counts.
        const long frame = std::lround(0.2 * row.rate);
        TestFiles::writeMidiFile(dir.path("events.mid"), 480, 60.0, {row.event});

        std::vector<std::string> common = {
            in, "--plugin", plugin, "--program", row.program, "--tempo", "150", "--block", "512"};
        common.insert(common.end(), row.settings.begin(), row.settings.end());

        std::vector<std::string> withMidi = common;
        withMidi.insert(withMidi.end(), {"--midi", dir.path("events.mid"), "--state-out",
                                         dir.path("after.state"), "-o", dir.path("midi.wav")});
        std::vector<std::string> without = common;
        without.insert(without.end(), {"-o", dir.path("plain.wav")});

        const ToolResult a = ToolRunner::render(withMidi);
        const ToolResult b = ToolRunner::render(without);
        ASSERT_EQ(a.status, 0) << a.err;
        ASSERT_EQ(b.status, 0) << b.err;

        const long at = firstDifference(TestFiles::readAudio(dir.path("midi.wav")),
                                        TestFiles::readAudio(dir.path("plain.wav")));
        // The filter section delays by a few samples; the change must not show before the
        // event's frame, and must show right after it.
        EXPECT_GE(at, frame);
        EXPECT_LE(at, frame + 8);

        if (row.movesCutoff)
        {
            const std::string after =
                TestFiles::chunkText(TestFiles::readBytes(dir.path("after.state")));
            EXPECT_NE(after.find("<map param=\"1\" controllernumber=\"74\"/>"), std::string::npos)
                << after;
            EXPECT_NE(after.find("cutoff=\"1.0\""), std::string::npos)
                << "controller value 127 puts cutoff at 1\n"
                << after;
        }
    }
}
