#pragma once

#include <juce_graphics/juce_graphics.h>

// Writes an image as a PNG and reads the file back to prove what the editor relies on: 8 bits
// per channel, RGBA, not interlaced, the expected size, and every alpha value within a range.
class PngFile
{
public:
    struct Expectation
    {
        int width;
        int height;
        int minAlpha; // lowest alpha any pixel may have, 0..255
        int maxAlpha; // highest alpha any pixel may have, 0..255
    };

    // Returns an empty string on success, otherwise what went wrong.
    static juce::String write(const juce::Image& image, const juce::File& file,
                              const Expectation& expected);

private:
    static juce::String checkHeader(const juce::MemoryBlock& bytes, const Expectation& expected);
    static juce::String checkAlpha(const juce::Image& decoded, const Expectation& expected);
};
