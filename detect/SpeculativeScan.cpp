#include "detect/SpeculativeScan.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>

#include "model/SideState.h"
#include "platform/File.h"
#include "sidefile/ChunkReader.h"
#include "sidefile/SideReader.h"

SpeculativeScan::SpeculativeScan(const std::string& path, const TrebleFilter& tuned, float level,
                                 std::uint64_t startBlock, std::uint64_t endFrame,
                                 std::uint64_t warmUpFrames, int checkpoints,
                                 std::uint32_t blockFrames)
    : blockFrames_(blockFrames),
      startBlock_(startBlock),
      filter_(tuned),
      checkpoints_(static_cast<std::size_t>(checkpoints)) {
    filter_.ClearHistory();
    const std::uint64_t blocks = (endFrame + blockFrames_ - 1) / blockFrames_ - startBlock;
    peaks_.head.resize(blocks);
    peaks_.tail.resize(blocks);
    peaks_.fine.resize(blocks * kFinePeaksPerBlock);
    thread_ = std::thread(
        [this, path, level, endFrame, warmUpFrames] { Run(path, level, endFrame, warmUpFrames); });
}

SpeculativeScan::~SpeculativeScan() {
    cancel_.store(true);
    thread_.join();
}

void detect::MergeFinePeaks(const std::int16_t* samples, std::uint64_t first, std::size_t frames,
                            std::uint32_t blockFrames, std::uint16_t* fine) {
    const std::uint64_t end = first + frames;
    for (std::uint64_t f = first; f < end;) {
        const std::uint64_t group = model::FineGroupOf(f, blockFrames);
        const std::uint64_t groupEnd = std::min(end, model::FineGroupStart(group + 1, blockFrames));
        int peak = fine[group];
        for (; f < groupEnd; ++f, samples += 2)
            peak = std::max(peak, std::max(std::abs(int{samples[0]}), std::abs(int{samples[1]})));
        fine[group] = static_cast<std::uint16_t>(peak);
    }
}

bool SpeculativeScan::Matches(std::uint64_t k, const TrebleFilter& filter) const {
    return k < checkpoints_.size() && slice::SameFilterState(checkpoints_[k], filter);
}

void SpeculativeScan::Run(std::string path, float level, std::uint64_t endFrame,
                          std::uint64_t warmUpFrames) {
    const std::uint64_t start = startBlock_ * blockFrames_;
    const std::uint64_t from = start - std::min(start, warmUpFrames);
    const std::unique_ptr<SideReader> wave = SideReader::Open(path);
    if (!wave || !wave->Seek(from)) {
        failed_.store(true);
        ended_.store(true, std::memory_order_release);
        return;
    }
    std::uint64_t i = from;
    std::uint64_t block = 0;  // counted from startBlock
    {
        ChunkReader reader(*wave, endFrame - from);
        for (std::span<std::int16_t> chunk = reader.Next(); !chunk.empty(); chunk = reader.Next()) {
            std::int16_t* s = chunk.data();
            const std::uint64_t chunkEnd = i + chunk.size() / 2;
            if (i < start) {  // warming up: only the history matters
                const std::size_t n = static_cast<std::size_t>(std::min(chunkEnd, start) - i);
                filter_.ProcessFrames(s, n, level);
                s += 2 * n;
                i += n;
            }
            while (i < chunkEnd) {
                if (cancel_.load(std::memory_order_relaxed)) break;
                const std::uint64_t blockEnd =
                    std::min(chunkEnd, (i / blockFrames_ + 1) * blockFrames_);
                if (i % blockFrames_ == 0) {
                    if (block < checkpoints_.size()) checkpoints_[block] = filter_;
                    peaks_.head[block] = filter_.ProcessFrames(s, 1, level);
                    detect::MergeFinePeaks(s, i - start, 1, blockFrames_, peaks_.fine.data());
                    s += 2;
                    ++i;
                }
                const std::size_t n = static_cast<std::size_t>(blockEnd - i);
                peaks_.tail[block] =
                    std::max(peaks_.tail[block], filter_.ProcessFrames(s, n, level));
                detect::MergeFinePeaks(s, i - start, n, blockFrames_, peaks_.fine.data());
                s += 2 * n;
                i = blockEnd;
                if (i % blockFrames_ == 0 || i == endFrame)
                    done_.store(++block, std::memory_order_release);
            }
            if (cancel_.load(std::memory_order_relaxed)) break;
        }
    }
    if (i < endFrame) failed_.store(true);
    ended_.store(true, std::memory_order_release);
}
