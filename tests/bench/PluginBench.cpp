#include "Engine.h"
#include "FilterHandler.h"
#include "FilterLp12dB.h"
#include "PluginBenchSupport.h"

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

// Cost of the whole plug-in, loaded from its shared object and driven through processReplacing
// by our host library, per stereo frame at 44100 Hz. Linked with the engine benchmarks, so that
// the plug-in, the bare engine and the one-channel low-pass chain limit are measured in one run
// (compare ratios within a run, never absolute times across runs).
//
// Every iteration processes the same 4096 frames of a fixed stereo signal, in blocks of the
// size under test, so that all block sizes do the same work per iteration. The "frame" counter
// is the time per stereo frame (of all instances together where there are several).

using namespace PluginBenchSupport;

namespace
{
constexpr std::size_t framesPerIteration = 4096;
// The block size of the overhead and instance-count comparisons.
constexpr int referenceBlockFrames = 512;

void setFrameCounters(benchmark::State& state, double framesPerIterationOfAll)
{
    state.counters["frame"] =
        benchmark::Counter(framesPerIterationOfAll, benchmark::Counter::kIsIterationInvariantRate |
                                                        benchmark::Counter::kInvert);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(framesPerIterationOfAll));
}

// Anonymous resident memory (resident minus file-backed pages, so that code and data pages of
// the shared objects do not count) and heap in use, in bytes.
double anonymousResidentBytes()
{
    long sizePages = 0;
    long residentPages = 0;
    long sharedPages = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r"))
    {
        if (std::fscanf(statm, "%ld %ld %ld", &sizePages, &residentPages, &sharedPages) != 3)
        {
            residentPages = sharedPages = 0;
        }
        std::fclose(statm);
    }
    return static_cast<double>(residentPages - sharedPages) *
           static_cast<double>(sysconf(_SC_PAGESIZE));
}

double heapBytesInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks) + static_cast<double>(info.hblkhd);
}

// Memory each instance costs beyond the shared object, for 1, 8 and 64 instances.
struct InstanceMemory
{
    static constexpr int numCounts = 3;
    static constexpr int counts[numCounts] = {1, 8, 64};
    double residentKiB[numCounts] = {};
    double heapKiB[numCounts] = {};
    std::string error;

    // The index into the arrays for a group size, -1 for a size not measured.
    static int slotOf(int count)
    {
        for (int slot = 0; slot < numCounts; ++slot)
        {
            if (counts[slot] == count)
            {
                return slot;
            }
        }
        return -1;
    }
};

// Measured once, before any benchmark of this file has created (and freed) an instance, so that
// the new instances land on pages no earlier instance has touched. A first instance maps the
// shared object, touches its code and starts the framework's shared threads; the groups of 1, 8
// and 64 that follow, all kept alive until the end, are each created, resumed and run for one
// block, and measured by the growth of the anonymous resident set and of the heap in use.
const InstanceMemory& instanceMemory()
{
    static const InstanceMemory measured = []
    {
        InstanceMemory m;
        const auto first = openInstance(1, referenceBlockFrames, m.error);
        if (first == nullptr)
        {
            return m;
        }
        StereoBuffers buffers(referenceBlockFrames);
        processInBlocks(*first, buffers, referenceBlockFrames);

        std::vector<std::unique_ptr<Vst2Host>> groups[InstanceMemory::numCounts];
        for (int slot = 0; slot < InstanceMemory::numCounts; ++slot)
        {
            groups[slot].reserve(static_cast<std::size_t>(InstanceMemory::counts[slot]));
            const double residentBefore = anonymousResidentBytes();
            const double heapBefore = heapBytesInUse();
            for (int i = 0; i < InstanceMemory::counts[slot]; ++i)
            {
                groups[slot].push_back(openInstance(1, referenceBlockFrames, m.error));
                if (groups[slot].back() == nullptr)
                {
                    return m;
                }
                processInBlocks(*groups[slot].back(), buffers, referenceBlockFrames);
                groups[slot].back()->clearRecords();
            }
            const double count = InstanceMemory::counts[slot];
            m.residentKiB[slot] = (anonymousResidentBytes() - residentBefore) / 1024.0 / count;
            m.heapKiB[slot] = (heapBytesInUse() - heapBefore) / 1024.0 / count;
        }
        return m;
    }();
    return measured;
}

// Args: program, block frames. One instance; the time per stereo frame.
void pluginProcess(benchmark::State& state)
{
    const InstanceMemory& memory = instanceMemory();
    const int program = static_cast<int>(state.range(0));
    const auto blockFrames = static_cast<std::size_t>(state.range(1));
    std::string error = memory.error;
    auto host =
        error.empty() ? openInstance(program, static_cast<int>(blockFrames), error) : nullptr;
    if (host == nullptr)
    {
        state.SkipWithError(error.c_str());
        return;
    }
    StereoBuffers buffers(framesPerIteration);
    processInBlocks(*host, buffers, blockFrames);
    for (auto _ : state)
    {
        processInBlocks(*host, buffers, blockFrames);
        benchmark::DoNotOptimize(buffers.outLeft.data());
        benchmark::DoNotOptimize(buffers.outRight.data());
        benchmark::ClobberMemory();
        // The host library records every callback; keep that record short.
        host->clearRecords();
    }
    setFrameCounters(state, framesPerIteration);
}

// Arg: program. Engine::process alone on the same frames, with the settings read back from the
// plug-in's program. Like the plug-in's client, it first copies the input into the output.
void engineOfProgram(benchmark::State& state)
{
    const InstanceMemory& memory = instanceMemory();
    const int program = static_cast<int>(state.range(0));
    std::string error = memory.error;
    auto host = error.empty() ? openInstance(program, referenceBlockFrames, error) : nullptr;
    if (host == nullptr)
    {
        state.SkipWithError(error.c_str());
        return;
    }
    auto engine = std::make_unique<Engine>(sampleRateHz);
    settingsOf(*host).applyTo(*engine);
    host.reset();

    StereoBuffers buffers(framesPerIteration);
    for (auto _ : state)
    {
        std::memcpy(buffers.outLeft.data(), buffers.inLeft.data(),
                    framesPerIteration * sizeof(float));
        std::memcpy(buffers.outRight.data(), buffers.inRight.data(),
                    framesPerIteration * sizeof(float));
        float* left = buffers.outLeft.data();
        float* right = buffers.outRight.data();
        for (std::size_t i = 0; i < framesPerIteration; ++i)
        {
            engine->process(left + i, right + i);
        }
        benchmark::DoNotOptimize(left);
        benchmark::DoNotOptimize(right);
        benchmark::ClobberMemory();
    }
    setFrameCounters(state, framesPerIteration);
}

// Arg: number of instances, all on program 1, processed in turn block by block as a host runs
// its tracks, on one shared buffer pair. "frame" is the time per stereo frame of all instances
// together; "perInstance" the same divided by their number. The memory counters are what each
// instance of a group of this size added, measured once (see instanceMemory).
void manyInstances(benchmark::State& state)
{
    const InstanceMemory& memory = instanceMemory();
    const int count = static_cast<int>(state.range(0));
    std::string error = memory.error;
    std::vector<std::unique_ptr<Vst2Host>> hosts;
    for (int i = 0; i < count && error.empty(); ++i)
    {
        hosts.push_back(openInstance(1, referenceBlockFrames, error));
    }
    if (!error.empty())
    {
        state.SkipWithError(error.c_str());
        return;
    }
    StereoBuffers buffers(framesPerIteration);
    const auto process = [&]
    {
        float* inputs[2];
        float* outputs[2];
        for (std::size_t start = 0; start < framesPerIteration; start += referenceBlockFrames)
        {
            buffers.pointAt(start, inputs, outputs);
            for (auto& host : hosts)
            {
                host->process(inputs, outputs, referenceBlockFrames);
            }
        }
    };
    process();
    for (auto _ : state)
    {
        process();
        benchmark::DoNotOptimize(buffers.outLeft.data());
        benchmark::DoNotOptimize(buffers.outRight.data());
        benchmark::ClobberMemory();
        for (auto& host : hosts)
        {
            host->clearRecords();
        }
    }
    setFrameCounters(state, static_cast<double>(framesPerIteration));
    state.counters["perInstance"] = benchmark::Counter(
        static_cast<double>(framesPerIteration) * count,
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    const int slot = InstanceMemory::slotOf(count);
    if (slot >= 0)
    {
        state.counters["anonResidentKiB"] = memory.residentKiB[slot];
        state.counters["heapKiB"] = memory.heapKiB[slot];
    }
}

// The three costs the ratio goals compare, measured side by side: every iteration runs the same
// 4096 frames through the plug-in (blocks of the size under test), through the bare engine on
// the program's settings, and through the one-channel low-pass chain of the limit benchmark
// (lowPassChain, same loop), timing each part. Taking turns every half millisecond lets the
// three share whatever load the machine is under, so their ratios hold better than those of
// separate benchmarks. Args: program, block frames. Counters: ns per stereo frame of each part
// and the ratios plug-in / engine and plug-in / limit.
void sideBySide(benchmark::State& state)
{
    using Clock = std::chrono::steady_clock;
    const InstanceMemory& memory = instanceMemory();
    const int program = static_cast<int>(state.range(0));
    const auto blockFrames = static_cast<std::size_t>(state.range(1));
    std::string error = memory.error;
    auto host =
        error.empty() ? openInstance(program, static_cast<int>(blockFrames), error) : nullptr;
    if (host == nullptr)
    {
        state.SkipWithError(error.c_str());
        return;
    }
    auto engine = std::make_unique<Engine>(sampleRateHz);
    settingsOf(*host).applyTo(*engine);
    StereoBuffers pluginBuffers(framesPerIteration);
    StereoBuffers engineBuffers(framesPerIteration);

    FilterLp12dB core(sampleRateHz);
    const std::vector<float> chainInput = testSignal(framesPerIteration, 110.0, 3u);
    const float a = FilterHandler::shapeCutoff(0.772f, 0.1f);
    const float r = FilterHandler::shapeResonance(0.484f);
    float previous = 0.0f;

    processInBlocks(*host, pluginBuffers, blockFrames);
    Clock::duration pluginTime{};
    Clock::duration engineTime{};
    Clock::duration limitTime{};
    for (auto _ : state)
    {
        const auto start = Clock::now();
        processInBlocks(*host, pluginBuffers, blockFrames);
        benchmark::DoNotOptimize(pluginBuffers.outLeft.data());
        benchmark::DoNotOptimize(pluginBuffers.outRight.data());
        benchmark::ClobberMemory();
        const auto pluginDone = Clock::now();

        std::memcpy(engineBuffers.outLeft.data(), engineBuffers.inLeft.data(),
                    framesPerIteration * sizeof(float));
        std::memcpy(engineBuffers.outRight.data(), engineBuffers.inRight.data(),
                    framesPerIteration * sizeof(float));
        float* left = engineBuffers.outLeft.data();
        float* right = engineBuffers.outRight.data();
        for (std::size_t i = 0; i < framesPerIteration; ++i)
        {
            engine->process(left + i, right + i);
        }
        benchmark::DoNotOptimize(left);
        benchmark::DoNotOptimize(right);
        benchmark::ClobberMemory();
        const auto engineDone = Clock::now();

        for (std::size_t i = 0; i < framesPerIteration; ++i)
        {
            const float x = chainInput[i];
            float first = (x - previous) * 0.5f + previous;
            float second = x;
            previous = x;
            core.process(&first, a, r, true);
            core.process(&second, a, r, false);
            benchmark::DoNotOptimize(first);
            benchmark::DoNotOptimize(second);
        }
        const auto limitDone = Clock::now();

        pluginTime += pluginDone - start;
        engineTime += engineDone - pluginDone;
        limitTime += limitDone - engineDone;
        state.SetIterationTime(std::chrono::duration<double>(limitDone - start).count());
        host->clearRecords();
    }
    const double frames = static_cast<double>(state.iterations()) * framesPerIteration;
    const auto perFrameNs = [frames](Clock::duration t)
    { return std::chrono::duration<double, std::nano>(t).count() / frames; };
    state.counters["pluginNs"] = perFrameNs(pluginTime);
    state.counters["engineNs"] = perFrameNs(engineTime);
    state.counters["limitNs"] = perFrameNs(limitTime);
    state.counters["pluginOverEngine"] = perFrameNs(pluginTime) / perFrameNs(engineTime);
    state.counters["pluginOverLimit"] = perFrameNs(pluginTime) / perFrameNs(limitTime);
}
} // namespace

// Program 1 "Lfo Sine 1/4 LP" (table waveform) and program 6 "Noisy Mod BP" (noise waveform,
// two more rand() draws per frame).
BENCHMARK(pluginProcess)
    ->ArgNames({"program", "block"})
    ->ArgsProduct({{1, 6}, {1, 16, 64, 512, 4096}});
BENCHMARK(engineOfProgram)->ArgName("program")->Arg(1)->Arg(6);
BENCHMARK(manyInstances)->ArgName("instances")->Arg(1)->Arg(8)->Arg(64);
BENCHMARK(sideBySide)
    ->ArgNames({"program", "block"})
    ->Args({1, 512})
    ->Args({6, 512})
    ->UseManualTime();
