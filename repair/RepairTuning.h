#pragma once
// The click repairer's working figures for one strength at one sample rate: model order,
// block sizes, thresholds. Times are held in samples of that rate. Any thread.

#include <cstddef>
#include <cstdint>

#include "repair/RepairStrength.h"

namespace repair {

struct RepairTuning {
    int order = 32;               ///< AR model order
    std::size_t block = 512;      ///< samples per model; each is fitted over 2 * block around it
    std::size_t scaleHop = 128;   ///< the robust error scale is worked out once per hop ...
    std::size_t scaleWindow = 1024;  ///< ... over this many samples centred on the hop
    float threshold = 5.0f;       ///< a sample is damaged when both of its prediction errors
                                  ///< exceed this many robust standard deviations ...
    float pairedThreshold = 3.5f; ///< ... or this many, with a damaged sample on another
                                  ///< channel within `pairReach` samples
    std::size_t pairReach = 2;
    float extendThreshold = 2.5f; ///< a damaged run grows over neighbours above this
    std::size_t widen = 2;        ///< samples added on each side of every damaged run
    std::size_t mergeGap = 16;    ///< runs this close are repaired as one
    std::size_t longestSpan = 265;  ///< a longer run is music that no model predicts, kept
    std::size_t settleWindow = 64;  ///< after a repaired run, the errors over this many ...
    float settleRatio = 3.0f;     ///< ... samples must settle to this many times the scale
                                  ///< before the run, or the run was a real attack: undone
    std::size_t leadWindow = 256; ///< samples before a run that give that scale
    int passes = 2;               ///< detect and fill, then again with models of the result

    /// Frames of context each side of a segment's own frames, and the frames it owns; both
    /// multiples of `block`, so that every segment fits the same models where they overlap.
    std::size_t margin = 4096;
    std::size_t core = 32768;
};

/// The figures for `strength` (not Off) at `sampleRate` (22050..192000 Hz).
RepairTuning TuningFor(RepairStrength strength, std::uint32_t sampleRate);

}  // namespace repair
