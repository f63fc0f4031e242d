#pragma once
// Up to N encoder processes at once, each waited for on a thread of the pool. The job's
// thread decides what starts and when, and takes the results; the pool's threads only run
// the processes (they never call JobContext). No toolkit headers.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/Process.h"

class EncoderPool {
  public:
    struct Finished {
        std::uint64_t id = 0;  ///< as given to Start
        platform::ProcessResult result;
    };

    /// At most `capacity` (at least 1) runs are busy at once; threads are made as needed.
    explicit EncoderPool(int capacity);
    /// Waits for the processes still running and ends the threads; untaken results are
    /// dropped (take them first when they matter).
    ~EncoderPool();
    EncoderPool(const EncoderPool&) = delete;
    EncoderPool& operator=(const EncoderPool&) = delete;

    int Capacity() const { return capacity_; }
    /// Runs started and not yet taken (running, or ended and waiting to be taken).
    int Busy() const { return busy_; }
    bool Full() const { return busy_ >= capacity_; }

    /// What a run needs done on its thread before the process starts (a converted copy of
    /// its input): returns "" or why the process cannot be run.
    using Prepare = std::function<std::string()>;

    /// Starts argv in `workingDirectory` as platform::RunProcess does, after `prepare` (when
    /// given; a failure ends the run unstarted, its reason as the result's error), and
    /// removes the file `scratch` (when given) once the process has ended. Call only when
    /// not Full. When no thread can be made at all, runs it here and returns when it has
    /// ended.
    void Start(std::uint64_t id, std::vector<std::string> argv, std::string workingDirectory,
               Prepare prepare = {}, std::string scratch = {});

    /// An ended run, if one is waiting; does not block.
    std::optional<Finished> Take();
    /// The next run to end, waiting for it; nullopt when none is busy.
    std::optional<Finished> Wait();

    // Start, Take, Wait, Busy and Full: the job's thread only (one thread).

  private:
    struct Order {
        std::uint64_t id;
        std::vector<std::string> argv;
        std::string workingDirectory;
        Prepare prepare;
        std::string scratch;
    };

    void Work();
    static Finished Execute(Order& order);

    const int capacity_;
    int busy_ = 0;  ///< the job's thread only
    std::vector<std::thread> threads_;

    std::mutex mutex_;
    std::condition_variable ordered_;  ///< a new order, or closing
    std::condition_variable ended_;    ///< a run ended
    // Guarded by mutex_:
    std::deque<Order> orders_;
    std::deque<Finished> finished_;
    int idle_ = 0;  ///< threads waiting for an order
    bool closing_ = false;
};
