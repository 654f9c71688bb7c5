#include "FilmStripKnob.h"

#include <cmath>

FilmStripKnob::FilmStripKnob(const juce::Image& strip, int numFramesInStrip, bool stripIsHorizontal,
                             int parameterIndex)
    : juce::Slider(juce::String(parameterIndex)), filmStrip(strip),
      numFrames(std::max(1, numFramesInStrip)), isHorizontal(stripIsHorizontal)
{
    setTextBoxStyle(juce::Slider::NoTextBox, false, 0, 0);
    setSliderStyle(juce::Slider::RotaryVerticalDrag);

    if (filmStrip.isValid())
    {
        frameWidth = isHorizontal ? filmStrip.getWidth() / numFrames : filmStrip.getWidth();
        frameHeight = isHorizontal ? filmStrip.getHeight() : filmStrip.getHeight() / numFrames;
    }

    // The step is given in single precision on purpose: values snap to multiples of
    // 0.001f widened to double (0.0010000000474974513), exactly as the processor has always
    // received them from this knob.
    constexpr float step = 0.001f;
    setRange(0.0, 1.0, double(step));

    getProperties().set("index", parameterIndex);
}

FilmStripKnob::~FilmStripKnob() = default;

double FilmStripKnob::travelPosition() const
{
    const double lo = getMinimum();
    const double hi = getMaximum();
    const double position = (getValue() - lo) / (hi - lo);
    // A value set by code may be NaN; converting that to a frame number would be undefined.
    return std::isfinite(position) ? juce::jlimit(0.0, 1.0, position) : 0.0;
}

int FilmStripKnob::currentFrame() const
{
    const double position = travelPosition();
    // Truncation, not rounding: frame k covers [k, k + 1) / (numFrames - 1) of the travel.
    const int frame = static_cast<int>(double(numFrames - 1) * position);
    return juce::jlimit(0, numFrames - 1, frame);
}

void FilmStripKnob::paint(juce::Graphics& g)
{
    if (!filmStrip.isValid() || frameWidth <= 0 || frameHeight <= 0)
    {
        paintPlainKnob(g);
        return;
    }

    const int frame = currentFrame();
    const int sourceX = isHorizontal ? frame * frameWidth : 0;
    const int sourceY = isHorizontal ? 0 : frame * frameHeight;
    g.drawImage(filmStrip, 0, 0, getWidth(), getHeight(), sourceX, sourceY, frameWidth,
                frameHeight);
}

void FilmStripKnob::paintPlainKnob(juce::Graphics& g)
{
    // Without a strip the knob stays visible and usable: a disc with a pointer sweeping 300
    // degrees clockwise from the lower left, like the drawn frames.
    const auto area = getLocalBounds().toFloat().reduced(4.0f);
    const float radius = 0.5f * std::min(area.getWidth(), area.getHeight());
    if (radius <= 1.0f)
        return;
    const auto centre = area.getCentre();
    constexpr float sweep = juce::MathConstants<float>::pi * 300.0f / 180.0f;
    const float angle = -0.5f * sweep + float(travelPosition()) * sweep;

    g.setColour(juce::Colour(0xff3a3d42));
    g.fillEllipse(juce::Rectangle<float>(2.0f * radius, 2.0f * radius).withCentre(centre));
    g.setColour(juce::Colour(0xffe6e6e6));
    g.drawLine(centre.x, centre.y, centre.x + 0.8f * radius * std::sin(angle),
               centre.y - 0.8f * radius * std::cos(angle), 2.0f);
}
