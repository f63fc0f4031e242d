#pragma once
// Auto sense: choosing up to ten cuts in the silent passages of a side's level list.
// Pure functions over the levels; any thread.

#include <array>
#include <cstdint>
#include <span>

/// Ten cut positions in blocks (tenths of a second); unused entries 0.
using CutList = std::array<std::int32_t, 10>;

constexpr int kThresholdPasses = 4;
constexpr float kFirstThreshold = 0.01f;
constexpr float kThresholdStep = 0.05f;

namespace detect {

/// The score of a candidate list with `n` nonzero cuts: 0 -> 0, 1 -> 1, 2 -> 2, 3 -> 0,
/// 4..6 -> 5, 7 -> 4, 8 or more -> 3.
int CutCountScore(int n);

/// One threshold pass: the lead-in past the first quiet stretch, then a scan that takes a
/// cut one second into each quiet window of `windowBlocks` blocks (levels all <= threshold)
/// and jumps 101 blocks on. A window reaching past the last level ends the scan; the first
/// ten finds are kept. `totalBlocks` is the side's whole blocks (frames / 4410).
CutList FindQuietCuts(std::span<const float> levels, std::int64_t totalBlocks,
                      std::int64_t windowBlocks, float threshold);

/// Cleans a candidate list in place: a cut inserted into each gap of more than six minutes,
/// cuts in the last four seconds dropped, a cut in the first three seconds dropped.
void CleanCandidates(CutList& cuts, std::int64_t totalBlocks, std::int64_t windowBlocks);

/// The nonzero cuts of `chosen` that lie at least 20 s after the entry before them.
CutList KeepSpacedCuts(const CutList& chosen);

/// The whole choice: four passes at thresholds 0.01, 0.06, 0.11, 0.16 (float, in steps of
/// 0.05), each cleaned and scored; the first best list; then KeepSpacedCuts.
/// A window of 0 blocks or fewer finds nothing.
CutList ChooseAutoSenseCuts(std::span<const float> levels, std::int64_t totalBlocks,
                            std::int64_t windowBlocks);

}  // namespace detect
