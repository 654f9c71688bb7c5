#include "Engine.h"
#include "FilterHandler.h"
#include "FilterLp12dB.h"
#include "Quantise.h"
#include "ReferenceEngine.h"
#include "StereoFilterPath.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

// Cost of the sound path per stereo frame. Each iteration processes one block; the "frame"
// counter reports the time per stereo frame.

namespace
{
constexpr int blockFrames = 512;

std::vector<float> makeInput(float sampleRate, double hz, uint32_t seed)
{
    std::vector<float> v(blockFrames);
    for (int i = 0; i < blockFrames; ++i)
    {
        seed = seed * 1664525u + 1013904223u;
        const double noise = static_cast<double>(seed >> 8) / 8388608.0 - 1.0;
        v[static_cast<size_t>(i)] = static_cast<float>(
            0.5 * std::sin(6.283185307179586 * hz * i / sampleRate) + 0.05 * noise);
    }
    return v;
}

template <typename EngineType>
void setProgram(EngineType& engine, int filterType, int waveform)
{
    // Program "Lfo Sine 1/4 LP" with the filter type and the waveform of the run.
    const float values[15] = { 0.0f,         0.772000015f, 0.484000027f,
                               static_cast<float>(filterType - 1) / 5.0f,
                               0.263999999f, 0.280000001f, 1.0f / 6.0f,
                               static_cast<float>(waveform) / 6.0f,
                               0.844000041f, 0.496000022f, 0.508000016f,
                               0.656000018f, 0.3f,         0.0f,
                               0.0f };
    for (int i = 0; i < 15; ++i)
    {
        engine.params[i] = values[i];
    }
    const auto signedSquare = [](float v) { return (2.0f * v - 1.0f) * std::fabs(2.0f * v - 1.0f); };
    engine.lfoAmount = signedSquare(values[4]);
    engine.volumeGain = 8.0f * values[8] * values[8] * values[8];
    engine.inputDrive = values[9] * values[9] * values[9];
    engine.envelopeAmount = signedSquare(values[10]);
    engine.setSync(quantise(values[6], 18.0f) + 1, values[5]);
}

void setFrameCounter(benchmark::State& state)
{
    state.counters["frame"] = benchmark::Counter(
        blockFrames, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Args: filter type, waveform, sample rate. The plain scalar ReferenceEngine of the tests runs
// the same program for comparison.
template <typename EngineType>
void engineProcess(benchmark::State& state)
{
    const int filterType = static_cast<int>(state.range(0));
    const int waveform = static_cast<int>(state.range(1));
    const float sampleRate = static_cast<float>(state.range(2));
    auto engine = std::make_unique<EngineType>(sampleRate);
    setProgram(*engine, filterType, waveform);
    const std::vector<float> inLeft = makeInput(sampleRate, 110.0, 1u);
    const std::vector<float> inRight = makeInput(sampleRate, 165.0, 2u);
    std::vector<float> left(blockFrames);
    std::vector<float> right(blockFrames);
    for (auto _ : state)
    {
        left = inLeft;
        right = inRight;
        for (int i = 0; i < blockFrames; ++i)
        {
            engine->process(&left[static_cast<size_t>(i)], &right[static_cast<size_t>(i)]);
        }
        benchmark::DoNotOptimize(left.data());
        benchmark::DoNotOptimize(right.data());
        benchmark::ClobberMemory();
    }
    setFrameCounter(state);
}

// The dependency-chain limit: one channel's low-pass core alone, two calls per input sample
// coupled through the feedback, no decimator, no LFO, no dither.
void lowPassChain(benchmark::State& state)
{
    FilterLp12dB core(44100.0f);
    const std::vector<float> input = makeInput(44100.0f, 110.0, 3u);
    const float a = FilterHandler::shapeCutoff(0.772f, 0.1f);
    const float r = FilterHandler::shapeResonance(0.484f);
    float previous = 0.0f;
    for (auto _ : state)
    {
        for (int i = 0; i < blockFrames; ++i)
        {
            const float x = input[static_cast<size_t>(i)];
            float first = (x - previous) * 0.5f + previous;
            float second = x;
            previous = x;
            core.process(&first, a, r, true);
            core.process(&second, a, r, false);
            benchmark::DoNotOptimize(first);
            benchmark::DoNotOptimize(second);
        }
    }
    setFrameCounter(state);
}

// Both channels' filter sections without the rest of the engine: the two scalar
// FilterHandler::process calls, and the same work in two lanes. Arg: filter type.
void twoScalarSections(benchmark::State& state)
{
    const int filterType = static_cast<int>(state.range(0));
    FilterHandler left(44100.0f);
    FilterHandler right(44100.0f);
    const std::vector<float> inLeft = makeInput(44100.0f, 110.0, 4u);
    const std::vector<float> inRight = makeInput(44100.0f, 165.0, 5u);
    for (auto _ : state)
    {
        for (int i = 0; i < blockFrames; ++i)
        {
            float l = inLeft[static_cast<size_t>(i)];
            float r = inRight[static_cast<size_t>(i)];
            left.process(&l, 0.8f, 0.5f, 0.05f, filterType);
            right.process(&r, 0.8f, 0.5f, -0.05f, filterType);
            benchmark::DoNotOptimize(l);
            benchmark::DoNotOptimize(r);
        }
    }
    setFrameCounter(state);
}

void stereoFilterPath(benchmark::State& state)
{
    const int filterType = static_cast<int>(state.range(0));
    FilterHandler left(44100.0f);
    FilterHandler right(44100.0f);
    const std::vector<float> inLeft = makeInput(44100.0f, 110.0, 4u);
    const std::vector<float> inRight = makeInput(44100.0f, 165.0, 5u);
    for (auto _ : state)
    {
        for (int i = 0; i < blockFrames; ++i)
        {
            float l = inLeft[static_cast<size_t>(i)];
            float r = inRight[static_cast<size_t>(i)];
            StereoFilterPath::process(left, right, l, r, 0.8f, 0.5f, 0.05f, -0.05f, filterType);
            benchmark::DoNotOptimize(l);
            benchmark::DoNotOptimize(r);
        }
    }
    setFrameCounter(state);
}
} // namespace

BENCHMARK_TEMPLATE(engineProcess, Engine)
    ->ArgNames({ "type", "waveform", "rate" })
    ->Args({ 1, 0, 44100 })
    ->Args({ 2, 0, 44100 })
    ->Args({ 3, 0, 44100 })
    ->Args({ 4, 0, 44100 })
    ->Args({ 1, 5, 44100 })
    ->Args({ 2, 5, 44100 })
    ->Args({ 3, 5, 44100 })
    ->Args({ 4, 5, 44100 })
    ->Args({ 1, 0, 96000 })
    ->Args({ 3, 5, 96000 });

BENCHMARK_TEMPLATE(engineProcess, ReferenceEngine)
    ->ArgNames({ "type", "waveform", "rate" })
    ->Args({ 1, 0, 44100 })
    ->Args({ 4, 0, 44100 })
    ->Args({ 1, 5, 44100 });

BENCHMARK(lowPassChain);
BENCHMARK(twoScalarSections)->ArgName("type")->Arg(1)->Arg(4);
BENCHMARK(stereoFilterPath)->ArgName("type")->Arg(1)->Arg(4);

BENCHMARK_MAIN();
