#pragma once

#include "MagnitudeResponse.h"
#include "Spectrogram.h"

#include <juce_graphics/juce_graphics.h>

#include <string>
#include <vector>

/**
    The figure of all programs (`--plot-overview`): the input's spectrogram beside the
    magnitude responses of every program, then one output spectrogram per program in two
    columns, each titled with the program's number and name, and one colour legend.
*/
class OverviewFigure
{
public:
    struct Program
    {
        std::string name;
        Spectrogram output;
        MagnitudeResponse response;
    };

    static juce::Image draw(const std::string& title, const std::string& subtitle,
                            const Spectrogram& input, const std::vector<Program>& programs);

    static constexpr int width = 1400;
    static constexpr float floorDb = -100.0f;
    static constexpr float topDb = 0.0f;

    /** The colour of program i's response curve. */
    static juce::Colour curveColour(std::size_t i);
};
