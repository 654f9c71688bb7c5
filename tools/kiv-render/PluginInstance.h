#pragma once

#include "AudioClip.h"
#include "MidiSchedule.h"
#include "RenderOptions.h"
#include "Vst2Host.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

/**
    One instance of the plug-in, set up for an offline render: the sample rate, the block
    size and the channel layout (mono runs the plug-in one-in/one-out through
    effSetSpeakerArrangement, stereo keeps its default layout), then state, program and
    parameters by name, and a host transport that plays from a song position at a fixed
    tempo and advances with every block. All talking to the plug-in goes through Vst2Host.

    Errors are answered as false with a message. Name look-ups tell a bad name (the
    caller's mistake, `nameError` set) apart from everything else.
*/
class PluginInstance
{
public:
    static std::unique_ptr<PluginInstance> load(const std::string& soPath, std::string& error);

    /** Must come before anything is processed; numChannels is 1 or 2. */
    bool configure(double sampleRate, int blockSize, int numChannels, std::string& error);

    /** The host's transport: playing from `startPpq` at `tempoBpm`, advancing per block. */
    void setTransport(double tempoBpm, double startPpq);

    std::vector<std::string> programNames();
    std::vector<std::string> parameterNames();

    /** A program by number (0-based) or by name (NameMatcher's rules). */
    bool selectProgram(const std::string& numberOrName, std::string& error);

    /** Sets one parameter by its host-visible name (NameMatcher's rules). */
    bool setParameter(const std::string& name, float value, std::string& error);

    bool setState(const std::vector<std::uint8_t>& chunk, std::string& error);
    std::vector<std::uint8_t> getState();

    std::string currentProgramName();
    int currentProgram();

    using ProgressCallback = std::function<void(std::size_t framesDone, std::size_t total)>;

    /** Runs `input` followed by `tailFrames` of silence through the plug-in, in blocks of
        the configured size, with the events of `midi` (may be null) queued for the block
        they fall in. The input must have the configured channel count. */
    AudioClip render(const AudioClip& input, std::size_t tailFrames, const MidiSchedule* midi,
                     const ProgressCallback& progress = {});

    Vst2Host& host() { return *vst; }

private:
    explicit PluginInstance(std::unique_ptr<Vst2Host> loaded) : vst(std::move(loaded)) {}

    std::unique_ptr<Vst2Host> vst;
    double rate = 44100.0;
    int block = 512;
    int channels = 2;
};
