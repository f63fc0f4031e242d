#pragma once
// The band energy of a whole side (BandEnergy), measured in a pass of its own on a thread
// of its own while the volume analysis reads the side: one plain sequential pass, so the
// values never depend on how the analysis shares its own work.

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

class BandScan {
  public:
    /// Starts measuring the first `frames` frames of the side at `path`.
    BandScan(const std::string& path, std::uint64_t frames);
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
    void Run(const std::string& path, std::uint64_t frames);

    std::vector<float> blocks_;
    std::atomic<bool> ended_{false};
    std::atomic<bool> failed_{false};
    std::atomic<bool> cancel_{false};
    std::thread thread_;
};
