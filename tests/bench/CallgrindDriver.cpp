#include "Engine.h"
#include "PluginBenchSupport.h"
#include "ReferenceEngine.h"

#include <valgrind/callgrind.h>

#include <cstdio>
#include <cstdlib>
#include <string>

// Runs a fixed amount of a deterministic stereo signal through the plug-in (loaded from its
// shared object and driven through processReplacing), through the bare engine, or through the
// plain scalar reference engine of the engine tests, for counting instructions under valgrind's
// callgrind tool. Only the processing loop is instrumented (started with --instr-atstart=no):
// loading the plug-in and making the signal are not counted. Outside valgrind it just runs.
//
// Usage: kiv_callgrind_driver plugin|engine|reference [program [seconds [blockFrames]]]
// Defaults: program 1, 2 seconds at 44100 Hz, blocks of 512 frames. The engines run the
// program's settings as read back from the plug-in. Prints "frames <n>" for the caller to divide
// by; $KIV_PLUGIN overrides the plug-in built in this tree.

using namespace PluginBenchSupport;

namespace
{
// Not inlined, so that each run is one function in callgrind's report.
// The engines work in place on the output, which the caller has filled with the input.
template <typename EngineType>
__attribute__((noinline)) void runEngine(EngineType& engine, StereoBuffers& buffers)
{
    const std::size_t numFrames = buffers.numFrames();
    float* left = buffers.outLeft.data();
    float* right = buffers.outRight.data();
    for (std::size_t i = 0; i < numFrames; ++i)
    {
        engine.process(left + i, right + i);
    }
}

__attribute__((noinline)) void runPlugin(Vst2Host& host, StereoBuffers& buffers,
                                         std::size_t blockFrames)
{
    processInBlocks(host, buffers, blockFrames);
}

int usage()
{
    std::fprintf(stderr, "usage: kiv_callgrind_driver plugin|engine|reference "
                         "[program 0..9 [seconds [blockFrames]]]\n");
    return 2;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 5)
    {
        return usage();
    }
    const std::string mode = argv[1];
    const int program = argc > 2 ? std::atoi(argv[2]) : 1;
    const double seconds = argc > 3 ? std::atof(argv[3]) : 2.0;
    const int blockFrames = argc > 4 ? std::atoi(argv[4]) : 512;
    if ((mode != "plugin" && mode != "engine" && mode != "reference") || program < 0 ||
        program > 9 || !(seconds > 0.0 && seconds <= 600.0) || blockFrames < 1)
    {
        return usage();
    }

    std::string error;
    auto host = openInstance(program, blockFrames, error);
    if (host == nullptr)
    {
        std::fprintf(stderr, "kiv_callgrind_driver: %s\n", error.c_str());
        return 1;
    }
    const auto numFrames = static_cast<std::size_t>(seconds * sampleRateHz);
    StereoBuffers buffers(numFrames);
    const ProgramSettings settings = settingsOf(*host);
    buffers.outLeft = buffers.inLeft;
    buffers.outRight = buffers.inRight;

    if (mode == "plugin")
    {
        CALLGRIND_START_INSTRUMENTATION;
        runPlugin(*host, buffers, static_cast<std::size_t>(blockFrames));
        CALLGRIND_STOP_INSTRUMENTATION;
    }
    else if (mode == "engine")
    {
        Engine engine(sampleRateHz);
        settings.applyTo(engine);
        CALLGRIND_START_INSTRUMENTATION;
        runEngine(engine, buffers);
        CALLGRIND_STOP_INSTRUMENTATION;
    }
    else
    {
        ReferenceEngine engine(sampleRateHz);
        settings.applyTo(engine);
        CALLGRIND_START_INSTRUMENTATION;
        runEngine(engine, buffers);
        CALLGRIND_STOP_INSTRUMENTATION;
    }

    // A checksum of the output, so that the work cannot be optimised away and runs can be
    // compared.
    double sum = 0.0;
    for (std::size_t i = 0; i < numFrames; ++i)
    {
        sum += static_cast<double>(buffers.outLeft[i]) + static_cast<double>(buffers.outRight[i]);
    }
    std::printf("frames %zu\nchecksum %.9g\n", numFrames, sum);
    return 0;
}
