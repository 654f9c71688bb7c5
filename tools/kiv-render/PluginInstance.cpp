#include "PluginInstance.h"

#include "CommandLine.h"
#include "NameMatcher.h"

#include <algorithm>
#include <cstring>

std::unique_ptr<PluginInstance> PluginInstance::load(const std::string& soPath, std::string& error)
{
    std::string hostError;
    std::unique_ptr<Vst2Host> vst = Vst2Host::load(soPath, hostError);

    if (vst == nullptr)
    {
        error = "cannot load the plug-in '" + soPath + "': " + hostError;
        return nullptr;
    }

    if (vst->effect()->processReplacing == nullptr)
    {
        error = "the plug-in '" + soPath + "' has no 32-bit processing callback";
        return nullptr;
    }

    return std::unique_ptr<PluginInstance>(new PluginInstance(std::move(vst)));
}

bool PluginInstance::configure(double sampleRate, int blockSize, int numChannels,
                               std::string& error)
{
    rate = sampleRate;
    block = blockSize;
    channels = numChannels;

    vst->suspend();
    vst->setSampleRate(static_cast<float>(sampleRate));
    vst->setBlockSize(blockSize);

    const AEffect* effect = vst->effect();

    if (effect->numInputs < numChannels || effect->numOutputs < numChannels)
    {
        error = "the plug-in has " + std::to_string(effect->numInputs) + " inputs and " +
                std::to_string(effect->numOutputs) + " outputs; " + std::to_string(numChannels) +
                " are needed";
        return false;
    }

    if (numChannels == 1)
    {
        VstSpeakerArrangement input{};
        VstSpeakerArrangement output{};
        input.type = kSpeakerArrMono;
        input.numChannels = 1;
        input.speakers[0].type = kSpeakerM;
        output = input;

        if (vst->dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&input),
                          &output) != 1)
        {
            error = "the plug-in does not accept a mono (one-in, one-out) layout";
            return false;
        }
    }

    return true;
}

void PluginInstance::setTransport(double tempoBpm, double startPpq)
{
    vst->transport.hasTimeInfo = true;
    vst->transport.playing = true;
    vst->transport.advance = true;
    vst->transport.tempo = tempoBpm;
    vst->transport.ppqPosition = startPpq;
    vst->transport.samplePosition = startPpq * 60.0 / tempoBpm * rate;
    vst->transport.timeSigNumerator = 4;
    vst->transport.timeSigDenominator = 4;
}

std::vector<std::string> PluginInstance::programNames()
{
    std::vector<std::string> names;

    for (int i = 0; i < vst->effect()->numPrograms; ++i)
        names.push_back(vst->programName(i));

    return names;
}

std::vector<std::string> PluginInstance::parameterNames()
{
    std::vector<std::string> names;

    for (int i = 0; i < vst->effect()->numParams; ++i)
        names.push_back(vst->parameterName(i));

    return names;
}

bool PluginInstance::selectProgram(const std::string& numberOrName, std::string& error)
{
    const std::vector<std::string> names = programNames();
    int index = -1;

    if (CommandLine::parseInt(numberOrName, index))
    {
        if (index < 0 || index >= static_cast<int>(names.size()))
        {
            error = "program " + numberOrName + " does not exist; the programs are 0.." +
                    std::to_string(static_cast<int>(names.size()) - 1);
            return false;
        }
    }
    else
    {
        index = NameMatcher::find(names, numberOrName);

        if (index < 0)
        {
            std::string list;

            for (std::size_t i = 0; i < names.size(); ++i)
                list += "\n  " + std::to_string(i) + "  " + names[i];

            error = "unknown program '" + numberOrName + "'; the programs are:" + list;
            return false;
        }
    }

    vst->setProgram(index);
    return true;
}

bool PluginInstance::setParameter(const std::string& name, float value, std::string& error)
{
    const std::vector<std::string> names = parameterNames();
    const int index = NameMatcher::find(names, name);

    if (index < 0)
    {
        error =
            "unknown parameter '" + name + "'; the parameters are: " + NameMatcher::listOf(names);
        return false;
    }

    vst->setParameter(index, value);
    return true;
}

bool PluginInstance::setState(const std::vector<std::uint8_t>& chunk, std::string& error)
{
    if ((vst->effect()->flags & effFlagsProgramChunks) == 0)
    {
        error = "the plug-in does not take its state as a chunk";
        return false;
    }

    vst->setChunk(chunk);
    return true;
}

std::vector<std::uint8_t> PluginInstance::getState()
{
    return vst->getChunk();
}

std::string PluginInstance::currentProgramName()
{
    return vst->currentProgramName();
}

int PluginInstance::currentProgram()
{
    return vst->program();
}

AudioClip PluginInstance::render(const AudioClip& input, std::size_t tailFrames,
                                 const MidiSchedule* midi, const ProgressCallback& progress)
{
    const std::size_t inputFrames = input.numFrames();
    const std::size_t total = inputFrames + tailFrames;
    const AEffect* effect = vst->effect();
    const auto blockFrames = static_cast<std::size_t>(block);

    // One buffer per plug-in channel; the plug-in's channels beyond ours read silence and
    // write into scratch space.
    std::vector<std::vector<float>> inBuffers(static_cast<std::size_t>(effect->numInputs),
                                              std::vector<float>(blockFrames, 0.0f));
    std::vector<std::vector<float>> outBuffers(static_cast<std::size_t>(effect->numOutputs),
                                               std::vector<float>(blockFrames, 0.0f));
    std::vector<float*> inPointers;
    std::vector<float*> outPointers;

    for (auto& b : inBuffers)
        inPointers.push_back(b.data());

    for (auto& b : outBuffers)
        outPointers.push_back(b.data());

    AudioClip output;
    output.sampleRate = rate;
    output.channels.assign(static_cast<std::size_t>(channels), std::vector<float>(total, 0.0f));

    vst->resume();

    for (std::size_t start = 0; start < total; start += blockFrames)
    {
        const std::size_t count = std::min(blockFrames, total - start);

        for (std::size_t ch = 0; ch < inBuffers.size(); ++ch)
        {
            float* dest = inBuffers[ch].data();
            std::fill(dest, dest + blockFrames, 0.0f);

            if (ch < static_cast<std::size_t>(channels) && start < inputFrames)
            {
                const std::size_t available = std::min(count, inputFrames - start);
                std::memcpy(dest, input.channels[ch].data() + start, available * sizeof(float));
            }
        }

        if (midi != nullptr)
            for (const MidiSchedule::Event& event :
                 midi->eventsIn(static_cast<std::int64_t>(start), static_cast<int>(count)))
                vst->queueMidi(static_cast<int>(event.frame - static_cast<std::int64_t>(start)),
                               event.status, event.data1, event.data2);

        vst->process(inPointers.data(), outPointers.data(), static_cast<int>(count));

        for (std::size_t ch = 0; ch < static_cast<std::size_t>(channels); ++ch)
            std::memcpy(output.channels[ch].data() + start, outBuffers[ch].data(),
                        count * sizeof(float));

        if (progress)
            progress(start + count, total);
    }

    return output;
}
