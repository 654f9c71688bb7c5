#include "RenderSession.h"

#include "AudioFileLoader.h"
#include "DemoLoop.h"

#include <juce_core/juce_core.h>

#include <climits>
#include <cmath>
#include <fstream>
#include <iterator>

namespace
{
// The highest rate any input may have; it bounds the tail's length in frames.
constexpr double maxInputRateHz = 768000.0;
} // namespace

bool RenderSession::load(const RenderOptions& renderOptions, const std::string& plugin,
                         std::string& error)
{
    options = renderOptions;
    pluginPath = plugin;

    if (!options.inputPath.empty())
    {
        // Input and tail must together fit the sample counts of the audio interfaces (int).
        const auto tailLimit = static_cast<std::size_t>(options.tailSeconds * maxInputRateHz) + 1;
        const std::size_t maxFrames = static_cast<std::size_t>(INT_MAX) - tailLimit;

        if (!AudioFileLoader::load(options.inputPath, maxFrames, input, error))
            return false;

        if (input.sampleRate > maxInputRateHz)
        {
            error = "'" + options.inputPath + "' has a sample rate above 768 kHz";
            return false;
        }

        inputDescription = juce::File(options.inputPath).getFileName().toStdString();
    }
    else
    {
        input = DemoLoop::render(options.demoRate, options.tempo, demoBars);
        inputDescription = "built-in demo loop (" + std::to_string(demoBars) + " bars)";
    }

    if (!options.midiPath.empty())
    {
        midi = std::make_unique<MidiSchedule>();

        if (!midi->load(options.midiPath, input.sampleRate, options.tempo, error))
            return false;
    }

    if (!options.stateInPath.empty())
    {
        if (!readState(options.stateInPath, state, error))
            return false;

        hasState = true;
    }

    return true;
}

bool RenderSession::readState(const std::string& path, std::vector<std::uint8_t>& bytes,
                              std::string& error)
{
    const juce::File file = juce::File::getCurrentWorkingDirectory().getChildFile(path);

    if (!file.existsAsFile())
    {
        error = "cannot read state file '" + path + "': no such file";
        return false;
    }

    std::ifstream stream(file.getFullPathName().toStdString(), std::ios::binary);

    if (!stream)
    {
        error = "cannot read state file '" + path + "': permission denied";
        return false;
    }

    bytes.assign(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());

    if (stream.bad())
    {
        error = "cannot read state file '" + path + "': read error";
        return false;
    }

    if (bytes.empty())
    {
        error = "state file '" + path + "' is empty";
        return false;
    }

    return true;
}

std::unique_ptr<PluginInstance> RenderSession::prepareInstance(int numChannels,
                                                               const std::string& program,
                                                               bool& badName,
                                                               std::string& error) const
{
    badName = false;
    std::unique_ptr<PluginInstance> instance = PluginInstance::load(pluginPath, error);

    if (instance == nullptr ||
        !instance->configure(input.sampleRate, options.blockSize, numChannels, error))
        return nullptr;

    instance->setTransport(options.tempo, options.startPpq);

    if (hasState && !instance->setState(state, error))
        return nullptr;

    if (!program.empty() && !instance->selectProgram(program, error))
    {
        badName = true;
        return nullptr;
    }

    for (const ParamSetting& setting : options.params)
    {
        if (!instance->setParameter(setting.name, setting.value, error))
        {
            badName = true;
            return nullptr;
        }
    }

    return instance;
}

std::size_t RenderSession::tailFrames() const
{
    return static_cast<std::size_t>(std::llround(options.tailSeconds * input.sampleRate));
}

std::string RenderSession::settingsText() const
{
    std::string text = inputDescription + "  \u00b7  " +
                       juce::String(input.sampleRate, 0).toStdString() + " Hz  \u00b7  " +
                       juce::String(options.tempo, 2)
                           .trimCharactersAtEnd("0")
                           .trimCharactersAtEnd(".")
                           .toStdString() +
                       " bpm";

    if (options.startPpq > 0.0)
        text += " from quarter " + juce::String(options.startPpq, 2).toStdString();

    if (hasState)
        text += "  \u00b7  state: " + juce::File(options.stateInPath).getFileName().toStdString();

    for (const ParamSetting& setting : options.params)
        text += "  \u00b7  " + setting.name + " = " + juce::String(setting.value, 3).toStdString();

    if (midi != nullptr)
        text += "  \u00b7  MIDI: " + juce::File(options.midiPath).getFileName().toStdString();

    return text;
}
