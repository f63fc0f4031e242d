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
    std::size_t piece = 32;          ///< the statistic's robust scale: medians of pieces of this
    std::size_t scalePieces = 4;     ///< many samples, of this many pieces each side
    float threshold = 6.0f;          ///< a click starts where the statistic exceeds this many scales
    float pairedThreshold = 4.0f;    ///< ... or this many on one channel beside one on another
    float extendThreshold = 3.0f;    ///< a run grows over neighbours still above this, once filled
    float extendBackThreshold = 3.0f;
    std::size_t peakReach = 16;      ///< a new click is the largest statistic this close
    std::size_t mergeGap = 2;        ///< runs this close are one
    std::size_t widenBefore = 1;     ///< samples every run takes before it
    std::size_t widenAfter = 2;      ///< and after it
    std::size_t shortRun = 24;
    std::size_t longestRun = 220;    ///< a longer run is music that no model predicts
    std::size_t popPiece = 16;       ///< a pop's level is measured over pieces of this many
    int iterations = 4;              ///< find, fill and look again, this many times a pass
    int passes = 2;                  ///< then again with models of the result
    float evidence = 15.0f;
    float longEvidence = 400.0f;
    std::size_t longEvidenceFrom = 8;
    std::size_t evidenceWindow = 256;
    float onsetThreshold = 8.0f;
    float endThreshold = 4.0f;
    std::size_t settleQuiet = 32;
    std::size_t uncovered = 2;
    std::size_t levelWindow = 256;
    float attackRise = 4.0f;
    std::size_t settleGap = 4;
    std::size_t settleWindow = 256;
    std::size_t leadWindow = 256;
    float settleRatio = 2.5f;

    /// Frames of context each side of a segment's own frames, and the frames it owns; both
    /// multiples of `block`, so that every segment fits the same models where they overlap.
    std::size_t margin = 4096;
    std::size_t core = 32768;
};

/// The figures for `strength` (not Off) at `sampleRate` (22050..192000 Hz).
RepairTuning TuningFor(RepairStrength strength, std::uint32_t sampleRate);

}  // namespace repair
