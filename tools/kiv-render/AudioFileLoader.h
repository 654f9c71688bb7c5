#pragma once

#include "AudioClip.h"

#include <string>

/**
    Reads a whole audio file into memory through the framework's basic formats (WAV, AIFF,
    FLAC, and whatever else the framework registers with them). Only mono and stereo files
    are accepted; anything else, a missing or unreadable file, a file of no known format,
    a file too long to hold, or a read error answers false with a message.
*/
class AudioFileLoader
{
public:
    /** `maxFrames`: the longest file accepted, in frames. */
    static bool load(const std::string& path, std::size_t maxFrames, AudioClip& clip,
                     std::string& error);
};
