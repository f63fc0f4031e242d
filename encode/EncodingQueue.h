#pragma once
// The encoder runs of one slicing job: one run per WAV slice, queued in slice order and
// started up to N at once on an EncoderPool, each judged (and its file tagged) when it has
// ended and its side is closed, the track total then known. It counts each side's ended
// runs for the Encoding gauge, shows them side by side in order (side 2's steps only after
// side 1's last one), and tells when all of a side's runs have ended.
//
// Job's thread only: every EncodeControl call is made there (the pool's threads only wait for
// the processes). Stops: after each ended run StopRequested and TestDestroy are asked, and
// when a slice is queued StopRequested; once a stop is seen no further run starts.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "encode/EncodeControl.h"
#include "encode/Encoder.h"
#include "encode/EncoderPool.h"

class EncodingQueue {
  public:
    /// Called with a side's handle once all its runs have ended, sides in the order opened;
    /// never after a stop.
    using SideEnded = std::function<void(int handle)>;

    /// `runsAtOnce` runs at most at a time (at least 1); failed runs are counted in `tally`,
    /// which must outlive the queue.
    EncodingQueue(EncodeControl& control, EncodeNaming naming, int runsAtOnce, EncodeTally& tally,
                  SideEnded sideEnded = {});
    /// Starts nothing more and waits for the encoders still running; their files are settled
    /// as after any run (kept, or removed with the earlier file put back). No EncodeControl call.
    ~EncodingQueue();
    EncodingQueue(const EncodingQueue&) = delete;
    EncodingQueue& operator=(const EncodingQueue&) = delete;

    /// A side whose slices are queued next; reads the bit rate. `slices.count` < 0: not yet
    /// known (CloseSide gives it, with the tracks to tag by; the side's runs are judged and
    /// its gauge steps shown from then on). Returns its handle.
    int OpenSide(const SideSlices& slices);
    /// Queues slice `number` of the side (numbers in order from its first), takes the runs
    /// that ended meanwhile and starts what fits.
    void Add(int handle, int number);
    /// All the side's slices are queued: `count` of them; their files are tagged as
    /// `tracks` says.
    void CloseSide(int handle, int count, const SideTracks& tracks);

    /// Takes the runs that ended meanwhile, without waiting, and starts queued ones.
    void Poll();
    /// Waits until every run has ended (every side closed). False when a stop came first.
    bool WaitForAll();
    bool Stopped() const { return stopped_; }

    /// Slice numbers of the side whose runs succeeded, ascending.
    const std::vector<int>& Encoded(int handle) const { return sides_[handle].encoded; }

  private:
    struct SideRuns {
        SideSlices slices;  ///< count < 0 until closed
        SideTracks tracks;  ///< names the files; tags them once the side is closed
        int bitRate = 0;
        int ended = 0;  ///< runs ended (or settled without a process)
        int shown = 0;  ///< gauge steps shown
        std::vector<int> encoded;
    };
    /// One slice's run, from its place in the queue until it is judged.
    struct Run {
        int side = 0;  ///< the side's handle
        int number = 0;
        std::optional<EncoderKind> kind;  ///< the encoder choice read when it started
        std::string encoder;              ///< the resolved program; "" when none was found
        EncoderCommand command;
        std::optional<EarlierOutput> earlier;
    };
    /// A run that ended before its side was closed, waiting to be judged.
    struct Waiting {
        Run run;
        std::optional<platform::ProcessResult> process;
        std::string noRunReason;
    };

    void StartWhatFits();
    void TakeEnded();
    /// The run has ended (`process` null: no process was started): judged, then the stop
    /// check and the gauge.
    void Ended(Run& run, const platform::ProcessResult* process, const std::string& noRunReason);
    void Settle(Run& run, const platform::ProcessResult* process, const std::string& noRunReason);
    void SettleWaiting(int handle);
    void ShowProgress();
    bool AllEnded() const;

    EncodeControl& control_;
    EncodeNaming naming_;
    EncodeTally& tally_;
    SideEnded sideEnded_;
    std::vector<SideRuns> sides_;
    std::deque<Run> queue_;
    std::map<std::uint64_t, Run> running_;
    std::vector<Waiting> waiting_;
    std::uint64_t nextId_ = 1;
    std::size_t nextToShow_ = 0;  ///< the first side whose runs have not all been shown
    bool stopped_ = false;
    EncoderPool pool_;
};
