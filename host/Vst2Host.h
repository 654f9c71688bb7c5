#pragma once

#include "pluginterfaces/vst2.x/aeffect.h"
#include "pluginterfaces/vst2.x/aeffectx.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

/**
    A minimal VST 2.4 host for one plug-in instance, driven through the plain binary
    interface exactly as a real host would: the shared object is opened with dlopen, its
    entry point (`VSTPluginMain`, else `main`) is called with our host callback, and from
    then on everything goes through the AEffect record (dispatcher, parameter callbacks,
    processReplacing).

    Threading: the instance is driven from one thread (the "processing thread" of the
    owner: a test or a tool). The plug-in may call back into the host from any thread
    (its message thread in particular); everything the callback records is guarded, and the
    accessors below return copies. `transport` is read by the callback while the plug-in
    processes, so change it only between calls of `process` on the processing thread.

    Errors are never thrown: `load` answers null with a message, the getters answer what
    the plug-in wrote (an empty text when it wrote nothing).
*/
class Vst2Host
{
public:
    /** The host's song position and tempo, reported to the plug-in through
        audioMasterGetTime. With `advance` set, every `process` call moves the position on by
        the processed frames while `playing`. */
    struct Transport
    {
        bool hasTimeInfo = true;     ///< false: audioMasterGetTime answers 0 (no time info)
        double tempo = 120.0;        ///< beats per minute
        double ppqPosition = 0.0;    ///< position in quarter notes
        double samplePosition = 0.0; ///< position in samples
        bool playing = true;
        int timeSigNumerator = 4;
        int timeSigDenominator = 4;
        bool advance = true;
    };

    /** A parameter change the plug-in reported through audioMasterAutomate. */
    struct Automation
    {
        int index = 0;
        float value = 0.0f;
    };

    /** A window size the plug-in asked for through audioMasterSizeWindow. */
    struct WindowSize
    {
        int width = 0;
        int height = 0;
    };

    /** Loads the shared object at soPath and creates one instance. `versionAnswer` is what
        the host answers to audioMasterVersion (2400 for a VST 2.4 host; 0 makes a
        well-behaved plug-in refuse to create an instance). Sends effOpen, then the initial
        sample rate (44100) and block size (512). Answers null and fills `error` when the
        file is missing, cannot be opened, has no entry point, the entry point answers null,
        the record it answers does not carry the VST magic or has no 32-bit processReplacing.
        `entryPoint` names the exported function to call; empty means `VSTPluginMain`, or
        `main` when the former is missing. */
    static std::unique_ptr<Vst2Host> load(const std::string& soPath, std::string& error,
                                          int versionAnswer = 2400,
                                          const std::string& entryPoint = {});

    /** Closes the editor if it is open, suspends if resumed, sends effClose and releases
        the shared object. Releasing it after effClose is safe for plug-ins built on the
        framework we use: their message and timer threads end with the last instance's
        effClose. (A library with unique C++ symbols, as those plug-ins have, stays mapped
        anyway: the dynamic loader never unloads it, so a later load in the same process
        finds it again.) */
    ~Vst2Host();

    Vst2Host(const Vst2Host&) = delete;
    Vst2Host& operator=(const Vst2Host&) = delete;

    AEffect* effect() const { return aeffect; }

    /** Calls the plug-in's dispatcher. */
    intptr_t dispatch(int opcode, int index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f);

    // Set-up and switching on and off ---------------------------------------------------

    /** effSetSampleRate; also what audioMasterGetSampleRate answers from now on. */
    void setSampleRate(float rate);
    float sampleRate() const { return currentSampleRate; }

    /** effSetBlockSize; also what audioMasterGetBlockSize answers. The largest block
        passed to `process` should not exceed it. */
    void setBlockSize(int frames);
    int blockSize() const { return currentBlockSize; }

    /** effMainsChanged 1 followed by effStartProcess. Does nothing when already resumed. */
    void resume();
    /** effStopProcess followed by effMainsChanged 0. Does nothing when not resumed. */
    void suspend();
    bool isResumed() const { return resumed; }

    // Parameters, programs, identity ----------------------------------------------------

    float getParameter(int index);
    void setParameter(int index, float value);
    std::string parameterName(int index);
    std::string parameterLabel(int index);
    std::string parameterDisplay(int index);

    /** effGetProgramNameIndexed. */
    std::string programName(int index);
    /** effGetProgramName: the name of the current program. */
    std::string currentProgramName();
    int program();
    void setProgram(int index);

    std::string effectName();
    std::string vendorString();
    std::string productString();
    int vendorVersion();

    // State --------------------------------------------------------------------------------

    /** effGetChunk, bank (default) or single program; the bytes are copied out of the
        plug-in's memory. Empty when the plug-in answers no data. */
    std::vector<uint8_t> getChunk(bool singleProgram = false);
    /** effSetChunk; answers what the plug-in answers. */
    intptr_t setChunk(const std::vector<uint8_t>& data, bool singleProgram = false);

    // MIDI and audio -----------------------------------------------------------------------

    /** Queues a three-byte MIDI message for the next `process` call, at deltaFrames within
        that block. All queued messages go to the plug-in in one effProcessEvents just
        before the next processReplacing, then the queue is emptied. */
    void queueMidi(int deltaFrames, uint8_t status, uint8_t data1, uint8_t data2);
    std::size_t numQueuedMidi() const { return midiQueue.size(); }

    /** processReplacing with the plug-in's channel count: `inputs` must hold
        effect()->numInputs and `outputs` effect()->numOutputs channel pointers of at least
        `frames` samples each. Input and output may be separate buffers or the same ones.
        Queued MIDI is delivered first; afterwards the transport advances. */
    void process(float** inputs, float** outputs, int frames);

    /** Runs a whole stereo signal through the plug-in, in place, in blocks of blockSize
        frames (the last block may be shorter). Channels 0 and 1 of the plug-in get left and
        right; further input channels get silence, further outputs are discarded. With a
        single input channel the plug-in sees left only. Both vectors must have one
        length. */
    void processStereo(std::vector<float>& left, std::vector<float>& right, int blockSize);

    /** The one-channel form: channel 0 in and out; further input channels get silence and
        further outputs are discarded. */
    void processMono(std::vector<float>& samples, int blockSize);

    // Editor -------------------------------------------------------------------------------

    /** effEditGetRect; false when the plug-in gives no rectangle.

        Note for GUI work: a plug-in may create its editor already here. Plug-ins built on
        the framework we use then stop their own message thread until effEditClose and run
        their pending GUI work (timers, repaints, change messages) only inside effEditIdle:
        call `idle()` regularly, on this thread, while an editor exists. */
    bool editorRect(int& width, int& height);
    /** effEditOpen with the host's window (an X11 Window id cast to a pointer on Linux). */
    bool openEditor(void* parentWindow);
    void closeEditor();
    bool isEditorOpen() const { return editorOpen; }
    /** effEditIdle: lets the plug-in run its pending GUI work on this thread. */
    void idle();

    // What the plug-in asked of the host ---------------------------------------------------

    /** The opcodes the host callback received, in order (copies): the first
        maxRecordedOpcodes of them since the last clearRecords(), so that a long render, which
        asks for the time on every block, does not grow the record without bound. */
    std::vector<int> receivedOpcodes() const;
    static constexpr std::size_t maxRecordedOpcodes = 4096;
    /** How often the callback received the given opcode (counted without bound). */
    int countOf(int opcode) const;
    std::vector<Automation> automations() const;
    /** Indices passed with audioMasterBeginEdit / audioMasterEndEdit, in order. */
    std::vector<int> beginEdits() const;
    std::vector<int> endEdits() const;
    std::vector<WindowSize> windowSizeRequests() const;
    /** Forgets all of the above. */
    void clearRecords();

    Transport transport;

    /** The texts the host reports for itself. */
    static constexpr const char* hostVendorName = "KIV";
    static constexpr const char* hostProductName = "KIV Test Host";

private:
    Vst2Host() = default;

    static VstIntPtr VSTCALLBACK hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                              VstIntPtr value, void* ptr, float opt);
    intptr_t handleCallback(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
    intptr_t answerTimeInfo();
    void record(int32_t opcode);
    std::string readText(int opcode, int index, std::size_t bufferSize);
    void deliverMidi();
    void runBlocks(std::vector<float>* channels[2], int numChannels, std::size_t length,
                   int blockSize);

    void* library = nullptr;
    AEffect* aeffect = nullptr;
    int versionReply = 2400;
    float currentSampleRate = 44100.0f;
    int currentBlockSize = 512;
    bool resumed = false;
    bool editorOpen = false;

    std::vector<VstMidiEvent> midiQueue;
    std::vector<VstEvent*> eventRecord; ///< storage for the VstEvents record, sized to fit

    VstTimeInfo timeInfo{};
    bool reportedPlaying = false;

    mutable std::mutex recordLock;
    std::vector<int> opcodes;
    std::map<int, int> opcodeCounts;
    std::vector<Automation> automationRecord;
    std::vector<int> beginEditRecord;
    std::vector<int> endEditRecord;
    std::vector<WindowSize> sizeRecord;
};
