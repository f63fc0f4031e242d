#pragma once
// Reads a side's samples ahead on its own thread, so that reading the file overlaps the
// filtering and writing of the frames already delivered. Memory stays bounded: a few
// chunks of 32 blocks (3.2 s) each, whatever the file's length.

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <thread>

#include "sidefile/SideReader.h"

/// What a chunk holds: 16-bit stereo (any side converted, see SampleLayout.h), or the
/// side's frames as stored.
enum class ChunkForm { Stereo16, Stored };

class ChunkReader {
  public:
    /// Blocks of 0.1 s per chunk.
    static constexpr std::size_t kChunkBlocks = 32;

    /// Starts reading `frames` frames through `side`, from where it stands, which must
    /// outlive this reader and may not be used meanwhile.
    ChunkReader(SideReader& side, std::uint64_t frames, ChunkForm form = ChunkForm::Stereo16);
    /// Stops the reading thread and waits for it.
    ~ChunkReader();
    ChunkReader(const ChunkReader&) = delete;
    ChunkReader& operator=(const ChunkReader&) = delete;

    /// Frames of every chunk but the last: 32 blocks of the side's rate.
    std::size_t ChunkFrames() const { return chunkFrames_; }

    /// The next chunk of interleaved 16-bit stereo samples (left, right, ...; form
    /// Stereo16), which the caller may change in place; valid until the next call. Every
    /// chunk holds ChunkFrames() frames except the last. Empty at the end of the data, or
    /// after a read error (see Failed). Call from one thread only.
    std::span<std::int16_t> Next();
    /// The same for form Stored: the bytes of the next chunk's frames.
    std::span<std::uint8_t> NextStored();

    /// True when the file ended or failed before `frames` frames were read.
    bool Failed() const;

  private:
    static constexpr int kSlots = 3;

    void Run(SideReader& side, std::uint64_t frames);
    /// The slot of the next chunk and its frames; frames 0 at the end.
    std::pair<int, std::size_t> Take();

    const SideFormat format_;
    const ChunkForm form_;
    const std::size_t chunkFrames_;
    const std::size_t frameBytes_;  ///< of a chunk's frames
    std::unique_ptr<std::uint8_t[]> buffers_[kSlots];
    std::unique_ptr<std::uint8_t[]> stored_;  ///< the reading thread's, when converting
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
