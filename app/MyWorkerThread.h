#pragma once
// The one worker thread of the window: runs one job (draw waveforms, slice by markers, or
// slice by auto sense / typed times) in the context it is given, and hands the window back
// to the GUI thread when it ends.
//
// Made, run, asked to end, joined and destroyed on the GUI thread; TestDestroy runs on the
// worker thread.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

#include "app/GuiChannel.h"
#include "jobs/SliceJob.h"

class JobContext;

class MyWorkerThread {
  public:
    /// `toGui` runs its argument later on the GUI thread (the frame's CallAfter); it carries
    /// the channel's updates. `ended` runs on the GUI thread after the job's last update.
    MyWorkerThread(SliceJob job, GuiChannel::Schedule toGui, std::function<void()> ended);
    /// Joins the thread if it still runs (it must have been asked to end).
    ~MyWorkerThread();
    MyWorkerThread(const MyWorkerThread&) = delete;
    MyWorkerThread& operator=(const MyWorkerThread&) = delete;

    /// Starts the thread on `context`, which must outlive it; false when the system
    /// refuses a thread.
    bool Run(JobContext& context);
    /// Asks the job to end `grace` from now (never later than asked before). Messages
    /// waiting or still to come are dropped at once; reads of controls end when the time is
    /// up with grace 0 (until then the GUI thread keeps answering them).
    void AskToEnd(std::chrono::milliseconds grace);
    /// Waits for the thread to end. GUI thread.
    void Join();

    /// True once the job was asked to end and the grace has passed. Worker thread; cheap.
    bool TestDestroy() const;

    SliceJob Job() const { return job_; }
    /// The road of the job's reads, updates and messages to the GUI thread.
    const std::shared_ptr<GuiChannel>& Channel() const { return channel_; }

  private:
    static constexpr std::int64_t kNever = INT64_MAX;

    SliceJob job_;
    std::shared_ptr<GuiChannel> channel_;
    std::function<void()> ended_;
    std::thread thread_;
    std::atomic<std::int64_t> endAt_{kNever};  ///< steady_clock ticks
};
