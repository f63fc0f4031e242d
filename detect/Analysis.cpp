#include "detect/Analysis.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <thread>
#include <utility>

#include "detect/BandScan.h"
#include "detect/LaneScan.h"
#include "model/SideState.h"
#include "platform/File.h"
#include "settings/WorkControl.h"
#include "sidefile/ChunkReader.h"
#include "sidefile/SideReader.h"
#include "slice/TrebleFilter.h"

namespace {

constexpr std::uint64_t kStopCheckFrames = 100;
constexpr float kLevelCap = 0.99f;
constexpr std::int64_t kBlocksPerSecond = 10;
constexpr auto kPollInterval = std::chrono::milliseconds(1);

float LevelOf(int peak) {
    return std::min(static_cast<float>(peak) / 32768.0f, kLevelCap);
}

// One analysis in progress: the per-block peaks so far, and the work that fills them.
class SideAnalysis {
  public:
    /// `totalFrames`: the side's frames; `frames`: those analysed (at most as many levels
    /// as a side holds).
    SideAnalysis(WorkControl& control, TrebleFilter& treble, SideReader& side,
                 std::uint64_t totalFrames, std::uint64_t frames, int progressStart,
                 int progressEnd)
        : control_(control),
          treble_(treble),
          samples_(side),
          rate_(side.Format().sampleRate),
          blockFrames_(side.Format().BlockFrames()),
          totalFrames_(totalFrames),
          frames_(frames),
          blocks_((frames + blockFrames_ - 1) / blockFrames_),
          start_(progressStart),
          span_(progressEnd - progressStart) {
        peaks_.head.resize(blocks_);
        peaks_.tail.resize(blocks_);
        peaks_.fine.resize(blocks_ * kFinePeaksPerBlock);
    }

    std::uint64_t Blocks() const { return blocks_; }
    BlockPeaks& Peaks() { return peaks_; }

    /// The filter for block 0 (FilterHere(0, ...) then uses it); the EQ level read there is
    /// the one the input is scaled by for the whole side.
    TrebleFilter& FirstTreble() {
        level_ = control_.Processing().trebleBoost;
        treble_.Follow(level_, rate_);
        filter_ = &treble_;
        return treble_;
    }
    float Level() const { return level_; }

    /// Filters the first stretch of `scan` with the later ones beside it. Returns the block
    /// where this thread goes on alone (the first stretch's end, or where a re-tune took
    /// hold, the EQ level read for it already), Blocks() when the data broke off, nullopt
    /// on a stop.
    std::optional<std::uint64_t> FilterSideBySide(LaneScan& scan) {
        const std::uint32_t tunings = filter_->tunings;
        const std::uint64_t lanes = (blocks_ + scan.FirstEnd() - 1) / scan.FirstEnd();
        std::uint64_t q = 0;
        for (; q < scan.FirstEnd(); ++q) {
            if (q > 0 && AskTreble().tunings != tunings) return q;  // the others were tuned before
            GaugeUpTo(std::min(blocks_ - 1, q * lanes));
            if (control_.TestDestroy()) return std::nullopt;
            if (!scan.Step(*filter_)) {
                framesDone_ = scan.FramesDone();
                return blocks_;
            }
        }
        framesDone_ = scan.FramesDone();
        if (q < blocks_) AskTreble();
        return q;
    }

    /// Filters blocks `first`.. on this thread, reading the file from there, and hands over
    /// at the first block boundary where one of `stretches` has the state this filter has:
    /// returns that block, Blocks() when the data was read to its end (or broke off
    /// earlier), nullopt on a stop. The EQ level was read for block `first` already.
    std::optional<std::uint64_t> FilterHere(std::uint64_t first,
                                            const std::vector<Stretch>& stretches) {
        std::uint64_t i = first * blockFrames_;  // side frame of the next frame
        if (!samples_.Seek(i)) return blocks_;
        ChunkReader reader(samples_, frames_ - i);
        for (std::span<std::int16_t> chunk = reader.Next(); !chunk.empty(); chunk = reader.Next()) {
            std::int16_t* s = chunk.data();
            const std::uint64_t chunkEnd = i + chunk.size() / 2;
            while (i < chunkEnd) {
                // Chunks hold whole blocks: here a block begins.
                const std::uint64_t q = i / blockFrames_;
                TrebleFilter& filter = q == first ? *filter_ : AskTreble();
                if (Agreeing(stretches, q, filter)) {
                    framesDone_ = i;
                    return q;
                }
                GaugeUpTo(q);
                const std::int16_t* const blockStart = s;
                peaks_.head[q] = filter.ProcessFrames(s, 1, level_);
                peaks_.tail[q] = 0;
                s += 2;
                ++i;
                // The rest of the block, cut where the 100-frame stop checks fall.
                const std::uint64_t blockEnd = std::min(chunkEnd, (q + 1) * blockFrames_);
                while (true) {
                    if (i % kStopCheckFrames == 0 && control_.TestDestroy()) return std::nullopt;
                    if (i >= blockEnd) break;
                    const std::uint64_t stopAt = (i / kStopCheckFrames + 1) * kStopCheckFrames;
                    const auto n = static_cast<std::size_t>(std::min(blockEnd, stopAt) - i);
                    peaks_.tail[q] = std::max(peaks_.tail[q], filter.ProcessFrames(s, n, level_));
                    s += 2 * n;
                    i += n;
                }
                std::uint16_t* fine = &peaks_.fine[q * kFinePeaksPerBlock];
                std::fill(fine, fine + kFinePeaksPerBlock, std::uint16_t{0});
                detect::MergeFinePeaks(blockStart, 0,
                                       static_cast<std::size_t>(i - q * blockFrames_), blockFrames_,
                                       fine);
            }
        }
        framesDone_ = i;
        return blocks_;
    }

    /// The results of `stretch` from block `first` (where its state agreed with this
    /// filter's) on, while the filter keeps its tuning: the EQ level is still read at every
    /// block, and a re-tune leaves the rest of the side to this thread. Returns the block
    /// of that re-tune, or the stretch's end (the filter then has the stretch's final
    /// history, and the EQ level was read for the block there).
    std::uint64_t TakeOver(const Stretch& stretch, std::uint64_t first) {
        const std::uint32_t tunings = filter_->tunings;
        for (std::uint64_t q = first; q < stretch.endBlock; ++q) {
            if (q > first && AskTreble().tunings != tunings) {
                framesDone_ = q * blockFrames_;
                return q;
            }
            GaugeUpTo(q);
        }
        filter_->TakeHistory(stretch.final);
        framesDone_ = std::min(frames_, stretch.endBlock * blockFrames_);
        if (stretch.endBlock < blocks_) AskTreble();
        return stretch.endBlock;
    }

    /// The stretch whose results take over at block `q`, if any: one that starts within
    /// its checkpoints of `q` with the state `filter` has there.
    const Stretch* Agreeing(const std::vector<Stretch>& stretches, std::uint64_t q,
                            const TrebleFilter& filter) const {
        for (const Stretch& stretch : stretches)
            if (stretch.ok && q >= stretch.firstBlock &&
                q - stretch.firstBlock < stretch.checkpoints.size() &&
                slice::SameFilterState(stretch.checkpoints[q - stretch.firstBlock], filter))
                return &stretch;
        return nullptr;
    }

    /// Levels, peak and cuts of the blocks filtered.
    AnalysisResult Result(std::int64_t silenceSeconds) const {
        // Entry 0 is frame 0 alone; entry q closes with block q's first frame the frames after
        // the last.
        AnalysisResult result;
        const std::uint64_t entries = (framesDone_ + blockFrames_ - 1) / blockFrames_;
        for (std::uint64_t q = 0; q < entries; ++q) {
            const float entry =
                LevelOf(q == 0 ? peaks_.head[0] : std::max(peaks_.tail[q - 1], peaks_.head[q]));
            result.levels.push_back(entry);
            result.peak = std::max(result.peak, entry);
        }
        result.levelCount = static_cast<std::uint32_t>(result.levels.size());
        const std::uint64_t fine =
            framesDone_ == 0 ? 0 : model::FineGroupOf(framesDone_ - 1, blockFrames_) + 1;
        result.finePeaks.assign(peaks_.fine.begin(),
                                peaks_.fine.begin() + static_cast<std::ptrdiff_t>(fine));
        const std::int64_t window =
            std::clamp<std::int64_t>(silenceSeconds, 0, INT32_MAX) * kBlocksPerSecond;
        result.cuts = detect::ChooseAutoSenseCuts(
            result.levels, static_cast<std::int64_t>(totalFrames_ / blockFrames_), window);
        result.ok = true;
        return result;
    }

  private:
    // Once per block after the first, in block order, on both paths: where an EQ change
    // takes hold.
    TrebleFilter& AskTreble() {
        treble_.Follow(control_.Processing().trebleBoost, rate_);
        filter_ = &treble_;
        return treble_;
    }

    // The gauge for every block up to `block` not yet shown, in order: once per block
    // however the work is shared.
    void GaugeUpTo(std::uint64_t block) {
        for (; gauged_ <= block; ++gauged_) {
            const double i = static_cast<double>(gauged_ * blockFrames_);
            const double fraction = (i / 100000.0) / (static_cast<double>(totalFrames_) / 100000.0);
            control_.SetGauge(Gauge::Slicing, start_ + static_cast<int>(fraction * span_));
        }
    }

    WorkControl& control_;
    TrebleFilter& treble_;
    SideReader& samples_;
    const std::uint32_t rate_;
    const std::uint32_t blockFrames_;  ///< 0.1 s of the side
    const std::uint64_t totalFrames_;
    const std::uint64_t frames_;
    const std::uint64_t blocks_;
    float level_ = 0;  ///< read at the first block
    const int start_;
    const double span_;
    BlockPeaks peaks_;
    std::uint64_t framesDone_ = 0;
    std::uint64_t gauged_ = 0;        ///< blocks whose gauge was shown
    TrebleFilter* filter_ = nullptr;  ///< the filter as last readied for a block
};

}  // namespace

AnalysisResult detect::AnalyzeSide(WorkControl& control, TrebleFilter& treble,
                                   const std::string& path, std::int64_t silenceSeconds,
                                   int progressStart, int progressEnd, const AnalysisSplit& split,
                                   const std::optional<SmartSenseOptions>& smart) {
    const std::unique_ptr<SideReader> side = SideReader::Open(path);
    if (!side) return {};

    const std::uint64_t totalFrames = side->Frames();
    const std::uint32_t blockFrames = side->Format().BlockFrames();
    // The last level entry is stored at the first frame of block 65534; reading stops
    // after it.
    const std::uint64_t frames =
        std::min<std::uint64_t>(totalFrames, std::uint64_t{blockFrames} * (kMaxLevels - 1) + 1);
    // Smart Sense's measurement runs beside the analysis, on its own thread, over the whole
    // side.
    std::unique_ptr<BandScan> bands;
    if (smart) bands = std::make_unique<BandScan>(path, totalFrames);
    SideAnalysis analysis(control, treble, *side, totalFrames, frames, progressStart, progressEnd);
    const std::uint64_t blocks = analysis.Blocks();

    if (blocks == 0) return analysis.Result(silenceSeconds);
    // A long side is filtered as stretches side by side, starting from the filter as tuned
    // for block 0; this thread then walks the blocks in order, taking each stretch's results
    // from where its state agrees with one pass's, and filters the rest itself: the same
    // blocks, tuned the same way, as one pass.
    const TrebleFilter& first = analysis.FirstTreble();
    std::uint64_t next = 0;
    std::vector<Stretch> stretches;
    const int lanes = slice::TrebleStreamsAtOnce();
    if (frames >= split.minFrames && blocks >= static_cast<std::uint64_t>(lanes) &&
        split.checkpoints > 0) {
        LaneScan scan(*side, path, first, analysis.Level(), frames, blockFrames, lanes,
                      split.warmUpFrames, split.checkpoints, analysis.Peaks());
        const std::optional<std::uint64_t> resumed = analysis.FilterSideBySide(scan);
        if (!resumed) return {};
        next = *resumed;
        if (next == scan.FirstEnd()) stretches = scan.TakeStretches();
    }
    while (next < blocks) {
        const std::optional<std::uint64_t> handedOver = analysis.FilterHere(next, stretches);
        if (!handedOver) return {};
        if (*handedOver == blocks) break;
        next = analysis.TakeOver(*analysis.Agreeing(stretches, *handedOver, treble), *handedOver);
    }

    AnalysisResult result = analysis.Result(silenceSeconds);
    if (bands) {
        while (!bands->Ended()) {
            if (control.TestDestroy()) return {};
            std::this_thread::sleep_for(kPollInterval);
        }
        if (bands->Failed()) return {};
        SmartSenseResult sensed = ChooseSmartSense(bands->Blocks(), *smart);
        result.smartCuts = std::move(sensed.cuts);
        result.musicStart = sensed.musicStart;
        result.musicEnd = sensed.musicEnd;
        result.smartMessage = std::move(sensed.message);
    }
    return result;
}
