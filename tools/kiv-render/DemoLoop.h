#pragma once

#include "AudioClip.h"

/**
    The built-in demo: a loop of `bars` bars of 4/4 at the given tempo (four bars are eight
    seconds at 120 bpm), synthesised in code so that it is the same on every machine and at
    every run. A band-limited saw bass in sixteenths over the roots A, F, C, G (two saws
    slightly detuned and spread across the stereo field), a kick on every beat, a noise
    snare on beats two and four, and noise hi-hats on every sixteenth with open accents on
    the off-beats: a rich spectrum for the filter and a clear beat for the envelope. The
    mix is scaled to a peak of 0.8.
*/
class DemoLoop
{
public:
    static AudioClip render(double sampleRate, double tempoBpm, int bars = 4);
};
