#pragma once

#include <cstdint>
#include <string>
#include <vector>

/**
    The MIDI events of a Standard MIDI File, placed on the sample timeline of a render.

    Times: in a file with a ticks-per-quarter-note division, an event at t ticks lies
    t / division quarter notes after the start, and the render plays quarter notes at the
    host tempo given here (the file's own tempo events are not used, so the events stay in
    step with the host transport and the tempo-locked LFOs). In a file with SMPTE division
    the ticks are fractions of seconds and are taken as such. Frame = round(seconds × rate),
    counted from the first frame of the render.

    Only channel messages (status 0x80..0xEF) are kept: notes, controllers, pitch bend and
    the like. Meta events and system-exclusive messages are dropped. Events of all tracks
    are merged; events on one frame keep the order of the file (track by track).
*/
class MidiSchedule
{
public:
    struct Event
    {
        std::int64_t frame = 0;
        std::uint8_t status = 0;
        std::uint8_t data1 = 0;
        std::uint8_t data2 = 0;
    };

    bool load(const std::string& path, double sampleRate, double tempoBpm, std::string& error);

    const std::vector<Event>& events() const { return timeline; }

    /** The events with frame in [start, start + count), in order. */
    std::vector<Event> eventsIn(std::int64_t start, int count) const;

    /** How many events lie at or after `endFrame`. */
    std::size_t countFrom(std::int64_t endFrame) const;

private:
    std::vector<Event> timeline; ///< sorted by frame, stable
};
