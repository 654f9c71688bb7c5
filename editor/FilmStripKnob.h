#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// A rotary knob drawn from a film strip: one image holding every position of the knob, frame
// after frame. The value 0..1 (in steps of 0.001) selects frame
// trunc((numFrames - 1) * value), so the last frame appears only at exactly the maximum.
// Mouse handling, snapping and listener calls are the framework slider's own; drag upwards to
// raise the value. The knob knows nothing about the processor: its parameter index is only
// recorded as its component name and under the property "index".
//
// A null strip (an image that could not be decoded) gets a plain drawn knob instead, so the
// control stays visible and usable; its frame size is 0 x 0. A frame count below 1 is treated
// as 1.
class FilmStripKnob : public juce::Slider
{
public:
    // stripIsHorizontal: frames side by side, left to right; otherwise stacked top to bottom.
    FilmStripKnob(const juce::Image& strip, int numFrames, bool stripIsHorizontal,
                  int parameterIndex);
    ~FilmStripKnob() override;

    void paint(juce::Graphics& g) override;

    // The frame shown for the current value, 0..numFrames - 1.
    int currentFrame() const;

    int getNumFrames() const { return numFrames; }
    int getFrameWidth() const { return frameWidth; }
    int getFrameHeight() const { return frameHeight; }

private:
    // Where the value lies in the range, 0..1 (0 for a value that is not a number).
    double travelPosition() const;
    void paintPlainKnob(juce::Graphics& g);

    juce::Image filmStrip;
    int numFrames;
    bool isHorizontal;
    int frameWidth = 0;
    int frameHeight = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(FilmStripKnob)
};
