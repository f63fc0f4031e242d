#include "detect/LaneScan.h"

#include <algorithm>
#include <cstdlib>

#include "model/SideState.h"
#include "sidefile/ChunkReader.h"
#include "sidefile/SideReader.h"

namespace {

constexpr int kMaxLanes = 4;

}  // namespace

struct LaneScan::Lane {
    std::unique_ptr<SideReader> own;  // the later stretches' readers
    std::unique_ptr<ChunkReader> reader;
    std::span<std::int16_t> chunk;
    std::size_t used = 0;  // frames of the chunk taken
    std::uint64_t block = 0, endBlock = 0;
    std::uint64_t framesDone = 0;
    TrebleFilter filter;  // the later stretches' filters
    bool ok = true;
};

void detect::MergeFinePeaks(const std::int16_t* samples, std::uint64_t first, std::size_t frames,
                            std::uint32_t blockFrames, std::uint16_t* fine) {
    const std::uint64_t end = first + frames;
    for (std::uint64_t f = first; f < end;) {
        const std::uint64_t group = model::FineGroupOf(f, blockFrames);
        const std::uint64_t groupEnd = std::min(end, model::FineGroupStart(group + 1, blockFrames));
        // Largest and smallest sample over 16-bit lanes, which the compiler turns into
        // vector operations; the peak is the larger of their sizes.
        const auto n = static_cast<std::size_t>(2 * (groupEnd - f));
        std::int16_t high = 0, low = 0;
        for (std::size_t k = 0; k < n; ++k) {
            high = std::max(high, samples[k]);
            low = std::min(low, samples[k]);
        }
        fine[group] =
            static_cast<std::uint16_t>(std::max({int{fine[group]}, int{high}, -int{low}}));
        samples += n;
        f = groupEnd;
    }
}

LaneScan::LaneScan(SideReader& first, const std::string& path, const TrebleFilter& tuned,
                   float level, std::uint64_t frames, std::uint32_t blockFrames, int lanes,
                   std::uint64_t warmUpFrames, int checkpoints, BlockPeaks& peaks)
    : blockFrames_(blockFrames), level_(level), checkpoints_(checkpoints), peaks_(peaks) {
    const std::uint64_t blocks = (frames + blockFrames - 1) / blockFrames;
    const auto wanted = static_cast<std::uint64_t>(std::clamp(lanes, 1, kMaxLanes));
    const std::uint64_t per = std::max<std::uint64_t>(1, (blocks + wanted - 1) / wanted);
    lanes_.resize(static_cast<std::size_t>((blocks + per - 1) / per));
    for (std::size_t k = 0; k < lanes_.size(); ++k) {
        Lane& lane = lanes_[k];
        lane.block = k * per;
        lane.endBlock = std::min(blocks, lane.block + per);
        const std::uint64_t from = lane.block * blockFrames;
        const std::uint64_t to = std::min(frames, lane.endBlock * blockFrames);
        SideReader* side = &first;
        if (k > 0) {
            stretches_.push_back({lane.block, lane.endBlock, {}, {}, false});
            lane.filter = tuned;
            lane.filter.ClearHistory();
            lane.own = SideReader::Open(path);
            side = lane.own.get();
            const std::uint64_t warm = std::min(from, warmUpFrames);
            if (!side || !side->Seek(from - warm)) {
                lane.ok = false;
                continue;
            }
            ChunkReader reader(*side, warm);
            for (std::span<std::int16_t> c = reader.Next(); !c.empty(); c = reader.Next())
                lane.filter.ProcessFrames(c.data(), c.size() / 2, level);
            lane.ok = !reader.Failed();
        }
        lane.ok = lane.ok && side->Seek(from);
        if (lane.ok) lane.reader = std::make_unique<ChunkReader>(*side, to - from);
    }
}

LaneScan::~LaneScan() = default;

std::uint64_t LaneScan::FirstEnd() const {
    return lanes_.empty() ? 0 : lanes_[0].endBlock;
}

std::uint64_t LaneScan::FramesDone() const {
    return lanes_.empty() ? 0 : lanes_[0].framesDone;
}

bool LaneScan::Next(Lane& lane, std::span<std::int16_t>& block) {
    if (lane.used * 2 == lane.chunk.size()) {
        lane.chunk = lane.reader->Next();
        lane.used = 0;
        if (lane.chunk.empty()) return false;
    }
    // Chunks start at block boundaries: a block lies in one chunk.
    const std::size_t n = std::min<std::size_t>(blockFrames_, lane.chunk.size() / 2 - lane.used);
    block = lane.chunk.subspan(2 * lane.used, 2 * n);
    lane.used += n;
    return true;
}

bool LaneScan::Step(TrebleFilter& filter) {
    TrebleFilter* filters[kMaxLanes];
    std::int16_t* samples[kMaxLanes];
    Lane* taken[kMaxLanes];
    std::size_t frames[kMaxLanes];
    int count = 0;
    for (std::size_t k = 0; k < lanes_.size(); ++k) {
        Lane& lane = lanes_[k];
        if (!lane.ok || lane.block == lane.endBlock) {
            if (k == 0) return false;
            continue;
        }
        std::span<std::int16_t> block;
        if (!Next(lane, block)) {
            lane.ok = false;
            if (k == 0) return false;
            continue;
        }
        if (k > 0) {
            Stretch& stretch = stretches_[k - 1];
            if (lane.block - stretch.firstBlock < static_cast<std::uint64_t>(checkpoints_))
                stretch.checkpoints.push_back(lane.filter);
        }
        filters[count] = k == 0 ? &filter : &lane.filter;
        samples[count] = block.data();
        frames[count] = block.size() / 2;
        taken[count++] = &lane;
    }
    // Whole blocks side by side (the first stretch's coefficients serve all); a short last
    // block alone.
    int together = 0;
    for (int i = 0; i < count; ++i)
        if (frames[i] == frames[0]) {
            std::swap(filters[i], filters[together]);
            std::swap(samples[i], samples[together]);
            std::swap(frames[i], frames[together]);
            std::swap(taken[i], taken[together++]);
        }
    slice::ProcessStreams(filters, samples, together, frames[0], level_);
    for (int i = together; i < count; ++i)
        slice::ProcessStreams(&filters[i], &samples[i], 1, frames[i], level_);

    for (int i = 0; i < count; ++i) {
        Lane& lane = *taken[i];
        const std::int16_t* s = samples[i];
        const std::uint64_t q = lane.block;
        std::uint16_t* fine = &peaks_.fine[q * kFinePeaksPerBlock];
        std::fill(fine, fine + kFinePeaksPerBlock, std::uint16_t{0});
        // The tail's peak is the largest of its tenths'; the head joins the first tenth after.
        detect::MergeFinePeaks(s + 2, 1, frames[i] - 1, blockFrames_, fine);
        peaks_.tail[q] = *std::max_element(fine, fine + kFinePeaksPerBlock);
        peaks_.head[q] = std::max(std::abs(int{s[0]}), std::abs(int{s[1]}));
        fine[0] = static_cast<std::uint16_t>(std::max<int>(fine[0], peaks_.head[q]));
        lane.framesDone += frames[i];
        if (++lane.block == lane.endBlock && &lane != &lanes_[0]) {
            Stretch& stretch = stretches_[static_cast<std::size_t>(&lane - &lanes_[0]) - 1];
            stretch.final = lane.filter;
            stretch.ok = true;
        }
    }
    return true;
}

std::vector<Stretch> LaneScan::TakeStretches() {
    return std::move(stretches_);
}
