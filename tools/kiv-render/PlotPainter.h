#pragma once

#include "MagnitudeResponse.h"
#include "Spectrogram.h"

#include <juce_graphics/juce_graphics.h>

#include <string>
#include <vector>

/**
    The drawing pieces shared by the figures: spectrogram panels (time in seconds across,
    log frequency in Hz up, level as colour), a colour legend in dB, and magnitude-response
    panels (dB up, log frequency across). Every panel draws its own axes, tick labels and
    title inside the rectangle it is given; the plot area is that rectangle less the
    margins below.
*/
class PlotPainter
{
public:
    static constexpr int leftMargin = 64;
    static constexpr int bottomMargin = 34;
    static constexpr int topMargin = 24;
    static constexpr double lowestHz = 20.0;

    struct Curve
    {
        const MagnitudeResponse* response = nullptr;
        juce::Colour colour;
        std::string label;
    };

    /** Background, text and grid colours of every figure. */
    static juce::Colour background() { return juce::Colour(0xff16181d); }
    static juce::Colour ink() { return juce::Colour(0xffe8e8ea); }
    static juce::Colour faintInk() { return juce::Colour(0xff9aa0aa); }
    static juce::Colour grid() { return juce::Colour(0x40ffffff); }

    /** A level in [floorDb, topDb] as a colour (dark violet through red and orange to pale
        yellow). */
    static juce::Colour colourFor(float db, float floorDb, float topDb);

    static juce::Font font(float height, bool bold = false);

    // A figure's title and the line under it, taken from the top of area.
    static void drawHeading(juce::Graphics& g, juce::Rectangle<int>& area,
                            const juce::String& title, const juce::String& subtitle);

    static void drawSpectrogram(juce::Graphics& g, juce::Rectangle<int> area,
                                const Spectrogram& spectrogram, const std::string& title,
                                float floorDb, float topDb, bool timeLabels = true);

    static void drawColourLegend(juce::Graphics& g, juce::Rectangle<int> area, float floorDb,
                                 float topDb);

    static void drawResponses(juce::Graphics& g, juce::Rectangle<int> area,
                              const std::vector<Curve>& curves, const std::string& title,
                              double nyquistHz, bool showLegend);

    /** The plot rectangle inside a panel's area. */
    static juce::Rectangle<int> plotArea(juce::Rectangle<int> area);

    /** Sensible top and bottom of a dB axis for these curves, in steps of 6 dB. */
    static void responseRange(const std::vector<Curve>& curves, double nyquistHz, float& bottom,
                              float& top);

private:
    static void drawFrequencyTicks(juce::Graphics& g, juce::Rectangle<int> plot, double maxHz,
                                   bool vertical);
    static float logPosition(double hz, double maxHz);
};
