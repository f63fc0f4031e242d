#include "app/MyWorkerThread.h"

#include <system_error>

#include "jobs/Jobs.h"

namespace {

std::int64_t Now() {
    return std::chrono::steady_clock::now().time_since_epoch().count();
}

}  // namespace

MyWorkerThread::MyWorkerThread(SliceJob job, GuiChannel::Schedule toGui,
                               std::function<void()> ended)
    : job_(job), channel_(GuiChannel::Create(std::move(toGui))), ended_(std::move(ended)) {}

MyWorkerThread::~MyWorkerThread() {
    if (thread_.joinable()) {
        AskToEnd(std::chrono::milliseconds(0));
        thread_.join();
    }
}

bool MyWorkerThread::Run(JobContext& context) {
    try {
        thread_ = std::thread([this, &context] {
            jobs::RunJob(job_, context);
            // Queued behind the job's last updates, so the window is restored after them.
            channel_->Post(ended_);
        });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
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
