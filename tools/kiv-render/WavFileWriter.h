#pragma once

#include "AudioClip.h"

#include <juce_core/juce_core.h>

#include <string>

/**
    Writes an AudioClip as a WAV file: 32-bit IEEE float (samples as they are, values beyond
    ±1 kept) or 24-bit integer PCM (values beyond ±1 clipped to full scale). The stream is
    not taken over; the caller checks it and closes it.
*/
class WavFileWriter
{
public:
    static bool write(const AudioClip& clip, int bitsPerSample, juce::OutputStream& stream,
                      std::string& error);
};
