#pragma once
// How well a repairer did on one damaged excerpt, and how much it harmed a clean one.

#include <cstddef>
#include <vector>

#include "bench/declick/Damage.h"

namespace declick {

/// A click counts as repaired when the error left over its frames (output against clean)
/// holds at most this share of the damage's energy there: 6 dB or more taken out.
constexpr double kRepairedResidualShare = 0.25;

/// Recall counts only the clicks whose peak stands this far above the RMS of the clean music
/// within kLocalFrames of it: a click lower than that is buried in the music. The SNR
/// figures count every click.
constexpr double kStandOutDb = 0;
constexpr std::size_t kLocalFrames = kRate / 100;

struct DamageScore {
    double wholeGainDb = 0;  ///< SNR against the clean excerpt, output minus damaged input
    double spanGainDb = 0;   ///< the same over the damaged frames only
    int clicks = 0;          ///< that stand out of the music
    int repaired = 0;        ///< of those
};

/// `damaged`, `output` and `clean` are interleaved stereo of the same length.
DamageScore ScoreDamage(const std::vector<float>& clean, const Damaged& damaged,
                        const float* output);

/// SNR in dB of `output` against `input` (a clean excerpt given to the repairer): how
/// little it changed; kNoHarmDb when it changed nothing.
constexpr double kNoHarmDb = 200;
double HarmDb(const std::vector<float>& input, const float* output);

}  // namespace declick
