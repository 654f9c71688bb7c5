#pragma once

#include "FilterHandler.h"
#include "Lfo.h"

#include <atomic>

// The stereo signal path: one left and one right sample per call, in place. Per call it adds a
// tiny dither, smooths the cutoff, follows the input level, ticks both LFOs (the left one offset
// from the right by lfowidth), drives the input, runs each channel through its filter section
// with the modulated cutoff, and applies the volume with a drive-dependent level correction.
//
// The two filter sections keep their state in leftFilter and rightFilter, but process runs them
// side by side in two SIMD lanes (StereoFilterPath), with exactly the bits of calling
// leftFilter.process and then rightFilter.process.
//
// The processor writes the atomic fields (from any thread, relaxed) and calls setSync; process
// reads each of them once per call. Everything is created at construction; process never
// allocates, locks or blocks (beyond what the C library's rand() does).
class Engine
{
public:
    static constexpr int numParams = 15;

    explicit Engine(float sampleRate) noexcept;

    void process(float* left, float* right) noexcept;

    // Sets both LFOs' increment from a sync mode (1 free-running at the rate control, 2..19
    // locked to bpm, anything else: rate taken as cycles per second) and the rate control 0..1.
    void setSync(int mode, float rate) noexcept;

    // Tempo, beats per minute; read only by setSync.
    std::atomic<float> bpm;
    FilterHandler leftFilter;
    FilterHandler rightFilter;
    // Every parameter's normalised value by index. Read here: 1 cutoff, 2 resonance,
    // 3 filtertype, 7 lfowaveform, 11 envelopespeed, 12 lfowidth.
    std::atomic<float> params[numParams];
    Lfo leftLfo;
    Lfo rightLfo;
    // Envelope follower output, 0..1.
    float envelopeLevel;
    // Envelope follower base time constant in samples: 100 at 44100 Hz.
    std::atomic<float> envelopeRate;
    // Output gain 0..8 (8 v^3 of volume).
    std::atomic<float> volumeGain;
    // Drive 0..1 (v^3 of inputdrive); the gain into the filter is 8 * drive + 0.3.
    std::atomic<float> inputDrive;
    // Signed modulation depths, -1..1.
    std::atomic<float> envelopeAmount;
    std::atomic<float> lfoAmount;
    // The smoothed cutoff, and the smoother's weight (1000 at 44100 Hz, about 23 ms) and
    // 1 / (weight + 1). The weight keeps the construction sample rate for the engine's life.
    float smoothedCutoff;
    float smoothingWeight;
    float smoothingScale;
};

static_assert(std::atomic<float>::is_always_lock_free, "the audio thread must not lock");
