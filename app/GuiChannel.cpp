#include "app/GuiChannel.h"

std::shared_ptr<GuiChannel> GuiChannel::Create(Schedule schedule) {
    return std::shared_ptr<GuiChannel>(new GuiChannel(std::move(schedule)));
}

void GuiChannel::Enqueue(Item item, std::unique_lock<std::mutex>& lock) {
    queue_.push_back(std::move(item));
    queued_.notify_all();
    if (wakePending_) return;
    wakePending_ = true;
    lock.unlock();
    // The wake holds the channel, so a queued wake never outlives what it drains.
    schedule_([self = shared_from_this()] { self->RunPending(); });
    lock.lock();
}

void GuiChannel::Post(Task update) {
    std::unique_lock lock(mutex_);
    Enqueue({Kind::Update, std::move(update), nullptr}, lock);
}

bool GuiChannel::Released(Kind kind) const {
    return (kind == Kind::Prompt && promptsInterrupted_) ||
           (kind != Kind::Update && allInterrupted_);
}

bool GuiChannel::Wait(Kind kind, Task task) {
    std::unique_lock lock(mutex_);
    if (Released(kind)) return false;
    auto done = std::make_shared<bool>(false);
    Enqueue({kind, std::move(task), done}, lock);
    answered_.wait(lock, [&] { return *done || Released(kind); });
    return *done;
}

void GuiChannel::InterruptPrompts() {
    std::lock_guard lock(mutex_);
    promptsInterrupted_ = true;
    answered_.notify_all();
}

void GuiChannel::InterruptAll() {
    std::lock_guard lock(mutex_);
    promptsInterrupted_ = true;
    allInterrupted_ = true;
    answered_.notify_all();
}

bool GuiChannel::PromptsInterrupted() const {
    std::lock_guard lock(mutex_);
    return promptsInterrupted_;
}

void GuiChannel::RunPending() {
    // A message's modal loop may run this again from inside one of the tasks; each task is
    // taken off the queue before it runs, so none runs twice and the order holds.
    auto keep = shared_from_this();
    std::unique_lock lock(mutex_);
    wakePending_ = false;
    while (!queue_.empty()) {
        Item item = std::move(queue_.front());
        queue_.pop_front();
        if (Released(item.kind)) continue;  // its worker has gone on without it
        lock.unlock();
        item.task();
        lock.lock();
        if (item.done) {
            *item.done = true;
            answered_.notify_all();
        }
    }
}

void GuiChannel::WaitForWork(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    queued_.wait_for(lock, timeout, [&] { return !queue_.empty(); });
}
