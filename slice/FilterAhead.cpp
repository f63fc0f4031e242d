#include "slice/FilterAhead.h"

#include <algorithm>
#include <iterator>
#include <optional>

#include "model/SideState.h"
#include "platform/File.h"
#include "sidefile/SampleLayout.h"
#include "sidefile/SideReader.h"

FilterAhead::FilterAhead(const std::string& path, const TrebleFilter& start, float level,
                         std::uint64_t frames, std::vector<std::uint64_t> sliceEnds,
                         const FilterAheadSplit& split, std::uint32_t blockFrames)
    : blockFrames_(blockFrames),
      level_(level),
      start_(start),
      frames_(frames),
      sliceEnds_(std::move(sliceEnds)),
      segmentBlocks_(std::max<std::uint32_t>(1, split.segmentBlocks)),
      warmUpBlocks_(std::min(split.warmUpBlocks, segmentBlocks_)),
      streams_(slice::TrebleStreamsAtOnce()),
      segments_(((frames + blockFrames_ - 1) / blockFrames_ + segmentBlocks_ - 1) /
                segmentBlocks_) {
    const std::size_t samples =
        2 * std::size_t{blockFrames_} * (std::size_t{segmentBlocks_} + warmUpBlocks_);
    for (Group& group : groups_) {
        group.segments.resize(static_cast<std::size_t>(streams_));
        for (Segment& segment : group.segments)
            segment.samples = std::make_unique_for_overwrite<std::int16_t[]>(samples);
    }
    thread_ = std::thread([this, path] { Run(path); });
}

FilterAhead::~FilterAhead() {
    {
        std::lock_guard lock(mutex_);
        cancel_.store(true);
    }
    changed_.notify_all();
    thread_.join();
}

const std::int16_t* FilterAhead::Block(std::uint64_t block, const TrebleFilter& filter,
                                       float level) {
    const std::uint64_t segmentIndex = block / segmentBlocks_;
    const std::uint64_t index = segmentIndex / static_cast<std::uint64_t>(streams_);
    Group& group = groups_[index % kGroups];
    Segment& segment = group.segments[segmentIndex % static_cast<std::uint64_t>(streams_)];
    const std::uint64_t k = block - segmentIndex * segmentBlocks_;  // block within the segment
    taken_ = nullptr;
    {
        std::unique_lock lock(mutex_);
        if (index > released_) {
            released_ = index;
            changed_.notify_all();
        }
        changed_.wait(lock,
                      [&] { return group.index == index ? segment.blocksDone > k : failed_; });
        if (group.index != index) return nullptr;
    }
    if (level != level_) return nullptr;
    const std::uint64_t pos = segment.start + k * blockFrames_;
    const auto mark = std::lower_bound(segment.marks.begin(), segment.marks.end(), pos,
                                       [](const Mark& m, std::uint64_t p) { return m.pos < p; });
    if (!slice::SameFilterState(mark->state, filter)) return nullptr;
    taken_ = &segment;
    return segment.samples.get() + 2 * (segment.warmUp + k * blockFrames_);
}

void FilterAhead::HistoryAt(std::uint64_t pos, TrebleFilter& filter) const {
    const auto mark = std::lower_bound(taken_->marks.begin(), taken_->marks.end(), pos,
                                       [](const Mark& m, std::uint64_t p) { return m.pos < p; });
    filter.TakeHistory(mark->state);
}

void FilterAhead::Run(std::string path) {
    const std::unique_ptr<SideReader> samples = SideReader::Open(path);
    bool ok = samples != nullptr;
    const std::uint64_t groups = (segments_ + streams_ - 1) / static_cast<std::uint64_t>(streams_);
    for (std::uint64_t index = 0; ok && index < groups; ++index) {
        Group& group = groups_[index % kGroups];
        {
            // The group's place is free once the writer has gone past its last holder.
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return cancel_.load() || index < released_ + kGroups; });
            if (cancel_.load()) return;
            group.index = kNone;
        }
        ok = Fill(group, index, *samples);
        if (!ok) break;
        {
            std::lock_guard lock(mutex_);
            group.index = index;
        }
        changed_.notify_all();
        Filter(group);
    }
    if (!ok) {
        std::lock_guard lock(mutex_);
        failed_ = true;
    }
    changed_.notify_all();
}

bool FilterAhead::Fill(Group& group, std::uint64_t index, SideReader& samples) {
    const std::uint64_t first = index * static_cast<std::uint64_t>(streams_);
    group.used = static_cast<int>(std::min<std::uint64_t>(streams_, segments_ - first));
    for (int i = 0; i < group.used; ++i) {
        Segment& segment = group.segments[static_cast<std::size_t>(i)];
        const std::uint64_t j = first + static_cast<std::uint64_t>(i);
        segment.start = j * segmentBlocks_ * blockFrames_;
        segment.end =
            std::min(segment.start + std::uint64_t{segmentBlocks_} * blockFrames_, frames_);
        // The first segment goes on from the writer's own history; the others warm up.
        segment.warmUp = j == 0 ? 0
                                : std::min<std::uint64_t>(
                                      segment.start, std::uint64_t{warmUpBlocks_} * blockFrames_);
        segment.blocksDone = 0;
        const std::uint64_t from = segment.start - segment.warmUp;
        const auto frames = static_cast<std::size_t>(segment.end - from);
        const SideFormat& format = samples.Format();
        const bool asStored = format.channels == 2 && format.encoding == SampleEncoding::Int16;
        std::uint8_t* into =
            asStored ? reinterpret_cast<std::uint8_t*>(segment.samples.get()) : stored_.data();
        if (!asStored) stored_.resize(frames * format.BytesPerFrame());
        into = asStored ? into : stored_.data();
        if (!samples.Seek(from) || samples.Read(into, frames) != frames) return false;
        if (!asStored) sidefile::ToStereo16(into, format, frames, segment.samples.get());
        segment.marks.clear();
        for (std::uint64_t pos = segment.start; pos < segment.end; pos += blockFrames_)
            segment.marks.push_back({pos, {}});
        for (std::uint64_t end : sliceEnds_)
            if (end > segment.start && end < segment.end) segment.marks.push_back({end, {}});
        segment.marks.push_back({segment.end, {}});
        std::sort(segment.marks.begin(), segment.marks.end(),
                  [](const Mark& a, const Mark& b) { return a.pos < b.pos; });
        segment.marks.erase(
            std::unique(segment.marks.begin(), segment.marks.end(),
                        [](const Mark& a, const Mark& b) { return a.pos == b.pos; }),
            segment.marks.end());
    }
    return true;
}

void FilterAhead::Filter(Group& group) {
    const int used = group.used;
    TrebleFilter filters[4];
    TrebleFilter* active[4];
    std::int16_t* samples[4];
    std::size_t next[4] = {};  // each segment's next mark
    for (int i = 0; i < used; ++i) {
        filters[i] = start_;
        if (group.segments[i].warmUp > 0) filters[i].ClearHistory();
    }
    // Warm-ups first, side by side (all of the same length): only their history matters.
    int warming = 0;
    for (int i = 0; i < used; ++i) {
        if (group.segments[i].warmUp == 0) continue;
        active[warming] = &filters[i];
        samples[warming++] = group.segments[i].samples.get();
    }
    if (warming > 0)
        slice::ProcessStreams(active, samples, warming, std::uint64_t{warmUpBlocks_} * blockFrames_,
                              level_);
    // Then the segments' own frames, stopping at every mark of any of them.
    std::uint64_t offset = 0;  // frames into each segment's own part
    for (;;) {
        int count = 0;
        std::uint64_t to = UINT64_MAX;
        bool blockDone = false;
        for (int i = 0; i < used; ++i) {
            Segment& segment = group.segments[i];
            while (next[i] < segment.marks.size() &&
                   segment.marks[next[i]].pos - segment.start == offset) {
                segment.marks[next[i]++].state = filters[i];
                blockDone = blockDone || offset % blockFrames_ == 0 ||
                            segment.start + offset == segment.end;
            }
            if (next[i] == segment.marks.size()) continue;  // this segment is done
            active[count] = &filters[i];
            samples[count++] = segment.samples.get() + 2 * (segment.warmUp + offset);
            to = std::min(to, segment.marks[next[i]].pos - segment.start);
        }
        if (blockDone && offset > 0) {
            {
                std::lock_guard lock(mutex_);
                for (int i = 0; i < used; ++i) {
                    Segment& segment = group.segments[i];
                    const std::uint64_t own = segment.end - segment.start;
                    segment.blocksDone = offset >= own ? (own + blockFrames_ - 1) / blockFrames_
                                                       : offset / blockFrames_;
                }
            }
            changed_.notify_all();
        }
        if (count == 0 || cancel_.load(std::memory_order_relaxed)) return;
        slice::ProcessStreams(active, samples, count, to - offset, level_);
        offset = to;
    }
}
