#include "sidefile/ChunkReader.h"

#include <algorithm>

#include "sidefile/SampleLayout.h"

namespace {

// A side whose stored frames are already 16-bit stereo needs no conversion.
bool Converts(const SideFormat& format, ChunkForm form) {
    return form == ChunkForm::Stereo16 &&
           !(format.channels == 2 && format.encoding == SampleEncoding::Int16);
}

}  // namespace

ChunkReader::ChunkReader(SideReader& side, std::uint64_t frames, ChunkForm form)
    : format_(side.Format()),
      form_(form),
      chunkFrames_(kChunkBlocks * std::max<std::uint32_t>(1, format_.BlockFrames())),
      frameBytes_(form == ChunkForm::Stereo16 ? 4 : format_.BytesPerFrame()) {
    for (auto& buffer : buffers_)
        buffer = std::make_unique_for_overwrite<std::uint8_t[]>(chunkFrames_ * frameBytes_);
    if (Converts(format_, form))
        stored_ =
            std::make_unique_for_overwrite<std::uint8_t[]>(chunkFrames_ * format_.BytesPerFrame());
    thread_ = std::thread([this, &side, frames] { Run(side, frames); });
}

ChunkReader::~ChunkReader() {
    {
        std::lock_guard lock(mutex_);
        cancel_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void ChunkReader::Run(SideReader& side, std::uint64_t frames) {
    std::uint64_t left = frames;
    for (;;) {
        int slot;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return cancel_ || produced_ - released_ < kSlots; });
            if (cancel_) return;
            if (left == 0) {
                finished_ = true;
                break;
            }
            slot = static_cast<int>(produced_ % kSlots);
        }
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(left, chunkFrames_));
        std::uint8_t* into = stored_ ? stored_.get() : buffers_[slot].get();
        const std::size_t got = side.Read(into, want);
        if (stored_)
            sidefile::ToStereo16(stored_.get(), format_, got,
                                 reinterpret_cast<std::int16_t*>(buffers_[slot].get()));
        left -= want;
        {
            std::lock_guard lock(mutex_);
            frames_[slot] = got;
            if (got > 0) ++produced_;
            if (got < want) {
                failed_ = true;
                finished_ = true;
            }
        }
        changed_.notify_all();
        if (got < want) break;
    }
    changed_.notify_all();
}

std::pair<int, std::size_t> ChunkReader::Take() {
    std::unique_lock lock(mutex_);
    released_ = taken_;  // the chunk handed out last time is done with
    changed_.notify_all();
    changed_.wait(lock, [&] { return produced_ > taken_ || finished_; });
    if (produced_ == taken_) return {0, 0};
    const int slot = static_cast<int>(taken_ % kSlots);
    ++taken_;
    return {slot, frames_[slot]};
}

std::span<std::int16_t> ChunkReader::Next() {
    const auto [slot, frames] = Take();
    if (frames == 0) return {};
    return {reinterpret_cast<std::int16_t*>(buffers_[slot].get()), frames * 2};
}

std::span<std::uint8_t> ChunkReader::NextStored() {
    const auto [slot, frames] = Take();
    if (frames == 0) return {};
    return {buffers_[slot].get(), frames * frameBytes_};
}

bool ChunkReader::Failed() const {
    std::lock_guard lock(mutex_);
    return failed_;
}
