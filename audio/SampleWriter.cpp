#include "audio/SampleWriter.h"

#include <cstring>

SampleWriter::SampleWriter(SampleSink& sink, std::size_t bufferBytes)
    : sink_(sink), capacity_(bufferBytes) {
    // Touch every page now so that the callback never meets a fresh one.
    for (auto& buffer : buffers_) {
        buffer = std::make_unique<std::uint8_t[]>(capacity_);
        std::memset(buffer.get(), 0, capacity_);
    }
    thread_ = std::thread([this] { Run(); });
}

SampleWriter::~SampleWriter() {
    Finish();
}

void SampleWriter::Hand() {
    handedIndex_ = active_;
    handedBytes_ = fill_;
    handed_.store(true, std::memory_order_release);
    work_.release();
    active_ ^= 1;
    fill_ = 0;
}

bool SampleWriter::Append(const std::uint8_t* bytes, std::size_t n) {
    if (fill_ + n > capacity_) {
        if (handed_.load(std::memory_order_acquire)) {
            dropped_.fetch_add(n, std::memory_order_relaxed);
            return false;
        }
        Hand();
    }
    std::memcpy(buffers_[active_].get() + fill_, bytes, n);
    fill_ += n;
    return true;
}

void SampleWriter::Run() {
    for (;;) {
        work_.acquire();
        if (handed_.load(std::memory_order_acquire)) {
            // After a failed write nothing more is written: the file must end where the
            // last bytes known to be on disk end.
            if (!failed_.load(std::memory_order_relaxed)) {
                const std::size_t n = handedBytes_;
                const std::size_t done = sink_.Write(buffers_[handedIndex_].get(), n);
                written_ += done;
                if (done != n) failed_.store(true, std::memory_order_release);
            }
            handed_.store(false, std::memory_order_release);
            handed_.notify_all();
        }
        // Finish hands its last buffer before it sets quit_, maybe while this thread was
        // writing the one before: that buffer is still to be written.
        if (quit_.load(std::memory_order_acquire) && !handed_.load(std::memory_order_acquire))
            return;
    }
}

std::uint64_t SampleWriter::Finish() {
    if (finished_) return written_;
    finished_ = true;
    if (fill_ > 0) {
        handed_.wait(true, std::memory_order_acquire);
        Hand();
    }
    quit_.store(true, std::memory_order_release);
    work_.release();
    thread_.join();
    return written_;
}
