#pragma once
// What a job needs from its front end (the window, or velvane-cli): the user's choices,
// read at the moment the job reaches them; progress, status texts and messages, shown in
// the order issued; and the two ways a stop reaches the job. The processors the jobs run
// see only its narrow part, WorkControl (and EncodeControl for the encoder runs).
//
// Every member is called on the job's own thread (the worker thread in the window). An
// implementation carries reads and updates to its GUI thread as it needs to; a message
// holds the job until the user has closed it, or until a stop is requested.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "album/Album.h"
#include "encode/EncodeControl.h"
#include "model/CutMethod.h"
#include "model/Side.h"
#include "model/SideState.h"
#include "platform/Process.h"

struct TrebleFilter;

class JobContext : public EncodeControl {
  public:
    virtual ~JobContext() = default;

    // How the slices are treated and encoded: Processing() (WorkControl), read at block
    // boundaries; the encoder: EncoderChoice() and EncoderPath() (EncodeControl).

    /// The one treble filter of the program, whose history carries across frames, slices,
    /// sides and jobs. The job hands it to the processors, which make it follow the EQ level
    /// at each block; nothing else touches it while the job runs.
    virtual TrebleFilter& Treble() = 0;

    // --- The user's choices ---
    virtual std::string SidePath(Side side) = 0;  ///< "" = the side is not present
    virtual CutMethod Method() = 0;
    /// Smart Sense: the number of songs on the side when the user gave it.
    virtual std::optional<int> SongCount(Side /*side*/) { return std::nullopt; }
    /// Smart Sense: the shortest song, in seconds.
    virtual double MinSongSeconds() { return kDefaultMinSongSeconds; }
    /// Smart Sense: the slices begin where the music starts and end where it ends (half a
    /// second out), leaving the lead-in and the run-out in no file.
    virtual bool TrimToMusic() { return false; }
    /// Auto Sense's silence length as typed (its leading integer counts, in seconds).
    virtual std::string SilenceText() = 0;
    /// Puts the default silence length where none was typed.
    virtual void SetSilenceText(const std::string& text) = 0;
    /// The side's typed time `field` (0..9), as typed (see ReadTypedTime).
    virtual std::string TypedTime(Side side, int field) = 0;
    virtual bool CreateEncodedFiles() = 0;  ///< encode the slices
    virtual bool VoiceAfterEncoding() = 0;
    virtual bool DeleteWaveSlices() = 0;  ///< delete the slices that were encoded
    virtual bool VoiceAfterSlicing() = 0;
    /// Encoder runs a slicing job may have going at once. 1: one after the other, a side's
    /// slices encoded after all of them are written and the next side begun after the last
    /// run. More: each slice's run starts as soon as the slice is complete. Read once per
    /// job; by default the processors this process may use.
    virtual int EncoderRunsAtOnce() { return platform::UsableProcessors(); }

    /// How many of a side's markers the marker job cuts at with `method` chosen. The
    /// window's rule: a side's first ten, every one with Smart Sense. velvane-cli, whose
    /// markers are the tracks of a cut list or --markersN, counts every one.
    virtual std::size_t MarkersCounted(CutMethod method) { return model::CutsConsidered(method); }

    /// Folder the slices (and encoded files) of a side go to: the side file's folder in
    /// the window; velvane-cli's --out may name another.
    virtual std::string OutputFolder(Side side) = 0;

    /// The album fields and track titles as the user has them now; the job reads them once
    /// per side, when it starts writing the side's slices. Empty by default: files are
    /// named and left exactly as without albums.
    virtual AlbumInfo Album() { return {}; }

    // --- Per-side data and job flags ---
    /// A copy of the side's state as the window holds it now.
    virtual SideState SideData(Side side) = 0;
    /// Replaces the side's levels, peak and cuts in one step (a paint never sees half).
    virtual void PublishSide(Side side, const SideState& state) = 0;
    virtual bool WavesDrawn() = 0;
    virtual void SetWavesDrawn(bool drawn) = 0;
    virtual void SetSlicing(bool slicing) = 0;
    virtual void RefreshCanvas() = 0;

    /// Files an earlier run left in `folder` (names, in order) remain beside this job's
    /// own, which did not replace them: true to remove them. Asked once per folder, at the
    /// end of a job that was not stopped. By default they stay.
    virtual bool RemoveEarlierFiles(const std::string& /*folder*/,
                                    const std::vector<std::string>& /*names*/) {
        return false;
    }

    /// Plays a voice message of the install folder ("wavside1.wav", ...) in the background.
    virtual void PlayVoice(const std::string& fileName) = 0;

    // --- Progress and messages (gauges: WorkControl::SetGauge) ---
    virtual void SetStatus(const std::string& text) = 0;
    /// A modal message with an OK button and the exclamation icon; returns when closed.
    virtual void ShowMessage(const std::string& caption, const std::string& text) = 0;
    /// Encoder runs of the job failed: called once at the end of the job, before the
    /// message that says so, with the first failing run as one line and why it failed.
    /// velvane-cli prints them and ends with status 1; the window needs only the message.
    virtual void EncodingFailed(const std::string& /*command*/, const std::string& /*reason*/) {}

    // Stops: WorkControl's TestDestroy, StopRequested and SlicingStopped.
};
