#pragma once

#include "AudioClip.h"
#include "MidiSchedule.h"
#include "PluginInstance.h"
#include "RenderOptions.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

/**
    What one run of kiv-render works on: its options, the plug-in's path, the input (a file,
    or the synthesised demo), the MIDI events and the state to load. `load` reads all of it
    before the plug-in is touched; `prepareInstance` then makes as many identically set-up
    plug-in instances as the run needs (the render, the response measurement, one per
    program for the overview).
*/
class RenderSession
{
public:
    static constexpr int demoBars = 4;

    /** Reads the input, the MIDI file and the state; false with a message when one of them
        is missing, unreadable or unsuitable. */
    bool load(const RenderOptions& renderOptions, const std::string& plugin, std::string& error);

    /** A new instance at the input's rate with `numChannels` channels, the transport, then
        the state, `program` (empty: keep the current one) and the parameters. `badName`
        tells an unknown program or parameter name (the user's mistake) from other errors. */
    std::unique_ptr<PluginInstance> prepareInstance(int numChannels, const std::string& program,
                                                    bool& badName, std::string& error) const;

    std::size_t tailFrames() const;

    /** One line about the input and the settings, for the figures. */
    std::string settingsText() const;

    RenderOptions options;
    std::string pluginPath;
    AudioClip input;
    std::string inputDescription;
    std::unique_ptr<MidiSchedule> midi; ///< null without --midi
    std::vector<std::uint8_t> state;
    bool hasState = false;

private:
    static bool readState(const std::string& path, std::vector<std::uint8_t>& bytes,
                          std::string& error);
};
