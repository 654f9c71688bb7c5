#pragma once

#include "RenderSession.h"

#include <juce_graphics/juce_graphics.h>

#include <string>

/**
    The `--plot-overview` run: the session's input through every program of the plug-in, one
    fresh instance per program (set up like a single render, the program replaced), with
    each program's magnitude response measured on a second instance, all drawn into one
    OverviewFigure.
*/
class OverviewRender
{
public:
    /** False with a message on failure; `badName` as in RenderSession::prepareInstance. */
    static bool render(const RenderSession& session, juce::Image& figure, bool& badName,
                       std::string& error);
};
