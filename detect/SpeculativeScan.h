#pragma once
// The second half of a long analysis, filtered ahead on another thread.
//
// The treble filter's history makes every frame depend on all before it, so the second half
// cannot start from the true history. It starts from a cleared one a little earlier instead;
// the filter forgets its start within a few thousand frames, and once its whole state
// (history and coefficients, bit for bit) equals the true state at a block boundary, every
// later result is exactly what one pass would give. The analysis checks that equality at
// the first few boundaries and falls back to filtering on its own when it never holds, so
// the result never depends on the guess.

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "slice/TrebleFilter.h"

/// The filter's per-block peaks of a range of blocks: head = |sample| peak of a block's first
/// frame, tail = of the frames after it in the block; fine = the |sample| peak (0 .. 32768)
/// of each tenth of the block of the filtered output, kFinePeaksPerBlock per block.
struct BlockPeaks {
    std::vector<int> head;
    std::vector<int> tail;
    std::vector<std::uint16_t> fine;
};

namespace detect {

/// Raises fine[k] to the |sample| peak of the filtered frames `samples` (interleaved stereo)
/// that fall in fine group k (FineGroupOf), the first of them being frame `first` of the
/// block-aligned range `fine` starts at. Any thread.
void MergeFinePeaks(const std::int16_t* samples, std::uint64_t first, std::size_t frames,
                    std::uint32_t blockFrames, std::uint16_t* fine);

}  // namespace detect

class SpeculativeScan {
  public:
    /// Starts filtering blocks startBlock.. up to frame endFrame of the side at `path` with a
    /// copy of `tuned`'s coefficients and a cleared history, after warmUpFrames frames before
    /// the start (fewer when the side has fewer). Records the state at the first
    /// `checkpoints` block boundaries. Blocks of `blockFrames` frames.
    SpeculativeScan(const std::string& path, const TrebleFilter& tuned, float level,
                    std::uint64_t startBlock, std::uint64_t endFrame, std::uint64_t warmUpFrames,
                    int checkpoints, std::uint32_t blockFrames);
    /// Stops the thread (if still running) and waits for it.
    ~SpeculativeScan();
    SpeculativeScan(const SpeculativeScan&) = delete;
    SpeculativeScan& operator=(const SpeculativeScan&) = delete;

    /// Blocks filtered so far, counted from startBlock. Any thread.
    std::uint64_t BlocksDone() const { return done_.load(std::memory_order_acquire); }
    /// True once every block is filtered or the file failed. Any thread.
    bool Ended() const { return ended_.load(std::memory_order_acquire); }
    bool Failed() const { return failed_.load(std::memory_order_acquire); }

    /// True when `filter`'s state equals the scan's at the start of block startBlock + k,
    /// k < checkpoints. Needs BlocksDone() > k.
    bool Matches(std::uint64_t k, const TrebleFilter& filter) const;
    /// After Ended() without failure: peaks of blocks startBlock.. and the final history.
    const BlockPeaks& Peaks() const { return peaks_; }
    const TrebleFilter& Final() const { return filter_; }

  private:
    void Run(std::string path, float level, std::uint64_t endFrame, std::uint64_t warmUpFrames);

    std::uint32_t blockFrames_;
    std::uint64_t startBlock_;
    TrebleFilter filter_;
    std::vector<TrebleFilter> checkpoints_;
    BlockPeaks peaks_;
    std::atomic<std::uint64_t> done_{0};
    std::atomic<bool> ended_{false};
    std::atomic<bool> failed_{false};
    std::atomic<bool> cancel_{false};
    std::thread thread_;
};
