#include "ProgressBar.h"

#include <algorithm>
#include <unistd.h>

namespace
{
constexpr auto quietPeriod = std::chrono::milliseconds(500);
constexpr auto redrawPeriod = std::chrono::milliseconds(100);
constexpr int barWidth = 30;
} // namespace

ProgressBar::ProgressBar(std::string text)
    : label(std::move(text)), enabled(::isatty(STDERR_FILENO) == 1), started(Clock::now())
{
}

ProgressBar::~ProgressBar()
{
    finish();
}

void ProgressBar::update(double done, double total)
{
    if (!enabled || !(total > 0.0))
        return;

    const auto now = Clock::now();

    if (now - started < quietPeriod || (drawn && now - lastDrawn < redrawPeriod))
        return;

    const double fraction = std::clamp(done / total, 0.0, 1.0);
    const int filled = static_cast<int>(fraction * barWidth + 0.5);
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(barWidth - filled), '-');
    std::fprintf(stderr, "\r%s [%s] %3d%%", label.c_str(), bar.c_str(),
                 static_cast<int>(fraction * 100.0 + 0.5));
    std::fflush(stderr);
    drawn = true;
    lastDrawn = now;
}

void ProgressBar::finish()
{
    if (drawn)
    {
        // Blank the line, leave the cursor at its start.
        std::fprintf(stderr, "\r%*s\r", static_cast<int>(label.size()) + barWidth + 8, "");
        std::fflush(stderr);
        drawn = false;
    }
}
