#pragma once

#include <emmintrin.h>

// Two single-precision values side by side, the left channel in lane 0 and the right in lane 1
// of an SSE register (lanes 2 and 3 are carried along and ignored). Every operation is the
// IEEE single-precision operation of each lane, exactly what the scalar code does per channel,
// so the shared kernels in LadderKernel.h give the same bits for FloatPair as for float.
// Baseline x86-64 SSE2 only: no fused multiply-add, no reordering.
class FloatPair
{
public:
    // Uninitialised, like a float, so that arrays of pairs cost nothing until they are loaded.
    FloatPair() noexcept = default;
    FloatPair(__m128 v) noexcept : lanes(v) {}
    // Broadcast, so that literal constants in the kernels work for pairs as for floats.
    explicit FloatPair(float both) noexcept : lanes(_mm_set1_ps(both)) {}
    FloatPair(float left, float right) noexcept
        : lanes(_mm_unpacklo_ps(_mm_set_ss(left), _mm_set_ss(right)))
    {
    }

    static FloatPair load(const float& left, const float& right) noexcept
    {
        return _mm_unpacklo_ps(_mm_load_ss(&left), _mm_load_ss(&right));
    }

    void store(float& left, float& right) const noexcept
    {
        _mm_store_ss(&left, lanes);
        _mm_store_ss(&right, _mm_shuffle_ps(lanes, lanes, _MM_SHUFFLE(1, 1, 1, 1)));
    }

    // Four pairs from four consecutive values of each channel (for example a stage array):
    // two loads and four shuffles instead of eight loads.
    static void loadFour(const float* left, const float* right, FloatPair* out) noexcept
    {
        const __m128 l = _mm_loadu_ps(left);
        const __m128 r = _mm_loadu_ps(right);
        const __m128 low = _mm_unpacklo_ps(l, r);  // l0 r0 l1 r1
        const __m128 high = _mm_unpackhi_ps(l, r); // l2 r2 l3 r3
        out[0] = low;
        out[1] = _mm_movehl_ps(low, low);
        out[2] = high;
        out[3] = _mm_movehl_ps(high, high);
    }

    static void storeFour(const FloatPair* in, float* left, float* right) noexcept
    {
        const __m128 low = _mm_unpacklo_ps(in[0].lanes, in[1].lanes);  // l0 l1 r0 r1
        const __m128 high = _mm_unpacklo_ps(in[2].lanes, in[3].lanes); // l2 l3 r2 r3
        _mm_storeu_ps(left, _mm_movelh_ps(low, high));
        _mm_storeu_ps(right, _mm_movehl_ps(high, low));
    }

    friend FloatPair operator+(FloatPair a, FloatPair b) noexcept
    {
        return _mm_add_ps(a.lanes, b.lanes);
    }
    friend FloatPair operator-(FloatPair a, FloatPair b) noexcept
    {
        return _mm_sub_ps(a.lanes, b.lanes);
    }
    friend FloatPair operator*(FloatPair a, FloatPair b) noexcept
    {
        return _mm_mul_ps(a.lanes, b.lanes);
    }
    friend FloatPair operator/(FloatPair a, FloatPair b) noexcept
    {
        return _mm_div_ps(a.lanes, b.lanes);
    }

    // fabs of each lane (clears the sign bit, NaN included).
    friend FloatPair absValue(FloatPair x) noexcept
    {
        return _mm_andnot_ps(_mm_set1_ps(-0.0f), x.lanes);
    }

    // Per lane: feedback > 0 ? feedback * damping : feedback (NaN is not damped).
    friend FloatPair dampPositive(FloatPair feedback, FloatPair damping) noexcept
    {
        const __m128 positive = _mm_cmpgt_ps(feedback.lanes, _mm_setzero_ps());
        const __m128 damped = _mm_mul_ps(feedback.lanes, damping.lanes);
        return _mm_or_ps(_mm_and_ps(positive, damped), _mm_andnot_ps(positive, feedback.lanes));
    }

    // Per lane std::min(x, limit) = (limit < x) ? limit : x. MINPS returns its second operand
    // unless the first is smaller, so the operands go in swapped; a NaN x stays NaN as in the
    // scalar code.
    friend FloatPair minOf(FloatPair x, FloatPair limit) noexcept
    {
        return _mm_min_ps(limit.lanes, x.lanes);
    }

    // Per lane std::max(x, limit) = (x < limit) ? limit : x, likewise.
    friend FloatPair maxOf(FloatPair x, FloatPair limit) noexcept
    {
        return _mm_max_ps(limit.lanes, x.lanes);
    }

    // Bit 0 set when the left lane is finite, bit 1 for the right lane (as std::isfinite).
    int finiteMask() const noexcept
    {
        const __m128 difference = _mm_sub_ps(lanes, lanes); // 0 when finite, NaN otherwise
        return _mm_movemask_ps(_mm_cmpeq_ps(difference, _mm_setzero_ps())) & 3;
    }

    __m128 lanes;
};
