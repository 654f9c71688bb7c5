#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// A two-state button drawn from two images: the on image while its toggle state is on, the off
// image otherwise, unscaled at its top-left corner, with no hover or pressed look. Each click
// flips the state and then notifies the listeners, so a listener sees the new state. The
// drawn size is the off image's size (0 x 0 for a null image, which draws nothing); a larger
// on image shows only its top-left part of that size. The name is the button text, never
// drawn.
class ImageToggleButton : public juce::Button
{
public:
    ImageToggleButton(const juce::String& name, const juce::Image& offImage,
                      const juce::Image& onImage);
    ~ImageToggleButton() override;

    void paintButton(juce::Graphics& g, bool isMouseOver, bool isButtonDown) override;

    int getImageWidth() const { return width; }
    int getImageHeight() const { return height; }

private:
    juce::Image onImage;
    juce::Image offImage;
    int width;
    int height;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(ImageToggleButton)
};
