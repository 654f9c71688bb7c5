#pragma once

#include "KivCore.h"

#include <array>
#include <cstring>
#include <string>

// Everything a state load may change, copied out of a processor so that two moments can be
// compared: names, stored values (bit patterns, so NaN compares too), controller maps, the
// current program and the engine's parameter array.
struct CoreSnapshot
{
    static CoreSnapshot of(KivCore& core)
    {
        CoreSnapshot snapshot;
        for (int p = 0; p < KivCore::numPrograms; ++p)
        {
            snapshot.names[p] = core.getProgramName(p).toStdString();
            for (int i = 0; i < Parameters::numParameters; ++i)
            {
                snapshot.values[p][i] = bits(core.programs[p].values[i].load());
            }
            for (int c = 0; c < ProgramSlot::numControllers; ++c)
            {
                snapshot.maps[p][c] = core.programs[p].controllerMap[c].load();
            }
        }
        for (int i = 0; i < Parameters::numParameters; ++i)
        {
            snapshot.engineParams[i] = bits(core.params[i].load());
        }
        snapshot.currentProgram = core.getCurrentProgram();
        return snapshot;
    }

    static unsigned bits(float value)
    {
        unsigned pattern = 0;
        std::memcpy(&pattern, &value, sizeof pattern);
        return pattern;
    }

    bool sameExceptCurrentProgram(const CoreSnapshot& other) const
    {
        return names == other.names && values == other.values && maps == other.maps &&
               engineParams == other.engineParams;
    }

    std::array<std::string, KivCore::numPrograms> names;
    std::array<std::array<unsigned, Parameters::numParameters>, KivCore::numPrograms> values{};
    std::array<std::array<int, ProgramSlot::numControllers>, KivCore::numPrograms> maps{};
    std::array<unsigned, Parameters::numParameters> engineParams{};
    int currentProgram = 0;
};
