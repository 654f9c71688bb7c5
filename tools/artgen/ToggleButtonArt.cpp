#include "ToggleButtonArt.h"

#include "ArtPalette.h"

namespace
{
constexpr float bezelInset = 2.0f; // pixels of bezel around the key
constexpr float keyCorner = 4.0f;  // corner radius of the key
} // namespace

void ToggleButtonArt::drawCaption(juce::Graphics& g, juce::Rectangle<float> key,
                                  const juce::String& word, juce::Colour ink)
{
    auto area = key.reduced(3.0f, 4.0f);
    const auto top = area.removeFromTop(area.getHeight() * 0.40f);
    g.setColour(ink);
    g.setFont(ArtPalette::font(8.5f, true, 0.18f));
    g.drawText("MIDI", top, juce::Justification::centredBottom, false);
    g.setFont(ArtPalette::font(10.5f, true, 0.06f));
    g.drawFittedText(word, area.toNearestInt(), juce::Justification::centredTop, 1, 0.8f);
}

juce::Image ToggleButtonArt::makeOff(int width, int height, const juce::String& word)
{
    juce::Image image(juce::Image::ARGB, width, height, true);
    {
        juce::Graphics g(image);
        const auto bounds = image.getBounds().toFloat();
        const auto key = bounds.reduced(bezelInset);

        // Drawn at full strength first, then faded as a whole below, so the overlaps of
        // outline, fill and text can never add up past the off alpha limit.
        g.setColour(juce::Colour(0xff050506).withAlpha(0.55f));
        g.fillRoundedRectangle(bounds, keyCorner + 1.0f);
        g.setColour(juce::Colour(0xff1a1b1e));
        g.fillRoundedRectangle(key, keyCorner);
        g.setColour(juce::Colour(0xffd9dce0));
        g.drawRoundedRectangle(key.reduced(0.5f), keyCorner, 1.0f);
        drawCaption(g, key, word, juce::Colour(0xffe4e6ea));
    }
    image.multiplyAllAlphas(float(maxOffAlpha) / 255.0f);
    return image;
}

juce::Image ToggleButtonArt::makeOn(int width, int height, const juce::String& word)
{
    juce::Image image(juce::Image::ARGB, width, height, true);
    juce::Graphics g(image);
    const auto bounds = image.getBounds().toFloat();
    const auto key = bounds.reduced(bezelInset);

    // The bezel covers the whole image, corners included, so no pixel drops below the on
    // alpha limit; it reads as the dark recess the key sits in.
    g.setColour(juce::Colour(0xff050506).withAlpha(0.62f));
    g.fillRect(bounds);
    g.setColour(juce::Colour(0xff050506).withAlpha(0.35f));
    g.fillRoundedRectangle(bounds.reduced(0.5f), keyCorner + 1.0f);

    // The key's light spills into the bezel around it.
    juce::Path glowShape;
    glowShape.addRoundedRectangle(key, keyCorner);
    juce::DropShadow(ArtPalette::amber.withAlpha(0.7f), 4, {0, 0}).drawForPath(g, glowShape);

    // The lit key: warm gradient, a glow from the middle and a gloss on the upper half.
    g.setGradientFill(juce::ColourGradient(ArtPalette::amberLight, key.getX(), key.getY(),
                                           ArtPalette::amberDeep, key.getX(), key.getBottom(),
                                           false));
    g.fillRoundedRectangle(key, keyCorner);

    g.setGradientFill(juce::ColourGradient(juce::Colour(0x66fff2cc), key.getCentreX(),
                                           key.getCentreY(), juce::Colour(0x00fff2cc),
                                           key.getRight(), key.getCentreY(), true));
    g.fillRoundedRectangle(key, keyCorner);

    auto gloss = key.reduced(1.5f);
    gloss = gloss.removeFromTop(gloss.getHeight() * 0.45f);
    g.setGradientFill(juce::ColourGradient(juce::Colours::white.withAlpha(0.35f), gloss.getX(),
                                           gloss.getY(), juce::Colours::white.withAlpha(0.0f),
                                           gloss.getX(), gloss.getBottom(), false));
    g.fillRoundedRectangle(gloss, keyCorner - 1.0f);

    g.setColour(juce::Colour(0xff6b3400).withAlpha(0.9f));
    g.drawRoundedRectangle(key.reduced(0.5f), keyCorner, 1.0f);

    drawCaption(g, key, word, ArtPalette::amberInk);
    return image;
}
