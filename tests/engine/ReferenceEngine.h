#pragma once

#include "Lfo.h"

// A plain, straightforward scalar copy of the whole signal path (engine loop, filter sections,
// the three cores and the decimator), written without the shared kernels of the engine and
// without any vector code. The engine's own code may be restructured or vectorised; it must
// keep producing exactly these bits. Only the LFOs are shared with the engine.
class ReferenceEngine
{
public:
    static constexpr int numParams = 15;

    explicit ReferenceEngine(float sampleRate);

    void process(float* left, float* right);
    void setSync(int mode, float rate);

    float bpm = 120.0f;
    float params[numParams] = {};
    float envelopeLevel = 0.0f;
    float envelopeRate;
    float volumeGain = 0.8f;
    float inputDrive = 0.8f;
    float envelopeAmount = 0.0f;
    float lfoAmount = 0.0f;
    float smoothedCutoff = 0.0f;
    float smoothingWeight;
    float smoothingScale;
    Lfo leftLfo;
    Lfo rightLfo;

    // One filter core; the three types differ only in the constants and in the output mix.
    struct Core
    {
        int type = 1; // 1 low-pass, 2 high-pass, 3 band-pass
        float coefficientScale = 1.0f;
        float gain = 1.0f;
        float sampleRateFactor = 1.0f;
        float stage[4] = {};
        float stageSaturated[4] = {};
        float feedback = 0.0f;
        float previousStage4 = 0.0f;
        float g = 0.0f;
        float k = 0.0f;

        void process(float* sample, float a, float r, bool update);
    };

    struct Channel
    {
        float accumulators[9] = {};
        float previousInput = 0.0f;
        Core cores[3];

        void process(float* sample, float cutoff, float resonance, float lfo, int filterType);
        void reset();
    };

    Channel leftChannel;
    Channel rightChannel;
};
