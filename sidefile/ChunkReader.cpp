#include "sidefile/ChunkReader.h"

#include <bit>

// Samples are handed out as the file stores them: 16-bit little-endian.
static_assert(std::endian::native == std::endian::little);

ChunkReader::ChunkReader(WaveReader& wave, std::uint64_t bytes) {
    for (auto& buffer : buffers_) buffer.reset(new std::int16_t[kChunkFrames * 2]);
    thread_ = std::thread([this, &wave, bytes] { Run(wave, bytes); });
}

ChunkReader::~ChunkReader() {
    {
        std::lock_guard lock(mutex_);
        cancel_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void ChunkReader::Run(WaveReader& wave, std::uint64_t bytes) {
    std::uint64_t left = bytes - bytes % kBytesPerFrame;
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
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(left, kChunkFrames * kBytesPerFrame));
        const std::size_t got = wave.ReadBytes(buffers_[slot].get(), want);
        const std::size_t frames = got / kBytesPerFrame;
        left -= want;
        {
            std::lock_guard lock(mutex_);
            frames_[slot] = frames;
            if (frames > 0) ++produced_;
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

std::span<std::int16_t> ChunkReader::Next() {
    std::unique_lock lock(mutex_);
    released_ = taken_;  // the chunk handed out last time is done with
    changed_.notify_all();
    changed_.wait(lock, [&] { return produced_ > taken_ || finished_; });
    if (produced_ == taken_) return {};
    const int slot = static_cast<int>(taken_ % kSlots);
    ++taken_;
    return {buffers_[slot].get(), frames_[slot] * 2};
}

bool ChunkReader::Failed() const {
    std::lock_guard lock(mutex_);
    return failed_;
}
