// The ten factory programs: the embedded text itself, and what a new instance holds after
// reading it.

#include "FactoryBank.h"
#include "KivCore.h"

#include <Quantise.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace
{
// The bank as published: names and the twelve stored attributes, in the text's own form.
// filtertype, lfosync and lfowaveform are whole numbers counted from 1.
struct BankRow
{
    const char* name;
    const char* values[12]; // parameters 1..12
};
const BankRow bank[] = {
    {"Clean Set Up",
     {"1", "0.432000011", "1", "0.512000024", "0.460000008", "4", "1", "0.860000014", "0.516000032",
      "0.509000003", "0", "0"}},
    {"Lfo Sine 1/4 LP",
     {"0.772000015", "0.484000027", "1", "0.263999999", "0.280000001", "4", "1", "0.844000041",
      "0.496000022", "0.508000016", "0.656000018", "0"}},
    {"Lfo 2/1 BP",
     {"0.572000027", "0.624000013", "3", "0.744000018", "0.244000018", "7", "2", "0.860000014",
      "0.527999997", "0.496000022", "0", "0.216000006"}},
    {"Fast Env Guitar",
     {"0.360000014", "0.444000036", "1", "0.332000017", "0.432000011", "1", "2", "0.780000031",
      "0.54400003", "0.836000025", "0.148000002", "0.212000012"}},
    {"Random Lfo  HP",
     {"0.448000014", "0.724000037", "2", "0.744000018", "0.548000038", "15", "5", "0.784000039",
      "0.340000004", "0.508000016", "0.508000016", "0"}},
    {"Inverted  BP Env",
     {"0.780000031", "0.492000014", "3", "0.508000016", "0.476000011", "4", "2", "0.824000061",
      "0.508000016", "0", "0.552000046", "0"}},
    {"Noisy Mod BP",
     {"0.428000033", "0.724000037", "3", "0.716000021", "0.520000041", "1", "6", "0.936000049",
      "0.780000031", "0.752000034", "0.208000004", "0"}},
    {"SQ Lfo 1/16 LP",
     {"0.45600003", "0.664000034", "1", "0.340000004", "0.660000026", "2", "4", "0.84800005",
      "0.480000019", "0.516000032", "0.340000004", "1"}},
    {"Digital Artefacts HP",
     {"0.628000021", "0.828000069", "2", "0.204000011", "0.872000039", "1", "5", "0.808000028",
      "0.692000031", "0.512000024", "0", "1"}},
    {"Lfo Reso  1/1 BP",
     {"0.468000025", "0.820000052", "3", "0.708000004", "0.316000015", "6", "3", "0.84800005",
      "0.732000053", "0.512000024", "0.404000014", "0"}},
};

TEST(FactoryBankTest, TheTextIsPlainAsciiOfTheExpectedSize)
{
    const char* text = FactoryBank::text();
    ASSERT_EQ(FactoryBank::sizeInBytes(), 3434u);
    ASSERT_EQ(std::strlen(text), 3434u);
    for (std::size_t i = 0; i < FactoryBank::sizeInBytes(); ++i)
    {
        const auto byte = static_cast<unsigned char>(text[i]);
        ASSERT_TRUE(byte == '\n' || (byte >= 0x20 && byte < 0x7f)) << "byte " << i;
    }
    const std::string bankText(text);
    EXPECT_EQ(bankText.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u);
    EXPECT_EQ(bankText.find("version=\"1.1\""), std::string::npos);
    EXPECT_EQ(bankText.find("miditrigger"), std::string::npos);
}

TEST(FactoryBankTest, ANewInstanceHoldsTheTenProgramsConverted)
{
    KivCore core;
    EXPECT_EQ(core.getCurrentProgram(), 0);
    for (int p = 0; p < KivCore::numPrograms; ++p)
    {
        const auto& row = bank[p];
        const auto& slot = core.programs[p];
        SCOPED_TRACE(row.name);
        EXPECT_EQ(core.getProgramName(p), juce::String(row.name));
        for (int index = 1; index <= 12; ++index)
        {
            SCOPED_TRACE(index);
            const double stored = std::strtod(row.values[index - 1], nullptr);
            // The converted controls hold the float nearest to (n - 1) / steps.
            double expected = stored;
            if (index == Parameters::filterType)
            {
                expected = (stored - 1.0) / 5.0;
            }
            else if (index == Parameters::lfoSync)
            {
                expected = (stored - 1.0) / 18.0;
            }
            else if (index == Parameters::lfoWaveform)
            {
                expected = (stored - 1.0) / 6.0;
            }
            EXPECT_EQ(slot.values[index].load(), static_cast<float>(expected));
        }
        // The discrete controls come out as the whole numbers the text stores.
        EXPECT_EQ(quantise(slot.values[3].load(), 5.0f) + 1, std::atoi(row.values[2]));
        EXPECT_EQ(KivCore::syncModeFor(slot.values[6].load()), std::atoi(row.values[5]));
        EXPECT_EQ(quantise(slot.values[7].load(), 6.0f), std::atoi(row.values[6]) - 1);

        EXPECT_EQ(slot.values[0].load(), 0.0f);
        EXPECT_EQ(slot.values[13].load(), 0.0f);
        EXPECT_EQ(slot.values[14].load(), 0.0f);
        for (int c = 0; c < ProgramSlot::numControllers; ++c)
        {
            ASSERT_EQ(slot.controllerMap[c].load(), 0) << c;
        }
    }
    EXPECT_EQ(core.programs[4].values[3].load(), 1.0f / 5.0f);
    EXPECT_EQ(core.programs[4].values[6].load(), 7.0f / 9.0f);
    EXPECT_EQ(core.programs[4].values[7].load(), 2.0f / 3.0f);
}
} // namespace
