#include "ImageToggleButton.h"
#include "EditorTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
const juce::Colour offColour{0xffcc2020};
const juce::Colour onColour{0xff20cc20};

struct PaintCase
{
    const char* name;
    juce::Image off;
    juce::Image on;
    bool state;
    int expectedWidth;
    int expectedHeight;
    // Probe points inside the button's 20 x 20 bounds and what each must show.
    std::vector<std::pair<juce::Point<int>, juce::Colour>> probes;
};

TEST(ImageToggleButton, DrawsTheImageOfItsStateUnscaledAtTheCorner)
{
    const auto transparent = juce::Colours::transparentBlack;
    const PaintCase cases[] = {
        {"off image while off",
         editortest::filled(10, 6, offColour),
         editortest::filled(10, 6, onColour),
         false,
         10,
         6,
         {{{0, 0}, offColour}, {{9, 5}, offColour}, {{10, 5}, transparent}, {{9, 6}, transparent}}},
        {"on image while on",
         editortest::filled(10, 6, offColour),
         editortest::filled(10, 6, onColour),
         true,
         10,
         6,
         {{{0, 0}, onColour}, {{9, 5}, onColour}, {{10, 0}, transparent}}},
        {"a larger on image shows only the off image's area",
         editortest::filled(10, 6, offColour),
         editortest::filled(16, 16, onColour),
         true,
         10,
         6,
         {{{9, 5}, onColour}, {{12, 3}, transparent}, {{5, 10}, transparent}}},
        {"a null off image gives 0 x 0 and draws nothing, even when on",
         juce::Image(),
         editortest::filled(10, 6, onColour),
         true,
         0,
         0,
         {{{0, 0}, transparent}, {{5, 3}, transparent}}},
        {"a null on image draws nothing while on",
         editortest::filled(10, 6, offColour),
         juce::Image(),
         true,
         10,
         6,
         {{{0, 0}, transparent}, {{5, 3}, transparent}}},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        ImageToggleButton button("b", c.off, c.on);
        EXPECT_EQ(button.getImageWidth(), c.expectedWidth);
        EXPECT_EQ(button.getImageHeight(), c.expectedHeight);
        button.setToggleState(c.state, juce::dontSendNotification);
        button.setBounds(0, 0, 20, 20);

        // Hovering and pressing change nothing: every flag combination paints the same.
        for (const bool over : {false, true})
            for (const bool down : {false, true})
            {
                juce::Image shown(juce::Image::ARGB, 20, 20, true);
                juce::Graphics g(shown);
                button.paintButton(g, over, down);
                for (const auto& [point, colour] : c.probes)
                    EXPECT_EQ(shown.getPixelAt(point.x, point.y), colour)
                        << "at " << point.x << ", " << point.y << " over " << over << " down "
                        << down;
            }
    }
}

// Records every click notification with the toggle state the listener saw.
struct ClickRecorder : juce::Button::Listener
{
    std::vector<bool> statesSeen;
    void buttonClicked(juce::Button* b) override { statesSeen.push_back(b->getToggleState()); }
};

TEST(ImageToggleButton, CodeChangesAreSilentAndClicksNotifyOnceWithTheNewState)
{
    ImageToggleButton button("b", editortest::filled(10, 6, offColour),
                             editortest::filled(10, 6, onColour));
    button.setBounds(0, 0, 10, 6);
    ClickRecorder recorder;
    button.addListener(&recorder);

    button.setToggleState(true, juce::dontSendNotification);
    editortest::deliverPostedMessages();
    EXPECT_TRUE(recorder.statesSeen.empty());
    EXPECT_EQ(editortest::render(button).getPixelAt(5, 3), onColour);

    button.triggerClick();
    editortest::deliverPostedMessages();
    ASSERT_EQ(recorder.statesSeen.size(), 1u);
    EXPECT_FALSE(recorder.statesSeen[0]); // flipped before the listener was told
    EXPECT_EQ(editortest::render(button).getPixelAt(5, 3), offColour);

    button.triggerClick();
    editortest::deliverPostedMessages();
    ASSERT_EQ(recorder.statesSeen.size(), 2u);
    EXPECT_TRUE(recorder.statesSeen[1]);

    button.removeListener(&recorder);
}
} // namespace
