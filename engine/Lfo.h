#pragma once

#include <atomic>

// A low-frequency oscillator giving one modulation value in -1..1 per tick. Waveforms 0..3 read
// one of four wave tables (sine, triangle, rising saw, square) with linear interpolation; 4 is a
// sample-and-hold that draws a new random value at the start of every cycle; any other number
// is smoothed noise, a new low-passed random value every tick. Every waveform then passes a
// one-pole smoother of about 20 samples. One cycle is 256 table units of phase; the phase
// advances by `increment` per tick. Random values come from the C library's rand(), shared with
// the engine's dither and never seeded here.
class Lfo
{
public:
    static constexpr int tableLength = 256;                  // table units per cycle
    static constexpr int numTableEntries = tableLength + 1;  // plus one guard entry

    explicit Lfo(float sampleRate) noexcept;
    virtual ~Lfo();

    // Returns this tick's value (belonging to the phase on entry) and advances the phase.
    float tick(int waveform) noexcept;

    // Table units; written by the engine (left channel's offset) and the processor (resets).
    std::atomic<float> phase;
    // Table units per sample: f * 255 / sampleRate for a rate of f, written by Engine::setSync.
    std::atomic<float> increment;
    // Hz; written by the processor on a sample-rate change.
    std::atomic<float> sampleRate;

    float output;
    float holdValue;
    float noiseState;
    float sineTable[numTableEntries];
    float triangleTable[numTableEntries];
    float sawTable[numTableEntries];
    float squareTable[numTableEntries];

private:
    static float wrapOutOfRange(float phase) noexcept;
};

static_assert(std::atomic<float>::is_always_lock_free, "the audio thread must not lock");
