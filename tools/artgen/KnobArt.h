#pragma once

#include <juce_graphics/juce_graphics.h>

// The knob film strip: a dark two-part knob (knurled skirt and a domed cap) with an amber
// pointer, lit from above. Frames are stacked top to bottom; frame 0 points to the lower left
// (minimum), the last frame to the lower right (maximum), turning clockwise through the top.
// Outside the knob's shadow every pixel is fully transparent, so the panel shows around it.
class KnobArt
{
public:
    // The pointer sweeps 300 degrees, centred on twelve o'clock. Angles are in radians,
    // clockwise from twelve o'clock (the framework's convention with y pointing down).
    static constexpr float sweepRadians = 300.0f * juce::MathConstants<float>::pi / 180.0f;
    static constexpr float startRadians = -0.5f * sweepRadians;

    // The angle of the pointer at a position 0..1 of the travel.
    static float angleFor(float position) { return startRadians + position * sweepRadians; }

    // Outer radius of the knob's skirt, in pixels; the background's scale ring lies outside.
    static constexpr float skirtRadius = 21.5f;

    // A frameSize x (frameSize * numFrames) ARGB strip.
    static juce::Image makeStrip(int frameSize, int numFrames);

    // One knob centred in a frameSize x frameSize square at the origin.
    static void drawKnob(juce::Graphics& g, int frameSize, float angle);
};
