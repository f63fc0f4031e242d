// The hand-off from the audio callback to the writer thread, against a slow disk whose
// pace runs on a simulated clock: the callbacks of an hour run in seconds, and the disk
// takes as long as it would in real time, measured in callbacks.

#include "audio/SampleWriter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "audio/InputCallback.h"

namespace {

// Sample n of the test signal (n counts 16-bit samples from the start).
std::int16_t SampleAt(std::uint64_t n) {
    return static_cast<std::int16_t>((n * 2654435761u) >> 13);
}

/// Simulated time in frames, advanced by the thread that plays the audio thread.
class SimClock {
  public:
    /// Writer thread: sleeps until `frames` of simulated time have passed.
    void Sleep(std::uint64_t frames) {
        std::unique_lock lock(mutex_);
        const std::uint64_t until = now_ + frames;
        sleepingUntil_ = until;
        woken_.wait(lock, [&] { return now_ >= until; });
        sleepingUntil_ = 0;
    }
    void Advance(std::uint64_t frames) {
        std::lock_guard lock(mutex_);
        now_ += frames;
        if (sleepingUntil_ != 0 && sleepingUntil_ <= now_) woken_.notify_all();
    }
    /// The writer is asleep until a later time (so it cannot act before the clock moves).
    bool WriterAsleep() {
        std::lock_guard lock(mutex_);
        return sleepingUntil_ > now_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable woken_;
    std::uint64_t now_ = 0;
    std::uint64_t sleepingUntil_ = 0;
};

/// A disk writing `framesPerSecond` of audio per second of simulated time, with a stall
/// of `stallSeconds` before every `stallEvery`-th write. Checks every sample on arrival.
class SlowDisk : public SampleSink {
  public:
    SlowDisk(SimClock& clock, double speed, double stallSeconds, int stallEvery)
        : clock_(clock), speed_(speed), stallSeconds_(stallSeconds), stallEvery_(stallEvery) {}

    std::size_t Write(const std::uint8_t* bytes, std::size_t n) override {
        const auto* samples = reinterpret_cast<const std::int16_t*>(bytes);
        for (std::size_t i = 0; i < n / 2; ++i)
            if (samples[i] != SampleAt(next_ + i)) ++mismatches;
        next_ += n / 2;
        double seconds = static_cast<double>(n) / 176400.0 / speed_;
        if (++writes % stallEvery_ == 0) seconds += stallSeconds_;
        clock_.Sleep(static_cast<std::uint64_t>(seconds * 44100));
        return n;
    }

    std::atomic<std::uint64_t> mismatches{0};
    int writes = 0;
    std::uint64_t Samples() const { return next_; }

  private:
    SimClock& clock_;
    double speed_;
    double stallSeconds_;
    int stallEvery_;
    std::uint64_t next_ = 0;
};

struct HourResult {
    std::uint64_t written = 0;
    std::uint64_t dropped = 0;
    std::uint64_t mismatches = 0;
    std::uint64_t samplesChecked = 0;
};

/// Runs `seconds` of callbacks through InputCallback into a SampleWriter over `disk`.
HourResult RunCallbacks(double seconds, double speed, double stallSeconds, int stallEvery) {
    SimClock clock;
    SlowDisk disk(clock, speed, stallSeconds, stallEvery);
    SampleWriter writer(disk);
    RecordingState state;
    state.writer = &writer;
    state.mode = RecordingMode::Recording;
    const auto calls = static_cast<std::uint64_t>(seconds * 44100 / 64);
    std::int16_t block[128];
    std::uint64_t n = 0;
    for (std::uint64_t call = 0; call < calls; ++call) {
        for (auto& s : block) s = SampleAt(n++);
        EXPECT_EQ(audio::InputCallback(block, state, false), kCallbackContinue);
        clock.Advance(64);
        // Real time passes between callbacks: let a writer whose time has come act.
        while (writer.WriterBusy() && !clock.WriterAsleep()) std::this_thread::yield();
    }
    HourResult result;
    std::atomic<bool> finished{false};
    std::thread advance([&] {  // the disk's last writes still need their time
        while (!finished) clock.Advance(4410), std::this_thread::yield();
    });
    result.written = writer.Finish();
    finished = true;
    advance.join();
    result.dropped = writer.DroppedBytes();
    result.mismatches = disk.mismatches;
    result.samplesChecked = disk.Samples();
    return result;
}

TEST(SampleWriter, SlowDiskOverAnHourLosesAndReordersNothing) {
    // Twice the recording's data rate, and an 8 s stall every 5th buffer: the writer
    // is often far behind, but never by a whole buffer (22 s).
    const HourResult r = RunCallbacks(3600, 2.0, 8.0, 5);
    const std::uint64_t expected = 3600ull * 44100 / 64 * kBlockBytes;
    EXPECT_EQ(r.dropped, 0u);
    EXPECT_EQ(r.written, expected);
    EXPECT_EQ(r.samplesChecked * 2, expected);
    EXPECT_EQ(r.mismatches, 0u);
}

TEST(SampleWriter, DiskBehindByABufferDropsBlocksWithoutWaiting) {
    // A stall of 30 s is longer than a buffer lasts: the callback keeps running and counts
    // what it could not keep. What was kept is in order (checked up to the first gap).
    const HourResult r = RunCallbacks(120, 2.0, 30.0, 2);
    EXPECT_GT(r.dropped, 0u);
    EXPECT_EQ(r.written + r.dropped, 120ull * 44100 / 64 * kBlockBytes);
}

/// Keeps what it is given, or refuses after `limit` bytes (a full disk).
class MemorySink : public SampleSink {
  public:
    explicit MemorySink(std::size_t limit = SIZE_MAX) : limit_(limit) {}
    std::size_t Write(const std::uint8_t* bytes, std::size_t n) override {
        const std::size_t take = std::min(n, limit_ - data.size());
        data.insert(data.end(), bytes, bytes + take);
        return take;
    }
    std::vector<std::uint8_t> data;

  private:
    std::size_t limit_;
};

TEST(SampleWriter, FinishWritesThePartBufferInOrder) {
    for (const std::size_t blocks : {0, 1, 3, 4, 5, 9}) {
        MemorySink sink;
        std::uint64_t written = 0;
        {
            SampleWriter writer(sink, 4 * 8);  // buffers of four 8-byte blocks
            for (std::size_t b = 0; b < blocks; ++b) {
                std::uint8_t block[8];
                for (int i = 0; i < 8; ++i) block[i] = static_cast<std::uint8_t>(b * 8 + i);
                ASSERT_TRUE(writer.Append(block, 8));
                while (writer.WriterBusy()) std::this_thread::yield();
            }
            written = writer.Finish();
            EXPECT_EQ(writer.Finish(), written);
        }
        ASSERT_EQ(written, blocks * 8);
        for (std::size_t i = 0; i < sink.data.size(); ++i) ASSERT_EQ(sink.data[i], i) << blocks;
    }
}

TEST(SampleWriter, ShortWriteIsReportedAndCounted) {
    MemorySink sink(20);
    SampleWriter writer(sink, 16);
    const std::uint8_t block[8] = {};
    for (int b = 0; b < 4; ++b) {
        writer.Append(block, 8);
        while (writer.WriterBusy()) std::this_thread::yield();
    }
    EXPECT_EQ(writer.Finish(), 20u);
    EXPECT_TRUE(writer.WriteFailed());
}

}  // namespace
