#include "KnobArt.h"

#include "ArtPalette.h"

namespace
{
juce::Point<float> polar(juce::Point<float> centre, float radius, float angle)
{
    return {centre.x + radius * std::sin(angle), centre.y - radius * std::cos(angle)};
}

juce::Path disc(juce::Point<float> centre, float radius)
{
    juce::Path p;
    p.addEllipse(centre.x - radius, centre.y - radius, 2.0f * radius, 2.0f * radius);
    return p;
}
} // namespace

juce::Image KnobArt::makeStrip(int frameSize, int numFrames)
{
    juce::Image strip(juce::Image::ARGB, frameSize, frameSize * numFrames, true);
    juce::Graphics g(strip);

    for (int frame = 0; frame < numFrames; ++frame)
    {
        const float position = numFrames > 1 ? float(frame) / float(numFrames - 1) : 0.0f;
        juce::Graphics::ScopedSaveState state(g);
        g.setOrigin(0, frame * frameSize);
        g.reduceClipRegion(0, 0, frameSize, frameSize);
        drawKnob(g, frameSize, angleFor(position));
    }
    return strip;
}

void KnobArt::drawKnob(juce::Graphics& g, int frameSize, float angle)
{
    const juce::Point<float> c(0.5f * float(frameSize), 0.5f * float(frameSize));
    const float capRadius = 16.5f;

    // Contact shadow under the knob, falling slightly downwards; it fades out well inside the
    // frame so the square edge of the frame never shows.
    juce::DropShadow(juce::Colours::black.withAlpha(0.75f), 5, {0, 2})
        .drawForPath(g, disc(c, skirtRadius - 0.5f));

    // Skirt: lit from the top, with fine knurling that turns with the knob.
    const juce::Path skirt = disc(c, skirtRadius);
    g.setGradientFill(juce::ColourGradient(ArtPalette::skirtTop, c.x, c.y - skirtRadius,
                                           ArtPalette::skirtBottom, c.x, c.y + skirtRadius, false));
    g.fillPath(skirt);

    constexpr int numRidges = 40;
    for (int i = 0; i < numRidges; ++i)
    {
        const float a = angle + juce::MathConstants<float>::twoPi * float(i) / float(numRidges);
        // Ridges catch light on the upper half and sink into shade on the lower half.
        const float light = 0.5f + 0.5f * std::cos(a);
        g.setColour(juce::Colours::black.withAlpha(0.30f));
        g.drawLine(
            juce::Line<float>(polar(c, capRadius + 1.5f, a), polar(c, skirtRadius - 0.8f, a)),
            1.0f);
        g.setColour(juce::Colours::white.withAlpha(0.05f + 0.07f * light));
        const float b = a + 0.045f;
        g.drawLine(
            juce::Line<float>(polar(c, capRadius + 1.5f, b), polar(c, skirtRadius - 0.8f, b)),
            0.6f);
    }

    g.setColour(juce::Colour(0xff08090a).withAlpha(0.9f));
    g.strokePath(skirt, juce::PathStrokeType(1.0f));

    // Cap: a shallow dome with a soft highlight up and to the left.
    const juce::Path cap = disc(c, capRadius);
    juce::DropShadow(juce::Colours::black.withAlpha(0.6f), 3, {0, 1}).drawForPath(g, cap);
    g.setGradientFill(juce::ColourGradient(ArtPalette::capTop, c.x, c.y - capRadius,
                                           ArtPalette::capBottom, c.x, c.y + capRadius, false));
    g.fillPath(cap);

    juce::ColourGradient sheen(juce::Colours::white.withAlpha(0.20f), c.x - 5.0f, c.y - 8.0f,
                               juce::Colours::white.withAlpha(0.0f), c.x - 5.0f + capRadius,
                               c.y - 8.0f, true);
    g.setGradientFill(sheen);
    g.fillPath(cap);

    // Rim of the cap: a bright upper edge and a dark lower edge.
    g.setGradientFill(juce::ColourGradient(juce::Colours::white.withAlpha(0.35f), c.x,
                                           c.y - capRadius, juce::Colours::black.withAlpha(0.5f),
                                           c.x, c.y + capRadius, false));
    g.strokePath(cap, juce::PathStrokeType(1.0f));

    // Pointer: an amber line with a faint glow, from near the centre to the cap's edge.
    const juce::Line<float> pointer(polar(c, 5.5f, angle), polar(c, capRadius - 2.2f, angle));
    juce::Path line;
    line.addLineSegment(pointer, 0.0f);
    g.setColour(ArtPalette::amber.withAlpha(0.22f));
    g.strokePath(line, juce::PathStrokeType(5.0f, juce::PathStrokeType::curved,
                                            juce::PathStrokeType::rounded));
    g.setColour(ArtPalette::amber);
    g.strokePath(line, juce::PathStrokeType(2.4f, juce::PathStrokeType::curved,
                                            juce::PathStrokeType::rounded));
    g.setColour(ArtPalette::amberLight.withAlpha(0.8f));
    g.strokePath(line, juce::PathStrokeType(0.8f, juce::PathStrokeType::curved,
                                            juce::PathStrokeType::rounded));
}
