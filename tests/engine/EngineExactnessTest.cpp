#include "Engine.h"
#include "ProgramSettings.h"
#include "ReferenceEngine.h"
#include "TestSignal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

// The engine must give exactly the bits of the plain scalar code in ReferenceEngine, however it
// is organised inside. Both render the same input with the same rand() sequence. NaN is compared
// as NaN, since its sign and payload depend on operand order the compiler may choose.

namespace
{
uint32_t bitsOf(float x)
{
    uint32_t b;
    std::memcpy(&b, &x, sizeof b);
    return b;
}

// Returns the index of the first differing value, or -1.
long firstDifference(const std::vector<float>& a, const std::vector<float>& b)
{
    if (a.size() != b.size())
    {
        return 0;
    }
    for (size_t i = 0; i < a.size(); ++i)
    {
        const bool bothNan = std::isnan(a[i]) && std::isnan(b[i]);
        if (!bothNan && bitsOf(a[i]) != bitsOf(b[i]))
        {
            return static_cast<long>(i);
        }
    }
    return -1;
}

void expectIdenticalRenders(float sampleRate, const ProgramSettings& settings,
                            const TestSignal& signal, unsigned seed)
{
    auto reference = std::make_unique<ReferenceEngine>(sampleRate);
    settings.applyTo(*reference);
    const std::vector<float> expected = renderInterleaved(*reference, signal, seed);

    auto engine = std::make_unique<Engine>(sampleRate);
    settings.applyTo(*engine);
    const std::vector<float> actual = renderInterleaved(*engine, signal, seed);

    const long at = firstDifference(actual, expected);
    EXPECT_EQ(at, -1) << "first difference at frame " << at / 2 << (at % 2 ? " right" : " left")
                      << ": " << (at >= 0 ? actual[static_cast<size_t>(at)] : 0.0f) << " vs "
                      << (at >= 0 ? expected[static_cast<size_t>(at)] : 0.0f);
}
} // namespace

TEST(EngineExactness, FactoryProgramsMatchThePlainCodeAtEveryRate)
{
    for (float sampleRate : { 44100.0f, 48000.0f, 96000.0f })
    {
        const TestSignal signal = TestSignal::make(static_cast<int>(sampleRate * 3.0f), sampleRate);
        for (int program = 0; program < ProgramSettings::numFactoryPrograms; ++program)
        {
            SCOPED_TRACE(testing::Message() << "program " << program << " at " << sampleRate);
            expectIdenticalRenders(sampleRate, ProgramSettings::factory(program), signal,
                                   100u + static_cast<unsigned>(program));
        }
    }
}

TEST(EngineExactness, EveryFilterTypeAndWaveformMatchesThePlainCode)
{
    struct Setting
    {
        const char* name;
        float cutoff;
        float resonance;
        float drive;
        float envelope;
        float lfoDepth;
        float width;
    };
    const Setting settingsTable[] = {
        { "dark, no resonance, no drive", 0.2f, 0.0f, 0.0f, 0.5f, 0.5f, 0.0f },
        { "open, full resonance, full drive", 0.95f, 1.0f, 1.0f, 0.8f, 0.9f, 1.0f },
        { "middle, strong envelope down, wide", 0.55f, 0.7f, 0.6f, 0.05f, 0.2f, 0.5f },
    };
    const float sampleRate = 44100.0f;
    const TestSignal signal = TestSignal::make(static_cast<int>(sampleRate * 2.0f), sampleRate);
    for (int filterType = 1; filterType <= 4; ++filterType)
    {
        for (int waveform = 0; waveform <= 6; ++waveform)
        {
            for (const Setting& s : settingsTable)
            {
                SCOPED_TRACE(testing::Message() << "type " << filterType << ", waveform "
                                                << waveform << ", " << s.name);
                ProgramSettings settings = ProgramSettings::factory(1);
                settings.values[1] = s.cutoff;
                settings.values[2] = s.resonance;
                settings.values[3] = static_cast<float>(filterType - 1) / 5.0f;
                settings.values[4] = s.lfoDepth;
                settings.values[5] = 0.8f;
                settings.values[6] = 0.0f; // free-running, fast
                settings.values[7] = static_cast<float>(waveform) / 6.0f;
                settings.values[9] = s.drive;
                settings.values[10] = s.envelope;
                settings.values[11] = 0.2f;
                settings.values[12] = s.width;
                expectIdenticalRenders(sampleRate, settings, signal,
                                       static_cast<unsigned>(filterType * 10 + waveform));
            }
        }
    }
}

TEST(EngineExactness, OutOfRangeSettingsMatchThePlainCode)
{
    // NaN and infinite settings and inputs take the recovery paths; those must agree as well.
    struct Setting
    {
        const char* name;
        int index;
        float value;
    };
    const Setting settingsTable[] = {
        { "NaN cutoff", 1, std::nanf("") },
        { "infinite cutoff", 1, INFINITY },
        { "negative resonance", 2, -2.0f },
        { "NaN resonance", 2, std::nanf("") },
        { "wide LFO beyond 1", 12, 7.5f },
        { "negative width", 12, -3.0f },
        { "NaN envelope speed", 11, std::nanf("") },
    };
    const float sampleRate = 48000.0f;
    TestSignal signal = TestSignal::make(20000, sampleRate);
    signal.left[5000] = std::nanf("");
    signal.right[9000] = 4.0e12f;
    signal.left[12000] = INFINITY;
    for (const Setting& s : settingsTable)
    {
        for (int program : { 2, 4, 7 })
        {
            SCOPED_TRACE(testing::Message() << s.name << ", program " << program);
            ProgramSettings settings = ProgramSettings::factory(program);
            settings.values[s.index] = s.value;
            expectIdenticalRenders(sampleRate, settings, signal, 31u);
        }
    }
}
