#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace juce
{
// The framework's own hook for running its message queue from outside a dispatch loop; its
// plug-in client drives the message thread with it in the same way. Modal loops are
// disabled in this build, so there is no public call for it.
bool dispatchNextMessageOnSystemQueue(bool returnIfNoPendingMessages);
} // namespace juce

namespace editortest
{
// Delivers every message already posted (asynchronous clicks, change messages), then returns.
inline void deliverPostedMessages()
{
    while (juce::dispatchNextMessageOnSystemQueue(true))
    {
    }
}

// Paints a component and its children into a fresh transparent image of its own size.
inline juce::Image render(juce::Component& component)
{
    juce::Image image(juce::Image::ARGB, std::max(1, component.getWidth()),
                      std::max(1, component.getHeight()), true);
    juce::Graphics g(image);
    component.paintEntireComponent(g, false);
    return image;
}

inline juce::Image filled(int width, int height, juce::Colour colour)
{
    juce::Image image(juce::Image::ARGB, width, height, true);
    image.clear(image.getBounds(), colour);
    return image;
}

inline bool isTransparent(const juce::Image& image)
{
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            if (image.getPixelAt(x, y).getAlpha() != 0)
                return false;
    return true;
}
} // namespace editortest
