#include "FilmStripKnob.h"
#include "EditorTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{
const juce::Colour leftover{0xffff00ff};

// Frame k is painted in a colour whose red channel is k, so a rendered knob tells which frame
// it shows. Rows or columns beyond the last whole frame are magenta and must never show.
juce::Image numberedStrip(int width, int height, int numFrames, bool horizontal)
{
    auto strip = editortest::filled(width, height, leftover);
    const int frames = std::max(1, numFrames);
    const int frameW = horizontal ? width / frames : width;
    const int frameH = horizontal ? height : height / frames;
    for (int k = 0; k < frames; ++k)
    {
        const juce::Rectangle<int> area(horizontal ? k * frameW : 0, horizontal ? 0 : k * frameH,
                                        frameW, frameH);
        strip.clear(area, juce::Colour(juce::uint8(k), juce::uint8(255 - k), juce::uint8(90)));
    }
    return strip;
}

struct KnobCase
{
    const char* name;
    int stripWidth;
    int stripHeight;
    int numFrames;
    bool horizontal;
    double valueSet;
    double valueHeld;
    int frame;
    int frameWidth;
    int frameHeight;
};

const KnobCase knobCases[] = {
    {"minimum shows the first frame", 57, 4560, 80, false, 0.0, 0.0, 0, 57, 57},
    {"just below 1/79 stays on frame 0", 57, 4560, 80, false, 0.012, 0.012, 0, 57, 57},
    {"just above 1/79 shows frame 1", 57, 4560, 80, false, 0.013, 0.013, 1, 57, 57},
    {"middle truncates 39.5 to 39", 57, 4560, 80, false, 0.5, 0.5, 39, 57, 57},
    {"0.999 shows frame 78", 57, 4560, 80, false, 0.999, 0.999, 78, 57, 57},
    {"only the maximum shows the last frame", 57, 4560, 80, false, 1.0, 1.0, 79, 57, 57},
    {"1/3 snaps to 0.333 and shows frame 26", 57, 4560, 80, false, 1.0 / 3.0, 0.333, 26, 57, 57},
    {"0.0004 snaps down to 0", 57, 4560, 80, false, 0.0004, 0.0, 0, 57, 57},
    {"above the range holds the maximum", 57, 4560, 80, false, 1.7, 1.0, 79, 57, 57},
    {"below the range holds the minimum", 57, 4560, 80, false, -0.2, 0.0, 0, 57, 57},
    {"a one-frame strip always shows its frame", 20, 20, 1, false, 0.7, 0.7, 0, 20, 20},
    {"leftover rows are never shown", 10, 35, 3, false, 1.0, 1.0, 2, 10, 11},
    {"horizontal strip steps along x", 30, 10, 3, true, 0.6, 0.6, 1, 10, 10},
    {"zero frames act as one", 10, 10, 0, false, 0.9, 0.9, 0, 10, 10},
};

TEST(FilmStripKnob, ValueSelectsFrameAndPaintsIt)
{
    for (const auto& c : knobCases)
    {
        SCOPED_TRACE(c.name);
        FilmStripKnob knob(numberedStrip(c.stripWidth, c.stripHeight, c.numFrames, c.horizontal),
                           c.numFrames, c.horizontal, 1);
        EXPECT_EQ(knob.getFrameWidth(), c.frameWidth);
        EXPECT_EQ(knob.getFrameHeight(), c.frameHeight);

        knob.setValue(c.valueSet, juce::dontSendNotification);
        EXPECT_NEAR(knob.getValue(), c.valueHeld, 1e-6);
        EXPECT_EQ(knob.currentFrame(), c.frame);

        // Painted at the frame's own size the whole component is that frame, down to its last
        // row (the leftover rows below it would be magenta).
        knob.setBounds(0, 0, c.frameWidth, c.frameHeight);
        const auto shown = editortest::render(knob);
        for (const auto& p :
             {juce::Point<int>(c.frameWidth / 2, c.frameHeight / 2), juce::Point<int>(0, 0),
              juce::Point<int>(c.frameWidth - 1, c.frameHeight - 1)})
        {
            const auto pixel = shown.getPixelAt(p.x, p.y);
            EXPECT_EQ(pixel.getAlpha(), 255) << "at " << p.x << ", " << p.y;
            EXPECT_EQ(int(pixel.getRed()), c.frame) << "at " << p.x << ", " << p.y;
            EXPECT_EQ(int(pixel.getGreen()), 255 - c.frame) << "at " << p.x << ", " << p.y;
        }
    }
}

TEST(FilmStripKnob, SnapsToThousandthsGivenInSinglePrecision)
{
    FilmStripKnob knob(numberedStrip(57, 4560, 80, false), 80, false, 1);
    EXPECT_EQ(knob.getInterval(), double(0.001f));
    EXPECT_EQ(knob.getMinimum(), 0.0);
    EXPECT_EQ(knob.getMaximum(), 1.0);

    // 1/3 lands on 333 steps of the widened interval, not on the double nearest 0.333.
    knob.setValue(1.0 / 3.0, juce::dontSendNotification);
    EXPECT_EQ(knob.getValue(), 333.0 * double(0.001f));
}

TEST(FilmStripKnob, CarriesItsParameterIndexAndFrameworkBehaviour)
{
    FilmStripKnob knob(numberedStrip(57, 4560, 80, false), 80, false, 12);
    EXPECT_EQ(knob.getName(), "12");
    EXPECT_EQ(int(knob.getProperties()["index"]), 12);
    EXPECT_EQ(knob.getSliderStyle(), juce::Slider::RotaryVerticalDrag);
    EXPECT_EQ(knob.getTextBoxPosition(), juce::Slider::NoTextBox);
    EXPECT_FALSE(knob.getVelocityBasedMode());
}

TEST(FilmStripKnob, ValueThatIsNotANumberShowsTheFirstFrame)
{
    FilmStripKnob knob(numberedStrip(57, 4560, 80, false), 80, false, 1);
    knob.setValue(std::numeric_limits<double>::quiet_NaN(), juce::dontSendNotification);
    EXPECT_EQ(knob.currentFrame(), 0);
    knob.setBounds(0, 0, 57, 57);
    EXPECT_EQ(int(editortest::render(knob).getPixelAt(28, 28).getRed()), 0);
}

TEST(FilmStripKnob, NullStripStillDrawsAndFollowsItsValue)
{
    FilmStripKnob knob(juce::Image(), 80, false, 5);
    EXPECT_EQ(knob.getFrameWidth(), 0);
    EXPECT_EQ(knob.getFrameHeight(), 0);

    knob.setValue(1.0, juce::dontSendNotification);
    EXPECT_EQ(knob.currentFrame(), 79);

    // No strip to show: a plain drawn knob keeps the control visible.
    knob.setBounds(0, 0, 57, 57);
    const auto shown = editortest::render(knob);
    EXPECT_FALSE(editortest::isTransparent(shown));
    EXPECT_EQ(shown.getPixelAt(0, 0).getAlpha(), 0);
}
} // namespace
