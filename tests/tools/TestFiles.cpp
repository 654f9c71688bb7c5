#include "TestFiles.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

AudioClip TestFiles::testSignal(double sampleRate, int numChannels, double seconds)
{
    AudioClip clip;
    clip.sampleRate = sampleRate;
    const auto frames = static_cast<std::size_t>(std::lround(seconds * sampleRate));
    clip.channels.assign(static_cast<std::size_t>(numChannels), std::vector<float>(frames));
    std::uint32_t noise = 12345u;

    for (std::size_t i = 0; i < frames; ++i)
    {
        const double t = static_cast<double>(i) / sampleRate;
        const double saw = 2.0 * (t * 110.0 - std::floor(t * 110.0)) - 1.0;
        const double level = 0.25 + 0.2 * std::sin(2.0 * 3.141592653589793 * 2.0 * t);

        for (int ch = 0; ch < numChannels; ++ch)
        {
            noise = noise * 1664525u + 1013904223u;
            const double n = (static_cast<double>(noise >> 8) / 8388608.0 - 1.0) * 0.05;
            const double v = level * saw * (ch == 0 ? 1.0 : 0.9) + n;
            clip.channels[static_cast<std::size_t>(ch)][i] =
                static_cast<float>(std::round(v * 8388608.0) / 8388608.0);
        }
    }

    return clip;
}

bool TestFiles::writeAudio(const std::string& path, const AudioClip& clip, Format format,
                           int bitsPerSample)
{
    std::unique_ptr<juce::AudioFormat> codec;

    switch (format)
    {
    case Format::wav:
        codec = std::make_unique<juce::WavAudioFormat>();
        break;
    case Format::aiff:
        codec = std::make_unique<juce::AiffAudioFormat>();
        break;
    case Format::flac:
        codec = std::make_unique<juce::FlacAudioFormat>();
        break;
    }

    const juce::File file(path);
    file.deleteFile();
    auto stream = std::make_unique<juce::FileOutputStream>(file);

    if (stream->failedToOpen())
        return false;

    std::unique_ptr<juce::AudioFormatWriter> writer(codec->createWriterFor(
        stream.get(), clip.sampleRate, static_cast<unsigned int>(clip.numChannels()), bitsPerSample,
        {}, 0));

    if (writer == nullptr)
        return false;

    stream.release(); // the writer owns it now
    std::vector<const float*> pointers;

    for (const auto& channel : clip.channels)
        pointers.push_back(channel.data());

    return writer->writeFromFloatArrays(pointers.data(), clip.numChannels(),
                                        static_cast<int>(clip.numFrames()));
}

AudioClip TestFiles::readAudio(const std::string& path, int* bits, bool* isFloat)
{
    juce::AudioFormatManager formats;
    formats.registerBasicFormats();
    std::unique_ptr<juce::AudioFormatReader> reader(formats.createReaderFor(juce::File(path)));
    AudioClip clip;

    if (reader == nullptr)
        return clip;

    const auto frames = static_cast<int>(reader->lengthInSamples);
    juce::AudioBuffer<float> buffer(static_cast<int>(reader->numChannels), frames);
    reader->read(&buffer, 0, frames, 0, true, true);
    clip.sampleRate = reader->sampleRate;

    for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
        clip.channels.emplace_back(buffer.getReadPointer(ch), buffer.getReadPointer(ch) + frames);

    if (bits != nullptr)
        *bits = static_cast<int>(reader->bitsPerSample);

    if (isFloat != nullptr)
        *isFloat = reader->usesFloatingPointData;

    return clip;
}

std::vector<std::uint8_t> TestFiles::readBytes(const std::string& path)
{
    std::ifstream stream(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

void TestFiles::writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream stream(path, std::ios::binary);
    stream.write(reinterpret_cast<const char*>(bytes.data()),
                 static_cast<std::streamsize>(bytes.size()));
}

void TestFiles::writeText(const std::string& path, const std::string& text)
{
    std::ofstream stream(path, std::ios::binary);
    stream << text;
}

void TestFiles::writeMidiFile(const std::string& path, int ticksPerQuarter, double fileTempoBpm,
                              const std::vector<MidiEvent>& events)
{
    juce::MidiMessageSequence track;
    juce::MidiMessage tempo =
        juce::MidiMessage::tempoMetaEvent(static_cast<int>(std::lround(60.0e6 / fileTempoBpm)));
    tempo.setTimeStamp(0.0);
    track.addEvent(tempo);

    for (const MidiEvent& e : events)
    {
        juce::MidiMessage message(e.status, e.data1, e.data2, static_cast<double>(e.tick));
        track.addEvent(message);
    }

    track.updateMatchedPairs();
    juce::MidiFile midi;
    midi.setTicksPerQuarterNote(ticksPerQuarter);
    midi.addTrack(track);

    const juce::File file(path);
    file.deleteFile();
    juce::FileOutputStream stream(file);
    midi.writeTo(stream, 1);
}

std::map<std::string, std::string> TestFiles::listFolder(const std::string& folder)
{
    std::map<std::string, std::string> listing;

    for (const auto& entry : juce::RangedDirectoryIterator(juce::File(folder), false, "*",
                                                           juce::File::findFilesAndDirectories))
    {
        const juce::File f = entry.getFile();

        if (f.isDirectory())
        {
            listing[f.getFileName().toStdString() + "/"] = "";
            continue;
        }

        if (!std::filesystem::is_regular_file(f.getFullPathName().toStdString()))
        {
            listing[f.getFileName().toStdString() + "|"] = ""; // a pipe: never opened
            continue;
        }

        const auto bytes = readBytes(f.getFullPathName().toStdString());
        listing[f.getFileName().toStdString()] = std::string(bytes.begin(), bytes.end());
    }

    return listing;
}

std::string TestFiles::chunkText(const std::vector<std::uint8_t>& chunk)
{
    if (chunk.size() < 9)
        return {};

    const std::uint32_t length = chunk[4] | (chunk[5] << 8) | (chunk[6] << 16) |
                                 (static_cast<std::uint32_t>(chunk[7]) << 24);
    const std::size_t n = std::min<std::size_t>(length, chunk.size() - 8);
    return std::string(chunk.begin() + 8, chunk.begin() + 8 + static_cast<long>(n));
}

std::vector<std::uint8_t> TestFiles::chunkFromText(const std::string& text)
{
    std::vector<std::uint8_t> chunk{'V', 'C', '2', '!'};
    const auto length = static_cast<std::uint32_t>(text.size());

    for (int shift = 0; shift < 32; shift += 8)
        chunk.push_back(static_cast<std::uint8_t>((length >> shift) & 0xff));

    chunk.insert(chunk.end(), text.begin(), text.end());
    chunk.push_back(0);
    return chunk;
}
