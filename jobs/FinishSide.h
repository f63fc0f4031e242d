#pragma once
// What happens to a slicing job's slices once written, side by side: the "wavsideN.wav"
// voice message, the encoder runs, the "mp3sideN.wav" voice message and, in the
// auto-sense/typed job, the deletion of the side's encoded slices; at the end of the job the
// marker job's deletion and one message for all failed runs. Job's thread only.
//
// With one encoder run at a time (JobContext::EncoderRunsAtOnce() 1) a side's slices are
// encoded after all of them are written and the job goes on to the next side once the last
// run has ended. With more, each slice's run starts as soon as the slice is complete, while
// later slices and the next side are being written; a side's gauge steps, its
// "mp3sideN.wav" message and its deletion follow once all its runs have ended, side 1's
// before side 2's.

#include <string>
#include <vector>

#include "encode/Encoder.h"
#include "encode/EncodingQueue.h"
#include "jobs/SliceJob.h"

class JobContext;

class SliceFinisher {
  public:
    /// Notes the files of earlier runs in the folders of the present sides, before the job
    /// writes anything.
    SliceFinisher(JobContext& ctx, SliceJob job);

    /// Before a side's slices are written: they go to `folder`, numbered from firstNumber and
    /// named by `tracks`. `bothSides`: both sides take part in the job (the Encoding gauge's
    /// split).
    void BeginSide(Side side, const std::string& folder, int firstNumber, bool bothSides,
                   const SideTracks& tracks);
    /// A slice of the side begun last is complete and closed (the slice writer's hook).
    void SliceWritten(int number);
    /// The side's slices are written, `count` of them; `tracks` as the encoded files are to
    /// be tagged (the job's track total may be known only now): the voice message and, with
    /// "Create MP3 (or Ogg) files" checked, the converting status; with one run at a time,
    /// the side's runs and the steps after them. False when the job must end (a stop).
    bool SideWritten(unsigned count, const SideTracks& tracks);
    /// After the last side: waits for every run still going. False on a stop.
    bool Finish();
    /// The job's last step: in the marker job with "Delete all wave slices" checked, removes
    /// the slices that were encoded (none when encoding is off: a failed or absent encoder
    /// never costs a slice); then one message for all the job's failed runs, if any; then,
    /// per folder, the files an earlier run left that this job did not replace, removed when
    /// the user says so (RemoveEarlierFiles). Returns the paths of those that remain.
    std::vector<std::string> Report();

  private:
    struct SideSteps {
        Side side = Side::One;
        std::string folder;
        int firstNumber = 1;
        bool bothSides = false;
        SideTracks tracks;
        bool encode = false;  ///< "Create MP3 (or Ogg) files" as read for this side
        int handle = -1;      ///< in the queue, when encoding
    };

    /// A folder the job writes into: the run files it held before, the names written.
    struct Folder {
        std::string path;
        std::vector<std::string> before;
        std::vector<std::string> written;
    };

    void OpenInQueue(SideSteps& steps, int count);
    Folder& FolderOf(const std::string& path);
    std::vector<std::string> SettleEarlierFiles();
    void SideEncoded(int handle);

    JobContext& ctx_;
    SliceJob job_;
    int runsAtOnce_;
    bool overlap_;  ///< runs start while slices are written
    std::vector<SideSteps> sides_;
    std::vector<Folder> folders_;
    EncodeTally tally_;
    EncodingQueue queue_;  ///< after tally_, which it fills until it is gone
};

/// Result of encoding one side.
struct SideEncodeResult {
    std::vector<int> encoded;  ///< slice numbers whose run succeeded and made a new file
    bool stopped = false;      ///< a stop was seen: the job must end at once
};

namespace jobs {

/// Encodes a side's slices, up to ctx.EncoderRunsAtOnce() runs at once (see EncodingQueue):
/// status text, the encoder kind read as each run starts, the run in the encoder's own
/// folder, the stop check after each run (on a stop: no further run, the running ones
/// waited for, SetSlicing(false), stopped = true) and the Encoding gauge per ended run. A
/// run counts as encoded only when it exited with status 0, left a non-empty output file
/// written by this run (an earlier file of the output's name is moved aside during the run
/// and put back when the run fails, and a failed run's own file is removed) and that file
/// took its tags (when the album has any); any other run is added to `tally` and its slice
/// kept.
SideEncodeResult EncodeSlices(JobContext& ctx, const SideSlices& slices, EncodeNaming naming,
                              EncodeTally& tally);

/// The one message of a job whose encoder runs failed (nothing when none failed): the
/// count, the encoder and the first failing command with its reason.
void ReportEncodeFailures(JobContext& ctx, const EncodeTally& tally);

}  // namespace jobs
