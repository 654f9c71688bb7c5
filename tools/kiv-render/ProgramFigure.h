#pragma once

#include "MagnitudeResponse.h"
#include "Spectrogram.h"

#include <juce_graphics/juce_graphics.h>

#include <string>

/**
    The figure of one render (`--plot`): a title with the program's name and a line about
    the input, the input's and the output's spectrograms one above the other with a shared
    colour legend, and below them the program's magnitude response.
*/
class ProgramFigure
{
public:
    static juce::Image draw(const std::string& title, const std::string& subtitle,
                            const Spectrogram& input, const Spectrogram& output,
                            const MagnitudeResponse& response);

    static constexpr int width = 1400;
    static constexpr int height = 1040;
    static constexpr float floorDb = -100.0f;
    static constexpr float topDb = 0.0f;
};
