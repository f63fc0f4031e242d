#pragma once
// The band energy of a whole side (BandEnergy), measured on threads of its own while the
// volume analysis reads the side: a long side in two halves at once, the second primed with
// the frames before it, which gives the values of one sequential pass to the bit, however
// the analysis shares its own work.

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

class BandScan {
  public:
    /// Starts measuring the first `frames` frames of the side at `path`; sides of
    /// `splitFrames` frames or more in two halves.
    BandScan(const std::string& path, std::uint64_t frames,
             std::uint64_t splitFrames = kSplitFrames);
    static constexpr std::uint64_t kSplitFrames = 60 * 44100;
    /// Stops the thread (if still running) and waits for it.
    ~BandScan();
    BandScan(const BandScan&) = delete;
    BandScan& operator=(const BandScan&) = delete;

    /// True once the frames are measured or the file failed. Any thread.
    bool Ended() const { return ended_.load(std::memory_order_acquire); }
    /// True when the file could not be opened or read to `frames`. After Ended().
    bool Failed() const { return failed_.load(std::memory_order_acquire); }
    /// After Ended() without failure: the energy of every complete block.
    const std::vector<float>& Blocks() const { return blocks_; }

  private:
    void Run(const std::string& path, std::uint64_t frames, std::uint64_t splitFrames);
    // Measures frames [from, to) into `blocks`; `from` begins a block. False on a read error
    // or a stop.
    bool Measure(const std::string& path, std::uint64_t from, std::uint64_t to,
                 std::vector<float>& blocks);

    std::vector<float> blocks_;
    std::atomic<bool> ended_{false};
    std::atomic<bool> failed_{false};
    std::atomic<bool> cancel_{false};
    std::thread thread_;
};
