#pragma once

#include "Quantise.h"

#include <cmath>

// One complete set of parameter values (normalised, by parameter index), applied to an engine the
// way the processor applies a program: the raw values into params, the derived gains and depths
// into their fields, and the LFO rate through setSync. Works for Engine and ReferenceEngine.
struct ProgramSettings
{
    static constexpr int numValues = 15;
    float values[numValues] = {};

    template <typename EngineType>
    void applyTo(EngineType& engine) const
    {
        for (int i = 0; i < numValues; ++i)
        {
            engine.params[i] = values[i];
        }
        const auto signedSquare = [](float v)
        {
            const float x = 2.0f * v - 1.0f;
            return x * std::fabs(x);
        };
        engine.lfoAmount = signedSquare(values[4]);
        engine.volumeGain = 8.0f * values[8] * values[8] * values[8];
        engine.inputDrive = values[9] * values[9] * values[9];
        engine.envelopeAmount = signedSquare(values[10]);
        engine.setSync(quantise(values[6], 18.0f) + 1, values[5]);
    }

    // The ten factory programs, with filtertype, lfosync and lfowaveform converted from their
    // stored whole numbers to 0..1 as the state reader does.
    static ProgramSettings factory(int slot);
    static constexpr int numFactoryPrograms = 10;
};
