#pragma once
// The treble boost's coefficients at any sample rate.
//
// At 44.1 kHz the boost is the peaking biquad TuneTreble sets (15 kHz, Q 3, 4 dB per
// level): that filter's response is the boost, and other rates reproduce it rather than
// its recipe (the recipe's response bends toward each rate's Nyquist frequency, so the same
// recipe would sound different at 96 kHz). A biquad's squared magnitude is a ratio of two
// quadratics in cos(w); at a rate R the ratio is fitted to the 44.1 kHz filter's squared
// magnitude at 400 frequencies from 10 Hz to 16 kHz (or 0.45 R when lower) by iterated
// linear least squares (Sanathanan-Koerner, relative error), and numerator and denominator
// are each factored into the minimum-phase second-order polynomial of that magnitude. The
// fit is within 0.03 dB up to 16 kHz at 48, 96 and 192 kHz for every level; above 16 kHz
// the response settles to a shelf of a few dB at most. Pure functions; any thread.

#include <cstdint>

/// y[n] = b0 x[n] + b1 x[n-1] + b2 x[n-2] - a1 y[n-1] - a2 y[n-2].
struct Biquad {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
};

/// The boost at `level` (0 off, 1 .. 12) at `sampleRate` matched to `at44k`, the filter as
/// tuned at 44.1 kHz. Level 0 gives the unit filter.
Biquad MatchTreble(const Biquad& at44k, std::uint32_t sampleRate);

/// |H| in dB of `filter` at `frequency` Hz and `sampleRate`.
double ResponseDb(const Biquad& filter, double frequency, std::uint32_t sampleRate);
