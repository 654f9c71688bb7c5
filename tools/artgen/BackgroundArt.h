#pragma once

#include <juce_graphics/juce_graphics.h>

// The editor's background: a dark case holding three raised charcoal panels (main knobs,
// LFO, filter mode and envelope) above a strip with the product title. Around every knob of
// the layout it engraves a scale ring and a caption; under every list it draws a recessed,
// list-shaped well that the real list covers, captioned like the knobs. Fully opaque.
class BackgroundArt
{
public:
    static juce::Image make();

private:
    static void drawCase(juce::Graphics& g);
    static void drawPanel(juce::Graphics& g, juce::Rectangle<float> area,
                          const juce::String& title);
    static void drawScale(juce::Graphics& g, juce::Point<float> centre);
    static void drawListWell(juce::Graphics& g, juce::Rectangle<float> box);
    static void drawCaption(juce::Graphics& g, float centreX, float top, const juce::String& text);
    static void drawTitle(juce::Graphics& g);
    static void drawDivider(juce::Graphics& g, float x, float top, float bottom);
    static void drawWaveGlyph(juce::Graphics& g, juce::Rectangle<float> area);
    static void drawResponseGlyph(juce::Graphics& g, juce::Rectangle<float> area);
};
