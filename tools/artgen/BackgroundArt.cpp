#include "BackgroundArt.h"

#include "ArtPalette.h"
#include "EditorLayout.h"
#include "KnobArt.h"

namespace
{
using Box = EditorLayout::Box;

juce::Rectangle<float> toRect(const Box& b)
{
    return {float(b.x), float(b.y), float(b.width), float(b.height)};
}

juce::Point<float> centreOf(const Box& b)
{
    return toRect(b).getCentre();
}

struct CaptionedBox
{
    Box box;
    const char* caption;
};

const CaptionedBox knobs[] = {
    {EditorLayout::inputDriveKnob, "DRIVE"},
    {EditorLayout::cutoffKnob, "CUTOFF"},
    {EditorLayout::resonanceKnob, "RESONANCE"},
    {EditorLayout::volumeKnob, "VOLUME"},
    {EditorLayout::lfoRateKnob, "LFO RATE"},
    {EditorLayout::lfoIntensityKnob, "LFO DEPTH"},
    {EditorLayout::envelopeIntensityKnob, "ENV DEPTH"},
    {EditorLayout::envelopeSpeedKnob, "ENV SPEED"},
    {EditorLayout::lfoWidthKnob, "LFO WIDTH"},
};

const CaptionedBox lists[] = {
    {EditorLayout::lfoWaveformList, "WAVEFORM"},
    {EditorLayout::lfoSyncList, "SYNC"},
    {EditorLayout::filterTypeList, "FILTER TYPE"},
};

// Radii of the scale around a knob centre, in pixels.
constexpr float wellRadius = 26.0f;     // recess the knob sits in
constexpr float tickInner = 30.5f;      // inner end of every tick
constexpr float minorTickOuter = 33.5f; // outer end of the small ticks
constexpr float majorTickOuter = 36.0f; // outer end of the large ticks
constexpr int numTickSteps = 20;        // 21 ticks, one per 15 degrees; every other is large

// The caption line under a knob: its top lies this far below the knob's centre. Lists of the
// same row put their caption on the same line.
constexpr float captionOffset = 38.5f;
constexpr float captionHeight = 12.0f;

// The three panels and the strip below them.
const juce::Rectangle<float> topPanel{10.0f, 10.0f, 500.0f, 122.0f};
const juce::Rectangle<float> lfoPanel{10.0f, 140.0f, 500.0f, 138.0f};
const juce::Rectangle<float> mainPanel{10.0f, 286.0f, 500.0f, 136.0f};
constexpr float panelCorner = 7.0f;
} // namespace

juce::Image BackgroundArt::make()
{
    // ARGB (not RGB) so the file is written as RGBA like the other five; every pixel is opaque.
    juce::Image image(juce::Image::ARGB, EditorLayout::editorWidth, EditorLayout::editorHeight,
                      true);
    juce::Graphics g(image);

    drawCase(g);
    drawPanel(g, topPanel, "FILTER");
    drawPanel(g, lfoPanel, "LFO");
    drawPanel(g, mainPanel, "MODE & ENVELOPE");

    for (const auto& knob : knobs)
    {
        const auto c = centreOf(knob.box);
        drawScale(g, c);
        drawCaption(g, c.x, c.y + captionOffset, knob.caption);
    }

    // The lists share the caption line of the knobs in their row.
    const float lfoCaptionTop = centreOf(EditorLayout::lfoRateKnob).y + captionOffset;
    const float mainCaptionTop = centreOf(EditorLayout::envelopeSpeedKnob).y + captionOffset;
    for (const auto& list : lists)
    {
        const auto r = toRect(list.box);
        drawListWell(g, r);
        const float top = r.getY() > lfoPanel.getBottom() ? mainCaptionTop : lfoCaptionTop;
        drawCaption(g, r.getCentreX(), top, list.caption);
    }

    // The list column of the two lower panels is set off from the knobs by an engraved line,
    // and carries a small emblem of what its lists choose: an LFO wave, a filter response.
    drawDivider(g, 270.0f, lfoPanel.getY() + 30.0f, lfoPanel.getBottom() - 12.0f);
    drawDivider(g, 146.0f, mainPanel.getY() + 30.0f, mainPanel.getBottom() - 12.0f);
    drawWaveGlyph(g, {36.0f, 180.0f, 88.0f, 30.0f});
    drawResponseGlyph(g, {38.0f, 322.0f, 88.0f, 34.0f});

    drawTitle(g);
    return image;
}

void BackgroundArt::drawCase(juce::Graphics& g)
{
    const float w = float(EditorLayout::editorWidth);
    const float h = float(EditorLayout::editorHeight);
    g.setGradientFill(juce::ColourGradient(ArtPalette::caseTop, 0.0f, 0.0f, ArtPalette::caseBottom,
                                           0.0f, h, false));
    g.fillAll();

    // A faint bevel on the case edge.
    g.setColour(juce::Colours::white.withAlpha(0.05f));
    g.drawRect(juce::Rectangle<float>(0.0f, 0.0f, w, h).reduced(0.5f), 1.0f);
}

void BackgroundArt::drawPanel(juce::Graphics& g, juce::Rectangle<float> area,
                              const juce::String& title)
{
    juce::Path shape;
    shape.addRoundedRectangle(area, panelCorner);
    juce::DropShadow(juce::Colours::black.withAlpha(0.7f), 7, {0, 2}).drawForPath(g, shape);

    g.setGradientFill(juce::ColourGradient(ArtPalette::panelTop, 0.0f, area.getY(),
                                           ArtPalette::panelBottom, 0.0f, area.getBottom(), false));
    g.fillPath(shape);

    // Light catches the upper edge; the lower edge sinks into the case.
    g.setGradientFill(juce::ColourGradient(juce::Colours::white.withAlpha(0.16f), 0.0f, area.getY(),
                                           juce::Colours::white.withAlpha(0.0f), 0.0f,
                                           area.getY() + 24.0f, false));
    g.strokePath(shape, juce::PathStrokeType(1.0f));
    g.setColour(ArtPalette::panelEdge.withAlpha(0.8f));
    juce::Path outline;
    outline.addRoundedRectangle(area.expanded(0.5f), panelCorner + 0.5f);
    g.strokePath(outline, juce::PathStrokeType(1.0f));

    // Section caption in the upper left corner, with an engraved rule running on from it.
    const auto font = ArtPalette::font(10.0f, true, 0.22f);
    const float textX = area.getX() + 14.0f;
    const float textY = area.getY() + 7.0f;
    const float textW = float(font.getStringWidth(title)) + 2.0f;
    g.setFont(font);
    g.setColour(ArtPalette::amber);
    g.drawText(title, juce::Rectangle<float>(textX, textY, textW, 12.0f),
               juce::Justification::centredLeft, false);

    const float ruleY = textY + 6.5f;
    const float ruleStart = textX + textW + 8.0f;
    const float ruleEnd = area.getRight() - 14.0f;
    g.setColour(juce::Colours::black.withAlpha(0.45f));
    g.drawLine(ruleStart, ruleY, ruleEnd, ruleY, 1.0f);
    g.setColour(juce::Colours::white.withAlpha(0.06f));
    g.drawLine(ruleStart, ruleY + 1.0f, ruleEnd, ruleY + 1.0f, 1.0f);
}

void BackgroundArt::drawScale(juce::Graphics& g, juce::Point<float> c)
{
    // The recess the knob sits in: darker towards the middle, a lit lower lip.
    juce::Path well;
    well.addEllipse(c.x - wellRadius, c.y - wellRadius, 2.0f * wellRadius, 2.0f * wellRadius);
    g.setGradientFill(juce::ColourGradient(juce::Colour(0xff111214), c.x, c.y,
                                           juce::Colour(0xff1f2125), c.x + wellRadius, c.y, true));
    g.fillPath(well);
    g.setGradientFill(juce::ColourGradient(juce::Colours::black.withAlpha(0.6f), c.x,
                                           c.y - wellRadius, juce::Colours::white.withAlpha(0.10f),
                                           c.x, c.y + wellRadius, false));
    g.strokePath(well, juce::PathStrokeType(1.0f));

    // The travel as a thin groove, then the ticks over it.
    juce::Path arc;
    arc.addCentredArc(c.x, c.y, tickInner, tickInner, 0.0f, KnobArt::angleFor(0.0f),
                      KnobArt::angleFor(1.0f), true);
    g.setColour(juce::Colours::black.withAlpha(0.5f));
    g.strokePath(arc, juce::PathStrokeType(1.2f));

    for (int i = 0; i <= numTickSteps; ++i)
    {
        const float a = KnobArt::angleFor(float(i) / float(numTickSteps));
        const bool major = i % 2 == 0;
        const float outer = major ? majorTickOuter : minorTickOuter;
        const juce::Point<float> from(c.x + tickInner * std::sin(a), c.y - tickInner * std::cos(a));
        const juce::Point<float> to(c.x + outer * std::sin(a), c.y - outer * std::cos(a));
        g.setColour(major ? ArtPalette::tickMajor : ArtPalette::tickMinor);
        g.drawLine(juce::Line<float>(from, to), major ? 1.4f : 1.0f);
    }
}

void BackgroundArt::drawListWell(juce::Graphics& g, juce::Rectangle<float> box)
{
    // One pixel larger than the list on every side, so the real list appears set into it.
    const auto well = box.expanded(1.0f);
    g.setColour(juce::Colour(0xff151619));
    g.fillRoundedRectangle(well, 4.0f);
    g.setColour(juce::Colours::white.withAlpha(0.08f));
    g.drawRoundedRectangle(well.translated(0.0f, 0.5f).expanded(0.5f), 4.5f, 1.0f);

    // A placeholder arrow in case the list is not drawn over it.
    juce::Path arrow;
    const float ax = box.getRight() - 11.0f;
    const float ay = box.getCentreY();
    arrow.addTriangle(ax - 3.5f, ay - 2.0f, ax + 3.5f, ay - 2.0f, ax, ay + 2.5f);
    g.setColour(ArtPalette::captionDim);
    g.fillPath(arrow);
}

void BackgroundArt::drawCaption(juce::Graphics& g, float centreX, float top,
                                const juce::String& text)
{
    g.setFont(ArtPalette::font(9.5f, true, 0.14f));
    g.setColour(ArtPalette::caption);
    g.drawText(text, juce::Rectangle<float>(centreX - 50.0f, top, 100.0f, captionHeight),
               juce::Justification::centred, false);
}

void BackgroundArt::drawTitle(juce::Graphics& g)
{
    // Right-aligned in the strip below the panels, clear of the version label and the
    // MIDI-learn button on its left.
    const float right = 504.0f;
    const auto nameFont = ArtPalette::font(21.0f, true, 0.12f);
    const juce::String first = "KIV";
    const juce::String rest = "-FILTER";
    const float restWidth = float(nameFont.getStringWidth(rest));
    const float firstWidth = float(nameFont.getStringWidth(first));
    const float top = 433.0f;

    g.setFont(nameFont);
    g.setColour(ArtPalette::amber);
    g.drawText(first,
               juce::Rectangle<float>(right - restWidth - firstWidth, top, firstWidth, 26.0f),
               juce::Justification::centredLeft, false);
    g.setColour(juce::Colour(0xffd6d9de));
    g.drawText(rest, juce::Rectangle<float>(right - restWidth, top, restWidth, 26.0f),
               juce::Justification::centredLeft, false);

    g.setFont(ArtPalette::font(8.0f, true, 0.32f));
    g.setColour(ArtPalette::captionDim);
    g.drawText("STEREO RESONANT FILTER",
               juce::Rectangle<float>(right - 200.0f, top + 26.0f, 200.0f, 10.0f),
               juce::Justification::centredRight, false);
}

void BackgroundArt::drawDivider(juce::Graphics& g, float x, float top, float bottom)
{
    juce::ColourGradient dark(juce::Colours::black.withAlpha(0.0f), x, top,
                              juce::Colours::black.withAlpha(0.0f), x, bottom, false);
    dark.addColour(0.2, juce::Colours::black.withAlpha(0.45f));
    dark.addColour(0.8, juce::Colours::black.withAlpha(0.45f));
    g.setGradientFill(dark);
    g.fillRect(juce::Rectangle<float>(x, top, 1.0f, bottom - top));

    juce::ColourGradient light(juce::Colours::white.withAlpha(0.0f), x, top,
                               juce::Colours::white.withAlpha(0.0f), x, bottom, false);
    light.addColour(0.2, juce::Colours::white.withAlpha(0.06f));
    light.addColour(0.8, juce::Colours::white.withAlpha(0.06f));
    g.setGradientFill(light);
    g.fillRect(juce::Rectangle<float>(x + 1.0f, top, 1.0f, bottom - top));
}

void BackgroundArt::drawWaveGlyph(juce::Graphics& g, juce::Rectangle<float> area)
{
    // One and a half cycles of a sine over a faint centre line.
    const float midY = area.getCentreY();
    g.setColour(juce::Colours::white.withAlpha(0.07f));
    g.drawLine(area.getX(), midY, area.getRight(), midY, 1.0f);

    juce::Path wave;
    constexpr int numPoints = 90;
    for (int i = 0; i <= numPoints; ++i)
    {
        const float t = float(i) / float(numPoints);
        const float x = area.getX() + t * area.getWidth();
        const float y =
            midY - 0.42f * area.getHeight() * std::sin(t * 3.0f * juce::MathConstants<float>::pi);
        if (i == 0)
            wave.startNewSubPath(x, y);
        else
            wave.lineTo(x, y);
    }
    g.setColour(ArtPalette::amber.withAlpha(0.12f));
    g.strokePath(wave, juce::PathStrokeType(4.0f, juce::PathStrokeType::curved,
                                            juce::PathStrokeType::rounded));
    g.setColour(ArtPalette::amber.withAlpha(0.45f));
    g.strokePath(wave, juce::PathStrokeType(1.4f, juce::PathStrokeType::curved,
                                            juce::PathStrokeType::rounded));
}

void BackgroundArt::drawResponseGlyph(juce::Graphics& g, juce::Rectangle<float> area)
{
    // A resonant low-pass response: flat, a peak at the cutoff, then the fall.
    const float baseY = area.getY() + 0.45f * area.getHeight();
    g.setColour(juce::Colours::white.withAlpha(0.07f));
    g.drawLine(area.getX(), area.getBottom(), area.getRight(), area.getBottom(), 1.0f);

    juce::Path curve;
    constexpr int numPoints = 90;
    for (int i = 0; i <= numPoints; ++i)
    {
        const float t = float(i) / float(numPoints);
        const float x = area.getX() + t * area.getWidth();
        const float peak = 0.38f * area.getHeight() * std::exp(-std::pow((t - 0.6f) / 0.07f, 2.0f));
        const float fall =
            t > 0.6f ? std::pow((t - 0.6f) / 0.4f, 1.3f) * 0.95f * area.getHeight() : 0.0f;
        const float y = juce::jmin(area.getBottom(), baseY - peak + fall);
        if (i == 0)
            curve.startNewSubPath(x, y);
        else
            curve.lineTo(x, y);
    }
    g.setColour(ArtPalette::amber.withAlpha(0.12f));
    g.strokePath(curve, juce::PathStrokeType(4.0f, juce::PathStrokeType::curved,
                                             juce::PathStrokeType::rounded));
    g.setColour(ArtPalette::amber.withAlpha(0.45f));
    g.strokePath(curve, juce::PathStrokeType(1.4f, juce::PathStrokeType::curved,
                                             juce::PathStrokeType::rounded));
}
