#include "PlotPainter.h"

#include <algorithm>
#include <cmath>

namespace
{
// Colour stops of the level scale, from the floor (0) to the top (1).
struct ColourStop
{
    float position;
    juce::uint32 argb;
};

constexpr ColourStop levelStops[] = {{0.00f, 0xff000004}, {0.15f, 0xff1d1147}, {0.32f, 0xff51127c},
                                     {0.48f, 0xff822681}, {0.62f, 0xffb63679}, {0.75f, 0xffe65164},
                                     {0.87f, 0xfffb8861}, {0.95f, 0xfffec287}, {1.00f, 0xfffcfdbf}};

constexpr double frequencyTicks[] = {20,   50,   100,   200,   500,   1000,
                                     2000, 5000, 10000, 20000, 50000, 100000};

std::string frequencyText(double hz)
{
    if (hz >= 1000.0)
        return juce::String(hz / 1000.0, 0).toStdString() + "k";

    return juce::String(static_cast<int>(hz)).toStdString();
}

/** A tick step for an axis of `span` units with about `wanted` ticks: 1, 2 or 5 × 10^n. */
double tickStep(double span, int wanted)
{
    const double raw = span / std::max(1, wanted);
    const double decade = std::pow(10.0, std::floor(std::log10(raw)));

    for (const double m : {1.0, 2.0, 5.0, 10.0})
        if (m * decade >= raw)
            return m * decade;

    return 10.0 * decade;
}

std::string numberText(double value, double step)
{
    const int decimals = step >= 1.0 ? 0 : static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
    return juce::String(value, decimals).toStdString();
}
} // namespace

juce::Colour PlotPainter::colourFor(float db, float floorDb, float topDb)
{
    const float x = std::clamp((db - floorDb) / (topDb - floorDb), 0.0f, 1.0f);

    for (std::size_t i = 1; i < std::size(levelStops); ++i)
    {
        if (x <= levelStops[i].position)
        {
            const ColourStop& a = levelStops[i - 1];
            const ColourStop& b = levelStops[i];
            const float t = (x - a.position) / (b.position - a.position);
            return juce::Colour(a.argb).interpolatedWith(juce::Colour(b.argb), t);
        }
    }

    return juce::Colour(levelStops[std::size(levelStops) - 1].argb);
}

juce::Font PlotPainter::font(float height, bool bold)
{
    return juce::Font(juce::Font::getDefaultSansSerifFontName(), height,
                      bold ? juce::Font::bold : juce::Font::plain);
}

juce::Rectangle<int> PlotPainter::plotArea(juce::Rectangle<int> area)
{
    return area.withTrimmedLeft(leftMargin)
        .withTrimmedBottom(bottomMargin)
        .withTrimmedTop(topMargin);
}

float PlotPainter::logPosition(double hz, double maxHz)
{
    return static_cast<float>((std::log(hz) - std::log(lowestHz)) /
                              (std::log(maxHz) - std::log(lowestHz)));
}

void PlotPainter::drawFrequencyTicks(juce::Graphics& g, juce::Rectangle<int> plot, double maxHz,
                                     bool vertical)
{
    g.setFont(font(12.0f));

    for (const double hz : frequencyTicks)
    {
        if (hz > maxHz)
            break;

        const float p = logPosition(hz, maxHz);
        g.setColour(grid());

        if (vertical)
        {
            // Frequency up the left edge.
            const float y = static_cast<float>(plot.getBottom()) - p * plot.getHeight();
            g.drawHorizontalLine(static_cast<int>(y), static_cast<float>(plot.getX()),
                                 static_cast<float>(plot.getRight()));
            g.setColour(faintInk());
            g.drawText(frequencyText(hz), plot.getX() - 46, static_cast<int>(y) - 7, 40, 14,
                       juce::Justification::centredRight);
        }
        else
        {
            // Frequency along the bottom edge.
            const float x = static_cast<float>(plot.getX()) + p * plot.getWidth();
            g.drawVerticalLine(static_cast<int>(x), static_cast<float>(plot.getY()),
                               static_cast<float>(plot.getBottom()));
            g.setColour(faintInk());
            g.drawText(frequencyText(hz), static_cast<int>(x) - 20, plot.getBottom() + 3, 40, 14,
                       juce::Justification::centred);
        }
    }
}

void PlotPainter::drawSpectrogram(juce::Graphics& g, juce::Rectangle<int> area,
                                  const Spectrogram& spectrogram, const std::string& title,
                                  float floorDb, float topDb, bool timeLabels)
{
    const juce::Rectangle<int> plot = plotArea(area);
    const double maxHz = std::max(lowestHz * 2.0, spectrogram.sampleRate / 2.0);

    g.setColour(ink());
    g.setFont(font(15.0f, true));
    g.drawText(title, plot.getX(), area.getY(), plot.getWidth(), topMargin - 4,
               juce::Justification::bottomLeft);

    if (plot.getWidth() <= 0 || plot.getHeight() <= 0)
        return;

    juce::Image pixels(juce::Image::RGB, plot.getWidth(), plot.getHeight(), true);

    if (spectrogram.numFrames > 0 && spectrogram.durationSeconds > 0.0)
    {
        juce::Image::BitmapData data(pixels, juce::Image::BitmapData::writeOnly);
        const double logLo = std::log(lowestHz);
        const double logSpan = std::log(maxHz) - logLo;

        for (int x = 0; x < plot.getWidth(); ++x)
        {
            const double t0 = spectrogram.durationSeconds * x / plot.getWidth();
            const double t1 = spectrogram.durationSeconds * (x + 1) / plot.getWidth();
            const int frame0 = static_cast<int>(std::lround(t0 / spectrogram.hopSeconds));
            const int frame1 =
                std::max(frame0, static_cast<int>(std::lround(t1 / spectrogram.hopSeconds)) - 1);

            for (int y = 0; y < plot.getHeight(); ++y)
            {
                const double hzTop =
                    std::exp(logLo + logSpan * (1.0 - static_cast<double>(y) / plot.getHeight()));
                const double hzBottom = std::exp(
                    logLo + logSpan * (1.0 - static_cast<double>(y + 1) / plot.getHeight()));
                const float db = spectrogram.levelIn(frame0, frame1, hzBottom, hzTop);
                data.setPixelColour(x, y, colourFor(db, floorDb, topDb));
            }
        }
    }

    g.drawImageAt(pixels, plot.getX(), plot.getY());
    drawFrequencyTicks(g, plot, maxHz, true);

    g.setColour(faintInk());
    g.setFont(font(12.0f));
    g.drawText("Hz", area.getX(), plot.getY() - 16, leftMargin - 18, 14,
               juce::Justification::centredRight);

    const double duration = spectrogram.durationSeconds;

    if (duration > 0.0)
    {
        const double step = tickStep(duration, std::max(2, plot.getWidth() / 90));

        for (double t = 0.0; t <= duration + 1e-9; t += step)
        {
            const float x = static_cast<float>(plot.getX() + t / duration * plot.getWidth());
            g.setColour(grid());
            g.drawVerticalLine(static_cast<int>(x), static_cast<float>(plot.getBottom()),
                               static_cast<float>(plot.getBottom() + 4));

            if (timeLabels)
            {
                g.setColour(faintInk());
                g.drawText(numberText(t, step), static_cast<int>(x) - 25, plot.getBottom() + 4, 50,
                           14, juce::Justification::centred);
            }
        }
    }

    if (timeLabels)
    {
        g.setColour(faintInk());
        g.drawText("seconds", plot.getRight() - 80, plot.getBottom() + 18, 80, 14,
                   juce::Justification::centredRight);
    }

    g.setColour(grid());
    g.drawRect(plot);
}

void PlotPainter::drawColourLegend(juce::Graphics& g, juce::Rectangle<int> area, float floorDb,
                                   float topDb)
{
    const juce::Rectangle<int> bar = area.withWidth(16);

    for (int y = 0; y < bar.getHeight(); ++y)
    {
        const float db = topDb - (topDb - floorDb) * static_cast<float>(y) / bar.getHeight();
        g.setColour(colourFor(db, floorDb, topDb));
        g.fillRect(bar.getX(), bar.getY() + y, bar.getWidth(), 1);
    }

    g.setColour(grid());
    g.drawRect(bar);
    g.setFont(font(12.0f));

    const double step = tickStep(topDb - floorDb, std::max(2, bar.getHeight() / 40));

    for (double db = std::ceil(floorDb / step) * step; db <= topDb + 1e-6; db += step)
    {
        const int y =
            bar.getY() + static_cast<int>((topDb - db) / (topDb - floorDb) * bar.getHeight());
        g.setColour(faintInk());
        g.drawHorizontalLine(y, static_cast<float>(bar.getRight()),
                             static_cast<float>(bar.getRight() + 4));
        g.drawText(numberText(db, step), bar.getRight() + 6, y - 7, 40, 14,
                   juce::Justification::centredLeft);
    }

    g.setColour(faintInk());
    g.drawText("dB FS", bar.getX() - 10, bar.getY() - 20, 60, 14, juce::Justification::centredLeft);
}

void PlotPainter::responseRange(const std::vector<Curve>& curves, double nyquistHz, float& bottom,
                                float& top)
{
    float peak = -240.0f;

    for (const Curve& curve : curves)
        peak = std::max(peak, curve.response->peakDb(lowestHz, nyquistHz));

    top = std::max(6.0f, 6.0f * std::ceil((peak + 3.0f) / 6.0f));
    bottom = top - 84.0f;
}

void PlotPainter::drawResponses(juce::Graphics& g, juce::Rectangle<int> area,
                                const std::vector<Curve>& curves, const std::string& title,
                                double nyquistHz, bool showLegend)
{
    juce::Rectangle<int> plot = plotArea(area);
    juce::Rectangle<int> legend;

    if (showLegend)
        legend = plot.removeFromRight(200).withTrimmedLeft(14);

    const double maxHz = std::max(lowestHz * 2.0, nyquistHz);
    float bottom = -60.0f;
    float top = 12.0f;
    responseRange(curves, maxHz, bottom, top);

    g.setColour(ink());
    g.setFont(font(15.0f, true));
    g.drawText(title, plot.getX(), area.getY(), plot.getWidth(), topMargin - 4,
               juce::Justification::bottomLeft);

    g.setColour(juce::Colour(0xff0d0e11));
    g.fillRect(plot);
    drawFrequencyTicks(g, plot, maxHz, false);

    g.setFont(font(12.0f));

    for (float db = bottom; db <= top + 1e-3f; db += 6.0f)
    {
        const int y =
            plot.getY() + static_cast<int>((top - db) / (top - bottom) * plot.getHeight());
        g.setColour(std::abs(db) < 1e-3f ? juce::Colour(0x80ffffff) : grid());
        g.drawHorizontalLine(y, static_cast<float>(plot.getX()),
                             static_cast<float>(plot.getRight()));

        if (static_cast<int>(std::lround(db)) % 12 == 0)
        {
            g.setColour(faintInk());
            g.drawText(numberText(db, 1.0), plot.getX() - 46, y - 7, 40, 14,
                       juce::Justification::centredRight);
        }
    }

    g.setColour(faintInk());
    g.drawText("dB", area.getX(), plot.getY() - 16, leftMargin - 18, 14,
               juce::Justification::centredRight);
    g.drawText("Hz", plot.getRight() - 80, plot.getBottom() + 18, 80, 14,
               juce::Justification::centredRight);

    g.saveState();
    g.reduceClipRegion(plot);

    for (const Curve& curve : curves)
    {
        juce::Path path;

        for (int x = 0; x <= plot.getWidth(); ++x)
        {
            const double hz = std::exp(std::log(lowestHz) + (std::log(maxHz) - std::log(lowestHz)) *
                                                                x / plot.getWidth());
            const float db = std::clamp(curve.response->dbAt(hz), bottom - 10.0f, top + 10.0f);
            const float px = static_cast<float>(plot.getX() + x);
            const float py = static_cast<float>(plot.getY()) +
                             (top - db) / (top - bottom) * static_cast<float>(plot.getHeight());

            if (x == 0)
                path.startNewSubPath(px, py);
            else
                path.lineTo(px, py);
        }

        g.setColour(curve.colour);
        g.strokePath(path, juce::PathStrokeType(curves.size() > 1 ? 1.6f : 2.2f,
                                                juce::PathStrokeType::curved));
    }

    g.restoreState();
    g.setColour(grid());
    g.drawRect(plot);

    if (showLegend)
    {
        g.setFont(font(12.5f));
        int y = legend.getY();

        for (const Curve& curve : curves)
        {
            g.setColour(curve.colour);
            g.fillRect(legend.getX(), y + 5, 14, 4);
            g.setColour(ink());
            g.drawText(curve.label, legend.getX() + 20, y, legend.getWidth() - 20, 14,
                       juce::Justification::centredLeft);
            y += 18;
        }
    }
}

void PlotPainter::drawHeading(juce::Graphics& g, juce::Rectangle<int>& area,
                              const juce::String& title, const juce::String& subtitle)
{
    g.setColour(ink());
    g.setFont(font(24.0f, true));
    g.drawText(title, area.removeFromTop(32), juce::Justification::centredLeft);
    g.setColour(faintInk());
    g.setFont(font(14.0f));
    g.drawText(subtitle, area.removeFromTop(22), juce::Justification::centredLeft);
}
