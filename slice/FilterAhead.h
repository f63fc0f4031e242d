#pragma once
// The treble filter run ahead of the slice writer on a second thread.
//
// The filter's history makes every frame depend on all before it, so a side cannot simply
// be cut into parts filtered at once. The thread cuts it into segments anyway and filters
// several side by side (ProcessStreams), each from a cleared history started a few blocks
// before its first frame (the first segment from the history the writer starts with). A
// filter forgets where it started: soon such a segment's state equals, bit for bit, the
// state one pass has there, and from that frame on its samples are the one pass's. The
// thread records its whole state at the start of every block and at every slice end. The
// writer takes a block's frames over only when its own filter state there is the recorded
// one to the bit and its EQ level is the thread's; otherwise it filters the block itself.
// So the slices are exactly those of one pass, whatever the thread did, and an EQ change
// in the middle of a side only ends the taking over.
//
// Memory stays bounded: two groups of segments in flight (about 10 MB).

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "slice/TrebleFilter.h"

class SideReader;

/// How the slice writer shares the filtering with the second thread. The defaults suit
/// every caller; tests vary them to reach each path.
struct FilterAheadSplit {
    std::uint64_t minFrames = 60 * 44100;  ///< shorter sides are filtered in one pass
    std::uint32_t segmentBlocks = 64;      ///< blocks per segment
    std::uint32_t warmUpBlocks = 4;        ///< filtered before a segment, from a cleared history
};

class FilterAhead {
  public:
    /// Starts filtering the side at `path` (frames 0 to `frames`) at `level` (> 0) with
    /// `start`'s coefficients, the first segment from `start`'s history. `sliceEnds`:
    /// ascending, the last one `frames`. `blockFrames`: the side's 0.1 s. The side is read
    /// as 16-bit stereo (a mono side's channel in both).
    FilterAhead(const std::string& path, const TrebleFilter& start, float level,
                std::uint64_t frames, std::vector<std::uint64_t> sliceEnds,
                const FilterAheadSplit& split, std::uint32_t blockFrames);
    /// Stops the thread and waits for it.
    ~FilterAhead();
    FilterAhead(const FilterAhead&) = delete;
    FilterAhead& operator=(const FilterAhead&) = delete;

    /// The filtered frames of block `block` (blockFrames interleaved frames, fewer at the side's
    /// end) when the thread filtered it from exactly `filter`'s state at `level`; nullptr
    /// otherwise (the caller filters the block itself). Waits for the thread as needed.
    /// Blocks are asked for in ascending order; earlier ones are given up.
    const std::int16_t* Block(std::uint64_t block, const TrebleFilter& filter, float level);
    /// Sets `filter`'s history to the thread's after the frames before `pos`, where `pos`
    /// lies within or at the end of the block last given by Block and is a block end, a
    /// slice end or the side's end.
    void HistoryAt(std::uint64_t pos, TrebleFilter& filter) const;

    // Block and HistoryAt: one thread (the writer's).

  private:
    /// The filter's state before frame `pos`.
    struct Mark {
        std::uint64_t pos;
        TrebleFilter state;
    };
    /// One segment as filtered: warm-up frames, then the segment's own.
    struct Segment {
        std::uint64_t start = 0, end = 0;  ///< side frames of the segment's own part
        std::uint64_t warmUp = 0;          ///< frames filtered before `start`
        std::unique_ptr<std::int16_t[]> samples;
        std::vector<Mark> marks;       ///< ascending; every block start, slice end and `end`
        std::uint64_t blocksDone = 0;  ///< own blocks filtered so far (guarded by mutex_)
    };
    /// Up to streams_ segments filtered together.
    struct Group {
        std::uint64_t index = kNone;    ///< which group it holds (guarded); kNone while filled
        std::vector<Segment> segments;  ///< streams_ of them
        int used = 0;                   ///< segments of the side in this group
    };
    static constexpr std::uint64_t kNone = UINT64_MAX;
    static constexpr int kGroups = 2;

    void Run(std::string path);
    /// Reads the group's segments and lays out their marks. False on a read failure.
    bool Fill(Group& group, std::uint64_t index, SideReader& samples);
    /// Filters the group's segments side by side, publishing each block as it is done.
    void Filter(Group& group);

    const std::uint32_t blockFrames_;  ///< the side's 0.1 s
    const float level_;
    const TrebleFilter start_;
    const std::uint64_t frames_;
    const std::vector<std::uint64_t> sliceEnds_;
    const std::uint32_t segmentBlocks_;
    const std::uint32_t warmUpBlocks_;
    const int streams_;
    const std::uint64_t segments_;

    Group groups_[kGroups];
    const Segment* taken_ = nullptr;    ///< the writer's: segment of the block last given
    std::vector<std::uint8_t> stored_;  ///< the thread's: frames as stored, to convert
    std::atomic<bool> cancel_{false};
    std::mutex mutex_;
    std::condition_variable changed_;
    // Guarded by mutex_ (with each group's index and each segment's blocksDone):
    std::uint64_t released_ = 0;  ///< the writer is done with the groups before this one
    bool failed_ = false;         ///< the file could not be read: no further group comes
    std::thread thread_;
};
