#include "encode/EncoderPool.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

EncoderPool::EncoderPool(int capacity) : capacity_(std::max(1, capacity)) {}

EncoderPool::~EncoderPool() {
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    ordered_.notify_all();
    for (std::thread& thread : threads_) thread.join();
}

EncoderPool::Finished EncoderPool::Execute(Order& order) {
    Finished done{order.id, {}};
    if (order.prepare) done.result.error = order.prepare();
    if (done.result.error.empty())
        done.result = platform::RunProcess(order.argv, order.workingDirectory);
    if (!order.scratch.empty()) std::remove(order.scratch.c_str());
    return done;
}

void EncoderPool::Start(std::uint64_t id, std::vector<std::string> argv,
                        std::string workingDirectory, Prepare prepare, std::string scratch) {
    ++busy_;
    bool needThread;
    {
        std::lock_guard lock(mutex_);
        orders_.push_back({id, std::move(argv), std::move(workingDirectory), std::move(prepare),
                           std::move(scratch)});
        needThread = idle_ < static_cast<int>(orders_.size());
    }
    if (needThread && static_cast<int>(threads_.size()) < capacity_) {
        try {
            threads_.emplace_back([this] { Work(); });
        } catch (const std::system_error&) {
            // No new thread: the existing ones take the order in turn, or with none, here.
            if (threads_.empty()) {
                Order order;
                {
                    std::lock_guard lock(mutex_);
                    order = std::move(orders_.front());
                    orders_.pop_front();
                }
                Finished done = Execute(order);
                std::lock_guard lock(mutex_);
                finished_.push_back(std::move(done));
                return;
            }
        }
    }
    ordered_.notify_one();
}

std::optional<EncoderPool::Finished> EncoderPool::Take() {
    std::lock_guard lock(mutex_);
    if (finished_.empty()) return std::nullopt;
    Finished done = std::move(finished_.front());
    finished_.pop_front();
    --busy_;
    return done;
}

std::optional<EncoderPool::Finished> EncoderPool::Wait() {
    if (busy_ == 0) return std::nullopt;
    std::unique_lock lock(mutex_);
    ended_.wait(lock, [this] { return !finished_.empty(); });
    Finished done = std::move(finished_.front());
    finished_.pop_front();
    --busy_;
    return done;
}

void EncoderPool::Work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        ++idle_;
        ordered_.wait(lock, [this] { return closing_ || !orders_.empty(); });
        --idle_;
        if (orders_.empty()) return;  // closing, and nothing left to run
        Order order = std::move(orders_.front());
        orders_.pop_front();
        lock.unlock();
        Finished done = Execute(order);
        lock.lock();
        finished_.push_back(std::move(done));
        ended_.notify_one();
    }
}
