#include "TestSignal.h"

#include <cmath>
#include <cstdint>

TestSignal TestSignal::make(int numFrames, float sampleRate)
{
    TestSignal s;
    s.left.resize(static_cast<size_t>(numFrames));
    s.right.resize(static_cast<size_t>(numFrames));
    uint32_t noise = 0x12345678u;
    const double twoPi = 6.283185307179586;
    double sweepPhase = 0.0;
    for (int i = 0; i < numFrames; ++i)
    {
        const double t = i / static_cast<double>(sampleRate);
        noise = noise * 1664525u + 1013904223u;
        const double white = static_cast<double>(noise >> 8) / 8388608.0 - 1.0;

        // Sections of half a second: tones, sweep + noise, loud, near-silent, repeat.
        const int section = static_cast<int>(t * 2.0) % 4;
        const double sweepHz = 40.0 * std::pow(2.0, std::fmod(t, 4.0) * 2.4);
        sweepPhase += twoPi * sweepHz / sampleRate;
        double l = 0.0;
        double r = 0.0;
        switch (section)
        {
            case 0:
                l = 0.4 * std::sin(twoPi * 110.0 * t) + 0.2 * std::sin(twoPi * 3520.0 * t);
                r = 0.5 * std::sin(twoPi * 220.0 * t + 0.3);
                break;
            case 1:
                l = 0.5 * std::sin(sweepPhase) + 0.1 * white;
                r = 0.3 * white;
                break;
            case 2:
                l = 1.8 * std::sin(twoPi * 55.0 * t) + 0.4 * white;
                r = (std::fmod(t * 150.0, 1.0) < 0.5 ? 1.0 : -1.0) * 1.2;
                break;
            default:
                l = 1.0e-6 * white;
                r = i % 2000 == 0 ? 1.0 : 0.0;
                break;
        }
        s.left[static_cast<size_t>(i)] = static_cast<float>(l);
        s.right[static_cast<size_t>(i)] = static_cast<float>(r);
    }
    return s;
}
