#pragma once

// The fifteen parameter slots as the host sees them, in one table that the processor, the
// editor and the state code all read. Plain data without the framework, so any side may
// include it.
//
// Values are normalised floats, normally 0..1, stored exactly as received. Index 0 is an
// unused slot without a name; the host still counts it.
struct Parameters
{
    static constexpr int numParameters = 15;

    // Parameter indices.
    static constexpr int none = 0;
    static constexpr int cutoff = 1;
    static constexpr int resonance = 2;
    static constexpr int filterType = 3;
    static constexpr int lfoIntensity = 4;
    static constexpr int lfoRate = 5;
    static constexpr int lfoSync = 6;
    static constexpr int lfoWaveform = 7;
    static constexpr int volume = 8;
    static constexpr int inputDrive = 9;
    static constexpr int envelopeIntensity = 10;
    static constexpr int envelopeSpeed = 11;
    static constexpr int lfoWidth = 12;
    static constexpr int midiLearn = 13;
    static constexpr int midiTrigger = 14;

    struct Info
    {
        // The name the host shows; also the attribute name in the stored state.
        const char* name;
        // Whether the value is written to and read from the stored state.
        bool isStored;
        // The value a stored program takes when its attribute is missing (or not a finite
        // number). For filtertype, lfosync and lfowaveform this is the whole-number form of
        // programs older than format 1.09, so 1 reads as the first type, mode or waveform.
        float valueWhenMissing;
    };

    static constexpr Info table[numParameters] = {
        {"", false, 0.0f},
        {"cutoff", true, 0.8f},
        {"resonance", true, 0.8f},
        {"filtertype", true, 1.0f},
        {"lfointensity", true, 1.0f},
        {"lforate", true, 1.0f},
        {"lfosync", true, 1.0f},
        {"lfowaveform", true, 1.0f},
        {"volume", true, 0.5f},
        {"inputdrive", true, 1.0f},
        {"envelopeintensity", true, 0.5f},
        {"envelopespeed", true, 1.0f},
        {"lfowidth", true, 1.0f},
        {"Midi Learn", false, 0.0f},
        {"miditrigger", true, 0.0f},
    };

    static constexpr bool isValidIndex(int index) noexcept
    {
        return index >= 0 && index < numParameters;
    }

    // Number of steps the discrete controls are quantised with: filter type 1..6 from
    // floor(v * 5 + 0.5) + 1, waveform 0..6 from floor(v * 6 + 0.5), sync mode 1..19 from
    // floor(v * 18 + 0.5) + 1.
    static constexpr float filterTypeSteps = 5.0f;
    static constexpr float lfoWaveformSteps = 6.0f;
    static constexpr float lfoSyncSteps = 18.0f;
};
