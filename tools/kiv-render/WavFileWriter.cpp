#include "WavFileWriter.h"

#include "NonOwningOutputStream.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <algorithm>

bool WavFileWriter::write(const AudioClip& clip, int bitsPerSample, juce::OutputStream& stream,
                          std::string& error)
{
    juce::WavAudioFormat wav;
    const auto numChannels = static_cast<unsigned int>(clip.numChannels());
    std::unique_ptr<juce::AudioFormatWriter> writer(wav.createWriterFor(
        new NonOwningOutputStream(stream), clip.sampleRate, numChannels, bitsPerSample, {}, 0));

    if (writer == nullptr)
    {
        error = "the WAV writer refuses " + std::to_string(numChannels) + " channels at " +
                std::to_string(bitsPerSample) + " bits";
        return false;
    }

    // In slices, so that the writer's conversion buffer stays small for long files.
    constexpr std::size_t sliceFrames = 65536;
    std::vector<const float*> pointers(numChannels);

    for (std::size_t start = 0; start < clip.numFrames(); start += sliceFrames)
    {
        const auto count = std::min(sliceFrames, clip.numFrames() - start);

        for (std::size_t ch = 0; ch < numChannels; ++ch)
            pointers[ch] = clip.channels[ch].data() + start;

        if (!writer->writeFromFloatArrays(pointers.data(), static_cast<int>(numChannels),
                                          static_cast<int>(count)))
        {
            error = "write error";
            return false;
        }
    }

    writer.reset(); // writes the final header sizes
    return true;
}
