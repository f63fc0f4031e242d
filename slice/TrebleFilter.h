#pragma once
// The treble-boost filter: one peaking biquad at 15 kHz (Q 3, gain 4 dB per level) whose
// history carries from frame to frame, slice to slice and side to side until re-tuned.
// Single-precision float throughout, in the order written, so results are bit-exact.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>

struct TrebleFilter {
    // Coefficients as tuned, and their ratios to a0 (what Process multiplies by).
    float b0 = 1, b1 = 0, b2 = 0, a0 = 1, a1 = 0, a2 = 0;
    float c0 = 1, c1 = 0, c2 = 0, d1 = 0, d2 = 0;  // b0/a0, b1/a0, b2/a0, a1/a0, a2/a0
    // History per channel: x[n], x[n-1], x[n-2], y[n], y[n-1], y[n-2].
    float left[6] = {};
    float right[6] = {};
    /// Counts the TuneTreble calls on this filter: tells a re-tune apart from a history
    /// that happens to look cleared.
    std::uint32_t tunings = 0;
    /// The boost level last tuned for; negative before the first tuning.
    float tunedLevel = -1;
    /// The sample rate last tuned for.
    std::uint32_t tunedRate = 44100;
    /// At rates other than 44.1 kHz the boost is two sections in double precision
    /// (TrebleDesign.h), which every Process call runs in place of c0..d2.
    bool cascade = false;
    double sections[2][5] = {{1, 0, 0, 0, 0}, {1, 0, 0, 0, 0}};  ///< b0, b1, b2, a1, a2 each
    /// History of the double-precision runs (the cascade, and ProcessWide), per section and
    /// channel: x[n-1], x[n-2], y[n-1], y[n-2].
    double wide[2][2][4] = {};

    /// Re-tunes for `level` at `sampleRate` (TuneTreble) when it is not the level and rate
    /// last tuned for; else changes nothing. Whoever filters calls it at each block boundary
    /// with the level chosen now, so an EQ change takes hold at the next block.
    void Follow(float level, std::uint32_t sampleRate = 44100);

    /// Filters one stereo frame in place. `level` > 0 first divides the input by 2.5.
    /// The result, y * 32767 truncated toward zero, is saturated to 16 bits.
    /// Safe on any one thread at a time (it changes the history).
    void Process(std::int16_t& leftSample, std::int16_t& rightSample, float level);

    /// Filters `frames` interleaved stereo frames (left, right, ...) in place, giving exactly
    /// what Process gives frame by frame. Returns the largest |sample| of the output (32768
    /// for -32768), which the analysis needs and gets here almost free: the loop waits on
    /// the recurrence anyway. Keeps the history in registers meanwhile.
    int ProcessFrames(std::int16_t* samples, std::size_t frames, float level);

    /// Filters `frames` interleaved stereo frames of full scale 1.0 in place, in double
    /// precision, for sides finer than 16 bits: the same response and gains as
    /// ProcessFrames (the input lowered by 2.5 when `level` > 0, the output times
    /// 32767 / 32768), unrounded and unheld. Keeps its history in `wide`.
    void ProcessWide(double* samples, std::size_t frames, float level);

    /// Zero history, as after tuning; the coefficients stay.
    void ClearHistory() {
        std::fill(std::begin(left), std::end(left), 0.0f);
        std::fill(std::begin(right), std::end(right), 0.0f);
        std::fill(&wide[0][0][0], &wide[0][0][0] + std::size(wide) * 8, 0.0);
    }
    /// `other`'s history in place of this one's; the coefficients stay.
    void TakeHistory(const TrebleFilter& other) {
        std::copy(std::begin(other.left), std::end(other.left), left);
        std::copy(std::begin(other.right), std::end(other.right), right);
        std::copy(&other.wide[0][0][0], &other.wide[0][0][0] + std::size(wide) * 8, &wide[0][0][0]);
    }
};

namespace slice {

/// Sets the coefficients for a boost level (0, 1, 2, 4, ... 12) at `sampleRate`, clears the
/// history and counts the tuning. At 44.1 kHz the peaking biquad itself; at other rates the
/// biquad with its response (TrebleDesign.h).
void TuneTreble(TrebleFilter& filter, float level, std::uint32_t sampleRate = 44100);

/// Whether two filters are in the same state to the bit (coefficients and history), so
/// that from here on they give the same samples for the same input.
bool SameFilterState(const TrebleFilter& a, const TrebleFilter& b);

/// How many stretches ProcessStreams filters in about the time of one on this processor:
/// 4 with AVX2, else 2. Any thread.
int TrebleStreamsAtOnce();

/// Filters `count` independent stretches of `frames` interleaved stereo frames each, in
/// place: stretch i with the history of filters[i], all with filters[0]'s coefficients.
/// Each gets exactly what filters[i]->ProcessFrames would give it (the filter's recurrence
/// waits on each frame, and the stretches share that wait). `count` 1..4.
void ProcessStreams(TrebleFilter* const filters[], std::int16_t* const samples[], int count,
                    std::size_t frames, float level);

}  // namespace slice
