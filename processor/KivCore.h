#pragma once

#include "Parameters.h"
#include "ProgramSlot.h"

#include <Engine.h>

#include <juce_audio_processors/juce_audio_processors.h>

#include <atomic>

// The plug-in's audio processor: owns the sound engine and the bank of ten programs, answers
// the host's fifteen index-based parameters, turns every parameter value into the engine's
// working values, follows the host's sample rate, tempo and song position, handles MIDI learn,
// MIDI control and note-triggered LFO restarts, and stores and restores the whole state.
//
// Every parameter change, from whichever thread, goes through setParameter(). The values shared
// between threads are relaxed 32-bit atomics; the audio path takes no lock but the callback
// lock and never allocates. Change messages for the editor are raised as an atomic flag that a
// message-thread timer turns into one merged ChangeBroadcaster callback, since posting into the
// framework's message queue from the audio thread would lock and allocate.
class KivCore : public juce::AudioProcessor, public juce::ChangeBroadcaster, private juce::Timer
{
public:
    static constexpr int numPrograms = 10;
    // The sample rate assumed while the host has given none, and the one every
    // rate-dependent constant is scaled against.
    static constexpr float referenceSampleRate = 44100.0f;

    KivCore();
    ~KivCore() override;

    const juce::String getName() const override;

    void prepareToPlay(double sampleRate, int maximumExpectedSamplesPerBlock) override;
    void releaseResources() override;
    void processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiMessages) override;
    using juce::AudioProcessor::processBlock;

    double getTailLengthSeconds() const override;
    bool acceptsMidi() const override;
    bool producesMidi() const override;

    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override;

    void setCurrentProgram(int index) override;
    int getNumPrograms() override;
    int getCurrentProgram() override;
    const juce::String getProgramName(int index) override;
    void changeProgramName(int index, const juce::String& newName) override;

    void getStateInformation(juce::MemoryBlock& destData) override;
    void setStateInformation(const void* data, int sizeInBytes) override;

    juce::int32 getAAXPluginIDForMainBusConfig(const juce::AudioChannelSet& mainInputLayout,
                                               const juce::AudioChannelSet& mainOutputLayout,
                                               bool idForAudioSuite) const override;
    bool isBusesLayoutSupported(const BusesLayout& layouts) const override;

    // The framework's index-based parameter interface, which its VST2 client wraps for the host
    // when a processor has no parameter objects. It is deprecated in the framework; these
    // overrides are the plug-in's parameter interface.
    int getNumParameters() override;
    const juce::String getParameterName(int index) override;
    float getParameter(int index) override;
    const juce::String getParameterText(int index) override;
    float getParameterDefaultValue(int index) override;
    void setParameter(int index, float newValue) override;

    const juce::String getInputChannelName(int channelIndex) const override;
    const juce::String getOutputChannelName(int channelIndex) const override;
    bool isInputChannelStereoPair(int index) const override;
    bool isOutputChannelStereoPair(int index) const override;
    bool silenceInProducesSilenceOut() const override;

    // Handles every MIDI event of the block that falls on sample index `sampleIndex`, in buffer
    // order, before the engine processes that sample. `message` is the event fetched last and
    // not yet handled; `cursor` points past it. Positions match by equality only, so an event
    // at a position that is not a sample index of the block is never handled, nor is any event
    // after it.
    void processMidiPerSample(juce::MidiBufferIterator& cursor, const juce::MidiBufferIterator& end,
                              juce::MidiMessageMetadata& message, int sampleIndex) noexcept;

    // The sync mode 1..19 of a stored lfosync value: floor(18 s + 0.5) + 1. The one rule by
    // which every caller of Engine::setSync turns lfosync into a mode.
    static int syncModeFor(float lfoSync) noexcept;

    // True, and cleared, when a change message is due: set by every accepted setParameter and
    // by program switches and state loads. The timer delivers it; tests may take it instead.
    bool takeChangePending() noexcept;
    // Message thread: turns a pending change into one synchronous ChangeBroadcaster callback
    // (nothing while no listener is registered), and a program switch since the last call into
    // one request to the host to re-read all values. Called by the timer.
    void deliverPendingChange();

    // Direct handle on the engine's parameter array; the engine reads it every sample.
    std::atomic<float>* params;
    Engine engine;
    // The sample rate last applied to the engine; 0 or below when the host gave such a rate,
    // in which case every derived value uses referenceSampleRate.
    float sampleRate;
    ProgramSlot programs[numPrograms];
    // Always 0..9: every parameter change writes into the slot it names.
    std::atomic<int> currentProgram;
    // MIDI walk of the current block (audio thread only).
    int nextMidiEventPosition;
    bool midiEventPending;
    // The index most recently accepted by setParameter; MIDI learn binds to it.
    std::atomic<int> lastParameterIndex;
    // The host position last accepted (audio thread only).
    juce::AudioPlayHead::CurrentPositionInfo lastPosition;

private:
    // How often the message thread looks for a pending change message.
    static constexpr int changePollIntervalMs = 20;
    static constexpr float defaultTempoBpm = 120.0f;
    // The engine's tempo follows the host only strictly inside this range.
    static constexpr float minHostTempoBpm = 1.0f;
    static constexpr float maxHostTempoBpm = 500.0f;
    static constexpr float midiTriggerThreshold = 0.5f;

    static bool isValidProgram(int index) noexcept;
    static bool isSamePosition(const juce::AudioPlayHead::CurrentPositionInfo& a,
                               const juce::AudioPlayHead::CurrentPositionInfo& b) noexcept;
    static juce::AudioPlayHead::CurrentPositionInfo defaultPosition() noexcept;
    float rateAtConstruction() const noexcept;

    void loadFactoryBank();
    void postChange() noexcept;
    void applySampleRateChange() noexcept;
    void followHostTransport() noexcept;
    void alignLfoPhaseWithSongPosition() noexcept;
    // Makes the cursor's event the current message (and advances the cursor), or marks the walk
    // as finished when the block has no further event. Starts the walk and continues it.
    void fetchNextMidiEvent(juce::MidiBufferIterator& cursor, const juce::MidiBufferIterator& end,
                            juce::MidiMessageMetadata& message) noexcept;
    void handleMidiMessage(const juce::MidiMessageMetadata& message) noexcept;

    void timerCallback() override;

    // The host rate last seen, compared as the double the framework holds, so that a rate a
    // float cannot represent exactly does not re-apply the program (and switch MIDI learn off)
    // on every block.
    double lastHostSampleRate;
    std::atomic<bool> changePending{false};
    std::atomic<bool> programChangePending{false};
    // Guards the program names, which only the host's non-audio threads touch.
    juce::CriticalSection programNameLock;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(KivCore)
};

static_assert(std::atomic<int>::is_always_lock_free, "shared with the audio thread");
static_assert(std::atomic<bool>::is_always_lock_free, "shared with the audio thread");
