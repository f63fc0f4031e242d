#include "app/FrameJobs.h"

#include <wx/button.h>
#include <wx/frame.h>
#include <wx/gauge.h>

#include <chrono>

#include "platform/EndingCleanup.h"

#include "app/FrameControls.h"
#include "app/FrameJobContext.h"
#include "app/FrameMenus.h"
#include "app/FrameSides.h"
#include "app/GuiChannel.h"
#include "app/MyWorkerThread.h"
#include "app/StopHooks.h"

namespace {

// After Stop on a slicing job the slice writer gets this long to notice m_stopRequested
// and close its file before the thread itself is asked to end.
constexpr std::chrono::milliseconds kSlicingStopGrace(100);

constexpr const char* kStopLabel = "Stop";

struct JobButton {
    SliceJob job;
    int id;
    const char* label;
};

constexpr JobButton kJobButtons[] = {
    {SliceJob::SliceAutoOrTyped, kIdSliceAutoOrTyped, "Slice using auto sense or typed times"},
    {SliceJob::DrawWaveforms, kIdDrawWaveforms, "Draw waveforms"},
    {SliceJob::SliceByMarkers, kIdSliceMarkers, "Slice using waveform markers"},
};

wxButton* ButtonOf(const FrameControls& controls, SliceJob job) {
    switch (job) {
        case SliceJob::SliceAutoOrTyped:
            return controls.e_button1;
        case SliceJob::DrawWaveforms:
            return controls.e_button2;
        case SliceJob::SliceByMarkers:
            return controls.e_button3;
    }
    return nullptr;
}

// Every job button enabled under its own label.
void RestoreJobButtons(const FrameControls& controls) {
    for (const JobButton& b : kJobButtons) {
        wxButton* button = ButtonOf(controls, b.job);
        button->SetLabel(b.label);
        button->Enable();
    }
}

}  // namespace

FrameJobs::FrameJobs(const JobWindow& window, StopHooks& stopHooks) : window_(window) {
    for (const JobButton& b : kJobButtons)
        window.frame.Bind(wxEVT_BUTTON, &FrameJobs::OnButton, this, b.id);
    stopHooks.Add([this] { EndAndWait(); });
    FollowEq();
}

FrameJobs::~FrameJobs() = default;

void FrameJobs::OnButton(wxCommandEvent& event) {
    for (const JobButton& b : kJobButtons)
        if (b.id == event.GetId()) StartOrStop(b.job);
}

void FrameJobs::StartOrStop(SliceJob job) {
    const FrameControls& controls = window_.controls;
    const bool slicing = job != SliceJob::DrawWaveforms;
    if (worker_) {
        // Only the running job's button is enabled; another job's command changes nothing.
        if (worker_->Job() != job) return;
        // The window stays live meanwhile: the worker's end restores it (Ended).
        if (slicing) shared_.stopRequested = true;
        worker_->AskToEnd(slicing ? kSlicingStopGrace : std::chrono::milliseconds(0));
        return;
    }
    if (slicing) shared_.stopRequested = false;
    if (job == SliceJob::SliceByMarkers && !window_.sides.WavesDrawn()) return;

    // Made before the thread runs, so a second press cannot start a second worker.
    wxFrame* frame = &window_.frame;
    worker_ = std::make_unique<MyWorkerThread>(
        job, [frame](GuiChannel::Task task) { frame->CallAfter(task); }, [this] { Ended(); });
    context_ = std::make_unique<FrameJobContext>(window_, shared_, *worker_);
    for (const JobButton& b : kJobButtons) ButtonOf(controls, b.job)->Enable(b.job == job);
    ButtonOf(controls, job)->SetLabel(kStopLabel);
    window_.sides.JobStarted();
    if (!worker_->Run(*context_)) {
        worker_.reset();
        context_.reset();
        window_.sides.JobEnded();
        RestoreJobButtons(controls);
    }
}

void FrameJobs::Ended() {
    if (!worker_) return;
    worker_->Join();
    worker_.reset();
    context_.reset();
    // The cuts the job published (after its last post, which Ended follows) are one step.
    window_.sides.JobEnded();
    FollowEq();  // an EQ change after the job's last block
    const FrameControls& controls = window_.controls;
    RestoreJobButtons(controls);
    controls.p_wxGauge1->SetValue(0);
    controls.p_wxGauge2->SetValue(0);
}

void FrameJobs::EndAndWait() {
    if (!worker_) return;
    shared_.stopRequested = true;
    worker_->AskToEnd(std::chrono::milliseconds(0));
    // Encoders the job started end now rather than when they finish (a hung one never
    // would); their runs then count as failed, so the user's earlier files go back.
    platform::StopRegisteredProcesses();
    // Run the worker's queued updates here (its reads and messages are released), up to
    // and including Ended, which it queues last.
    const std::shared_ptr<GuiChannel> channel = worker_->Channel();
    while (worker_) {
        channel->RunPending();
        if (worker_) channel->WaitForWork(std::chrono::milliseconds(20));
    }
}

void FrameJobs::FollowEq() {
    // A running job owns the filter; it follows the new level at its next block.
    if (Running()) return;
    shared_.treble.Follow(window_.menus.TrebleBoostLevel());
}
