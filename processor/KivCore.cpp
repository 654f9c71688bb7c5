#include "KivCore.h"

#include "FactoryBank.h"
#include "StateChunk.h"

#include <KivComponent.h>
#include <Quantise.h>

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace
{
constexpr auto relaxed = std::memory_order_relaxed;

// The signed square x |x| of the bipolar x = 2 v - 1: the depth of the LFO and envelope
// modulation, fine near the centre and steep at the ends.
float signedSquare(float v) noexcept
{
    const float x = 2.0f * v - 1.0f;
    return x * std::abs(x);
}
} // namespace

KivCore::KivCore()
    : juce::AudioProcessor(BusesProperties()
                               .withInput("Input", juce::AudioChannelSet::stereo(), true)
                               .withOutput("Output", juce::AudioChannelSet::stereo(), true)),
      params(nullptr), engine(rateAtConstruction()), sampleRate(rateAtConstruction()),
      currentProgram(0), nextMidiEventPosition(0), midiEventPending(false), lastParameterIndex(0),
      lastPosition(defaultPosition()), lastHostSampleRate(rateAtConstruction())
{
    params = engine.params;
    loadFactoryBank();
    setCurrentProgram(currentProgram.load(relaxed));
    lastParameterIndex.store(0, relaxed);
    startTimer(changePollIntervalMs);
}

KivCore::~KivCore()
{
    stopTimer();
}

float KivCore::rateAtConstruction() const noexcept
{
    const double rate = getSampleRate();
    return rate > 0.0 && rate <= (double)FLT_MAX ? (float)rate : referenceSampleRate;
}

juce::AudioPlayHead::CurrentPositionInfo KivCore::defaultPosition() noexcept
{
    // 120 beats per minute in 4/4; everything else zero or false, the frame rate included.
    juce::AudioPlayHead::CurrentPositionInfo position;
    position.bpm = defaultTempoBpm;
    position.timeSigNumerator = 4;
    position.timeSigDenominator = 4;
    position.timeInSamples = 0;
    position.timeInSeconds = 0.0;
    position.editOriginTime = 0.0;
    position.ppqPosition = 0.0;
    position.ppqPositionOfLastBarStart = 0.0;
    position.frameRate = juce::AudioPlayHead::FrameRate();
    position.isPlaying = false;
    position.isRecording = false;
    position.ppqLoopStart = 0.0;
    position.ppqLoopEnd = 0.0;
    position.isLooping = false;
    return position;
}

void KivCore::loadFactoryBank()
{
    const auto bank = juce::XmlDocument::parse(juce::String(FactoryBank::text()));
    jassert(bank != nullptr);
    if (bank == nullptr)
    {
        return;
    }
    juce::MemoryBlock chunk;
    copyXmlToBinary(*bank, chunk);
    setStateInformation(chunk.getData(), (int)chunk.getSize());
}

//==================================================================================================
// Identity and host answers

const juce::String KivCore::getName() const
{
    return "Kiv-Filter";
}

void KivCore::prepareToPlay(double, int)
{
    // Sample-rate changes are picked up at the top of processBlock.
}

void KivCore::releaseResources() {}

double KivCore::getTailLengthSeconds() const
{
    return 0.0;
}

bool KivCore::acceptsMidi() const
{
    return true;
}

bool KivCore::producesMidi() const
{
    return false;
}

juce::AudioProcessorEditor* KivCore::createEditor()
{
    return new KivComponent(this);
}

bool KivCore::hasEditor() const
{
    return true;
}

juce::int32 KivCore::getAAXPluginIDForMainBusConfig(const juce::AudioChannelSet& mainInputLayout,
                                                    const juce::AudioChannelSet&,
                                                    bool idForAudioSuite) const
{
    const juce::int32 base = idForAudioSuite ? 0x6a796161 /* 'jyaa' */ : 0x6a636161 /* 'jcaa' */;
    return base + (mainInputLayout == juce::AudioChannelSet::stereo() ? 1 : 0);
}

bool KivCore::isBusesLayoutSupported(const BusesLayout& layouts) const
{
    // Mono to mono or any two-channel set to any two-channel set; only the counts matter.
    if (layouts.outputBuses.isEmpty() || layouts.inputBuses.isEmpty())
    {
        return false;
    }
    const int numIn = layouts.getMainInputChannels();
    const int numOut = layouts.getMainOutputChannels();
    return (numIn == 2 && numOut == 2) || (numIn == 1 && numOut == 1);
}

const juce::String KivCore::getInputChannelName(int channelIndex) const
{
    return juce::String(channelIndex + 1);
}

const juce::String KivCore::getOutputChannelName(int channelIndex) const
{
    return juce::String(channelIndex + 1);
}

bool KivCore::isInputChannelStereoPair(int) const
{
    return true;
}

bool KivCore::isOutputChannelStereoPair(int) const
{
    return true;
}

bool KivCore::silenceInProducesSilenceOut() const
{
    return false;
}

//==================================================================================================
// Parameters

int KivCore::syncModeFor(float lfoSync) noexcept
{
    return quantise(lfoSync, Parameters::lfoSyncSteps) + 1;
}

int KivCore::getNumParameters()
{
    return Parameters::numParameters;
}

const juce::String KivCore::getParameterName(int index)
{
    return Parameters::isValidIndex(index) ? juce::String(Parameters::table[index].name)
                                           : juce::String();
}

float KivCore::getParameter(int index)
{
    if (!Parameters::isValidIndex(index))
    {
        return 0.0f;
    }
    return programs[currentProgram.load(relaxed)].values[index].load(relaxed);
}

const juce::String KivCore::getParameterText(int index)
{
    if (!Parameters::isValidIndex(index))
    {
        return {};
    }
    // Fixed notation with two decimals ("0.50", "1.00"), never an exponent.
    return juce::String((double)getParameter(index), 2);
}

float KivCore::getParameterDefaultValue(int index)
{
    // The current program's stored value, not a fixed default.
    return getParameter(index);
}

void KivCore::setParameter(int index, float newValue)
{
    if (!Parameters::isValidIndex(index))
    {
        return;
    }
    auto& slot = programs[currentProgram.load(relaxed)];
    const float v = newValue;

    switch (index)
    {
    case Parameters::lfoIntensity:
        engine.lfoAmount.store(signedSquare(v), relaxed);
        break;
    case Parameters::lfoRate:
        engine.setSync(syncModeFor(slot.values[Parameters::lfoSync].load(relaxed)), v);
        break;
    case Parameters::lfoSync:
        engine.setSync(syncModeFor(v), slot.values[Parameters::lfoRate].load(relaxed));
        break;
    case Parameters::volume:
        engine.volumeGain.store(8.0f * (v * v * v), relaxed);
        break;
    case Parameters::inputDrive:
        engine.inputDrive.store(v * v * v, relaxed);
        break;
    case Parameters::envelopeIntensity:
        engine.envelopeAmount.store(signedSquare(v), relaxed);
        break;
    default:
        break;
    }

    params[index].store(v, relaxed);
    slot.values[index].store(v, relaxed);
    postChange();
    lastParameterIndex.store(index, relaxed);
}

//==================================================================================================
// Programs

bool KivCore::isValidProgram(int index) noexcept
{
    return index >= 0 && index < numPrograms;
}

void KivCore::setCurrentProgram(int index)
{
    if (!isValidProgram(index))
    {
        return;
    }
    // The program number changes first, so that each setParameter below writes the slot's own
    // value back into the slot it came from.
    currentProgram.store(index, relaxed);
    auto& slot = programs[index];
    for (int parameter = 0; parameter < Parameters::numParameters; ++parameter)
    {
        setParameter(parameter, slot.values[parameter].load(relaxed));
    }
    // Learning never survives a program change.
    setParameter(Parameters::midiLearn, 0.0f);
    postChange();
    // The host keeps its own copy of the values for its controls and its project; it is told
    // to read them again, from the message thread.
    programChangePending.store(true, relaxed);
}

int KivCore::getNumPrograms()
{
    return numPrograms;
}

int KivCore::getCurrentProgram()
{
    return currentProgram.load(relaxed);
}

const juce::String KivCore::getProgramName(int index)
{
    if (!isValidProgram(index))
    {
        return "Invalid";
    }
    const juce::ScopedLock lock(programNameLock);
    return programs[index].name;
}

void KivCore::changeProgramName(int index, const juce::String& newName)
{
    if (!isValidProgram(index))
    {
        return;
    }
    const juce::ScopedLock lock(programNameLock);
    programs[index].name = newName;
}

//==================================================================================================
// State

void KivCore::getStateInformation(juce::MemoryBlock& destData)
{
    StateChunk chunk;
    chunk.currentProgram = currentProgram.load(relaxed);
    {
        const juce::ScopedLock lock(programNameLock);
        for (int p = 0; p < numPrograms; ++p)
        {
            chunk.programs[p].name = programs[p].name;
        }
    }
    for (int p = 0; p < numPrograms; ++p)
    {
        for (int index = 0; index < Parameters::numParameters; ++index)
        {
            chunk.programs[p].values[index] = programs[p].values[index].load(relaxed);
        }
    }
    // Every slot holds the same map; slot 0's is the one written.
    for (int controller = 0; controller < ProgramSlot::numControllers; ++controller)
    {
        chunk.controllerMap[controller] = programs[0].controllerMap[controller].load(relaxed);
    }
    chunk.write(destData);
}

void KivCore::setStateInformation(const void* data, int sizeInBytes)
{
    currentProgram.store(0, relaxed);

    StateChunk chunk;
    if (!chunk.read(data, sizeInBytes))
    {
        return;
    }

    // A curprogram outside the bank is taken as 0, the value it has when missing, so that the
    // live slot is always one of the ten and the engine runs what it names.
    const int program = isValidProgram(chunk.currentProgram) ? chunk.currentProgram : 0;

    {
        const juce::ScopedLock lock(programNameLock);
        for (int p = 0; p < chunk.numProgramsRead; ++p)
        {
            programs[p].name = chunk.programs[p].name;
        }
    }
    for (int p = 0; p < chunk.numProgramsRead; ++p)
    {
        auto& slot = programs[p];
        slot.version = chunk.programs[p].version;
        for (int index = 0; index < Parameters::numParameters; ++index)
        {
            if (Parameters::table[index].isStored)
            {
                slot.values[index].store(chunk.programs[p].values[index], relaxed);
            }
        }
    }
    for (int controller = 0; controller < ProgramSlot::numControllers; ++controller)
    {
        if (chunk.controllerRead[controller])
        {
            for (auto& slot : programs)
            {
                slot.controllerMap[controller].store(chunk.controllerMap[controller], relaxed);
            }
        }
    }

    currentProgram.store(program, relaxed);
    setCurrentProgram(program);
    postChange();
}

//==================================================================================================
// Change messages

void KivCore::postChange() noexcept
{
    changePending.store(true, relaxed);
}

bool KivCore::takeChangePending() noexcept
{
    return changePending.exchange(false, relaxed);
}

void KivCore::deliverPendingChange()
{
    if (takeChangePending())
    {
        sendSynchronousChangeMessage();
    }
    if (programChangePending.exchange(false, relaxed))
    {
        updateHostDisplay(ChangeDetails().withProgramChanged(true));
    }
}

void KivCore::timerCallback()
{
    deliverPendingChange();
}

//==================================================================================================
// The audio path

void KivCore::processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiMessages)
{
    const juce::ScopedNoDenormals noDenormals;

    applySampleRateChange();
    followHostTransport();

    const juce::ScopedLock lock(getCallbackLock());

    const int numSamples = buffer.getNumSamples();
    const int numInputs = getTotalNumInputChannels();
    const bool canProcess =
        (numInputs == 1 || numInputs == 2) && buffer.getNumChannels() >= numInputs;

    if (canProcess)
    {
        auto cursor = midiMessages.cbegin();
        const auto end = midiMessages.cend();
        juce::MidiMessageMetadata message;
        fetchNextMidiEvent(cursor, end, message);

        float* left = buffer.getWritePointer(0);
        if (numInputs == 2)
        {
            float* right = buffer.getWritePointer(1);
            for (int i = 0; i < numSamples; ++i)
            {
                processMidiPerSample(cursor, end, message, i);
                engine.process(left + i, right + i);
            }
        }
        else
        {
            // The engine's right output of one sample is its right input of the next.
            float scratchRight = 0.0f;
            for (int i = 0; i < numSamples; ++i)
            {
                processMidiPerSample(cursor, end, message, i);
                engine.process(left + i, &scratchRight);
            }
        }
    }

    const int numOutputs = std::min(getTotalNumOutputChannels(), buffer.getNumChannels());
    for (int channel = std::max(numInputs, 0); channel < numOutputs; ++channel)
    {
        buffer.clear(channel, 0, numSamples);
    }
}

void KivCore::applySampleRateChange() noexcept
{
    const double hostRate = getSampleRate();
    if (hostRate == lastHostSampleRate)
    {
        return;
    }
    lastHostSampleRate = hostRate;
    // A rate that no float can hold counts like a missing one.
    sampleRate =
        std::isfinite(hostRate) && std::abs(hostRate) <= (double)FLT_MAX ? (float)hostRate : 0.0f;
    const float s = sampleRate > 0.0f ? sampleRate : referenceSampleRate;

    // The filter cores are tuned at 44100 Hz and only ever slowed down above it.
    const float factor = std::min(1.0f, referenceSampleRate / s);
    for (auto* filter : {&engine.leftFilter, &engine.rightFilter})
    {
        filter->lowPass.sampleRateFactor.store(factor, relaxed);
        filter->highPass.sampleRateFactor.store(factor, relaxed);
        filter->bandPass.sampleRateFactor.store(factor, relaxed);
    }
    engine.envelopeRate.store(s * 100.0f / referenceSampleRate, relaxed);
    engine.leftLfo.sampleRate.store(s, relaxed);
    engine.rightLfo.sampleRate.store(s, relaxed);

    // Re-applying the live program recomputes the LFO increments for the new rate.
    setCurrentProgram(currentProgram.load(relaxed));
}

bool KivCore::isSamePosition(const juce::AudioPlayHead::CurrentPositionInfo& a,
                             const juce::AudioPlayHead::CurrentPositionInfo& b) noexcept
{
    // Every field, the time in seconds included (the framework's own comparison leaves it out).
    return a.bpm == b.bpm && a.timeSigNumerator == b.timeSigNumerator &&
           a.timeSigDenominator == b.timeSigDenominator && a.timeInSamples == b.timeInSamples &&
           a.timeInSeconds == b.timeInSeconds && a.editOriginTime == b.editOriginTime &&
           a.ppqPosition == b.ppqPosition &&
           a.ppqPositionOfLastBarStart == b.ppqPositionOfLastBarStart &&
           a.frameRate == b.frameRate && a.isPlaying == b.isPlaying &&
           a.isRecording == b.isRecording && a.ppqLoopStart == b.ppqLoopStart &&
           a.ppqLoopEnd == b.ppqLoopEnd && a.isLooping == b.isLooping;
}

void KivCore::followHostTransport() noexcept
{
    const auto& slot = programs[currentProgram.load(relaxed)];
    const float storedSync = slot.values[Parameters::lfoSync].load(relaxed);
    const float storedRate = slot.values[Parameters::lfoRate].load(relaxed);

    juce::AudioPlayHead::CurrentPositionInfo position;
    auto* playHead = getPlayHead();
    // The record-based query is deprecated in the framework but is exactly the record whose
    // every field decides whether the host's position changed.
    JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE("-Wdeprecated-declarations")
    const bool hasPosition = playHead != nullptr && playHead->getCurrentPosition(position);
    JUCE_END_IGNORE_WARNINGS_GCC_LIKE

    if (!hasPosition)
    {
        if (engine.bpm.load(relaxed) != defaultTempoBpm)
        {
            engine.bpm.store(defaultTempoBpm, relaxed);
            engine.setSync(syncModeFor(storedSync), storedRate);
        }
        return;
    }
    if (isSamePosition(position, lastPosition))
    {
        return;
    }
    // While notes restart the LFOs (miditrigger 0.5 or more) the host's timeline is ignored.
    if (slot.values[Parameters::midiTrigger].load(relaxed) >= midiTriggerThreshold ||
        position.bpm <= 0.0)
    {
        return;
    }
    lastPosition = position;

    float bpm = (float)position.bpm;
    if (!(bpm > 0.0f))
    {
        bpm = defaultTempoBpm;
    }
    if (bpm != engine.bpm.load(relaxed) && bpm > minHostTempoBpm && bpm < maxHostTempoBpm)
    {
        engine.bpm.store(bpm, relaxed);
        engine.setSync(syncModeFor(storedSync), storedRate);
    }
    if (syncModeFor(storedSync) > 1)
    {
        alignLfoPhaseWithSongPosition();
    }
}

void KivCore::alignLfoPhaseWithSongPosition() noexcept
{
    // Cycles the LFOs, at their present increment, would have run from the start of the host's
    // timeline to its current position (one cycle is 256 phase units). The precision of each
    // step is part of the result: samples per quarter note in double, rounded to float; the
    // increment in cycles per sample in float; their product in float; times the position in
    // double, rounded to float.
    const float samplesPerQuarter = (float)((double)sampleRate * (60.0 / lastPosition.bpm));
    const float cyclesPerSample = engine.leftLfo.increment.load(relaxed) * (1.0f / 256.0f);
    const float cyclesPerQuarter = samplesPerQuarter * cyclesPerSample;
    const float cycles = (float)((double)cyclesPerQuarter * lastPosition.ppqPosition);
    const float fraction = cycles - std::floor(cycles);
    if (fraction >= 0.0f && fraction <= 1.0f)
    {
        engine.rightLfo.phase.store(fraction * 256.0f, relaxed);
        engine.leftLfo.phase.store(fraction * 256.0f, relaxed);
    }
}

void KivCore::fetchNextMidiEvent(juce::MidiBufferIterator& cursor,
                                 const juce::MidiBufferIterator& end,
                                 juce::MidiMessageMetadata& message) noexcept
{
    if (cursor == end)
    {
        midiEventPending = false;
        return;
    }
    message = *cursor;
    ++cursor;
    nextMidiEventPosition = message.samplePosition;
    midiEventPending = true;
}

void KivCore::processMidiPerSample(juce::MidiBufferIterator& cursor,
                                   const juce::MidiBufferIterator& end,
                                   juce::MidiMessageMetadata& message, int sampleIndex) noexcept
{
    if (!midiEventPending || nextMidiEventPosition != sampleIndex)
    {
        return;
    }
    for (;;)
    {
        handleMidiMessage(message);
        fetchNextMidiEvent(cursor, end, message);
        if (!midiEventPending || nextMidiEventPosition != sampleIndex)
        {
            return;
        }
    }
}

void KivCore::handleMidiMessage(const juce::MidiMessageMetadata& message) noexcept
{
    // Controller and note-on messages are three bytes; anything shorter carries neither.
    if (message.data == nullptr || message.numBytes < 3)
    {
        return;
    }
    const int status = message.data[0];
    const int data1 = message.data[1];
    const int data2 = message.data[2];

    if ((status & 0xf0) == 0xb0 && data1 < ProgramSlot::numControllers)
    {
        // Controller, any channel: learn, then move the bound parameter.
        if (params[Parameters::midiLearn].load(relaxed) > 0.0f)
        {
            const int learned = lastParameterIndex.load(relaxed);
            for (auto& slot : programs)
            {
                slot.controllerMap[data1].store(learned, relaxed);
            }
        }
        const int bound = programs[currentProgram.load(relaxed)].controllerMap[data1].load(relaxed);
        if (bound > 0)
        {
            setParameter(bound, (float)data2 / 127.0f);
        }
    }
    if ((status & 0xf0) == 0x90 && data2 != 0)
    {
        // Note-on, any channel: restart both LFOs while miditrigger is above one half.
        if (programs[currentProgram.load(relaxed)].values[Parameters::midiTrigger].load(relaxed) >
            midiTriggerThreshold)
        {
            engine.rightLfo.phase.store(0.0f, relaxed);
            engine.leftLfo.phase.store(0.0f, relaxed);
        }
    }
}
