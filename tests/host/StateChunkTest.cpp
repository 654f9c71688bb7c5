// State chunks handed to the plug-in through effSetChunk: chunks in the older program format,
// and damaged or hostile ones, which must leave the instance alive and its state as it was.

#include "PluginFixture.h"

#include <cstring>
#include <string>
#include <vector>

namespace
{
constexpr int numParams = 15;

std::vector<uint8_t> wrap(const std::string& xml, int32_t lengthField)
{
    std::vector<uint8_t> bytes(8 + xml.size() + 1, 0);
    std::memcpy(bytes.data(), "VC2!", 4);
    const auto length = static_cast<uint32_t>(lengthField); // little-endian on this machine
    std::memcpy(bytes.data() + 4, &length, 4);
    std::memcpy(bytes.data() + 8, xml.data(), xml.size());
    return bytes;
}

std::vector<uint8_t> wrap(const std::string& xml)
{
    return wrap(xml, static_cast<int32_t>(xml.size()));
}

std::string repeat(const std::string& piece, int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
    {
        text += piece;
    }
    return text;
}
} // namespace

class HostStateChunkTest : public PluginFixture
{
protected:
    std::vector<float> allParameters()
    {
        std::vector<float> values;
        for (int i = 0; i < numParams; ++i)
        {
            values.push_back(host->getParameter(i));
        }
        return values;
    }
};

TEST_F(HostStateChunkTest, OlderProgramsAreConvertedAndBothChunkKindsReplaceTheWholeBank)
{
    const std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                             "<kiv curprogram=\"1\" version=\"1\"><programs>"
                             "<program programname=\"Old\" version=\"1.08\" filtertype=\"3\" "
                             "lfosync=\"10\" lfowaveform=\"4\" cutoff=\"0.25\"/>"
                             "<program programname=\"New\" version=\"1.1\" filtertype=\"0.2\" "
                             "lfosync=\"0.5\" lfowaveform=\"0.5\" cutoff=\"0.75\"/>"
                             "</programs><midimap/></kiv>";
    for (bool asSingleProgram : {false, true})
    {
        SCOPED_TRACE(asSingleProgram ? "as program" : "as bank");
        host->setProgram(6);
        host->setChunk(wrap(text), asSingleProgram);
        EXPECT_EQ(host->program(), 1);
        EXPECT_EQ(host->currentProgramName(), "New");
        EXPECT_EQ(host->getParameter(1), 0.75f);
        EXPECT_EQ(host->getParameter(3), 0.2f);

        host->setProgram(0);
        EXPECT_EQ(host->programName(0), "Old");
        EXPECT_EQ(host->getParameter(3), 2.0f / 5.0f);
        EXPECT_EQ(host->getParameter(6), 9.0f / 18.0f);
        EXPECT_EQ(host->getParameter(7), 3.0f / 6.0f);
        // Programs the chunk does not hold keep the factory ones.
        EXPECT_EQ(host->programName(9), "Lfo Reso  1/1 BP");
    }
}

TEST_F(HostStateChunkTest, HostileChunksLeaveTheInstanceWorkingAndItsStateAsItWas)
{
    const std::string deep = repeat("<a>", 300000);
    const struct
    {
        const char* name;
        std::vector<uint8_t> bytes;
    } rows[] = {
        {"shorter than the header", std::vector<uint8_t>{'V', 'C', '2', '!', 1}},
        {"wrong magic",
         std::vector<uint8_t>{'V', 'C', '3', '!', 5, 0, 0, 0, '<', 'k', 'i', 'v', '/', '>', 0}},
        {"negative length", wrap("<kiv curprogram=\"2\"/>", -1)},
        {"truncated text", wrap("<kiv curprogram=\"2\"><programs><program cutof", 30)},
        {"not XML", wrap("\xff\xfe garbage \x01\x02")},
        {"another root", wrap("<state curprogram=\"2\"/>")},
        {"deep nesting", wrap("<kiv curprogram=\"2\">" + deep)},
        {"nesting smuggled in a reference", wrap("<kiv curprogram=\"2\">&" + deep + ";</kiv>")},
        {"reference cut off at the end", wrap("<kiv curprogram=\"2\" x=\"&#x")},
    };

    host->setProgram(5);
    host->setParameter(1, 0.4f);
    const auto stateBefore = host->getChunk();
    const auto valuesBefore = allParameters();
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.name);
        host->setChunk(row.bytes, false);
        // Only the program number falls back to 0, as for any chunk that is not ours; back on
        // program 5 everything is as it was.
        EXPECT_EQ(host->program(), 0);
        host->setProgram(5);
        EXPECT_EQ(host->getChunk(), stateBefore);
        EXPECT_EQ(allParameters(), valuesBefore);

        // And it still processes.
        const std::vector<float> input = sine(440.0, 2048, 0.5f);
        std::vector<float> left = input;
        std::vector<float> right = input;
        host->processStereo(left, right, blockSize);
        EXPECT_NE(left, input);
        EXPECT_TRUE(std::isfinite(rms(left)));
    }
}
