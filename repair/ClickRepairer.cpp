#include "repair/ClickRepairer.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/Process.h"
#include "repair/SegmentRepairer.h"

namespace repair {

struct ClickRepairer::Job {
    std::vector<float> input;
    std::uint64_t firstFrame = 0;
    FrameRange own;
    std::vector<float> output;
    std::vector<ClickSpan> spans;
    bool done = false;
};

// Threads that repair segments handed to them, each with a SegmentRepairer of its own.
class ClickRepairer::Workers {
  public:
    Workers(const RepairTuning& tuning, int channels, int count) {
        for (int i = 0; i < count; ++i) {
            threads_.emplace_back([this, tuning, channels] { Run(tuning, channels); });
        }
    }
    ~Workers() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        for (std::thread& thread : threads_) thread.join();
    }
    void Add(Job* job) {
        {
            std::lock_guard lock(mutex_);
            queue_.push_back(job);
        }
        wake_.notify_one();
    }
    void Wait(const Job& job) {
        std::unique_lock lock(mutex_);
        finished_.wait(lock, [&] { return job.done; });
    }

  private:
    void Run(const RepairTuning& tuning, int channels) {
        SegmentRepairer repairer(tuning, channels);
        for (;;) {
            Job* job = nullptr;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
                if (queue_.empty()) return;
                job = queue_.front();
                queue_.pop_front();
            }
            const std::size_t frames = job->input.size() / static_cast<std::size_t>(channels);
            job->output.resize((job->own.end - job->own.begin) *
                               static_cast<std::size_t>(channels));
            repairer.Repair(job->input.data(), frames, job->firstFrame, job->own,
                            job->output.data(), job->spans);
            {
                std::lock_guard lock(mutex_);
                job->done = true;
            }
            finished_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_, finished_;
    std::deque<Job*> queue_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

ClickRepairer::ClickRepairer(RepairStrength strength, int channels, std::uint32_t sampleRate,
                             int threads)
    : strength_(strength),
      channels_(channels),
      threads_(threads > 0 ? threads : platform::UsableProcessors()),
      tuning_(TuningFor(strength, sampleRate)) {
    if (strength_ != RepairStrength::Off) {
        workers_ = std::make_unique<Workers>(tuning_, channels_, threads_);
    }
}

ClickRepairer::~ClickRepairer() = default;

std::uint64_t ClickRepairer::MaxDelayFrames() const {
    if (strength_ == RepairStrength::Off) return 0;
    return (static_cast<std::uint64_t>(threads_) + 1) * tuning_.core + tuning_.margin;
}

void ClickRepairer::Process(const float* in, std::size_t frames, std::vector<float>& out) {
    const std::size_t channels = static_cast<std::size_t>(channels_);
    if (strength_ == RepairStrength::Off) {
        out.insert(out.end(), in, in + frames * channels);
        return;
    }
    // Taken a segment at a time, so that a long chunk costs no more memory than a short one.
    while (frames > 0) {
        const std::uint64_t needed = nextCore_ + tuning_.core + tuning_.margin;
        const std::size_t take =
            static_cast<std::size_t>(std::min<std::uint64_t>(frames, needed - received_));
        pending_.insert(pending_.end(), in, in + take * channels);
        received_ += take;
        in += take * channels;
        frames -= take;
        if (received_ == needed) Submit(nextCore_ + tuning_.core, needed, out);
    }
    while (inFlight_.size() > static_cast<std::size_t>(threads_)) EmitOldest(out);
}

void ClickRepairer::Finish(std::vector<float>& out) {
    if (strength_ != RepairStrength::Off) {
        while (nextCore_ < received_) {
            Submit(std::min(nextCore_ + tuning_.core, received_), received_, out);
        }
        while (!inFlight_.empty()) EmitOldest(out);
    }
    pending_.clear();
    pendingStart_ = received_ = nextCore_ = 0;
}

void ClickRepairer::Submit(std::uint64_t coreEnd, std::uint64_t inputEnd, std::vector<float>& out) {
    if (inFlight_.size() > static_cast<std::size_t>(threads_)) EmitOldest(out);
    const std::size_t channels = static_cast<std::size_t>(channels_);
    auto job = std::make_unique<Job>();
    job->firstFrame = nextCore_ >= tuning_.margin ? nextCore_ - tuning_.margin : 0;
    job->own = {static_cast<std::size_t>(nextCore_ - job->firstFrame),
                static_cast<std::size_t>(coreEnd - job->firstFrame)};
    const auto from = static_cast<std::ptrdiff_t>((job->firstFrame - pendingStart_) * channels);
    const auto to = static_cast<std::ptrdiff_t>((inputEnd - pendingStart_) * channels);
    job->input.assign(pending_.begin() + from, pending_.begin() + to);
    workers_->Add(job.get());
    inFlight_.push_back(std::move(job));
    nextCore_ = coreEnd;
    // Keep only what the next segment's context reaches back to.
    const std::uint64_t keepFrom = nextCore_ >= tuning_.margin ? nextCore_ - tuning_.margin : 0;
    if (keepFrom > pendingStart_) {
        pending_.erase(
            pending_.begin(),
            pending_.begin() + static_cast<std::ptrdiff_t>((keepFrom - pendingStart_) * channels));
        pendingStart_ = keepFrom;
    }
}

void ClickRepairer::EmitOldest(std::vector<float>& out) {
    Job& job = *inFlight_.front();
    workers_->Wait(job);
    out.insert(out.end(), job.output.begin(), job.output.end());
    spans_.insert(spans_.end(), job.spans.begin(), job.spans.end());
    inFlight_.pop_front();
}

std::vector<ClickSpan> ClickRepairer::TakeSpans() {
    std::vector<ClickSpan> spans;
    spans.swap(spans_);
    return spans;
}

}  // namespace repair
