#pragma once

#include <chrono>
#include <cstdio>
#include <string>

/**
    A one-line progress bar on stderr for renders that take a while. It draws only when
    stderr is a terminal, and only once the work has run for half a second, so short renders
    and redirected runs stay quiet. Redraws at most ten times a second; `finish` (also called
    by the destructor) clears the line again.
*/
class ProgressBar
{
public:
    explicit ProgressBar(std::string label);
    ~ProgressBar();

    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    /** `done` of `total` units finished. */
    void update(double done, double total);
    void finish();

private:
    using Clock = std::chrono::steady_clock;

    std::string label;
    bool enabled = false;
    bool drawn = false;
    Clock::time_point started;
    Clock::time_point lastDrawn;
};
