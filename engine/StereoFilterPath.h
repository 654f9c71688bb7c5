#pragma once

#include "FilterHandler.h"

// Both channels' filter sections in one pass: the left section in lane 0 and the right one in
// lane 1 of SSE registers (FloatPair). The two channels are independent, so this is the same
// arithmetic as FilterHandler::process on each, in the same order, with the same bits as
// results; it only lets the two channels' long serial chains (five saturators and four stages,
// twice per sample) overlap. All state lives in the two sections' own fields: it is loaded at
// the start and stored back at the end of each sample, including the recovery from non-finite
// state. Without SSE2 it falls back to the two scalar calls.
class StereoFilterPath
{
public:
    static void process(FilterHandler& leftSection, FilterHandler& rightSection, float& left,
                        float& right, float cutoff, float resonance, float lfoLeft,
                        float lfoRight, int filterType) noexcept;
};
