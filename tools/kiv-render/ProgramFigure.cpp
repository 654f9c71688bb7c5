#include "ProgramFigure.h"

#include "PlotPainter.h"

juce::Image ProgramFigure::draw(const std::string& title, const std::string& subtitle,
                                const Spectrogram& input, const Spectrogram& output,
                                const MagnitudeResponse& response)
{
    juce::Image image(juce::Image::RGB, width, height, true);
    juce::Graphics g(image);
    g.fillAll(PlotPainter::background());

    juce::Rectangle<int> area(24, 16, width - 48, height - 32);

    PlotPainter::drawHeading(g, area, title, subtitle);
    area.removeFromTop(10);

    // The legend sits to the right of both spectrograms; the response panel keeps the same
    // plot width so that the frequency axes of all three panels line up.
    const int legendWidth = 90;
    juce::Rectangle<int> spectra = area.removeFromTop(620);
    juce::Rectangle<int> legendColumn = spectra.removeFromRight(legendWidth);
    const juce::Rectangle<int> inputPanel = spectra.removeFromTop(spectra.getHeight() / 2);
    const juce::Rectangle<int> outputPanel = spectra;

    PlotPainter::drawSpectrogram(g, inputPanel, input, "Input", floorDb, topDb);
    PlotPainter::drawSpectrogram(g, outputPanel, output, "Output", floorDb, topDb);

    const juce::Rectangle<int> legendBar(legendColumn.getX() + 22,
                                         PlotPainter::plotArea(inputPanel).getY() + 24, 16,
                                         PlotPainter::plotArea(outputPanel).getBottom() -
                                             PlotPainter::plotArea(inputPanel).getY() - 24);
    PlotPainter::drawColourLegend(g, legendBar, floorDb, topDb);

    area.removeFromTop(8);
    juce::Rectangle<int> responsePanel = area.withTrimmedRight(legendWidth);
    const PlotPainter::Curve curve{&response, juce::Colour(0xfffb8861), ""};
    PlotPainter::drawResponses(g, responsePanel, {curve},
                               "Magnitude response (LFO and envelope intensity at 0.5: no "
                               "modulation)",
                               response.sampleRate / 2.0, false);
    return image;
}
