#pragma once
// The treble boost's coefficients at any sample rate.
//
// At 44.1 kHz the boost is the peaking biquad TuneTreble sets (15 kHz, Q 3, 4 dB per
// level): that filter's response is the boost, and other rates reproduce it rather than its
// recipe (the recipe's response bends toward each rate's Nyquist frequency, so the same
// recipe would sound different at 96 kHz). No single biquad at another rate follows the
// steep side of the strongest boosts, so the boost there is two biquads in cascade, fitted
// as one: the squared magnitude of a fourth-order filter is a ratio of two quartics in
// cos(w), fitted to the 44.1 kHz filter's squared magnitude at 400 frequencies from 10 Hz to
// 16 kHz (or 0.45 R below 35.6 kHz) by iterated linear least squares (Sanathanan-Koerner,
// relative error), with a light hold above that (the 44.1 kHz value at 21.5 kHz, weight
// 0.01) so that the ultrasonic response stays tame; numerator and denominator are then
// factored into their minimum-phase roots (c = (z + 1/z) / 2) and paired into two sections.
// The fit is within 0.03 dB up to 16 kHz at 32 to 192 kHz for every level; where a fit is
// no proper filter (22.05 kHz, whose band ends below the boost) the recipe is used at
// min(15 kHz, 0.45 R). Pure functions; any thread.

#include <cstdint>

/// y[n] = b0 x[n] + b1 x[n-1] + b2 x[n-2] - a1 y[n-1] - a2 y[n-2].
struct Biquad {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
};

/// Two biquads in cascade.
struct BiquadPair {
    Biquad first, second;
};

namespace slice {

/// The boost `at44k` (the filter as tuned at 44.1 kHz for a level; `level` 0 is flat) at
/// `sampleRate`, as two sections.
BiquadPair MatchTreble(const Biquad& at44k, float level, std::uint32_t sampleRate);

/// |H| in dB of `filter` at `frequency` Hz and `sampleRate`.
double ResponseDb(const Biquad& filter, double frequency, std::uint32_t sampleRate);
double ResponseDb(const BiquadPair& filter, double frequency, std::uint32_t sampleRate);

}  // namespace slice
