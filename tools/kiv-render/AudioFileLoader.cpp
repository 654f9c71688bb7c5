#include "AudioFileLoader.h"

#include <juce_audio_formats/juce_audio_formats.h>

bool AudioFileLoader::load(const std::string& path, std::size_t maxFrames, AudioClip& clip,
                           std::string& error)
{
    const juce::File file = juce::File::getCurrentWorkingDirectory().getChildFile(path);

    if (file.isDirectory())
    {
        error = "'" + path + "' is a folder, not an audio file";
        return false;
    }

    if (!file.existsAsFile())
    {
        error = "cannot read '" + path + "': no such file";
        return false;
    }

    if (!file.hasReadAccess())
    {
        error = "cannot read '" + path + "': permission denied";
        return false;
    }

    juce::AudioFormatManager formats;
    formats.registerBasicFormats();
    std::unique_ptr<juce::AudioFormatReader> reader(formats.createReaderFor(file));

    if (reader == nullptr)
    {
        error = "cannot read '" + path + "': not a WAV, AIFF or FLAC file, or damaged";
        return false;
    }

    const int numChannels = static_cast<int>(reader->numChannels);

    if (numChannels != 1 && numChannels != 2)
    {
        error = "'" + path + "' has " + std::to_string(numChannels) +
                " channels; only mono and stereo files are supported";
        return false;
    }

    if (!(reader->sampleRate > 0.0) || reader->lengthInSamples < 0)
    {
        error = "cannot read '" + path + "': the file gives no valid sample rate or length";
        return false;
    }

    if (static_cast<unsigned long long>(reader->lengthInSamples) > maxFrames)
    {
        error =
            "'" + path + "' is too long (" + std::to_string(reader->lengthInSamples) + " frames)";
        return false;
    }

    const auto numFrames = static_cast<int>(reader->lengthInSamples);
    juce::AudioBuffer<float> buffer(numChannels, numFrames);

    if (numFrames > 0 && !reader->read(&buffer, 0, numFrames, 0, true, numChannels > 1))
    {
        error = "cannot read '" + path + "': read error";
        return false;
    }

    clip.sampleRate = reader->sampleRate;
    clip.channels.assign(static_cast<std::size_t>(numChannels), {});

    for (int ch = 0; ch < numChannels; ++ch)
    {
        const float* data = buffer.getReadPointer(ch);
        clip.channels[static_cast<std::size_t>(ch)].assign(data, data + numFrames);
    }

    return true;
}
