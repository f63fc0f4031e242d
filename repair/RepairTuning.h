#pragma once
// The click repairer's working figures for one strength at one sample rate: model order,
// block sizes, thresholds. Times are held in samples of that rate. Any thread.

#include <cstddef>
#include <cstdint>

#include "repair/RepairStrength.h"

namespace repair {

/// The defaults are Medium's at 44.1 kHz. Thresholds are in robust standard deviations of
/// the click statistic (the prediction errors through a click's matched filter).
struct RepairTuning {
    int order = 32;                ///< AR model order
    std::size_t block = 512;       ///< samples per model; each is fitted over 2 * block around it
    std::size_t piece = 32;        ///< the statistic's scale: mean absolute values of pieces of
    std::size_t scalePieces = 4;   ///< this many samples, the median of this many pieces each
                                   ///< side, the larger side taken
    float threshold = 7.0f;        ///< a click starts where the statistic exceeds this
    float pairedThreshold = 4.0f;  ///< ... or this on one channel beside a click on another
    float extendThreshold = 3.0f;  ///< a run grows over neighbours still above this, once filled
    std::size_t peakReach = 16;    ///< a new click is the largest statistic this close
    std::size_t shortRun = 24;     ///< runs stop growing sample by sample at this length
    std::size_t longestRun = 220;  ///< the longest click or pop (5 ms); a longer run is music
    std::size_t popPiece = 16;     ///< a pop's level is measured over pieces of this many
    int iterations = 3;            ///< find, fill and look again, this many times a pass
    int passes = 2;                ///< then again with models of the result
    /// A filled run must lower the model's cost by this many times the errors' power beside
    /// it per sample filled, or it was music; runs of longEvidenceFrom samples or more by
    /// longEvidence times (music's own surprises are longer than most clicks).
    float evidence = 15.0f;
    float longEvidence = 400.0f;
    std::size_t longEvidenceFrom = 8;
    std::size_t evidenceWindow = 256;  ///< samples each side that give that power

    /// Frames of context each side of a segment's own frames, and the frames it owns; both
    /// multiples of `block`, so that every segment fits the same models where they overlap.
    std::size_t margin = 4096;
    std::size_t core = 65536;
};

/// The figures for `strength` (not Off) at `sampleRate` (22050..192000 Hz).
RepairTuning TuningFor(RepairStrength strength, std::uint32_t sampleRate);

}  // namespace repair
