#include "ImageToggleButton.h"

ImageToggleButton::ImageToggleButton(const juce::String& name, const juce::Image& off,
                                     const juce::Image& on)
    : juce::Button(name), onImage(on), offImage(off), width(off.isValid() ? off.getWidth() : 0),
      height(off.isValid() ? off.getHeight() : 0)
{
    setClickingTogglesState(true);
}

ImageToggleButton::~ImageToggleButton() = default;

void ImageToggleButton::paintButton(juce::Graphics& g, bool, bool)
{
    const juce::Image& image = getToggleState() ? onImage : offImage;
    if (!image.isValid() || width <= 0 || height <= 0)
        return;
    g.drawImage(image, 0, 0, width, height, 0, 0, width, height);
}
