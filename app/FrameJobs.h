#pragma once
// The window's jobs: the three job buttons, the one worker thread that runs a job, the
// flags a job shares with the window, and giving the window back when a job ends.
//
// Thread contexts: GUI thread, except where a member says otherwise.

#include <atomic>
#include <chrono>
#include <memory>

#include "jobs/SliceJob.h"

class MyFrame;
class MyWorkerThread;
class wxCommandEvent;

class FrameJobs {
  public:
    /// Binds the job buttons and registers the close hook that ends a running job.
    explicit FrameJobs(MyFrame& frame);
    FrameJobs(const FrameJobs&) = delete;
    FrameJobs& operator=(const FrameJobs&) = delete;

    /// A job runs (its worker exists, until the window has been given back).
    bool Running() const { return worker_ != nullptr; }
    /// The running job's worker; null while none runs.
    MyWorkerThread* Worker() { return worker_.get(); }

    /// Starts `job` while none runs; the running job's own button stops it, the other
    /// buttons are disabled meanwhile. A marker job needs the waveforms drawn.
    void StartOrStop(SliceJob job);
    /// Stops a running job and waits for it; its last updates reach the window, its
    /// messages do not. For closing the window.
    void EndAndWait();
    /// The worker's last step: joins it and restores the buttons and gauges.
    void Ended();

    /// A slicing job runs. Set by the worker, read by any thread.
    bool Slicing() const { return slicing_.load(); }
    void SetSlicing(bool slicing) { slicing_.store(slicing); }
    /// Stop was pressed on a slicing job. Set by the GUI thread, polled by the worker.
    bool StopRequested() const { return stopRequested_.load(); }

  private:
    void OnButton(wxCommandEvent& event);

    MyFrame& frame_;
    std::unique_ptr<MyWorkerThread> worker_;
    std::atomic<bool> slicing_{false};
    std::atomic<bool> stopRequested_{false};
};
