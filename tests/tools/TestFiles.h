#pragma once

#include "AudioClip.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

/** Making and reading the files the kiv-render tests pass around. */
class TestFiles
{
public:
    enum class Format
    {
        wav,
        aiff,
        flac
    };

    /** A deterministic test signal: a saw at 110 Hz plus a little noise, with a level that
        rises and falls; every sample is a multiple of 2^-23, so 24-bit files hold it
        exactly. The channels differ slightly. */
    static AudioClip testSignal(double sampleRate, int numChannels, double seconds);

    static bool writeAudio(const std::string& path, const AudioClip& clip, Format format,
                           int bitsPerSample);

    /** The file's samples (empty clip when it cannot be read); `bits` gets the sample
        size and `isFloat` whether the file holds floating-point data. */
    static AudioClip readAudio(const std::string& path, int* bits = nullptr,
                               bool* isFloat = nullptr);

    static std::vector<std::uint8_t> readBytes(const std::string& path);
    static void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
    static void writeText(const std::string& path, const std::string& text);

    struct MidiEvent
    {
        int tick;
        std::uint8_t status;
        std::uint8_t data1;
        std::uint8_t data2;
    };

    /** A one-track Standard MIDI File with `ticksPerQuarter` and, at tick 0, a tempo event
        of `fileTempoBpm`. */
    static void writeMidiFile(const std::string& path, int ticksPerQuarter, double fileTempoBpm,
                              const std::vector<MidiEvent>& events);

    /** Name → content of every file in the folder, hidden ones included; sub-folders
        appear as "name/" and other special files as "name|", with no content. */
    static std::map<std::string, std::string> listFolder(const std::string& folder);

    /** The XML text inside a plug-in state chunk ("VC2!", 32-bit length, text, zero), and
        the way back. */
    static std::string chunkText(const std::vector<std::uint8_t>& chunk);
    static std::vector<std::uint8_t> chunkFromText(const std::string& text);
};
