#include "ProgramSettings.h"

namespace
{
// cutoff, resonance, filtertype, lfointensity, lforate, lfosync, lfowaveform, volume,
// inputdrive, envelopeintensity, envelopespeed, lfowidth; the three discrete ones as stored.
constexpr float factoryTable[ProgramSettings::numFactoryPrograms][12] = {
    { 1.0f, 0.432000011f, 1, 0.512000024f, 0.460000008f, 4, 1, 0.860000014f, 0.516000032f,
      0.509000003f, 0.0f, 0.0f },
    { 0.772000015f, 0.484000027f, 1, 0.263999999f, 0.280000001f, 4, 1, 0.844000041f,
      0.496000022f, 0.508000016f, 0.656000018f, 0.0f },
    { 0.572000027f, 0.624000013f, 3, 0.744000018f, 0.244000018f, 7, 2, 0.860000014f,
      0.527999997f, 0.496000022f, 0.0f, 0.216000006f },
    { 0.360000014f, 0.444000036f, 1, 0.332000017f, 0.432000011f, 1, 2, 0.780000031f,
      0.54400003f, 0.836000025f, 0.148000002f, 0.212000012f },
    { 0.448000014f, 0.724000037f, 2, 0.744000018f, 0.548000038f, 15, 5, 0.784000039f,
      0.340000004f, 0.508000016f, 0.508000016f, 0.0f },
    { 0.780000031f, 0.492000014f, 3, 0.508000016f, 0.476000011f, 4, 2, 0.824000061f,
      0.508000016f, 0.0f, 0.552000046f, 0.0f },
    { 0.428000033f, 0.724000037f, 3, 0.716000021f, 0.520000041f, 1, 6, 0.936000049f,
      0.780000031f, 0.752000034f, 0.208000004f, 0.0f },
    { 0.45600003f, 0.664000034f, 1, 0.340000004f, 0.660000026f, 2, 4, 0.84800005f,
      0.480000019f, 0.516000032f, 0.340000004f, 1.0f },
    { 0.628000021f, 0.828000069f, 2, 0.204000011f, 0.872000039f, 1, 5, 0.808000028f,
      0.692000031f, 0.512000024f, 0.0f, 1.0f },
    { 0.468000025f, 0.820000052f, 3, 0.708000004f, 0.316000015f, 6, 3, 0.84800005f,
      0.732000053f, 0.512000024f, 0.404000014f, 0.0f },
};
} // namespace

ProgramSettings ProgramSettings::factory(int slot)
{
    const float* row = factoryTable[slot];
    ProgramSettings settings;
    settings.values[1] = row[0];
    settings.values[2] = row[1];
    settings.values[3] = (row[2] - 1.0f) / 5.0f;
    settings.values[4] = row[3];
    settings.values[5] = row[4];
    settings.values[6] = (row[5] - 1.0f) / 18.0f;
    settings.values[7] = (row[6] - 1.0f) / 6.0f;
    settings.values[8] = row[7];
    settings.values[9] = row[8];
    settings.values[10] = row[9];
    settings.values[11] = row[10];
    settings.values[12] = row[11];
    return settings;
}
