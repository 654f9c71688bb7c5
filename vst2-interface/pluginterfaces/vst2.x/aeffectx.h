// The project's own definitions of the VST 2.4 extended interface: the
// extended dispatcher and host opcodes, events, time info, pin and speaker
// descriptions, editor rectangle and the constants that go with them. Values
// and record layouts follow the binary interface that VST 2.4 hosts use on
// x86-64 Linux; only the names our plug-in client and our host code need are
// defined.
//
// Like aeffect.h this file includes no system headers, so the framework can
// include it inside `namespace Vst2 { ... }`; host code includes it at global
// scope.

#ifndef KIV_VST2_INTERFACE_AEFFECTX_H
#define KIV_VST2_INTERFACE_AEFFECTX_H

#include "aeffect.h"

// String buffer sizes of the extended records, not counting the terminating
// zero.
enum Vst2StringConstants
{
    kVstMaxNameLen = 64,
    kVstMaxLabelLen = 64,
    kVstMaxShortLabelLen = 8,
    kVstMaxCategLabelLen = 24,
    kVstMaxFileNameLen = 100
};

//------------------------------------------------------------------------------
// Events

// VstEvent::type values.
enum VstEventTypes
{
    kVstMidiType = 1,
    kVstAudioType,     // 2 deprecated
    kVstVideoType,     // 3 deprecated
    kVstParameterType, // 4 deprecated
    kVstTriggerType,   // 5 deprecated
    kVstSysExType      // 6
};

// Generic event header; the concrete record is chosen by `type`.
struct VstEvent
{
    // Kind of event and size of the whole record in bytes.
    VstInt32 type;
    VstInt32 byteSize;

    // Sample offset into the current block, then type-specific flags.
    VstInt32 deltaFrames;
    VstInt32 flags;

    // Type-specific payload.
    char data[16];
};

// A list of events passed with effProcessEvents / audioMasterProcessEvents.
// `events` really holds `numEvents` pointers; the sender allocates the record
// larger than declared.
struct VstEvents
{
    VstInt32 numEvents;
    VstIntPtr reserved; // zero
    VstEvent* events[2];
};

// VstMidiEvent::flags bits.
enum VstMidiEventFlags
{
    kVstMidiEventIsRealtime = 1 << 0
};

// A short MIDI message of up to 4 bytes.
struct VstMidiEvent
{
    // Header fields as in VstEvent; type is kVstMidiType.
    VstInt32 type;
    VstInt32 byteSize;
    VstInt32 deltaFrames;
    VstInt32 flags;

    // Note length and the offset into the note, in samples (0 when unknown).
    VstInt32 noteLength;
    VstInt32 noteOffset;

    // Status byte and up to two data bytes; the fourth byte is zero.
    char midiData[4];

    // Detune in cents (-64..+63) and note-off velocity (0..127).
    char detune;
    char noteOffVelocity;

    // Zero.
    char reserved1;
    char reserved2;
};

// A system-exclusive message; `sysexDump` holds `dumpBytes` bytes.
struct VstMidiSysexEvent
{
    // Header fields as in VstEvent; type is kVstSysExType.
    VstInt32 type;
    VstInt32 byteSize;
    VstInt32 deltaFrames;
    VstInt32 flags; // zero

    VstInt32 dumpBytes;
    VstIntPtr resvd1; // zero
    char* sysexDump;
    VstIntPtr resvd2; // zero
};

//------------------------------------------------------------------------------
// Time info (answer to audioMasterGetTime)

// VstTimeInfo::flags bits. The host sets the *Valid bits for the fields it
// filled; the plug-in passes the bits it wants in the request's value.
enum VstTimeInfoFlags
{
    kVstTransportChanged = 1,
    kVstTransportPlaying = 1 << 1,
    kVstTransportCycleActive = 1 << 2,
    kVstTransportRecording = 1 << 3,
    kVstAutomationWriting = 1 << 6,
    kVstAutomationReading = 1 << 7,
    kVstNanosValid = 1 << 8,
    kVstPpqPosValid = 1 << 9,
    kVstTempoValid = 1 << 10,
    kVstBarsValid = 1 << 11,
    kVstCyclePosValid = 1 << 12,
    kVstTimeSigValid = 1 << 13,
    kVstSmpteValid = 1 << 14,
    kVstClockValid = 1 << 15
};

// VstTimeInfo::smpteFrameRate values (8 and 9 are not assigned).
enum VstSmpteFrameRate
{
    kVstSmpte24fps = 0,
    kVstSmpte25fps = 1,
    kVstSmpte2997fps = 2,
    kVstSmpte30fps = 3,
    kVstSmpte2997dfps = 4,
    kVstSmpte30dfps = 5,
    kVstSmpteFilm16mm = 6,
    kVstSmpteFilm35mm = 7,
    kVstSmpte239fps = 10,
    kVstSmpte249fps = 11,
    kVstSmpte599fps = 12,
    kVstSmpte60fps = 13
};

struct VstTimeInfo
{
    // Position of the current block's first sample, in samples, and the rate.
    double samplePos;
    double sampleRate;

    // System time in nanoseconds (kVstNanosValid).
    double nanoSeconds;

    // Musical position in quarter notes (kVstPpqPosValid), tempo in BPM
    // (kVstTempoValid), start of the last bar in quarter notes (kVstBarsValid).
    double ppqPos;
    double tempo;
    double barStartPos;

    // Loop start and end in quarter notes (kVstCyclePosValid).
    double cycleStartPos;
    double cycleEndPos;

    // Time signature (kVstTimeSigValid).
    VstInt32 timeSigNumerator;
    VstInt32 timeSigDenominator;

    // SMPTE offset in subframes (1/80 of a frame) and the frame rate as a
    // VstSmpteFrameRate (kVstSmpteValid).
    VstInt32 smpteOffset;
    VstInt32 smpteFrameRate;

    // Samples to the next 24-per-quarter MIDI clock (kVstClockValid).
    VstInt32 samplesToNextClock;

    // VstTimeInfoFlags.
    VstInt32 flags;
};

//------------------------------------------------------------------------------
// Extended dispatcher opcodes (host -> plug-in), continuing AEffectOpcodes.

enum AEffectXOpcodes
{
    effProcessEvents = effSetChunk + 1, // 25 ptr: VstEvents*
    effCanBeAutomated,                  // 26 index: parameter
    effString2Parameter,                // 27 index: parameter, ptr: text
    effGetNumProgramCategories,         // 28 deprecated
    effGetProgramNameIndexed,           // 29 index: program, ptr: char[kVstMaxProgNameLen + 1]
    effCopyProgram,                     // 30 deprecated
    effConnectInput,                    // 31 deprecated
    effConnectOutput,                   // 32 deprecated
    effGetInputProperties,              // 33 index: pin, ptr: VstPinProperties*
    effGetOutputProperties,             // 34 index: pin, ptr: VstPinProperties*
    effGetPlugCategory,                 // 35 returns a VstPlugCategory
    effGetCurrentPosition,              // 36 deprecated
    effGetDestinationBuffer,            // 37 deprecated
    effOfflineNotify,                   // 38
    effOfflinePrepare,                  // 39
    effOfflineRun,                      // 40
    effProcessVarIo,                    // 41
    effSetSpeakerArrangement,           // 42 value: input VstSpeakerArrangement*, ptr: output
    effSetBlockSizeAndSampleRate,       // 43 deprecated
    effSetBypass,                       // 44 value: 1 bypass on, 0 off
    effGetEffectName,                   // 45 ptr: char[kVstMaxEffectNameLen + 1]
    effGetErrorText,                    // 46 deprecated
    effGetVendorString,                 // 47 ptr: char[kVstMaxVendorStrLen + 1]
    effGetProductString,                // 48 ptr: char[kVstMaxProductStrLen + 1]
    effGetVendorVersion,                // 49
    effVendorSpecific,                  // 50
    effCanDo,                           // 51 ptr: capability text; returns 1 yes, -1 no, 0 unknown
    effGetTailSize,                     // 52 returns the tail in samples (1 = none)
    effIdle,                            // 53 deprecated
    effGetIcon,                         // 54 deprecated
    effSetViewPosition,                 // 55 deprecated
    effGetParameterProperties,          // 56 index: parameter, ptr: VstParameterProperties*
    effKeysRequired,                    // 57 deprecated
    effGetVstVersion,                   // 58 returns kVstVersion
    effEditKeyDown,                     // 59
    effEditKeyUp,                       // 60
    effSetEditKnobMode,                 // 61
    effGetMidiProgramName,              // 62
    effGetCurrentMidiProgram,           // 63
    effGetMidiProgramCategory,          // 64
    effHasMidiProgramsChanged,          // 65
    effGetMidiKeyName,                  // 66 ptr: MidiKeyName*
    effBeginSetProgram,                 // 67
    effEndSetProgram,                   // 68
    effGetSpeakerArrangement,           // 69 value: VstSpeakerArrangement** input, ptr: output
    effShellGetNextPlugin,              // 70
    effStartProcess,                    // 71
    effStopProcess,                     // 72
    effSetTotalSampleToProcess,         // 73 value: number of samples
    effSetPanLaw,                       // 74
    effBeginLoadBank,                   // 75 ptr: VstPatchChunkInfo*
    effBeginLoadProgram,                // 76 ptr: VstPatchChunkInfo*
    effSetProcessPrecision,             // 77 value: VstProcessPrecision
    effGetNumMidiInputChannels,         // 78
    effGetNumMidiOutputChannels         // 79
};

//------------------------------------------------------------------------------
// Extended host callback opcodes (plug-in -> host), continuing
// AudioMasterOpcodes. Opcode 5 is not assigned.

enum AudioMasterOpcodesX
{
    audioMasterWantMidi = audioMasterPinConnected + 2, // 6 deprecated
    audioMasterGetTime,                                // 7  returns VstTimeInfo*
    audioMasterProcessEvents,                          // 8  ptr: VstEvents*
    audioMasterSetTime,                                // 9  deprecated
    audioMasterTempoAt,                                // 10 deprecated
    audioMasterGetNumAutomatableParameters,            // 11 deprecated
    audioMasterGetParameterQuantization,               // 12 deprecated
    audioMasterIOChanged,                              // 13
    audioMasterNeedIdle,                               // 14 deprecated
    audioMasterSizeWindow,                             // 15 index: width, value: height
    audioMasterGetSampleRate,                          // 16
    audioMasterGetBlockSize,                           // 17
    audioMasterGetInputLatency,                        // 18
    audioMasterGetOutputLatency,                       // 19
    audioMasterGetPreviousPlug,                        // 20 deprecated
    audioMasterGetNextPlug,                            // 21 deprecated
    audioMasterWillReplaceOrAccumulate,                // 22 deprecated
    audioMasterGetCurrentProcessLevel,                 // 23 returns a VstProcessLevels
    audioMasterGetAutomationState,                     // 24 returns a VstAutomationStates
    audioMasterOfflineStart,                           // 25
    audioMasterOfflineRead,                            // 26
    audioMasterOfflineWrite,                           // 27
    audioMasterOfflineGetCurrentPass,                  // 28
    audioMasterOfflineGetCurrentMetaPass,              // 29
    audioMasterSetOutputSampleRate,                    // 30 deprecated
    audioMasterGetOutputSpeakerArrangement,            // 31 deprecated
    audioMasterGetVendorString,                        // 32 ptr: char[kVstMaxVendorStrLen + 1]
    audioMasterGetProductString,                       // 33 ptr: char[kVstMaxProductStrLen + 1]
    audioMasterGetVendorVersion,                       // 34
    audioMasterVendorSpecific,                         // 35
    audioMasterSetIcon,                                // 36 deprecated
    audioMasterCanDo,                                  // 37 ptr: capability text
    audioMasterGetLanguage,                            // 38 returns a VstHostLanguage
    audioMasterOpenWindow,                             // 39 deprecated
    audioMasterCloseWindow,                            // 40 deprecated
    audioMasterGetDirectory,                           // 41
    audioMasterUpdateDisplay,                          // 42
    audioMasterBeginEdit,                              // 43 index: parameter
    audioMasterEndEdit,                                // 44 index: parameter
    audioMasterOpenFileSelector,                       // 45
    audioMasterCloseFileSelector,                      // 46
    audioMasterEditFile,                               // 47 deprecated
    audioMasterGetChunkFile,                           // 48 deprecated
    audioMasterGetInputSpeakerArrangement              // 49 deprecated
};

// Answer to audioMasterGetCurrentProcessLevel.
enum VstProcessLevels
{
    kVstProcessLevelUnknown = 0,
    kVstProcessLevelUser,     // 1 not in the audio thread
    kVstProcessLevelRealtime, // 2 in the audio thread
    kVstProcessLevelPrefetch, // 3 ahead of time, in a worker
    kVstProcessLevelOffline   // 4 offline rendering
};

// Answer to audioMasterGetAutomationState.
enum VstAutomationStates
{
    kVstAutomationUnsupported = 0,
    kVstAutomationOff,      // 1
    kVstAutomationRead,     // 2
    kVstAutomationWrite,    // 3
    kVstAutomationReadWrite // 4
};

// Answer to audioMasterGetLanguage.
enum VstHostLanguage
{
    kVstLangEnglish = 1,
    kVstLangGerman,
    kVstLangFrench,
    kVstLangItalian,
    kVstLangSpanish,
    kVstLangJapanese
};

// Value of effSetProcessPrecision.
enum VstProcessPrecision
{
    kVstProcessPrecision32 = 0,
    kVstProcessPrecision64
};

// Answer to effGetPlugCategory.
enum VstPlugCategory
{
    kPlugCategUnknown = 0,
    kPlugCategEffect,         // 1
    kPlugCategSynth,          // 2
    kPlugCategAnalysis,       // 3
    kPlugCategMastering,      // 4
    kPlugCategSpacializer,    // 5
    kPlugCategRoomFx,         // 6
    kPlugSurroundFx,          // 7
    kPlugCategRestoration,    // 8
    kPlugCategOfflineProcess, // 9
    kPlugCategShell,          // 10
    kPlugCategGenerator,      // 11
    kPlugCategMaxCount        // 12
};

//------------------------------------------------------------------------------
// Editor rectangle (answer to effEditGetRect), in pixels.

struct ERect
{
    VstInt16 top;
    VstInt16 left;
    VstInt16 bottom;
    VstInt16 right;
};

//------------------------------------------------------------------------------
// Pins (answer to effGetInputProperties / effGetOutputProperties)

// VstPinProperties::flags bits.
enum VstPinPropertiesFlags
{
    kVstPinIsActive = 1 << 0,
    kVstPinIsStereo = 1 << 1,  // first channel of a stereo pair
    kVstPinUseSpeaker = 1 << 2 // arrangementType is valid
};

struct VstPinProperties
{
    // Display name of the pin.
    char label[kVstMaxLabelLen];

    // VstPinPropertiesFlags and the VstSpeakerArrangementType it belongs to.
    VstInt32 flags;
    VstInt32 arrangementType;

    // Short name of the pin.
    char shortLabel[kVstMaxShortLabelLen];

    // Zero.
    char future[48];
};

//------------------------------------------------------------------------------
// Parameter properties (answer to effGetParameterProperties)

// VstParameterProperties::flags bits.
enum VstParameterFlags
{
    kVstParameterIsSwitch = 1 << 0,
    kVstParameterUsesIntegerMinMax = 1 << 1,
    kVstParameterUsesFloatStep = 1 << 2,
    kVstParameterUsesIntStep = 1 << 3,
    kVstParameterSupportsDisplayIndex = 1 << 4,
    kVstParameterSupportsDisplayCategory = 1 << 5,
    kVstParameterCanRamp = 1 << 6
};

struct VstParameterProperties
{
    // Step sizes for float parameters (kVstParameterUsesFloatStep).
    float stepFloat;
    float smallStepFloat;
    float largeStepFloat;

    // Long name of the parameter.
    char label[kVstMaxLabelLen];

    // VstParameterFlags.
    VstInt32 flags;

    // Integer range and steps (kVstParameterUsesIntegerMinMax / UsesIntStep).
    VstInt32 minInteger;
    VstInt32 maxInteger;
    VstInt32 stepInteger;
    VstInt32 largeStepInteger;

    // Short name of the parameter.
    char shortLabel[kVstMaxShortLabelLen];

    // Display order and category (kVstParameterSupportsDisplayIndex / Category).
    VstInt16 displayIndex;
    VstInt16 category;
    VstInt16 numParametersInCategory;
    VstInt16 reserved;
    char categoryLabel[kVstMaxCategLabelLen];

    // Zero.
    char future[16];
};

//------------------------------------------------------------------------------
// MIDI key names (effGetMidiKeyName)

struct MidiKeyName
{
    // Program and key the name is asked for.
    VstInt32 thisProgramIndex;
    VstInt32 thisKeyNumber;

    // Name of the key.
    char keyName[kVstMaxNameLen];

    // Zero.
    VstInt32 reserved;
    VstInt32 flags;
};

//------------------------------------------------------------------------------
// Speakers (effSetSpeakerArrangement / effGetSpeakerArrangement)

// VstSpeakerProperties::type values.
enum VstSpeakerType
{
    kSpeakerUndefined = 0x7fffffff,
    kSpeakerM = 0, // mono
    kSpeakerL,     // 1 left
    kSpeakerR,     // 2 right
    kSpeakerC,     // 3 centre
    kSpeakerLfe,   // 4 low-frequency effects
    kSpeakerLs,    // 5 left surround
    kSpeakerRs,    // 6 right surround
    kSpeakerLc,    // 7 left of centre
    kSpeakerRc,    // 8 right of centre
    kSpeakerS,     // 9 surround
    kSpeakerCs = kSpeakerS,
    kSpeakerSl,  // 10 side left
    kSpeakerSr,  // 11 side right
    kSpeakerTm,  // 12 top middle
    kSpeakerTfl, // 13 top front left
    kSpeakerTfc, // 14 top front centre
    kSpeakerTfr, // 15 top front right
    kSpeakerTrl, // 16 top rear left
    kSpeakerTrc, // 17 top rear centre
    kSpeakerTrr, // 18 top rear right
    kSpeakerLfe2 // 19 second low-frequency effects
};

// VstSpeakerArrangement::type and VstPinProperties::arrangementType values.
enum VstSpeakerArrangementType
{
    kSpeakerArrUserDefined = -2,
    kSpeakerArrEmpty = -1,
    kSpeakerArrMono = 0,
    kSpeakerArrStereo,         // 1  L R
    kSpeakerArrStereoSurround, // 2  Ls Rs
    kSpeakerArrStereoCenter,   // 3  Lc Rc
    kSpeakerArrStereoSide,     // 4  Sl Sr
    kSpeakerArrStereoCLfe,     // 5  C Lfe
    kSpeakerArr30Cine,         // 6  L R C
    kSpeakerArr30Music,        // 7  L R S
    kSpeakerArr31Cine,         // 8  L R C Lfe
    kSpeakerArr31Music,        // 9  L R Lfe S
    kSpeakerArr40Cine,         // 10 L R C S
    kSpeakerArr40Music,        // 11 L R Ls Rs
    kSpeakerArr41Cine,         // 12 L R C Lfe S
    kSpeakerArr41Music,        // 13 L R Lfe Ls Rs
    kSpeakerArr50,             // 14 L R C Ls Rs
    kSpeakerArr51,             // 15 L R C Lfe Ls Rs
    kSpeakerArr60Cine,         // 16 L R C Ls Rs Cs
    kSpeakerArr60Music,        // 17 L R Ls Rs Sl Sr
    kSpeakerArr61Cine,         // 18 L R C Lfe Ls Rs Cs
    kSpeakerArr61Music,        // 19 L R Lfe Ls Rs Sl Sr
    kSpeakerArr70Cine,         // 20 L R C Ls Rs Lc Rc
    kSpeakerArr70Music,        // 21 L R C Ls Rs Sl Sr
    kSpeakerArr71Cine,         // 22 L R C Lfe Ls Rs Lc Rc
    kSpeakerArr71Music,        // 23 L R C Lfe Ls Rs Sl Sr
    kSpeakerArr80Cine,         // 24 L R C Ls Rs Lc Rc Cs
    kSpeakerArr80Music,        // 25 L R C Ls Rs Cs Sl Sr
    kSpeakerArr81Cine,         // 26 L R C Lfe Ls Rs Lc Rc Cs
    kSpeakerArr81Music,        // 27 L R C Lfe Ls Rs Cs Sl Sr
    kSpeakerArr102,            // 28 L R C Lfe Ls Rs Tfl Tfc Tfr Trl Trr Lfe2
    kNumSpeakerArr             // 29
};

struct VstSpeakerProperties
{
    // Position: azimuth and elevation in radians, distance in metres.
    float azimuth;
    float elevation;
    float radius;
    float reserved; // zero

    // Display name of the speaker.
    char name[kVstMaxNameLen];

    // VstSpeakerType.
    VstInt32 type;

    // Zero.
    char future[28];
};

// A speaker arrangement. `speakers` really holds `numChannels` entries; the
// record is allocated larger than declared when there are more than 8.
struct VstSpeakerArrangement
{
    VstInt32 type;        // VstSpeakerArrangementType
    VstInt32 numChannels; // number of entries in `speakers`
    VstSpeakerProperties speakers[8];
};

//------------------------------------------------------------------------------
// Patch chunk info (effBeginLoadBank / effBeginLoadProgram)

struct VstPatchChunkInfo
{
    // Format version of the file, and the ID and version of the plug-in that
    // wrote it.
    VstInt32 version;
    VstInt32 pluginUniqueID;
    VstInt32 pluginVersion;

    // Number of programs in a bank, or of parameters in a program.
    VstInt32 numElements;

    // Zero.
    char future[48];
};

//------------------------------------------------------------------------------
// Layout checks for 64-bit targets: hosts read and write these records
// directly.
#if (defined(__LP64__) || defined(_WIN64)) && (defined(__GNUC__) || defined(__clang__))
static_assert(sizeof(VstEvent) == 32, "VstEvent size");
static_assert(sizeof(VstEvents) == 32, "VstEvents size");
static_assert(__builtin_offsetof(VstEvents, events) == 16, "VstEvents::events offset");
static_assert(sizeof(VstMidiEvent) == 32, "VstMidiEvent size");
static_assert(__builtin_offsetof(VstMidiEvent, midiData) == 24, "VstMidiEvent::midiData offset");
static_assert(sizeof(VstMidiSysexEvent) == 48, "VstMidiSysexEvent size");
static_assert(__builtin_offsetof(VstMidiSysexEvent, dumpBytes) == 16,
              "VstMidiSysexEvent::dumpBytes offset");
static_assert(__builtin_offsetof(VstMidiSysexEvent, sysexDump) == 32,
              "VstMidiSysexEvent::sysexDump offset");
static_assert(sizeof(VstTimeInfo) == 88, "VstTimeInfo size");
static_assert(__builtin_offsetof(VstTimeInfo, timeSigNumerator) == 64,
              "VstTimeInfo::timeSigNumerator offset");
static_assert(__builtin_offsetof(VstTimeInfo, flags) == 84, "VstTimeInfo::flags offset");
static_assert(sizeof(ERect) == 8, "ERect size");
static_assert(sizeof(VstPinProperties) == 128, "VstPinProperties size");
static_assert(__builtin_offsetof(VstPinProperties, flags) == 64, "VstPinProperties::flags offset");
static_assert(__builtin_offsetof(VstPinProperties, shortLabel) == 72,
              "VstPinProperties::shortLabel offset");
static_assert(sizeof(VstParameterProperties) == 152, "VstParameterProperties size");
static_assert(__builtin_offsetof(VstParameterProperties, shortLabel) == 96,
              "VstParameterProperties::shortLabel offset");
static_assert(sizeof(MidiKeyName) == 80, "MidiKeyName size");
static_assert(sizeof(VstSpeakerProperties) == 112, "VstSpeakerProperties size");
static_assert(__builtin_offsetof(VstSpeakerProperties, type) == 80,
              "VstSpeakerProperties::type offset");
static_assert(sizeof(VstSpeakerArrangement) == 904, "VstSpeakerArrangement size");
static_assert(__builtin_offsetof(VstSpeakerArrangement, speakers) == 8,
              "VstSpeakerArrangement::speakers offset");
static_assert(sizeof(VstPatchChunkInfo) == 64, "VstPatchChunkInfo size");
#endif

#endif // KIV_VST2_INTERFACE_AEFFECTX_H
