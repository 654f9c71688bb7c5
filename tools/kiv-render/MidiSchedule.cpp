#include "MidiSchedule.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <algorithm>
#include <cmath>

bool MidiSchedule::load(const std::string& path, double sampleRate, double tempoBpm,
                        std::string& error)
{
    timeline.clear();
    const juce::File file = juce::File::getCurrentWorkingDirectory().getChildFile(path);

    if (!file.existsAsFile())
    {
        error = "cannot read MIDI file '" + path + "': no such file";
        return false;
    }

    juce::FileInputStream stream(file);

    if (stream.failedToOpen())
    {
        error = "cannot read MIDI file '" + path +
                "': " + stream.getStatus().getErrorMessage().toStdString();
        return false;
    }

    juce::MidiFile midi;

    if (!midi.readFrom(stream, false))
    {
        error = "cannot read MIDI file '" + path + "': not a Standard MIDI File, or damaged";
        return false;
    }

    const short division = midi.getTimeFormat();
    double secondsPerTick = 0.0;

    if (division > 0)
    {
        secondsPerTick = 60.0 / (tempoBpm * division);
    }
    else
    {
        // SMPTE: the upper byte is minus the frames per second (29 means 29.97), the lower
        // byte the ticks per frame.
        const int framesPerSecond = -(division >> 8);
        const int ticksPerFrame = division & 0xff;

        if (framesPerSecond <= 0 || ticksPerFrame <= 0)
        {
            error = "cannot read MIDI file '" + path + "': invalid time division";
            return false;
        }

        const double fps = (framesPerSecond == 29) ? 30000.0 / 1001.0 : framesPerSecond;
        secondsPerTick = 1.0 / (fps * ticksPerFrame);
    }

    for (int t = 0; t < midi.getNumTracks(); ++t)
    {
        const juce::MidiMessageSequence* track = midi.getTrack(t);

        for (const juce::MidiMessageSequence::MidiEventHolder* holder : *track)
        {
            const juce::MidiMessage& message = holder->message;
            const juce::uint8* bytes = message.getRawData();
            const int size = message.getRawDataSize();

            if (size < 1 || bytes[0] < 0x80 || bytes[0] >= 0xf0)
                continue;

            const double seconds = message.getTimeStamp() * secondsPerTick;
            Event event;
            event.frame = static_cast<std::int64_t>(std::llround(seconds * sampleRate));
            event.status = bytes[0];
            event.data1 = size > 1 ? bytes[1] : 0;
            event.data2 = size > 2 ? bytes[2] : 0;
            timeline.push_back(event);
        }
    }

    std::stable_sort(timeline.begin(), timeline.end(),
                     [](const Event& a, const Event& b) { return a.frame < b.frame; });
    return true;
}

std::vector<MidiSchedule::Event> MidiSchedule::eventsIn(std::int64_t start, int count) const
{
    auto first = std::lower_bound(timeline.begin(), timeline.end(), start,
                                  [](const Event& e, std::int64_t f) { return e.frame < f; });
    std::vector<Event> out;

    for (auto it = first; it != timeline.end() && it->frame < start + count; ++it)
        out.push_back(*it);

    return out;
}

std::size_t MidiSchedule::countFrom(std::int64_t endFrame) const
{
    auto first = std::lower_bound(timeline.begin(), timeline.end(), endFrame,
                                  [](const Event& e, std::int64_t f) { return e.frame < f; });
    return static_cast<std::size_t>(timeline.end() - first);
}
