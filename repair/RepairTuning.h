#pragma once
// The click repairer's working figures for one strength at one sample rate: model order,
// block sizes, thresholds. Times are held in samples of that rate. Any thread.

#include <cstddef>
#include <cstdint>

#include "repair/RepairStrength.h"

namespace repair {

/// The defaults are Medium's at 44.1 kHz.
struct RepairTuning {
    int order = 32;                  ///< AR model order
    std::size_t block = 512;         ///< samples per model; each is fitted over 2 * block around it
    std::size_t piece = 16;          ///< errors and levels are summed up per piece of this many
    std::size_t scaleHop = 256;      ///< the robust error scale (a median of pieces) is worked
    std::size_t scaleWindow = 1024;  ///< out once per hop, over this many samples around it
    float threshold = 7.0f;          ///< damage is where the forward prediction error exceeds
                                     ///< this many robust standard deviations and the backward
    std::size_t reach = 3;           ///< one does too, this many samples away at most
    float pairedThreshold = 4.0f;    ///< a run found on one channel is repaired on another too
                                     ///< where that one's errors reach this many
    float extendThreshold = 3.5f;    ///< a damaged run grows over neighbours above this, by
    std::size_t extendReach = 16;    ///< this many samples at most each way
    std::size_t widen = 2;           ///< samples added on each side of every damaged run
    std::size_t mergeGap = 3;        ///< runs this close are repaired as one
    std::size_t longestSpan = 265;   ///< a longer run is music that no model predicts, kept
    std::size_t settleWindow = 256;  ///< after a repaired run, the errors over this many ...
    float settleRatio = 2.5f;        ///< ... samples must settle to this many times the scale
                                     ///< before the run, or the run was a real attack: undone
    std::size_t leadWindow = 256;    ///< samples before a run that give that scale
    float growThreshold = 28.0f;     ///< a run whose forward errors reach this many scales (and
    float growRise = 2.0f;           ///< whose peak is loud) grows over pieces this much louder
                                     ///< (power) than the music before it: the rest of a pop
    std::size_t levelWindow = 224;   ///< a run followed by music this much louder (power)
    float attackRise = 4.0f;         ///< over this many samples than the quietest of
    std::size_t attackLookback = 2;  ///< this many such windows before it is an attack (a
                                     ///< drum's beater, a pick), not a click: left alone
    int passes = 2;                  ///< detect and fill, then again with models of the result

    /// Frames of context each side of a segment's own frames, and the frames it owns; both
    /// multiples of `block`, so that every segment fits the same models where they overlap.
    std::size_t margin = 4096;
    std::size_t core = 32768;
};

/// The figures for `strength` (not Off) at `sampleRate` (22050..192000 Hz).
RepairTuning TuningFor(RepairStrength strength, std::uint32_t sampleRate);

}  // namespace repair
