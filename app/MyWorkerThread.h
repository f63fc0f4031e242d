#pragma once
// The one worker thread of the window: runs one job (draw waveforms, slice by markers, or
// slice by auto sense / typed times) with the frame as its JobContext, and hands the
// window back to the GUI thread when it ends.
//
// Made, run, asked to end, joined and destroyed on the GUI thread; Entry, OnExit and
// TestDestroy run on the worker thread.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <thread>

#include "jobs/SliceJob.h"

class FrameJobContext;
class GuiChannel;
class MyFrame;

class MyWorkerThread {
  public:
    /// Takes the frame's side states as the job's starting point (GUI thread).
    MyWorkerThread(MyFrame* frame, SliceJob job);
    /// Joins the thread if it still runs (it must have been asked to end).
    ~MyWorkerThread();
    MyWorkerThread(const MyWorkerThread&) = delete;
    MyWorkerThread& operator=(const MyWorkerThread&) = delete;

    /// Starts the thread; false when the system refuses a thread.
    bool Run();
    /// Asks the job to end `grace` from now (never later than asked before). Messages
    /// waiting or still to come are dropped at once; reads of controls end when the time is
    /// up with grace 0 (until then the GUI thread keeps answering them).
    void AskToEnd(std::chrono::milliseconds grace);
    /// Waits for the thread to end. GUI thread.
    void Join();

    /// True once the job was asked to end and the grace has passed. Worker thread; cheap.
    bool TestDestroy() const;

    SliceJob Job() const { return job_; }
    const std::shared_ptr<GuiChannel>& Channel() const { return channel_; }

  private:
    /// Runs the job and refreshes the canvas.
    int Entry();
    /// Hands the window back: the GUI thread joins this thread and restores the buttons.
    void OnExit();

    static constexpr std::int64_t kNever = INT64_MAX;

    MyFrame* frame_;
    SliceJob job_;
    std::shared_ptr<GuiChannel> channel_;
    std::unique_ptr<FrameJobContext> context_;
    std::thread thread_;
    std::atomic<std::int64_t> endAt_{kNever};  ///< steady_clock ticks
};
