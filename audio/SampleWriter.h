#pragma once
// Carries recorded samples from the audio callback to the disk without ever making the
// callback wait: the callback fills one of two buffers; a full buffer is handed to a writer
// thread, which writes it while the callback fills the other one.
//
// Thread contexts:
//   Append            audio callback only (never blocks, allocates or locks)
//   WriterBusy        any thread
//   Finish, counters  the thread that owns the recording, once the callbacks have ended
//   SampleSink::Write writer thread only

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <semaphore>
#include <thread>

/// 970112 frames, about 22.0 s: one buffer on its way to the file.
constexpr std::size_t kSampleBufferBytes = 3880448;

/// Where full buffers go (the recording file). Called on the writer thread only.
class SampleSink {
  public:
    virtual ~SampleSink() = default;
    /// Writes `n` bytes; returns how many reached the file (fewer only on a write error).
    virtual std::size_t Write(const std::uint8_t* bytes, std::size_t n) = 0;
};

class SampleWriter {
  public:
    /// Starts the writer thread. `bufferBytes`: size of each of the two buffers.
    explicit SampleWriter(SampleSink& sink, std::size_t bufferBytes = kSampleBufferBytes);
    /// Finishes (writing what is held) when Finish was not called.
    ~SampleWriter();
    SampleWriter(const SampleWriter&) = delete;
    SampleWriter& operator=(const SampleWriter&) = delete;

    /// Audio callback only. Appends `n` bytes (at most one buffer). When the current buffer
    /// cannot take them it is handed to the writer first. Returns false, keeping nothing,
    /// only when the writer still holds the other buffer (the disk has fallen a whole
    /// buffer behind): the bytes are dropped and counted rather than waited for.
    bool Append(const std::uint8_t* bytes, std::size_t n);

    /// After the last Append: hands over what the current buffer holds, waits until the
    /// writer has written everything and ends its thread. Returns the bytes that reached
    /// the file. Calling it again returns the same count.
    std::uint64_t Finish();

    /// True while the writer holds a buffer.
    bool WriterBusy() const { return handed_.load(std::memory_order_acquire); }
    /// True once the sink wrote fewer bytes than it was given (disk full, ...); nothing is
    /// written after that. Any thread.
    bool WriteFailed() const { return failed_.load(std::memory_order_acquire); }
    /// Bytes refused by Append (0 unless the disk fell behind).
    std::uint64_t DroppedBytes() const { return dropped_.load(std::memory_order_relaxed); }

  private:
    void Hand();
    void Run();

    SampleSink& sink_;
    const std::size_t capacity_;
    std::unique_ptr<std::uint8_t[]> buffers_[2];

    // Audio callback only (the finishing thread after the last callback).
    int active_ = 0;
    std::size_t fill_ = 0;

    // Set by the callback before `handed_`, read by the writer after it.
    int handedIndex_ = 0;
    std::size_t handedBytes_ = 0;
    /// The writer holds buffer `handedIndex_`. Set by the callback, cleared by the writer.
    std::atomic<bool> handed_{false};
    std::atomic<bool> quit_{false};  ///< set by Finish
    std::atomic<bool> failed_{false};
    std::atomic<std::uint64_t> dropped_{0};
    std::uint64_t written_ = 0;  ///< writer thread; read after the join
    bool finished_ = false;
    std::counting_semaphore<> work_{0};
    std::thread thread_;
};
