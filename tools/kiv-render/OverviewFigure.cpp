#include "OverviewFigure.h"

#include "PlotPainter.h"

namespace
{
constexpr int headerHeight = 74;
constexpr int rowHeight = 250;
constexpr int legendHeight = 60;
constexpr int columnGap = 28;

// Ten well-separated hues for the response curves, in program order.
constexpr juce::uint32 curveColours[] = {0xffe6e6e6, 0xff4e9cf5, 0xfff5a742, 0xff63d471,
                                         0xffef5b5b, 0xffb78cf2, 0xff42d4d4, 0xfff27ec2,
                                         0xffc9d442, 0xff9a8f83};
} // namespace

juce::Colour OverviewFigure::curveColour(std::size_t i)
{
    return juce::Colour(curveColours[i % std::size(curveColours)]);
}

juce::Image OverviewFigure::draw(const std::string& title, const std::string& subtitle,
                                 const Spectrogram& input, const std::vector<Program>& programs)
{
    const int numRows = 1 + static_cast<int>((programs.size() + 1) / 2);
    const int height = headerHeight + numRows * rowHeight + legendHeight + 16;

    juce::Image image(juce::Image::RGB, width, height, true);
    juce::Graphics g(image);
    g.fillAll(PlotPainter::background());

    juce::Rectangle<int> area(24, 16, width - 48, height - 32);

    PlotPainter::drawHeading(g, area, title, subtitle);
    area.removeFromTop(headerHeight - 16 - 54);

    const int columnWidth = (area.getWidth() - columnGap) / 2;
    auto cell = [&](int row, int column)
    {
        return juce::Rectangle<int>(area.getX() + column * (columnWidth + columnGap),
                                    area.getY() + row * rowHeight, columnWidth, rowHeight - 8);
    };

    PlotPainter::drawSpectrogram(g, cell(0, 0), input, "Input", floorDb, topDb);

    std::vector<PlotPainter::Curve> curves;

    for (std::size_t i = 0; i < programs.size(); ++i)
        curves.push_back(
            {&programs[i].response, curveColour(i), std::to_string(i) + "  " + programs[i].name});

    const double nyquist =
        programs.empty() ? input.sampleRate / 2.0 : programs.front().response.sampleRate / 2.0;
    PlotPainter::drawResponses(g, cell(0, 1), curves, "Magnitude responses (no modulation)",
                               nyquist, true);

    for (std::size_t i = 0; i < programs.size(); ++i)
    {
        const int row = 1 + static_cast<int>(i / 2);
        const int column = static_cast<int>(i % 2);
        PlotPainter::drawSpectrogram(g, cell(row, column), programs[i].output,
                                     std::to_string(i) + "  " + programs[i].name, floorDb, topDb);
    }

    // One horizontal colour legend under the grid.
    const juce::Rectangle<int> legendArea(area.getX() + PlotPainter::leftMargin,
                                          area.getY() + numRows * rowHeight + 12, 1, 1);
    const int barWidth = 420;
    const int barY = legendArea.getY() + 8;
    g.setFont(PlotPainter::font(12.0f));

    for (int x = 0; x < barWidth; ++x)
    {
        const float db = floorDb + (topDb - floorDb) * static_cast<float>(x) / barWidth;
        g.setColour(PlotPainter::colourFor(db, floorDb, topDb));
        g.fillRect(legendArea.getX() + x, barY, 1, 14);
    }

    g.setColour(PlotPainter::grid());
    g.drawRect(legendArea.getX(), barY, barWidth, 14);

    for (float db = floorDb; db <= topDb + 1e-3f; db += 20.0f)
    {
        const int x =
            legendArea.getX() + static_cast<int>((db - floorDb) / (topDb - floorDb) * barWidth);
        g.setColour(PlotPainter::faintInk());
        g.drawVerticalLine(x, static_cast<float>(barY + 14), static_cast<float>(barY + 18));
        g.drawText(juce::String(static_cast<int>(db)), x - 20, barY + 18, 40, 14,
                   juce::Justification::centred);
    }

    g.drawText("level, dB FS", legendArea.getX() + barWidth + 12, barY, 120, 14,
               juce::Justification::centredLeft);
    return image;
}
