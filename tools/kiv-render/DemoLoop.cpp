#include "DemoLoop.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace
{
constexpr double twoPi = 6.283185307179586;
constexpr int stepsPerBar = 16;
constexpr double targetPeak = 0.8;

/** The correction that removes the step of a naive saw at its wrap (polynomial BLEP). */
double polyBlep(double t, double dt)
{
    if (t < dt)
    {
        const double x = t / dt;
        return x + x - x * x - 1.0;
    }

    if (t > 1.0 - dt)
    {
        const double x = (t - 1.0) / dt;
        return x * x + x + x + 1.0;
    }

    return 0.0;
}

double noteHz(int note)
{
    return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

struct BassNote
{
    int step;   ///< sixteenth within the bar
    int length; ///< in sixteenths
    int offset; ///< semitones above the bar's root
};

// One bar of the bass line, played over each bar's root.
constexpr BassNote bassBar[] = {{0, 2, 0}, {2, 1, 12}, {3, 1, 0},  {5, 1, 0},   {6, 1, 12},
                                {8, 1, 0}, {10, 1, 7}, {11, 1, 0}, {13, 1, 12}, {14, 2, 10}};
constexpr int rootNotes[] = {33, 29, 36, 31}; // A1, F1, C2, G1
} // namespace

AudioClip DemoLoop::render(double sampleRate, double tempoBpm, int bars)
{
    const double secondsPerStep = 60.0 / tempoBpm / 4.0;
    const auto totalSteps = static_cast<std::size_t>(bars) * stepsPerBar;
    const auto numFrames =
        static_cast<std::size_t>(std::llround(totalSteps * secondsPerStep * sampleRate));

    AudioClip clip;
    clip.sampleRate = sampleRate;
    clip.channels.assign(2, std::vector<float>(numFrames, 0.0f));
    std::vector<float>& left = clip.channels[0];
    std::vector<float>& right = clip.channels[1];

    auto frameOf = [&](double step)
    { return static_cast<std::size_t>(std::llround(step * secondsPerStep * sampleRate)); };

    // Bass: two saws detuned by ±6 cents, one leaning left and one right.
    for (int bar = 0; bar < bars; ++bar)
    {
        const int root = rootNotes[bar % 4];

        for (const BassNote& note : bassBar)
        {
            const std::size_t start = frameOf(bar * stepsPerBar + note.step);
            const std::size_t gateEnd = frameOf(bar * stepsPerBar + note.step + note.length * 0.8);
            const std::size_t end = std::min(numFrames, gateEnd + frameOf(0.25));
            const double hz = noteHz(root + note.offset);
            const double detune = std::pow(2.0, 6.0 / 1200.0);
            double phaseA = 0.0;
            double phaseB = 0.5;
            const double dtA = hz * detune / sampleRate;
            const double dtB = hz / detune / sampleRate;

            for (std::size_t i = start; i < end; ++i)
            {
                const double t = (i - start) / sampleRate;
                const double attack = std::min(1.0, t / 0.003);
                const double release =
                    i < gateEnd
                        ? 1.0
                        : std::exp(-static_cast<double>(i - gateEnd) / (0.015 * sampleRate));
                const double level = 0.32 * attack * release * (0.7 + 0.3 * std::exp(-t / 0.08));
                const double a = 2.0 * phaseA - 1.0 - polyBlep(phaseA, dtA);
                const double b = 2.0 * phaseB - 1.0 - polyBlep(phaseB, dtB);
                left[i] += static_cast<float>(level * (0.65 * a + 0.35 * b));
                right[i] += static_cast<float>(level * (0.35 * a + 0.65 * b));
                phaseA += dtA;
                phaseB += dtB;
                phaseA -= std::floor(phaseA);
                phaseB -= std::floor(phaseB);
            }
        }
    }

    // Kick on every beat: a sine falling from 150 Hz to 45 Hz, with a short click.
    for (std::size_t beat = 0; beat < totalSteps / 4; ++beat)
    {
        const std::size_t start = frameOf(beat * 4.0);
        const std::size_t end =
            std::min(numFrames, start + static_cast<std::size_t>(0.45 * sampleRate));
        double phase = 0.0;

        for (std::size_t i = start; i < end; ++i)
        {
            const double t = (i - start) / sampleRate;
            const double hz = 45.0 + 105.0 * std::exp(-t / 0.03);
            const double level = 0.9 * std::exp(-t / 0.16) + 0.3 * std::exp(-t / 0.002);
            const auto v = static_cast<float>(level * std::sin(phase));
            left[i] += v;
            right[i] += v;
            phase += twoPi * hz / sampleRate;
        }
    }

    // A small fixed-seed generator (xorshift32), so that the demo leaves the C library's
    // rand() alone: the plug-in draws its dither and random waveforms from it.
    std::uint32_t noiseState = 0x9e3779b9u;
    auto noise = [&noiseState]()
    {
        noiseState ^= noiseState << 13;
        noiseState ^= noiseState >> 17;
        noiseState ^= noiseState << 5;
        return static_cast<float>(noiseState) / 2147483648.0f - 1.0f;
    };

    // Snare on beats two and four: a 185 Hz body and a band of noise.
    for (std::size_t beat = 1; beat < totalSteps / 4; beat += 2)
    {
        const std::size_t start = frameOf(beat * 4.0);
        const std::size_t end =
            std::min(numFrames, start + static_cast<std::size_t>(0.3 * sampleRate));
        double low = 0.0;
        double previous = 0.0;

        for (std::size_t i = start; i < end; ++i)
        {
            const double t = (i - start) / sampleRate;
            const double n = noise();
            low += 0.35 * (n - low);            // tame the very top
            const double band = low - previous; // and the bottom
            previous = low;
            const double body = 0.35 * std::exp(-t / 0.05) * std::sin(twoPi * 185.0 * t);
            const double level = 0.5 * std::exp(-t / 0.07);
            left[i] += static_cast<float>(body + level * band);
            right[i] += static_cast<float>(body + level * band * 0.9);
        }
    }

    // Hi-hats on every sixteenth: high-passed noise, the off-beat eighths open and louder,
    // leaning right.
    for (std::size_t step = 0; step < totalSteps; ++step)
    {
        const bool open = step % 4 == 2;
        const double decay = open ? 0.09 : 0.025;
        const double gain = open ? 0.22 : (step % 2 == 0 ? 0.1 : 0.07);
        const std::size_t start = frameOf(static_cast<double>(step));
        const std::size_t end =
            std::min(numFrames, start + static_cast<std::size_t>(6.0 * decay * sampleRate));
        double previous = 0.0;

        for (std::size_t i = start; i < end; ++i)
        {
            const double t = (i - start) / sampleRate;
            const double n = noise();
            const double high = n - previous;
            previous = n;
            const double v = gain * std::exp(-t / decay) * high;
            left[i] += static_cast<float>(0.8 * v);
            right[i] += static_cast<float>(v);
        }
    }

    float peak = 0.0f;

    for (const auto& channel : clip.channels)
        for (const float v : channel)
            peak = std::max(peak, std::abs(v));

    if (peak > 0.0f)
    {
        const auto scale = static_cast<float>(targetPeak / peak);

        for (auto& channel : clip.channels)
            for (float& v : channel)
                v *= scale;
    }

    return clip;
}
