#include "ReferenceEngine.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <initializer_list>

namespace
{
float saturate(float x)
{
    const float ax = std::fabs(x);
    const float p = (ax + 3.0f) * ax + 6.0f;
    return x * p / (p * ax + 12.0f);
}

int quantiseReference(float v, float n)
{
    const float q = std::floor(v * n + 0.5f);
    if (std::isnan(q))
    {
        return 0;
    }
    return static_cast<int>(std::max(-16777216.0f, std::min(q, 16777216.0f)));
}
} // namespace

ReferenceEngine::ReferenceEngine(float sampleRate)
    : envelopeRate(sampleRate * 100.0f / 44100.0f),
      smoothingWeight(1000.0f * sampleRate / 44100.0f),
      smoothingScale(1.0f / (1000.0f * sampleRate / 44100.0f + 1.0f)),
      leftLfo(sampleRate),
      rightLfo(sampleRate)
{
    for (Channel* channel : { &leftChannel, &rightChannel })
    {
        for (int i = 0; i < 3; ++i)
        {
            Core& core = channel->cores[i];
            core.type = i + 1;
            core.coefficientScale = i == 1 ? 2.0f : 1.0f;
            core.gain = i == 1 ? 0.5f : 1.0f;
            core.sampleRateFactor = std::min(1.0f, 44100.0f / sampleRate);
        }
    }
}

void ReferenceEngine::setSync(int mode, float rate)
{
    const float b = bpm / 60.0f;
    float f = rate;
    if (mode == 1)
    {
        f = rate * rate * rate * rate * 49.98f + 0.02f;
    }
    else if (mode >= 2 && mode <= 19)
    {
        const float multiples[6] = { 4.0f, 2.0f, 1.0f, 0.5f, 0.25f, 0.125f };
        const int group = (mode - 2) / 6;
        const float m = multiples[(mode - 2) % 6];
        f = m == 1.0f ? b : b * m;
        if (group == 1)
        {
            f = f * 1.5f;
        }
        else if (group == 2)
        {
            f = f * 1.3333334f;
        }
    }
    leftLfo.increment = f * 255.0f / leftLfo.sampleRate;
    rightLfo.increment = f * 255.0f / rightLfo.sampleRate;
}

void ReferenceEngine::Core::process(float* sample, float a, float r, bool update)
{
    if (update)
    {
        const float f = a * sampleRateFactor * 0.5f;
        const float e = -0.649f * f + (0.4955f * f * f + 1.873f * f * f * f) + 0.9988f;
        k = 1.8409f * f - 3.9364f * f * f + 0.9968f;
        const float w = e * 3.1415927f * f;
        const float p = 1.0f - w + 0.5f * w * w - 0.16666667f * w * w * w
                        + 0.041666668f * w * w * w * w - 0.008333334f * w * w * w * w * w;
        g = (1.0f - p) * coefficientScale;
    }

    const float x = *sample;
    float feedbackTerm;
    if (type == 1)
    {
        feedbackTerm = (r + 0.15f) * -3.55f * feedback * k;
    }
    else
    {
        feedbackTerm = r * -4.1f * feedback * k;
    }
    const float u = (feedbackTerm + x) * gain;
    const float s0 = saturate(2.0f * u);

    stage[0] = (s0 - stageSaturated[0]) * g + stage[0];
    stageSaturated[0] = saturate(2.0f * gain * stage[0]);
    stage[1] = (stageSaturated[0] - stageSaturated[1]) * g + stage[1];
    stageSaturated[1] = saturate(2.0f * gain * stage[1]);
    stage[2] = (stageSaturated[1] - stageSaturated[2]) * g + stage[2];
    stageSaturated[2] = saturate(2.0f * gain * stage[2]);
    stage[3] = (stageSaturated[2] - stageSaturated[3]) * g + stage[3];
    stageSaturated[3] = saturate(2.0f * gain * stage[3]);

    const float y4 = stage[3];
    feedback = 0.5f * y4 + 0.5f * previousStage4;
    previousStage4 = y4;
    if (feedback > 0.0f)
    {
        feedback *= type == 2 ? 0.97f : 0.99f;
    }

    const float* t = stageSaturated;
    if (type == 1)
    {
        *sample = y4;
    }
    else if (type == 2)
    {
        *sample = s0 - 4.0f * t[0] + 6.0f * (0.125f * t[0] + 0.875f * t[1])
                  - 4.0f * (0.25f * t[1] + 0.75f * t[2]) + (0.375f * t[2] + 0.625f * t[3]);
    }
    else
    {
        *sample = 2.0f * t[1] - 4.0f * t[2] + 2.0f * t[3];
    }
}

void ReferenceEngine::Channel::reset()
{
    for (float& a : accumulators)
    {
        a = 0.0f;
    }
    previousInput = 0.0f;
    for (Core& core : cores)
    {
        for (int i = 0; i < 4; ++i)
        {
            core.stage[i] = 0.0f;
            core.stageSaturated[i] = 0.0f;
        }
        core.feedback = 0.0f;
        core.previousStage4 = 0.0f;
        core.g = 0.0f;
        core.k = 0.0f;
    }
}

void ReferenceEngine::Channel::process(float* sample, float cutoff, float resonance, float lfo,
                                       int filterType)
{
    const float x = *sample;
    float o[2];
    o[0] = (x - previousInput) * 0.5f + previousInput;
    o[1] = x;
    previousInput = x;

    float a = cutoff + lfo;
    a = a * a * a * a;
    a = std::min(a, 1.0f);
    a = std::max(a, 0.0f);
    const float r = 1.0f - (1.0f - resonance) * (1.0f - resonance);

    if (filterType >= 1 && filterType <= 3)
    {
        cores[filterType - 1].process(&o[0], a, r, true);
        cores[filterType - 1].process(&o[1], a, r, false);
    }

    const float c[6] = { 0.5f, 0.3077392578125f, -0.07794189453125f, 0.02618408203125f,
                         -0.007080078125f, 0.0010986328125f };
    float* acc = accumulators;
    const float x0 = o[0];
    const float x1 = o[1];
    const float out = acc[8] + c[5] * x0;
    acc[8] = acc[7] + c[4] * x0;
    acc[7] = acc[6] + c[3] * x0;
    acc[6] = acc[5] + c[2] * x0;
    acc[5] = acc[4] + c[1] * x0;
    acc[4] = acc[3] + c[1] * x0 + c[0] * x1;
    acc[3] = acc[2] + c[2] * x0;
    acc[2] = acc[1] + c[3] * x0;
    acc[1] = acc[0] + c[4] * x0;
    acc[0] = c[5] * x0;

    if (std::isnan(x0 + x1 + out) || std::isinf(x0 + x1 + out))
    {
        reset();
        *sample = 0.0f;
        return;
    }
    *sample = out;
}

void ReferenceEngine::process(float* left, float* right)
{
    leftLfo.phase = params[12] * 128.0f + rightLfo.phase;

    float l = *left;
    float r = *right;
    const float n = static_cast<float>(std::rand()) * 4.656612873077392578125e-10f * 2.0e-8f;
    l += n;
    r += n;

    float smoothed = (smoothingWeight * smoothedCutoff + params[1]) * smoothingScale;
    smoothedCutoff = std::isfinite(smoothed) ? smoothed : 0.0f;

    const float in = std::min(1.0f, std::fabs((l + r) * 0.5f));
    const float d = params[11] * params[11] * 100.0f * envelopeRate + envelopeRate;
    const float level = ((d - 1.0f) * envelopeLevel + in) / d;
    envelopeLevel = std::isfinite(level) ? level : 0.0f;

    const float c = level * envelopeAmount * 4.0f + smoothed;
    const int w = quantiseReference(params[7], 6.0f);
    const float vl = leftLfo.tick(w) * lfoAmount;
    const float vr = rightLfo.tick(w) * lfoAmount;

    l *= inputDrive * 8.0f + 0.3f;
    r *= inputDrive * 8.0f + 0.3f;

    const int t = quantiseReference(params[3], 5.0f) + 1;
    leftChannel.process(&l, c, params[2], vl, t);
    rightChannel.process(&r, c, params[2], vr, t);

    l *= volumeGain;
    r *= volumeGain;
    l /= inputDrive * 8.0f + 1.0f;
    r /= inputDrive * 8.0f + 1.0f;
    *left = l;
    *right = r;
}
