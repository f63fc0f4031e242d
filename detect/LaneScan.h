#pragma once
// The level pass of a long side as stretches filtered side by side on one thread.
//
// The treble filter's recurrence makes every frame wait for the one before, so one stretch
// leaves the processor's vector lanes idle; filtering up to four stretches at once
// (slice::ProcessStreams) costs about what one does. The first stretch starts from the
// filter's true state. A later one cannot know its true start: it starts from a cleared
// history a little earlier instead; the filter forgets its start within a few thousand
// frames, and once its whole state (history and coefficients, bit for bit) equals the true
// state at a block boundary, every later result is exactly what one pass would give. The
// scan keeps each later stretch's state at its first few block boundaries, so that the
// analysis can check that equality and filter on its own where it never holds: the result
// never depends on the guess.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "slice/TrebleFilter.h"

class ChunkReader;
class SideReader;

/// The filter's per-block peaks: head = |sample| peak of a block's first frame, tail = of
/// the frames after it in the block; fine = the |sample| peak (0 .. 32768) of each tenth of
/// the block of the filtered output, kFinePeaksPerBlock per block.
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

/// A stretch of blocks filtered from a guessed start, and what filtering it left.
struct Stretch {
    std::uint64_t firstBlock = 0;
    std::uint64_t endBlock = 0;  ///< the block after its last
    /// The filter's state at the start of blocks firstBlock, firstBlock + 1, ...
    std::vector<TrebleFilter> checkpoints;
    TrebleFilter final;  ///< the state after its last frame
    bool ok = false;     ///< every frame read and filtered
};

class LaneScan {
  public:
    /// Splits the first `frames` frames of the side (blocks of `blockFrames`) into `lanes`
    /// stretches of whole blocks. The first is read through `first` (from frame 0) and
    /// filtered through the filter given to each Step; each later one is read through a
    /// reader of its own opened on `path`, filtered with a copy of `tuned`'s coefficients
    /// from a cleared history, after the `warmUpFrames` frames before it (fewer when there
    /// are fewer), keeping its state at its first `checkpoints` block boundaries. A later
    /// stretch that cannot be opened or read is not ok. Peaks go into `peaks` (sized for
    /// every block). `first` must outlive the scan.
    LaneScan(SideReader& first, const std::string& path, const TrebleFilter& tuned, float level,
             std::uint64_t frames, std::uint32_t blockFrames, int lanes, std::uint64_t warmUpFrames,
             int checkpoints, BlockPeaks& peaks);
    ~LaneScan();
    LaneScan(const LaneScan&) = delete;
    LaneScan& operator=(const LaneScan&) = delete;

    /// The block after the first stretch's last.
    std::uint64_t FirstEnd() const;

    /// Filters the next block of every stretch, the first through `filter` (its true state;
    /// it must have the coefficients of `tuned`), and stores their peaks. False when the
    /// first stretch's frames ran out before its end (FramesDone() says how far they went).
    bool Step(TrebleFilter& filter);
    /// Frames of the first stretch read and filtered so far.
    std::uint64_t FramesDone() const;

    /// Once the first stretch is done: the later stretches, in order.
    std::vector<Stretch> TakeStretches();

  private:
    struct Lane;
    bool Next(Lane& lane, std::span<std::int16_t>& block);

    std::uint32_t blockFrames_;
    float level_;
    int checkpoints_;
    BlockPeaks& peaks_;
    std::vector<Lane> lanes_;
    std::vector<Stretch> stretches_;  // of lanes 1..
};
