#pragma once
// The one conversion from a computed float back to a 16-bit sample, shared by the treble
// filter, Normalize and the fades.

#include <algorithm>
#include <cstdint>

#if defined(__SSE__) || defined(_M_X64)
#include <xmmintrin.h>
#endif

namespace slice {

/// `v` truncated toward zero and held to -32768..32767 (saturated, never wrapped).
/// Clamping before the conversion gives the same result as truncating first. On x86 the
/// clamp is done with min/max instructions: a boosted signal saturates often, and the
/// branches a compiler makes of it otherwise are mispredicted at every turn.
inline std::int16_t TruncateToSample(float v) {
#if defined(__SSE__) || defined(_M_X64)
    __m128 x = _mm_max_ss(_mm_set_ss(v), _mm_set_ss(-32768.0f));
    x = _mm_min_ss(x, _mm_set_ss(32767.0f));
    return static_cast<std::int16_t>(_mm_cvtt_ss2si(x));
#else
    v = std::min(std::max(v, -32768.0f), 32767.0f);
    return static_cast<std::int16_t>(static_cast<int>(v));
#endif
}

}  // namespace slice
