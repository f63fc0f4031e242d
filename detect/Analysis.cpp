#include "detect/Analysis.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <thread>
#include <utility>

#include "detect/BandScan.h"
#include "detect/SpeculativeScan.h"
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

// Waits for the second-half scan while the job stays stoppable and its gauge keeps moving.
// `until` says when to stop waiting; false when a stop came first.
template <typename Until>
bool Await(WorkControl& control, const SpeculativeScan& scan, Until until) {
    for (;;) {
        const bool done = until(scan.BlocksDone(), scan.Ended());
        if (control.TestDestroy()) return false;
        if (done) return true;
        std::this_thread::sleep_for(kPollInterval);
    }
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

    /// The filter for block 0 (FilterHere(0, ...) then uses it); the EQ level read there is
    /// the one the input is scaled by for the whole side.
    TrebleFilter& FirstTreble() {
        level_ = control_.Processing().trebleBoost;
        treble_.Follow(level_, rate_);
        filter_ = &treble_;
        return treble_;
    }
    float Level() const { return level_; }

    /// Filters blocks `first`.. on this thread, reading the file from there. With a scan,
    /// hands over at the first block boundary from `splitBlock` on where the scan's state
    /// equals this filter's, and gives the scan up when none of its checkpoints agrees.
    /// Returns the block handed over at, Blocks() when the data was read to its end (or
    /// broke off earlier), nullopt on a stop. the EQ level was read for block `first` already
    /// (FirstTreble() or TakeOver()).
    std::optional<std::uint64_t> FilterHere(std::uint64_t first,
                                            std::unique_ptr<SpeculativeScan>& scan,
                                            std::uint64_t splitBlock, int checkpoints) {
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
                if (scan && q >= splitBlock) {
                    const std::uint64_t k = q - splitBlock;
                    if (!Await(control_, *scan,
                               [k](std::uint64_t done, bool ended) { return done > k || ended; }))
                        return std::nullopt;
                    if (!scan->Failed() && scan->Matches(k, filter)) {
                        framesDone_ = i;
                        return q;
                    }
                    if (scan->Failed() || k + 1 >= static_cast<std::uint64_t>(checkpoints))
                        scan.reset();  // no agreement: this thread does the rest alone
                }
                Gauge(q);
                const std::int16_t* const blockStart = s;
                peaks_.head[q] = filter.ProcessFrames(s, 1, level_);
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
                detect::MergeFinePeaks(blockStart, 0,
                                       static_cast<std::size_t>(i - q * blockFrames_), blockFrames_,
                                       &peaks_.fine[q * kFinePeaksPerBlock]);
            }
        }
        framesDone_ = i;
        return blocks_;
    }

    /// The scan's results from block `first` (where its state agreed with this filter's)
    /// on, while the filter keeps its tuning: the EQ level is still read at every block, and a
    /// re-tune there leaves the rest of the side to this thread. Returns the block of that
    /// re-tune, or Blocks() when the scan's results reach the end (the filter then takes the
    /// scan's final history); nullopt on a stop or a read error of the scan.
    std::optional<std::uint64_t> TakeOver(const SpeculativeScan& scan, std::uint64_t first,
                                          std::uint64_t splitBlock) {
        const std::uint32_t tunings = filter_->tunings;
        std::uint64_t q = first;
        for (; q < blocks_; ++q) {
            if (q > first) {
                const std::uint64_t before = q - splitBlock;  // scan blocks done before q
                if (!Await(control_, scan, [before](std::uint64_t done, bool ended) {
                        return done >= before || ended;
                    }))
                    return std::nullopt;
                if (AskTreble().tunings != tunings) break;
            }
            Gauge(q);
        }
        if (!Await(control_, scan,
                   [&](std::uint64_t done, bool ended) { return ended || done >= q - splitBlock; }))
            return std::nullopt;
        if (scan.BlocksDone() < q - splitBlock) return std::nullopt;  // it failed before
        for (std::uint64_t b = first; b < q; ++b) {
            peaks_.head[b] = scan.Peaks().head[b - splitBlock];
            peaks_.tail[b] = scan.Peaks().tail[b - splitBlock];
        }
        const auto fineFrom = [&](std::uint64_t b) {
            return static_cast<std::ptrdiff_t>(b * kFinePeaksPerBlock);
        };
        std::copy(scan.Peaks().fine.begin() + fineFrom(first - splitBlock),
                  scan.Peaks().fine.begin() + fineFrom(q - splitBlock),
                  peaks_.fine.begin() + fineFrom(first));
        framesDone_ = std::min(frames_, q * blockFrames_);
        if (q == blocks_) {  // the filter was tuned as the scan's all along
            filter_->TakeHistory(scan.Final());
        }
        return q;
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

    void Gauge(std::uint64_t block) {
        const double i = static_cast<double>(block * blockFrames_);
        const double fraction = (i / 100000.0) / (static_cast<double>(totalFrames_) / 100000.0);
        control_.SetGauge(Gauge::Slicing, start_ + static_cast<int>(fraction * span_));
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

    // The second half goes to another thread when the side is long enough to gain by it.
    // It starts from the filter as tuned for block 0.
    std::unique_ptr<SpeculativeScan> scan;
    const std::uint64_t splitBlock = blocks / 2;
    if (blocks == 0) return analysis.Result(silenceSeconds);
    const TrebleFilter& first = analysis.FirstTreble();
    if (frames >= split.minFrames && splitBlock > 0 && split.checkpoints > 0 &&
        std::thread::hardware_concurrency() >= 2)
        scan =
            std::make_unique<SpeculativeScan>(path, first, analysis.Level(), splitBlock, frames,
                                              split.warmUpFrames, split.checkpoints, blockFrames);

    // This thread filters until the scan agrees, takes the scan's blocks until a re-tune,
    // and filters the rest itself: the same blocks, tuned the same way, as one pass.
    std::uint64_t next = 0;
    while (next < blocks) {
        const std::optional<std::uint64_t> handedOver =
            analysis.FilterHere(next, scan, splitBlock, split.checkpoints);
        if (!handedOver) return {};
        if (*handedOver == blocks) break;
        const std::optional<std::uint64_t> retuned =
            analysis.TakeOver(*scan, *handedOver, splitBlock);
        if (!retuned) return {};
        scan.reset();
        next = *retuned;
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
