#pragma once
// Smart Sense: choosing the cuts between songs on a whole side, from the click-free band
// energy of each 0.1 s block (BandEnergy). Built for real transfers: the side's own noise
// floor sets what counts as quiet, not fixed levels of full scale.
//
// A gap is a stretch of at least the minimum gap length near the floor, markedly below the
// music on both sides of it; a soft passage inside a song stays well above the floor and
// is not one. Gaps are chosen for the side as a whole: the clearest first, none that would
// leave a song shorter than the minimum (the lead-in counts with the first song, the
// run-out with the last). With the number of songs known, the songs - 1 clearest gaps are
// taken. Each cut lies in the middle of its gap's quietest stretch.
//
// Pure functions over plain arrays; any thread.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "model/CutMethod.h"

struct SmartSenseOptions {
    std::optional<int> songs;                        ///< songs on the side when known (1 or more)
    double minSongSeconds = kDefaultMinSongSeconds;  ///< no song shorter than this
    double minGapSeconds = 0.5;                      ///< no gap shorter than this
};

/// The cuts of a side whose blocks have the given energies (BandEnergy::Blocks()), in
/// blocks (tenths of a second), ascending, none at 0, at most 511 (what a side's cut table
/// holds besides its end). Empty when the side has no gap.
std::vector<std::int32_t> ChooseSmartSenseCuts(std::span<const float> energies,
                                               const SmartSenseOptions& options);
