#pragma once
// The one conversion from a computed float back to a 16-bit sample, shared by the treble
// filter, Normalize and the fades.

#include <algorithm>
#include <cstdint>

/// `v` truncated toward zero and held to -32768..32767 (saturated, never wrapped).
/// Clamping before the conversion gives the same result as truncating first.
inline std::int16_t TruncateToSample(float v) {
    v = std::min(std::max(v, -32768.0f), 32767.0f);
    return static_cast<std::int16_t>(static_cast<int>(v));
}
