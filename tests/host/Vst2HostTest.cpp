// The host library's own mechanics, checked against the small fake plug-in in fake/.

#include "Vst2Host.h"
#include "fake/FakePluginQueries.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <numeric>

namespace
{
std::unique_ptr<Vst2Host> loadFake(const char* path = KIV_FAKE_PLUGIN_PATH)
{
    std::string error;
    auto host = Vst2Host::load(path, error);
    EXPECT_NE(host, nullptr) << error;
    return host;
}

intptr_t query(Vst2Host& host, fake::Query what, intptr_t value = 0, void* ptr = nullptr)
{
    return host.dispatch(effVendorSpecific, what, value, ptr);
}

VstTimeInfo lastTimeInfo(Vst2Host& host, bool& seen)
{
    VstTimeInfo info{};
    seen = query(host, fake::queryTimeInfo, 0, &info) != 0;
    return info;
}
} // namespace

TEST(Vst2HostLoad, FailuresGiveNoInstanceAndSayWhy)
{
    const std::string notElf = testing::TempDir() + "kiv_not_a_plugin.so";
    {
        std::ofstream file(notElf);
        file << "this is not a shared object\n";
    }

    struct Row
    {
        const char* name;
        std::string path;
        int versionAnswer;
        const char* entryPoint;
        const char* messagePart;
    };
    const Row rows[] = {
        {"missing file", testing::TempDir() + "kiv_no_such_plugin.so", 2400, "", "not found"},
        {"not a shared object", notElf, 2400, "", "cannot open"},
        {"no entry point", KIV_FAKE_NO_ENTRY_PATH, 2400, "", "neither VSTPluginMain nor main"},
        {"host version 0", KIV_FAKE_PLUGIN_PATH, 0, "", "created no instance"},
        {"named entry point missing", KIV_FAKE_MAIN_ONLY_PATH, 2400, "VSTPluginMain",
         "does not export VSTPluginMain"},
    };

    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        std::string error;
        auto host = Vst2Host::load(row.path, error, row.versionAnswer, row.entryPoint);
        EXPECT_EQ(host, nullptr);
        EXPECT_NE(error.find(row.messagePart), std::string::npos) << error;
    }

    std::remove(notElf.c_str());
}

TEST(Vst2HostLoad, FallsBackToMainAndTalksThroughTheRecord)
{
    for (const char* path : {KIV_FAKE_PLUGIN_PATH, KIV_FAKE_MAIN_ONLY_PATH})
    {
        SCOPED_TRACE(path);
        auto host = loadFake(path);
        ASSERT_NE(host, nullptr);
        EXPECT_EQ(host->effect()->uniqueID, 0x4B76466B);
        EXPECT_EQ(host->effectName(), "Fake");
        EXPECT_EQ(host->parameterName(1), "pan");

        host->setParameter(1, 0.25f);
        EXPECT_EQ(host->getParameter(1), 0.25f);

        // The plug-in asked for the interface version while being created.
        EXPECT_GE(host->countOf(audioMasterVersion), 1);
    }
}

TEST(Vst2HostLoad, TwoInstancesOfOneLibraryStayApart)
{
    auto first = loadFake();
    auto second = loadFake();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);

    first->clearRecords();
    second->clearRecords();
    std::vector<float> left(64, 0.5f), right(64, 0.5f);
    first->processStereo(left, right, 64);

    EXPECT_EQ(first->countOf(audioMasterGetTime), 1);
    EXPECT_EQ(second->countOf(audioMasterGetTime), 0);
}

// A render of an hour asks for the time millions of times: the record of callbacks keeps
// counting them, but its ordered log stops growing.
TEST(Vst2HostCallback, LongRendersKeepTheRecordBounded)
{
    auto host = loadFake();
    ASSERT_NE(host, nullptr);
    host->clearRecords();

    const int blocks = static_cast<int>(Vst2Host::maxRecordedOpcodes) + 1000;
    std::vector<float> left(blocks, 0.5f), right(blocks, 0.5f);
    host->processStereo(left, right, 1);

    EXPECT_EQ(host->countOf(audioMasterGetTime), blocks);
    EXPECT_EQ(host->receivedOpcodes().size(), Vst2Host::maxRecordedOpcodes);
}

TEST(Vst2HostChunk, BytesRoundTripAndTheCallerKeepsItsCopy)
{
    auto host = loadFake();
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(host->getChunk(), (std::vector<uint8_t>{1, 2, 3}));

    const std::vector<uint8_t> state{9, 8, 7, 6, 5};
    EXPECT_EQ(host->setChunk(state), 1);
    EXPECT_EQ(host->getChunk(true), state);
}

TEST(Vst2HostMidi, ThousandsOfQueuedEventsArriveInOneRecordBeforeTheBlock)
{
    auto host = loadFake();
    ASSERT_NE(host, nullptr);
    host->setBlockSize(4096);

    constexpr int numEvents = 5000;
    for (int i = 0; i < numEvents; ++i)
        host->queueMidi(i % 4096, static_cast<uint8_t>(0xB0 | (i % 16)),
                        static_cast<uint8_t>(i % 128), static_cast<uint8_t>((i / 128) % 128));
    EXPECT_EQ(host->numQueuedMidi(), static_cast<std::size_t>(numEvents));

    std::vector<float> left(4096), right(4096);
    host->processStereo(left, right, 4096);

    ASSERT_EQ(query(*host, fake::queryProcessEventsCalls), 1);
    ASSERT_EQ(query(*host, fake::queryNumMidi), numEvents);
    for (int i : {0, 1, 2047, numEvents - 1})
    {
        SCOPED_TRACE(i);
        EXPECT_EQ(query(*host, fake::queryMidiEvent, i),
                  fake::packMidi(i % 4096, static_cast<uint8_t>(0xB0 | (i % 16)),
                                 static_cast<uint8_t>(i % 128),
                                 static_cast<uint8_t>((i / 128) % 128)));
    }

    // The queue empties with the block it went to; a block without events sends none.
    EXPECT_EQ(host->numQueuedMidi(), 0u);
    host->processStereo(left, right, 4096);
    EXPECT_EQ(query(*host, fake::queryProcessEventsCalls), 1);

    host->queueMidi(3, 0x90, 60, 100);
    host->processStereo(left, right, 4096);
    EXPECT_EQ(query(*host, fake::queryProcessEventsCalls), 2);
    EXPECT_EQ(query(*host, fake::queryNumMidi), 1);
    EXPECT_EQ(query(*host, fake::queryMidiEvent, 0), fake::packMidi(3, 0x90, 60, 100));
}

TEST(Vst2HostTime, TimeInfoIsAnsweredAsConfigured)
{
    constexpr int32_t validFlags =
        kVstNanosValid | kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid;

    struct Row
    {
        const char* name;
        Vst2Host::Transport transport;
        double expectedBarStart;
        int32_t expectedFlags;
    };
    Vst2Host::Transport noTime;
    noTime.hasTimeInfo = false;
    Vst2Host::Transport playing;
    playing.tempo = 140.0;
    playing.ppqPosition = 9.5;
    playing.samplePosition = 12345.0;
    Vst2Host::Transport stoppedInThree;
    stoppedInThree.playing = false;
    stoppedInThree.ppqPosition = 7.0;
    stoppedInThree.timeSigNumerator = 3;
    stoppedInThree.timeSigDenominator = 4;
    Vst2Host::Transport sixEight = playing;
    sixEight.timeSigNumerator = 6;
    sixEight.timeSigDenominator = 8;

    const Row rows[] = {
        {"no time info", noTime, 0.0, 0},
        {"playing in 4/4", playing, 8.0, validFlags | kVstTransportPlaying | kVstTransportChanged},
        {"stopped in 3/4", stoppedInThree, 6.0, validFlags},
        {"playing in 6/8", sixEight, 9.0, validFlags | kVstTransportPlaying | kVstTransportChanged},
    };

    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        auto host = loadFake();
        ASSERT_NE(host, nullptr);
        host->setSampleRate(48000.0f);
        host->transport = row.transport;
        host->transport.advance = false;

        std::vector<float> left(32), right(32);
        host->processStereo(left, right, 32);

        bool seen = false;
        const VstTimeInfo info = lastTimeInfo(*host, seen);
        EXPECT_EQ(seen, row.transport.hasTimeInfo);
        if (!seen)
            continue;

        EXPECT_EQ(info.sampleRate, 48000.0);
        EXPECT_EQ(info.samplePos, row.transport.samplePosition);
        EXPECT_EQ(info.ppqPos, row.transport.ppqPosition);
        EXPECT_EQ(info.tempo, row.transport.tempo);
        EXPECT_EQ(info.barStartPos, row.expectedBarStart);
        EXPECT_EQ(info.timeSigNumerator, row.transport.timeSigNumerator);
        EXPECT_EQ(info.timeSigDenominator, row.transport.timeSigDenominator);
        EXPECT_EQ(info.flags, row.expectedFlags);
        EXPECT_GT(info.nanoSeconds, 0.0);
    }
}

TEST(Vst2HostTime, TransportAdvancesWhilePlayingAndFlagsItsChanges)
{
    auto host = loadFake();
    ASSERT_NE(host, nullptr);
    host->transport.tempo = 90.0;

    std::vector<float> left(1000), right(1000);
    host->processStereo(left, right, 300); // blocks of 300, 300, 300, 100

    EXPECT_EQ(host->transport.samplePosition, 1000.0);
    EXPECT_NEAR(host->transport.ppqPosition, 1000.0 * 90.0 / (60.0 * 44100.0), 1e-12);

    bool seen = false;
    VstTimeInfo info = lastTimeInfo(*host, seen);
    ASSERT_TRUE(seen);
    EXPECT_EQ(info.samplePos, 900.0); // asked at the start of the last block
    EXPECT_EQ(info.flags & kVstTransportChanged, 0);
    const double firstNanos = info.nanoSeconds;

    host->transport.playing = false;
    host->processStereo(left, right, 1000);
    info = lastTimeInfo(*host, seen);
    EXPECT_EQ(host->transport.samplePosition, 1000.0);
    EXPECT_EQ(info.flags & (kVstTransportPlaying | kVstTransportChanged), kVstTransportChanged);
    EXPECT_GE(info.nanoSeconds, firstNanos);

    host->processStereo(left, right, 1000);
    info = lastTimeInfo(*host, seen);
    EXPECT_EQ(info.flags & kVstTransportChanged, 0);
}

TEST(Vst2HostAudio, BlocksSplitTheBufferAndCarryTheSignal)
{
    auto host = loadFake();
    ASSERT_NE(host, nullptr);

    std::vector<float> left(1000), right(1000);
    std::iota(left.begin(), left.end(), 1.0f);
    std::iota(right.begin(), right.end(), -1000.0f);
    const std::vector<float> leftIn = left, rightIn = right;

    host->processStereo(left, right, 256);
    EXPECT_EQ(left, leftIn);
    EXPECT_EQ(right, rightIn);
    EXPECT_EQ(query(*host, fake::queryProcessCalls), 4);
    EXPECT_EQ(query(*host, fake::queryLastFrames), 1000 - 3 * 256);

    std::vector<float> mono = leftIn;
    host->processMono(mono, 999);
    EXPECT_EQ(mono, leftIn);
    EXPECT_EQ(query(*host, fake::queryProcessCalls), 6);
    EXPECT_EQ(query(*host, fake::queryLastFrames), 1);

    // In place: the same buffers as input and output.
    std::vector<float> a = leftIn, b = rightIn;
    float* channels[2] = {a.data(), b.data()};
    host->process(channels, channels, 1000);
    EXPECT_EQ(a, leftIn);
    EXPECT_EQ(b, rightIn);
}

TEST(Vst2HostCallback, ProcessLevelIsRealtimeOnlyInsideProcess)
{
    auto host = loadFake();
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(query(*host, fake::queryProcessLevelNow), 1);

    std::vector<float> left(16), right(16);
    host->processStereo(left, right, 16);
    EXPECT_EQ(query(*host, fake::queryProcessLevelInProcess), 2);
    EXPECT_EQ(query(*host, fake::queryProcessLevelNow), 1);
}

TEST(Vst2HostCallback, EditsFromSeveralThreadsAreAllRecorded)
{
    auto host = loadFake();
    ASSERT_NE(host, nullptr);
    host->clearRecords();

    constexpr int count = 2000;
    EXPECT_EQ(query(*host, fake::automateFromThread, count), 1);

    const auto automations = host->automations();
    ASSERT_EQ(automations.size(), 2u * count);
    int perIndex[2] = {0, 0};
    float lastValue[2] = {-1.0f, -1.0f};
    for (const auto& a : automations)
    {
        ASSERT_TRUE(a.index == 0 || a.index == 1);
        // Each thread's own reports keep their order.
        EXPECT_GT(a.value, lastValue[a.index]);
        lastValue[a.index] = a.value;
        ++perIndex[a.index];
    }
    EXPECT_EQ(perIndex[0], count);
    EXPECT_EQ(perIndex[1], count);
    EXPECT_EQ(host->beginEdits().size(), static_cast<std::size_t>(count));
    EXPECT_EQ(host->endEdits().size(), static_cast<std::size_t>(count));
    EXPECT_EQ(host->countOf(audioMasterAutomate), 2 * count);
}

TEST(Vst2HostCallback, AnswersTheHostQuestions)
{
    auto host = loadFake();
    ASSERT_NE(host, nullptr);
    host->setSampleRate(96000.0f);
    host->setBlockSize(333);

    char vendor[65] = {};
    char product[65] = {};
    char canSendEvents[] = "sendVstEvents";
    char canTime[] = "sendVstTimeInfo";
    char canSize[] = "sizeWindow";
    char canUnknown[] = "fly";
    struct Row
    {
        const char* name;
        int32_t opcode;
        void* ptr;
        intptr_t expected;
    };
    const Row rows[] = {
        {"version", audioMasterVersion, nullptr, 2400},
        {"sample rate", audioMasterGetSampleRate, nullptr, 96000},
        {"block size", audioMasterGetBlockSize, nullptr, 333},
        {"can do sendVstEvents", audioMasterCanDo, canSendEvents, 1},
        {"can do sendVstTimeInfo", audioMasterCanDo, canTime, 1},
        {"can do sizeWindow", audioMasterCanDo, canSize, 1},
        {"can do unknown", audioMasterCanDo, canUnknown, 0},
        {"can do without text", audioMasterCanDo, nullptr, 0},
        {"vendor string", audioMasterGetVendorString, vendor, 1},
        {"product string", audioMasterGetProductString, product, 1},
        {"unknown opcode", 9999, nullptr, 0},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(query(*host, fake::askHost, row.opcode, row.ptr), row.expected);
    }
    EXPECT_STREQ(vendor, Vst2Host::hostVendorName);
    EXPECT_STREQ(product, Vst2Host::hostProductName);
    EXPECT_EQ(host->countOf(9999), 1);
}
