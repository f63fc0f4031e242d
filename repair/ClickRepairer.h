#pragma once
// The click and crackle repairer for a stream of interleaved float frames (any channel
// count 1..8, any rate 22050..192000 Hz): finds impulsive damage (clicks of one sample to
// 5 ms, dense crackle) and replaces the damaged samples by an estimate of the music under
// them, leaving every other sample exactly as it came.
//
// How: the stream is cut into segments at fixed places (tuning.core frames each, counted
// from the first frame), and each segment is repaired with tuning.margin frames of context
// on either side, on worker threads. A segment's result depends only on the samples and its
// place, so the output is the same, to the bit, whatever the sizes of the chunks given to
// Process and whatever the number of threads. Memory stays bounded: a few segments per
// thread, whatever the length of the stream.
//
// One thread at a time may call a ClickRepairer's members (the slice writer's, say); the
// workers are its own.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "repair/RepairStrength.h"
#include "repair/RepairTuning.h"

namespace repair {

class ClickRepairer {
  public:
    /// `channels` 1..8, `sampleRate` 22050..192000 Hz; `threads` workers, 0 for one per
    /// usable processor. Off passes every frame straight through.
    ClickRepairer(RepairStrength strength, int channels, std::uint32_t sampleRate, int threads = 0);
    ~ClickRepairer();
    ClickRepairer(const ClickRepairer&) = delete;
    ClickRepairer& operator=(const ClickRepairer&) = delete;

    /// Takes `frames` interleaved frames (frames * channels samples) and appends to `out`
    /// the repaired frames that are ready, oldest first. Once the stream has brought N
    /// frames, exactly max(0, whole segments ready - threads) segments have been given out
    /// (everything but the last MaxDelayFrames() or so), whatever the chunking.
    void Process(const float* in, std::size_t frames, std::vector<float>& out);

    /// The stream has ended: appends every frame not yet given out. The repairer is then
    /// ready for a new stream starting at frame 0.
    void Finish(std::vector<float>& out);

    /// The clicks repaired in the frames given out since the last call, oldest first (the
    /// one span of a click that crosses out of them comes with its first frame).
    std::vector<ClickSpan> TakeSpans();

    /// The most frames by which the output can trail the input before Finish.
    std::uint64_t MaxDelayFrames() const;

    int Threads() const { return threads_; }
    const RepairTuning& Tuning() const { return tuning_; }

  private:
    struct Job;
    class Workers;

    void TakeInput(const float* in, std::size_t frames, std::vector<float>& out);
    void Submit(std::uint64_t coreEnd, std::uint64_t inputEnd, std::vector<float>& out);
    void EmitOldest(std::vector<float>& out);

    RepairStrength strength_;
    int channels_;
    int threads_;
    RepairTuning tuning_;
    std::vector<float> pending_;  // input from frame pendingStart_ on
    std::uint64_t pendingStart_ = 0;
    std::uint64_t received_ = 0;                 // frames taken so far
    std::uint64_t nextCore_ = 0;                 // first frame of the next segment's own frames
    std::deque<std::unique_ptr<Job>> inFlight_;  // oldest first
    std::vector<ClickSpan> spans_;
    std::unique_ptr<Workers> workers_;
};

}  // namespace repair
