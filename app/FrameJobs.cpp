// The three job buttons: starting a job on the worker thread, stopping it, and giving the
// window back when it ends.

#include <wx/button.h>
#include <wx/gauge.h>

#include <chrono>

#include "app/GuiChannel.h"
#include "app/MyFrame.h"
#include "app/MyWorkerThread.h"

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

wxButton* ButtonOf(MyFrame& frame, SliceJob job) {
    switch (job) {
        case SliceJob::SliceAutoOrTyped:
            return frame.e_button1;
        case SliceJob::DrawWaveforms:
            return frame.e_button2;
        case SliceJob::SliceByMarkers:
            return frame.e_button3;
    }
    return nullptr;
}

// Every job button enabled under its own label.
void RestoreJobButtons(MyFrame& frame) {
    for (const JobButton& b : kJobButtons) {
        wxButton* button = ButtonOf(frame, b.job);
        button->SetLabel(b.label);
        button->Enable();
    }
}

}  // namespace

void MyFrame::BindJobs() {
    Bind(wxEVT_BUTTON, &MyFrame::OnSliceAutoOrTyped, this, kIdSliceAutoOrTyped);
    Bind(wxEVT_BUTTON, &MyFrame::OnDrawWaveforms, this, kIdDrawWaveforms);
    Bind(wxEVT_BUTTON, &MyFrame::OnSliceByMarkers, this, kIdSliceMarkers);
    AddStopHook([this] { EndJobAndWait(); });
}

void MyFrame::OnSliceAutoOrTyped(wxCommandEvent&) {
    StartOrStopJob(SliceJob::SliceAutoOrTyped);
}

void MyFrame::OnDrawWaveforms(wxCommandEvent&) {
    StartOrStopJob(SliceJob::DrawWaveforms);
}

void MyFrame::OnSliceByMarkers(wxCommandEvent&) {
    StartOrStopJob(SliceJob::SliceByMarkers);
}

void MyFrame::StartOrStopJob(SliceJob job) {
    const bool slicing = job != SliceJob::DrawWaveforms;
    if (m_worker) {
        // Only the running job's button is enabled; another job's command changes nothing.
        if (m_worker->Job() != job) return;
        // The window stays live meanwhile: the worker's end restores it (JobEnded).
        if (slicing) m_stopRequested = true;
        m_worker->AskToEnd(slicing ? kSlicingStopGrace : std::chrono::milliseconds(0));
        return;
    }
    if (slicing) m_stopRequested = false;
    if (job == SliceJob::SliceByMarkers && !m_wavesDrawn) return;

    m_worker = std::make_unique<MyWorkerThread>(this, job);
    // Marked busy before the thread runs, so a second press cannot start a second worker.
    m_idle = false;
    for (const JobButton& b : kJobButtons) ButtonOf(*this, b.job)->Enable(b.job == job);
    ButtonOf(*this, job)->SetLabel(kStopLabel);
    if (!m_worker->Run()) {
        m_worker.reset();
        m_idle = true;
        RestoreJobButtons(*this);
    }
}

void MyFrame::JobEnded() {
    if (!m_worker) return;
    m_worker->Join();
    m_worker->ApplyPendingRetune(m_treble);
    m_worker.reset();
    m_idle = true;
    RestoreJobButtons(*this);
    p_wxGauge1->SetValue(0);
    p_wxGauge2->SetValue(0);
}

void MyFrame::EndJobAndWait() {
    if (!m_worker) return;
    m_stopRequested = true;
    m_worker->AskToEnd(std::chrono::milliseconds(0));
    // Run the worker's queued updates here (its reads and messages are released), up to
    // and including JobEnded, which it queues last.
    const std::shared_ptr<GuiChannel> channel = m_worker->Channel();
    while (m_worker) {
        channel->RunPending();
        if (m_worker) channel->WaitForWork(std::chrono::milliseconds(20));
    }
}
