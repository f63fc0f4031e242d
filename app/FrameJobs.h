#pragma once
// The window's jobs: the three job buttons, the one worker thread that runs a job, what a
// job shares with the window (the treble filter and two flags), and giving the window back
// when a job ends.
//
// Thread contexts: GUI thread, except where a member says otherwise.

#include <memory>

#include "app/JobWindow.h"
#include "jobs/SliceJob.h"

class FrameJobContext;
class MyWorkerThread;
class StopHooks;
class wxCommandEvent;

class FrameJobs {
  public:
    /// Binds the job buttons on `window.frame`, tunes the filter to the checked EQ item and
    /// registers the stop hook that ends a running job. The window's parts must outlive this.
    FrameJobs(const JobWindow& window, StopHooks& stopHooks);
    ~FrameJobs();
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
    bool Slicing() const { return shared_.slicing.load(); }
    /// Stop was pressed on a slicing job. Set by the GUI thread, polled by the worker.
    bool StopRequested() const { return shared_.stopRequested.load(); }

    /// The treble boost filter (see JobShared): the worker's while a job runs.
    TrebleFilter& Treble() { return shared_.treble; }
    /// Tunes the filter for the checked EQ item when the level changed, unless a job runs
    /// (the job then follows the choice at its next block).
    void FollowEq();

  private:
    void OnButton(wxCommandEvent& event);

    const JobWindow window_;
    JobShared shared_;
    // The context lives as long as its thread: the worker goes first.
    std::unique_ptr<FrameJobContext> context_;
    std::unique_ptr<MyWorkerThread> worker_;
};
