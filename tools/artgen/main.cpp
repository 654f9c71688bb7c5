// kiv_artgen: draws the six pictures of the editor and writes them as PNG files into the
// folder given as the only argument (the editor embeds them from editor/images). Every file
// is read back and checked before it is written; the program fails if any check fails.

#include "BackgroundArt.h"
#include "EditorLayout.h"
#include "KnobArt.h"
#include "PngFile.h"
#include "ToggleButtonArt.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <iostream>

namespace
{
// The knob strip must also be fully transparent in its corners, where the panel shows.
juce::String checkKnobCorners(const juce::Image& strip, int frameSize)
{
    const juce::Image::BitmapData data(strip, juce::Image::BitmapData::readOnly);
    for (int frameTop = 0; frameTop < strip.getHeight(); frameTop += frameSize)
        for (const auto& corner :
             {juce::Point<int>(0, 0), juce::Point<int>(frameSize - 1, 0),
              juce::Point<int>(0, frameSize - 1), juce::Point<int>(frameSize - 1, frameSize - 1)})
            if (data.getPixelColour(corner.x, frameTop + corner.y).getAlpha() != 0)
                return "knob strip: frame corner at y " + juce::String(frameTop) +
                       " not transparent";
    return {};
}
} // namespace

int main(int argc, char* argv[])
{
    if (argc != 2)
    {
        std::cerr << "usage: kiv_artgen <output folder>\n";
        return 2;
    }

    const juce::ScopedJuceInitialiser_GUI framework;
    const juce::File folder = juce::File::getCurrentWorkingDirectory().getChildFile(argv[1]);

    constexpr int knob = EditorLayout::knobSize;
    constexpr int frames = EditorLayout::numKnobFrames;
    constexpr int bw = EditorLayout::buttonWidth;
    constexpr int bh = EditorLayout::buttonHeight;
    constexpr int offMax = ToggleButtonArt::maxOffAlpha;
    constexpr int onMin = ToggleButtonArt::minOnAlpha;

    const auto strip = KnobArt::makeStrip(knob, frames);

    struct Output
    {
        const char* fileName;
        juce::Image image;
        PngFile::Expectation expected;
    };
    const Output outputs[] = {
        {"resource_NewJucerComponent_bmp00128.png",
         BackgroundArt::make(),
         {EditorLayout::editorWidth, EditorLayout::editorHeight, 255, 255}},
        {"resource_NewJucerComponent_bmp00129.png", strip, {knob, knob * frames, 0, 255}},
        {"resource_KivComponent_bmp00132.png",
         ToggleButtonArt::makeOff(bw, bh, "LEARN"),
         {bw, bh, 0, offMax}},
        {"resource_KivComponent_bmp00133.png",
         ToggleButtonArt::makeOn(bw, bh, "LEARN"),
         {bw, bh, onMin, 255}},
        {"resource_NewJucerComponent_bmp00134.png",
         ToggleButtonArt::makeOff(bw, bh, "TRIGGER"),
         {bw, bh, 0, offMax}},
        {"resource_NewJucerComponent_bmp00135.png",
         ToggleButtonArt::makeOn(bw, bh, "TRIGGER"),
         {bw, bh, onMin, 255}},
    };

    if (auto problem = checkKnobCorners(strip, knob); problem.isNotEmpty())
    {
        std::cerr << problem << "\n";
        return 1;
    }

    for (const auto& output : outputs)
    {
        const auto file = folder.getChildFile(output.fileName);
        if (auto problem = PngFile::write(output.image, file, output.expected);
            problem.isNotEmpty())
        {
            std::cerr << problem << "\n";
            return 1;
        }
        std::cout << "wrote " << file.getFullPathName() << "\n";
    }
    return 0;
}
