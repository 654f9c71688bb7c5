// The project's own definitions of the VST 2.4 plug-in interface: the core
// effect record, the basic dispatcher and host opcodes, and the constants that
// go with them. Values and record layouts follow the binary interface that VST
// 2.4 hosts use on x86-64 Linux; only the names our plug-in client and our host
// code need are defined.
//
// The framework includes this file inside `namespace Vst2 { ... }`, so it
// includes no system headers and defines only types, enumerations and a few
// macros (macros are global: VSTCALLBACK, kVstVersion). Host code includes it
// at global scope.

#ifndef KIV_VST2_INTERFACE_AEFFECT_H
#define KIV_VST2_INTERFACE_AEFFECT_H

// Calling convention of every callback: the platform default on Linux.
#ifndef VSTCALLBACK
#if defined(_WIN32)
#define VSTCALLBACK __cdecl
#else
#define VSTCALLBACK
#endif
#endif

// Interface version a 2.4 plug-in reports for effGetVstVersion.
#ifndef kVstVersion
#define kVstVersion 2400
#endif

// Integer types of the interface: 16 and 32 bits, and a signed integer as wide
// as a pointer (the dispatcher's value argument and return value).
typedef short VstInt16;
typedef int VstInt32;
#if defined(__LP64__) || defined(_WIN64)
typedef long long VstIntPtr;
#else
typedef int VstIntPtr;
#endif

struct AEffect;

// Host callback: (effect, opcode, index, value, ptr, opt) -> result.
typedef VstIntPtr(VSTCALLBACK* audioMasterCallback)(AEffect* effect, VstInt32 opcode,
                                                    VstInt32 index, VstIntPtr value, void* ptr,
                                                    float opt);

// Plug-in entry points stored in AEffect.
typedef VstIntPtr(VSTCALLBACK* AEffectDispatcherProc)(AEffect* effect, VstInt32 opcode,
                                                      VstInt32 index, VstIntPtr value, void* ptr,
                                                      float opt);
typedef void(VSTCALLBACK* AEffectProcessProc)(AEffect* effect, float** inputs, float** outputs,
                                              VstInt32 sampleFrames);
typedef void(VSTCALLBACK* AEffectProcessDoubleProc)(AEffect* effect, double** inputs,
                                                    double** outputs, VstInt32 sampleFrames);
typedef void(VSTCALLBACK* AEffectSetParameterProc)(AEffect* effect, VstInt32 index,
                                                   float parameter);
typedef float(VSTCALLBACK* AEffectGetParameterProc)(AEffect* effect, VstInt32 index);

// Value of AEffect::magic: the characters 'VstP' read as a big-endian integer.
enum
{
    kEffectMagic = 0x56737450
};

// The record a plug-in's entry point returns; the host reads it directly.
struct AEffect
{
    // Identification: must be kEffectMagic.
    VstInt32 magic;

    // Entry points. `process` is the old accumulating call, unused in 2.4.
    AEffectDispatcherProc dispatcher;
    AEffectProcessProc process;
    AEffectSetParameterProc setParameter;
    AEffectGetParameterProc getParameter;

    // Counts of programs, parameters and audio channels.
    VstInt32 numPrograms;
    VstInt32 numParams;
    VstInt32 numInputs;
    VstInt32 numOutputs;

    // Capability bits (VstAEffectFlags).
    VstInt32 flags;

    // Reserved for the host; the plug-in leaves them zero.
    VstIntPtr resvd1;
    VstIntPtr resvd2;

    // Latency in samples, then two old quality fields and the old I/O ratio.
    VstInt32 initialDelay;
    VstInt32 realQualities;
    VstInt32 offQualities;
    float ioRatio;

    // Pointers owned by the plug-in (`object`) and by the host (`user`).
    void* object;
    void* user;

    // Registered plug-in ID and the plug-in's own version number.
    VstInt32 uniqueID;
    VstInt32 version;

    // Replacing processing in single and double precision.
    AEffectProcessProc processReplacing;
    AEffectProcessDoubleProc processDoubleReplacing;

    // Reserved, zero.
    char future[56];
};

// Dispatcher opcodes of the core set (host -> plug-in).
enum AEffectOpcodes
{
    effOpen = 0,
    effClose,           // 1
    effSetProgram,      // 2  value: program index
    effGetProgram,      // 3
    effSetProgramName,  // 4  ptr: char[kVstMaxProgNameLen + 1]
    effGetProgramName,  // 5  ptr: char[kVstMaxProgNameLen + 1]
    effGetParamLabel,   // 6  ptr: char[kVstMaxParamStrLen + 1]
    effGetParamDisplay, // 7  ptr: char[kVstMaxParamStrLen + 1]
    effGetParamName,    // 8  ptr: char[kVstMaxParamStrLen + 1]
    effGetVu,           // 9  deprecated
    effSetSampleRate,   // 10 opt: sample rate in Hz
    effSetBlockSize,    // 11 value: largest block size
    effMainsChanged,    // 12 value: 0 suspend, 1 resume
    effEditGetRect,     // 13 ptr: ERect** to fill
    effEditOpen,        // 14 ptr: parent window handle
    effEditClose,       // 15
    effEditDraw,        // 16 deprecated
    effEditMouse,       // 17 deprecated
    effEditKey,         // 18 deprecated
    effEditIdle,        // 19
    effEditTop,         // 20 deprecated
    effEditSleep,       // 21 deprecated
    effIdentify,        // 22 deprecated
    effGetChunk,        // 23 ptr: void** to receive the data; index: 0 bank, 1 program
    effSetChunk,        // 24 ptr: data, value: byte size; index: 0 bank, 1 program
    effNumOpcodes       // 25
};

// Host callback opcodes of the core set (plug-in -> host).
enum AudioMasterOpcodes
{
    audioMasterAutomate = 0, // index: parameter, opt: new value
    audioMasterVersion,      // 1  returns the host's interface version
    audioMasterCurrentId,    // 2  returns the unique ID of the plug-in being loaded
    audioMasterIdle,         // 3
    audioMasterPinConnected  // 4  deprecated
};

// String buffer sizes, not counting the terminating zero.
enum VstStringConstants
{
    kVstMaxProgNameLen = 24,
    kVstMaxParamStrLen = 8,
    kVstMaxVendorStrLen = 64,
    kVstMaxProductStrLen = 64,
    kVstMaxEffectNameLen = 32
};

// AEffect::flags bits.
enum VstAEffectFlags
{
    effFlagsHasEditor = 1 << 0,
    effFlagsHasClip = 1 << 1, // deprecated
    effFlagsHasVu = 1 << 2,   // deprecated
    effFlagsCanMono = 1 << 3, // deprecated
    effFlagsCanReplacing = 1 << 4,
    effFlagsProgramChunks = 1 << 5,
    effFlagsIsSynth = 1 << 8,
    effFlagsNoSoundInStop = 1 << 9,
    effFlagsExtIsAsync = 1 << 10,   // deprecated
    effFlagsExtHasBuffer = 1 << 11, // deprecated
    effFlagsCanDoubleReplacing = 1 << 12
};

// Layout checks for 64-bit targets: hosts read these offsets directly.
#if (defined(__LP64__) || defined(_WIN64)) && (defined(__GNUC__) || defined(__clang__))
static_assert(sizeof(AEffect) == 192, "AEffect size");
static_assert(__builtin_offsetof(AEffect, dispatcher) == 8, "AEffect::dispatcher offset");
static_assert(__builtin_offsetof(AEffect, numPrograms) == 40, "AEffect::numPrograms offset");
static_assert(__builtin_offsetof(AEffect, flags) == 56, "AEffect::flags offset");
static_assert(__builtin_offsetof(AEffect, resvd1) == 64, "AEffect::resvd1 offset");
static_assert(__builtin_offsetof(AEffect, initialDelay) == 80, "AEffect::initialDelay offset");
static_assert(__builtin_offsetof(AEffect, ioRatio) == 92, "AEffect::ioRatio offset");
static_assert(__builtin_offsetof(AEffect, object) == 96, "AEffect::object offset");
static_assert(__builtin_offsetof(AEffect, uniqueID) == 112, "AEffect::uniqueID offset");
static_assert(__builtin_offsetof(AEffect, version) == 116, "AEffect::version offset");
static_assert(__builtin_offsetof(AEffect, processReplacing) == 120,
              "AEffect::processReplacing offset");
static_assert(__builtin_offsetof(AEffect, processDoubleReplacing) == 128,
              "AEffect::processDoubleReplacing offset");
static_assert(__builtin_offsetof(AEffect, future) == 136, "AEffect::future offset");
#endif

#endif // KIV_VST2_INTERFACE_AEFFECT_H
