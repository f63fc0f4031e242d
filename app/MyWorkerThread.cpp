#include "app/MyWorkerThread.h"

#include <algorithm>
#include <system_error>

#include "app/FrameJobContext.h"
#include "app/FrameJobs.h"
#include "app/GuiChannel.h"
#include "app/MyFrame.h"
#include "jobs/Jobs.h"

namespace {

std::int64_t Now() {
    return std::chrono::steady_clock::now().time_since_epoch().count();
}

}  // namespace

MyWorkerThread::MyWorkerThread(MyFrame* frame, SliceJob job)
    : frame_(frame),
      job_(job),
      channel_(GuiChannel::Create([frame](GuiChannel::Task task) { frame->CallAfter(task); })),
      context_(std::make_unique<FrameJobContext>(*frame, *this, channel_)) {}

MyWorkerThread::~MyWorkerThread() {
    if (thread_.joinable()) {
        AskToEnd(std::chrono::milliseconds(0));
        thread_.join();
    }
}

bool MyWorkerThread::Run() {
    try {
        thread_ = std::thread([this] {
            Entry();
            OnExit();
        });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

int MyWorkerThread::Entry() {
    RunJob(job_, *context_);
    return 0;
}

void MyWorkerThread::OnExit() {
    // Queued behind the job's last updates, so the window is restored after them.
    MyFrame* frame = frame_;
    channel_->Post([frame] { frame->Jobs().Ended(); });
}

void MyWorkerThread::AskToEnd(std::chrono::milliseconds grace) {
    channel_->InterruptPrompts();
    const std::int64_t at =
        Now() + std::chrono::duration_cast<std::chrono::steady_clock::duration>(grace).count();
    std::int64_t before = endAt_.load();
    while (at < before && !endAt_.compare_exchange_weak(before, at)) {
    }
    if (grace.count() == 0) channel_->InterruptAll();
}

bool MyWorkerThread::TestDestroy() const {
    const std::int64_t at = endAt_.load(std::memory_order_relaxed);
    return at != kNever && Now() >= at;
}

void MyWorkerThread::Join() {
    if (thread_.joinable()) thread_.join();
}
