#include "encode/EncodingQueue.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "album/TagWriter.h"
#include "encode/EncoderInput.h"
#include "platform/Paths.h"
#include "resample/ConvertedCopy.h"
#include "sidefile/SideReader.h"

namespace {

// The Encoding gauge after the index-th ended run of a side (1-based).
int EncodingGauge(const SideSlices& slices, int index) {
    if (slices.side != Side::Two) return (slices.bothSides ? 50 : 100) * index / slices.count;
    if (!slices.bothSides) return 100 * index / slices.count;
    const int side1Count = slices.firstNumber - 1;
    return 50 + (50 * side1Count + 50 * index) / (side1Count + slices.count);
}

}  // namespace

EncodingQueue::EncodingQueue(EncodeControl& control, EncodeNaming naming, int runsAtOnce,
                             EncodeTally& tally, SideEnded sideEnded)
    : control_(control),
      naming_(naming),
      tally_(tally),
      sideEnded_(std::move(sideEnded)),
      pool_(runsAtOnce) {}

EncodingQueue::~EncodingQueue() {
    stopped_ = true;
    queue_.clear();
    while (std::optional<EncoderPool::Finished> done = pool_.Wait()) {
        const auto at = running_.find(done->id);
        Settle(at->second, &done->result, {});
        running_.erase(at);
    }
    for (std::size_t side = 0; side < sides_.size(); ++side) SettleWaiting(static_cast<int>(side));
}

int EncodingQueue::OpenSide(const SideSlices& slices) {
    SideRuns side;
    side.slices = slices;
    side.tracks = slices.tracks.value_or(SideTracks(slices.side));
    side.bitRate = control_.Processing().bitRate;
    sides_.push_back(std::move(side));
    return static_cast<int>(sides_.size()) - 1;
}

void EncodingQueue::Add(int handle, int number) {
    if (control_.StopRequested()) stopped_ = true;
    Run run;
    run.side = handle;
    run.number = number;
    queue_.push_back(std::move(run));
    Poll();
}

void EncodingQueue::CloseSide(int handle, int count, const SideTracks& tracks) {
    sides_[handle].slices.count = count;
    sides_[handle].tracks = tracks;
    SettleWaiting(handle);
    if (!stopped_) ShowProgress();
}

void EncodingQueue::Poll() {
    TakeEnded();
    StartWhatFits();
}

bool EncodingQueue::WaitForAll() {
    StartWhatFits();
    if (!stopped_) ShowProgress();  // a side without slices has ended already
    while (!stopped_ && !AllEnded()) {
        std::optional<EncoderPool::Finished> done = pool_.Wait();
        if (!done) break;  // nothing runs and nothing can start: a side was never closed
        const auto at = running_.find(done->id);
        Ended(at->second, &done->result, {});
        running_.erase(at);
        StartWhatFits();
    }
    return !stopped_;
}

bool EncodingQueue::AllEnded() const {
    return queue_.empty() && running_.empty() &&
           std::all_of(sides_.begin(), sides_.end(),
                       [](const SideRuns& side) { return side.slices.count >= 0; });
}

void EncodingQueue::TakeEnded() {
    while (std::optional<EncoderPool::Finished> done = pool_.Take()) {
        const auto at = running_.find(done->id);
        Ended(at->second, &done->result, {});
        running_.erase(at);
    }
}

void EncodingQueue::StartWhatFits() {
    while (!stopped_ && !queue_.empty() && !pool_.Full()) {
        Run run = std::move(queue_.front());
        queue_.pop_front();
        const SideRuns& side = sides_[run.side];
        // The choice and the path are read as each run starts: the user may change them.
        run.kind = control_.EncoderChoice();
        run.encoder = encode::ResolveEncoderPath(run.kind, control_.EncoderPath());
        run.command = encode::BuildEncoderCommand(
            run.kind, naming_, side.tracks, run.encoder, side.slices.folder, run.number,
            run.number - side.slices.firstNumber + 1, side.bitRate);
        if (run.command.argv.empty()) {  // no encoder chosen: nothing to run for this slice
            Ended(run, nullptr, {});
            continue;
        }
        if (run.encoder.empty()) {
            Ended(run, nullptr, "no encoder found");
            continue;
        }
        run.earlier.emplace(run.command.output);
        if (run.earlier->InTheWay()) {
            Ended(run, nullptr, "cannot move the earlier " + run.command.output + " aside");
            continue;
        }
        const std::uint64_t id = nextId_++;
        // An encoder that cannot take the slice as it is gets a converted copy.
        EncoderPool::Prepare prepare;
        std::string copy;
        const std::unique_ptr<SideReader> slice = SideReader::Open(run.command.input);
        if (const std::optional<SideFormat> format =
                slice && run.kind ? encode::EncoderCopyFormat(*run.kind, slice->Format())
                                  : std::nullopt) {
            copy = encode::EncoderCopyPath(run.command.input);
            std::replace(run.command.argv.begin(), run.command.argv.end(), run.command.input, copy);
            prepare = [input = run.command.input, copy, format = *format] {
                const std::string failure =
                    resample::WriteConvertedCopy(input, copy, format.sampleRate, format.encoding);
                return failure.empty() ? failure : "no copy for the encoder: " + failure;
            };
        }
        pool_.Start(id, run.command.argv, platform::SplitDirectory(run.encoder), std::move(prepare),
                    copy);
        running_.emplace(id, std::move(run));
    }
}

void EncodingQueue::Ended(Run& run, const platform::ProcessResult* process,
                          const std::string& noRunReason) {
    if (sides_[run.side].slices.count < 0) {
        // Its file is tagged once the side is closed (the job's track total known then).
        waiting_.push_back(
            {std::move(run), process ? std::optional(*process) : std::nullopt, noRunReason});
    } else {
        Settle(run, process, noRunReason);
    }
    if (stopped_) return;
    if (control_.SlicingStopped()) {
        stopped_ = true;
        return;
    }
    ShowProgress();
}

// The one place where a run's outcome is decided: its file kept and tagged (the earlier
// one dropped) or not (the earlier one put back as `run.earlier` goes), and the slice
// recorded as encoded or its failure counted.
void EncodingQueue::Settle(Run& run, const platform::ProcessResult* process,
                           const std::string& noRunReason) {
    SideRuns& side = sides_[run.side];
    ++side.ended;
    if (run.command.argv.empty()) return;
    std::string failure = process ? encode::RunFailure(*process, run.command.output) : noRunReason;
    // A run that failed (or was ended by a signal) may have left part of a file.
    if (process && !failure.empty()) std::remove(run.command.output.c_str());
    const int index = run.number - side.slices.firstNumber + 1;
    if (failure.empty())
        failure = album::TagEncodedFile(side.tracks, run.number, index, run.command.output);
    if (failure.empty()) {
        run.earlier->Discard();
        side.encoded.insert(std::upper_bound(side.encoded.begin(), side.encoded.end(), run.number),
                            run.number);
        return;
    }
    const std::string encoder =
        run.encoder.empty() ? kEncoderKindLabels[static_cast<int>(*run.kind)] : run.encoder;
    encode::NoteFailure(tally_, run.number, encoder, run.command.argv, failure,
                        process ? process->output : std::string());
    run.earlier.reset();
}

void EncodingQueue::SettleWaiting(int handle) {
    std::vector<Waiting> still;
    for (Waiting& w : waiting_) {
        if (w.run.side != handle)
            still.push_back(std::move(w));
        else
            Settle(w.run, w.process ? &*w.process : nullptr, w.noRunReason);
    }
    waiting_ = std::move(still);
}

void EncodingQueue::ShowProgress() {
    while (nextToShow_ < sides_.size()) {
        SideRuns& side = sides_[nextToShow_];
        if (side.slices.count < 0) return;
        while (side.shown < side.ended)
            control_.SetGauge(Gauge::Encoding, EncodingGauge(side.slices, ++side.shown));
        if (side.ended < side.slices.count) return;
        const int handle = static_cast<int>(nextToShow_++);
        if (sideEnded_) sideEnded_(handle);
    }
}
