#pragma once
// The click repair of one segment of a stream: every channel's samples of the segment's own
// frames and of its context on either side. Detection and filling depend only on the
// samples and on the segment's place in the stream (models are fitted per block counted from
// the stream's start), so two segments that overlap treat a click in their overlap alike.
// One object per thread: it keeps its working arrays.
//
// Per channel and pass: an AR model per block; forward and backward prediction errors of the
// samples, each against a robust scale (a median of 16-sample mean errors around it); a run
// of damage where both stand out together; runs shared with the other channels where
// theirs stand out too; runs filled by least-squares AR interpolation. The first pass only
// cleans the models of the second (keeping attacks out of them). The last also grows runs
// over the rest of a loud pop, drops runs that look like music's own attacks (louder sound
// after them than before, or errors that stay high after them), and fills a click that
// reaches several channels over the same frames on each.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "repair/ArModel.h"
#include "repair/RepairStrength.h"
#include "repair/RepairTuning.h"

namespace repair {

/// Frames [begin, end) of a segment, counted from the segment's first frame.
struct FrameRange {
    std::size_t begin = 0;
    std::size_t end = 0;
    bool operator==(const FrameRange&) const = default;
};

class SegmentRepairer {
  public:
    SegmentRepairer(const RepairTuning& tuning, int channels);

    /// Repairs `frames` interleaved frames whose first is frame `firstFrame` of the stream
    /// (a multiple of tuning.block). Writes the repaired frames of `own` (interleaved, own.end
    /// - own.begin frames) to `out` and appends to `spans` each repaired click that starts in
    /// `own`, in stream frames, in order.
    void Repair(const float* interleaved, std::size_t frames, std::uint64_t firstFrame,
                FrameRange own, float* out, std::vector<ClickSpan>& spans);

  private:
    using Runs = std::vector<FrameRange>;

    void FitModels(int channel);
    void ForwardErrorsOf(int channel, const std::vector<float>& x, std::vector<float>& e) const;
    void Judge(int channel);
    Runs FindRuns(int channel) const;
    void ShareRuns(std::vector<Runs>& runs) const;
    void AlignRuns(std::vector<Runs>& runs) const;
    void Fill(int channel, const Runs& runs);
    void GrowPopsDropAttacks(int channel, Runs& runs, bool grow);
    float QuietestBefore(std::size_t begin) const;
    Runs KeepSettled(int channel, const Runs& runs);
    void SumPieces(const std::vector<float>& e, bool squares, std::vector<float>& pieces) const;
    float PieceMean(const std::vector<float>& pieces, std::size_t begin, std::size_t end) const;
    const ArModel& ModelAt(int channel, std::size_t t) const {
        return models_[channel][t / tuning_.block];
    }
    float Median(const std::vector<float>& pieces, std::size_t begin, std::size_t end);

    RepairTuning tuning_;
    int channels_;
    std::size_t n_ = 0;
    std::vector<std::vector<float>> original_;  // per channel
    std::vector<std::vector<float>> repaired_;
    // How far each sample's forward and backward errors stand out, in robust scales, and the
    // lesser of the two.
    std::vector<std::vector<float>> forwardScore_, backwardScore_, score_;
    std::vector<std::vector<ArModel>> models_;
    std::vector<Runs> runs_;
    std::vector<float> forward_, backward_, scratch_;
    std::vector<float> forwardPieces_, backwardPieces_, levelPieces_;
    FitScratch fit_;
    std::vector<std::size_t> missing_;
    InterpolationScratch interpolation_;
};

}  // namespace repair
