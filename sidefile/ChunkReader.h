#pragma once
// Reads a side's sample data ahead on its own thread, so that reading the file overlaps
// the filtering and writing of the frames already delivered. Memory stays bounded: a few
// chunks of kChunkFrames frames, whatever the file's length.

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <thread>

#include "sidefile/WaveReader.h"

class ChunkReader {
  public:
    static constexpr std::size_t kChunkFrames = 32 * 4410;  ///< 3.2 s at 44.1 kHz, about 550 KB

    /// Starts reading `bytes` bytes (whole frames) through `wave`, which must outlive this
    /// reader and may not be used meanwhile.
    ChunkReader(WaveReader& wave, std::uint64_t bytes);
    /// Stops the reading thread and waits for it.
    ~ChunkReader();
    ChunkReader(const ChunkReader&) = delete;
    ChunkReader& operator=(const ChunkReader&) = delete;

    /// The next chunk of interleaved stereo samples (left, right, ...), which the caller may
    /// change in place; valid until the next call. Every chunk holds kChunkFrames frames
    /// except the last. Empty at the end of the data, or after a read error (see Failed).
    /// Call from one thread only.
    std::span<std::int16_t> Next();

    /// True when the file ended or failed before `bytes` bytes were read.
    bool Failed() const;

  private:
    static constexpr int kSlots = 3;

    void Run(WaveReader& wave, std::uint64_t bytes);

    std::unique_ptr<std::int16_t[]> buffers_[kSlots];
    std::size_t frames_[kSlots] = {};
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    // Guarded by mutex_: chunks filled by the reader, chunks handed out, chunks given back.
    std::uint64_t produced_ = 0;
    std::uint64_t taken_ = 0;
    std::uint64_t released_ = 0;
    bool finished_ = false;
    bool failed_ = false;
    bool cancel_ = false;
    std::thread thread_;
};
