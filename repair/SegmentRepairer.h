#pragma once
// The click repair of one segment of a stream: every channel's samples of the segment's own
// frames and of its context on either side. Detection and filling depend only on the
// samples and on the segment's place in the stream (models are fitted per block counted from
// the stream's start), so two segments that overlap treat a click in their overlap alike.
// One object per thread: it keeps its working arrays.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "repair/ArModel.h"
#include "repair/GrowingFill.h"
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

    // One channel's samples and what is known of them.
    struct Channel {
        std::vector<float> original;
        std::vector<float> repaired;  // the original with every missing sample filled
        std::vector<ArModel> models;  // per block
        std::vector<FilterCorrelation> correlations;  // per block
        std::vector<float> errors;                    // forward prediction errors of `repaired`
        std::vector<float> matched;         // the errors through the matched filter of a click
        std::vector<float> scale;           // per piece: the robust scale of `matched` around it
        std::vector<std::uint8_t> missing;  // 1: replaced by an estimate
        std::vector<std::uint8_t> kept;     // 1: judged music, never replaced
        std::vector<std::uint8_t> joined;   // 1: in a fill of this scan
        GrowingFill fill;                   // the missing samples the scan is among
        std::size_t fillBlock = 0;          // whose model `fill` uses
        std::size_t absorbed = 0;           // missing samples before this are in a fill
    };
    // What filling a run bought: the model's cost taken out, and the errors' power beside it.
    struct Evidence {
        double gain = 0, power = 0;
    };

    void FitModels(Channel& ch);
    void Statistics(Channel& ch);
    void Scales(Channel& ch);
    // The mean absolute value of v[begin, end), missing samples and exact zeros left out;
    // -1 when fewer than half are left.
    float MeanAbs(const std::vector<float>& v, std::size_t begin, std::size_t end,
                  const Channel& ch) const;
    float Score(const Channel& ch, std::size_t t) const;
    bool LargestNear(const Channel& ch, std::size_t t, float score) const;
    // Whether the scan has nothing to do in [begin, end), one piece: it skips it.
    bool Quiet(std::size_t begin, std::size_t end) const;
    bool Scan();
    void Absorb(Channel& ch, GrowingFill& fill, std::size_t upTo);
    bool Join(Channel& ch, GrowingFill& fill, std::size_t u);
    void Grow(std::size_t c, std::size_t begin, std::size_t end);
    void FillAll(Channel& ch);
    Evidence EvidenceOf(const Channel& ch, FrameRange run);
    bool Paired(const Channel& ch, FrameRange run) const;
    // The run's samples that its fill moved by a sizeable share of its largest move.
    std::size_t CoreLength(const Channel& ch, FrameRange run) const;
    bool Validate(Channel& ch);
    bool FindPops(Channel& ch);
    // Fills envelope_ from `repaired`; returns its count of pieces.
    std::size_t Envelope(const Channel& ch);
    // The largest of envelope_[begin, end), 0 for none.
    double Loudest(std::size_t begin, std::size_t end) const;
    Runs RunsOf(const Channel& ch) const;
    const ArModel& ModelAt(const Channel& ch, std::size_t t) const {
        return ch.models[t / tuning_.block];
    }

    RepairTuning tuning_;
    std::size_t n_ = 0;
    std::vector<Channel> ch_;
    std::vector<float> scratch_;
    std::vector<float> pieceLevel_;  // per piece: the mean absolute statistic
    std::vector<float> envelope_;    // per pop piece: the mean square of `repaired`
    FitScratch fit_;
    std::vector<std::size_t> missingList_;
    InterpolationScratch interpolation_;
};

}  // namespace repair
