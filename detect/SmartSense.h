#pragma once
// Smart Sense: choosing the cuts between songs on a whole side, and where its music starts
// and ends, from the click-free band energy of each 0.1 s block (BandEnergy). Built for
// real transfers: every level is judged against the side's own noise and its own music,
// none against fixed levels of full scale, so a side recorded low, one with gaps of digital
// silence and one that starts before the needle drops are judged alike.
//
// The music's loud level around a block: three quarters of the seconds in the half minute
// before it (and, apart, after it) are quieter, each second read by its 90th percentile. A
// quiet stretch is a run of blocks each at least 20 dB below the music on both sides; its
// level is that of its quietest half second. The floor samples are the levels of the quiet
// stretches of gap length, and of the second before the first stretch of the side's typical
// loudness and the second after the last (the groove or the hiss a transfer has there). The
// floor around a stretch is the lowest of the samples within five minutes of it that another
// one joins within 6 dB: a level alone below all others, such as the sound card's before the
// needle drops, is no floor, and surface noise that rises toward the centre of a record is
// followed. A gap is a quiet stretch of at least the minimum gap length within 6 dB of the
// floor around it; a soft passage inside a song stays well above the floor and is none.
//
// Gaps are chosen for the side as a whole: the clearest first (the longer stretch, up to two
// seconds; then the one further below the music less what it keeps above the floor), none
// that would leave a song shorter than the minimum (the lead-in counts with the first song,
// the run-out with the last). With the number of songs known, that many minus one cuts are
// placed whenever the side is long enough for that many songs: gaps first, then the other
// quiet stretches, then the quietest places left, each taken only while the rest still fit.
// Each cut lies in the middle of its stretch's quietest part.
//
// The music starts where the sound rises more than 3 dB out of the noise before the first
// stretch of typical loudness and ends where it comes back within 3 dB after the last; that
// noise is the floor there, or the groove or hiss from one to three seconds out where that
// lies higher (the inner grooves' run-out).
//
// Pure functions over plain arrays; any thread.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/CutMethod.h"

struct SmartSenseOptions {
    std::optional<int> songs;                        ///< songs on the side when known (1 or more)
    double minSongSeconds = kDefaultMinSongSeconds;  ///< no song shorter than this
    double minGapSeconds = 0.5;                      ///< no gap shorter than this
};

struct SmartSenseResult {
    /// Blocks (tenths of a second), ascending, none at 0, at most 511 (what a side's cut table
    /// holds besides its end). Empty when the side has no gap.
    std::vector<std::int32_t> cuts;
    /// The music's first block and the block after its last; 0 and the side's blocks when no
    /// music stands out of the noise.
    std::int32_t musicStart = 0, musicEnd = 0;
    /// With the songs given and fewer cuts placed than asked: how many and why. Else empty.
    std::string message;
};

namespace detect {

/// Smart Sense on a side whose blocks have the given energies (BandEnergy::Blocks()).
SmartSenseResult ChooseSmartSense(std::span<const float> energies,
                                  const SmartSenseOptions& options);

}  // namespace detect
