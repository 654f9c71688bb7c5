#pragma once

#include <juce_graphics/juce_graphics.h>

// The two-state push buttons. Both states share one shape: a small dark bezel around a rounded
// key carrying a two-line caption (a small "MIDI" over the function word).
//  - off: the panel shows through; every pixel is at most 40 % opaque (alpha 0..102), a faint
//    outline and caption engraved in light grey;
//  - on: a lit amber key, every pixel at least 45 % opaque (alpha 115..255), dark caption.
class ToggleButtonArt
{
public:
    // The highest alpha an off image may have and the lowest an on image may have.
    static constexpr int maxOffAlpha = 102;
    static constexpr int minOnAlpha = 115;

    static juce::Image makeOff(int width, int height, const juce::String& word);
    static juce::Image makeOn(int width, int height, const juce::String& word);

private:
    static void drawCaption(juce::Graphics& g, juce::Rectangle<float> key, const juce::String& word,
                            juce::Colour ink);
};
