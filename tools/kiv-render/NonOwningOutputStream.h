#pragma once

#include <juce_core/juce_core.h>

/**
    Passes everything on to a stream that someone else owns. The framework's audio-format
    writers delete the stream they are given; handing them one of these keeps the real file
    stream alive, so that its write status can still be checked after the writer has gone.
*/
class NonOwningOutputStream : public juce::OutputStream
{
public:
    explicit NonOwningOutputStream(juce::OutputStream& target) : destination(target) {}

    void flush() override { destination.flush(); }
    bool setPosition(juce::int64 position) override { return destination.setPosition(position); }
    juce::int64 getPosition() override { return destination.getPosition(); }
    bool write(const void* data, size_t numBytes) override
    {
        return destination.write(data, numBytes);
    }

private:
    juce::OutputStream& destination;
};
