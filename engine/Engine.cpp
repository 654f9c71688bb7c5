#include "Engine.h"

#include "Quantise.h"
#include "StereoFilterPath.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace
{
constexpr auto relaxed = std::memory_order_relaxed;

// rand() onto 0..1, then to at most about 2e-8: enough to keep the feedback states out of the
// denormal range, far below anything audible.
constexpr float randScale = 0x1p-31f;
constexpr float ditherLevel = 2.0e-8f;

// Indices into params that the engine reads.
constexpr int cutoffIndex = 1;
constexpr int resonanceIndex = 2;
constexpr int filterTypeIndex = 3;
constexpr int waveformIndex = 7;
constexpr int envelopeSpeedIndex = 11;
constexpr int lfoWidthIndex = 12;

constexpr int numFilterTypes = 5;  // steps of filtertype; types count from 1
constexpr int numWaveforms = 6;    // steps of lfowaveform

// Tempo multipliers of the sync modes 2..19: six plain multiples of the beat rate, the same six
// dotted (x 1.5) and the same six in triplets (x 4/3).
float syncRate(int mode, float rate, float beatsPerSecond) noexcept
{
    const float b = beatsPerSecond;
    switch (mode)
    {
        case 1: return rate * rate * rate * rate * 49.98f + 0.02f; // 0.02 .. 50 Hz
        case 2: return b * 4.0f;
        case 3: return b * 2.0f;
        case 4: return b;
        case 5: return b * 0.5f;
        case 6: return b * 0.25f;
        case 7: return b * 0.125f;
        case 8: return b * 4.0f * 1.5f;
        case 9: return b * 2.0f * 1.5f;
        case 10: return b * 1.5f;
        case 11: return b * 0.5f * 1.5f;
        case 12: return b * 0.25f * 1.5f;
        case 13: return b * 0.125f * 1.5f;
        case 14: return b * 4.0f * 1.3333334f;
        case 15: return b * 2.0f * 1.3333334f;
        case 16: return b * 1.3333334f;
        case 17: return b * 0.5f * 1.3333334f;
        case 18: return b * 0.25f * 1.3333334f;
        case 19: return b * 0.125f * 1.3333334f;
        default: return rate;
    }
}
} // namespace

Engine::Engine(float sampleRate) noexcept
    : bpm(120.0f),
      leftFilter(sampleRate),
      rightFilter(sampleRate),
      params {},
      leftLfo(sampleRate),
      rightLfo(sampleRate),
      envelopeLevel(0.0f),
      envelopeRate(sampleRate * 100.0f / 44100.0f),
      volumeGain(0.8f),
      inputDrive(0.8f),
      envelopeAmount(0.0f),
      lfoAmount(0.0f),
      smoothedCutoff(0.0f),
      smoothingWeight(1000.0f * sampleRate / 44100.0f),
      smoothingScale(1.0f / (smoothingWeight + 1.0f))
{
    for (auto& p : params)
    {
        p.store(0.0f, relaxed);
    }
}

void Engine::setSync(int mode, float rate) noexcept
{
    // One LFO cycle is 256 table units but the increment is scaled by 255, so a rate of f runs
    // f * 255/256 cycles per second; the processor's song-position alignment relies on it.
    const float f = syncRate(mode, rate, bpm.load(relaxed) / 60.0f);
    leftLfo.increment.store(f * 255.0f / leftLfo.sampleRate.load(relaxed), relaxed);
    rightLfo.increment.store(f * 255.0f / rightLfo.sampleRate.load(relaxed), relaxed);
}

void Engine::process(float* left, float* right) noexcept
{
    const float cutoff = params[cutoffIndex].load(relaxed);
    const float resonance = params[resonanceIndex].load(relaxed);
    const float filterTypeValue = params[filterTypeIndex].load(relaxed);
    const float waveformValue = params[waveformIndex].load(relaxed);
    const float envelopeSpeed = params[envelopeSpeedIndex].load(relaxed);
    const float lfoWidth = params[lfoWidthIndex].load(relaxed);
    const float rate = envelopeRate.load(relaxed);
    const float volume = volumeGain.load(relaxed);
    const float drive = inputDrive.load(relaxed);
    const float envelopeDepth = envelopeAmount.load(relaxed);
    const float lfoDepth = lfoAmount.load(relaxed);

    // The left LFO runs lfowidth * half a cycle ahead of the right one; its own advance from the
    // previous call is discarded.
    leftLfo.phase.store(lfoWidth * 128.0f + rightLfo.phase.load(relaxed), relaxed);

    float l = *left;
    float r = *right;
    const float dither = static_cast<float>(std::rand()) * randScale * ditherLevel;
    l += dither;
    r += dither;

    // Both smoother states are used as computed for this sample but restart from 0 once they
    // stop being finite (an infinite cutoff, an envelope speed or rate that is out of range);
    // without that the recursion would keep them infinite or NaN after the setting is sane again.
    const float smoothed = (smoothingWeight * smoothedCutoff + cutoff) * smoothingScale;
    smoothedCutoff = std::isfinite(smoothed) ? smoothed : 0.0f;

    // The operand order makes a NaN input feed 1, so no non-finite input reaches the follower.
    const float envelopeIn = std::min(1.0f, std::fabs((l + r) * 0.5f));
    const float d = envelopeSpeed * envelopeSpeed * 100.0f * rate + rate;
    const float level = ((d - 1.0f) * envelopeLevel + envelopeIn) / d;
    envelopeLevel = std::isfinite(level) ? level : 0.0f;

    const float c = level * envelopeDepth * 4.0f + smoothed;

    const int waveform = quantise(waveformValue, static_cast<float>(numWaveforms));
    const float lfoLeft = leftLfo.tick(waveform) * lfoDepth;
    const float lfoRight = rightLfo.tick(waveform) * lfoDepth;

    const float driveGain = drive * 8.0f + 0.3f;
    l *= driveGain;
    r *= driveGain;

    const int filterType = quantise(filterTypeValue, static_cast<float>(numFilterTypes)) + 1;
    // Both channels at once; the same as leftFilter.process(&l, ...) then
    // rightFilter.process(&r, ...).
    StereoFilterPath::process(leftFilter, rightFilter, l, r, c, resonance, lfoLeft, lfoRight,
                              filterType);

    l *= volume;
    r *= volume;
    const float levelCorrection = drive * 8.0f + 1.0f;
    l /= levelCorrection;
    r /= levelCorrection;
    *left = l;
    *right = r;
}
