#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

// A host play head whose answer the test sets: a position, or none at all.
class TestPlayHead : public juce::AudioPlayHead
{
public:
    juce::Optional<PositionInfo> getPosition() const override
    {
        if (!hasPosition)
        {
            return juce::nullopt;
        }
        return position;
    }

    // Sets tempo and song position; everything else keeps what it was.
    void set(double bpm, double ppqPosition)
    {
        hasPosition = true;
        position.setBpm(bpm);
        position.setPpqPosition(ppqPosition);
    }

    bool hasPosition = false;
    PositionInfo position;
};
