#pragma once
// What a job needs from its front end (the window, or velvane-cli): the user's choices,
// read at the moment the job reaches them; progress, status texts and messages, shown in
// the order issued; and the two ways a stop reaches the job.
//
// Every member is called on the job's own thread (the worker thread in the window). An
// implementation carries reads and updates to its GUI thread as it needs to; a message
// holds the job until the user has closed it, or until a stop is requested.

#include <cstdint>
#include <optional>
#include <string>

#include "album/Album.h"
#include "model/CutMethod.h"
#include "model/EncoderKind.h"
#include "model/Side.h"
#include "model/SideState.h"
#include "platform/Process.h"

struct TrebleFilter;

enum class Gauge { Slicing = 0, Encoding = 1 };  ///< p_wxGauge1, p_wxGauge2; 0..100

class JobContext {
  public:
    virtual ~JobContext() = default;

    // --- How the slices are treated and encoded (the window's menus) ---
    virtual std::uint32_t FadeFrames() = 0;  ///< fade in and out, in frames; 0: none
    virtual bool Normalize() = 0;            ///< boost each side to full scale
    virtual float TrebleBoost() = 0;         ///< 0 (off), 1, 2, 4 ... 12
    virtual int BitRate() = 0;               ///< of MP3 files, in bit/s

    /// The one treble filter of the program, whose history carries across frames, slices
    /// and sides. The job calls it at each block boundary and uses the result for that
    /// block; a front end may apply a pending re-tune there.
    virtual TrebleFilter& Treble() = 0;

    // --- The user's choices ---
    virtual std::string SidePath(Side side) = 0;  ///< "" = the side is not present
    virtual CutMethod Method() = 0;
    /// Smart Sense: the number of songs on the side when the user gave it.
    virtual std::optional<int> SongCount(Side /*side*/) { return std::nullopt; }
    /// Smart Sense: the shortest song, in seconds.
    virtual double MinSongSeconds() { return kDefaultMinSongSeconds; }
    /// Auto Sense's silence length as typed (its leading integer counts, in seconds).
    virtual std::string SilenceText() = 0;
    /// Puts the default silence length where none was typed.
    virtual void SetSilenceText(const std::string& text) = 0;
    /// The side's typed time `field` (0..9), as typed (min.sec.dsec).
    virtual std::string TypedTime(Side side, int field) = 0;
    virtual bool CreateEncodedFiles() = 0;  ///< encode the slices
    virtual bool VoiceAfterEncoding() = 0;
    virtual bool DeleteWaveSlices() = 0;  ///< delete the slices that were encoded
    virtual bool VoiceAfterSlicing() = 0;
    /// The encoder chosen; nullopt: none.
    virtual std::optional<EncoderKind> EncoderChoice() = 0;
    /// The encoder program as located ("" = find the chosen kind's usual program).
    virtual std::string EncoderPath() = 0;
    /// Encoder runs a slicing job may have going at once. 1: one after the other, a side's
    /// slices encoded after all of them are written and the next side begun after the last
    /// run. More: each slice's run starts as soon as the slice is complete. Read once per
    /// job; by default the processors this process may use.
    virtual int EncoderRunsAtOnce() { return platform::UsableProcessors(); }

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

    /// Plays a voice message of the install folder ("wavside1.wav", ...) in the background.
    virtual void PlayVoice(const std::string& fileName) = 0;

    // --- Progress and messages ---
    virtual void SetGauge(Gauge gauge, int value) = 0;
    virtual void SetStatus(const std::string& text) = 0;
    /// A modal message with an OK button and the exclamation icon; returns when closed.
    virtual void ShowMessage(const std::string& caption, const std::string& text) = 0;
    /// Encoder runs of the job failed: called once at the end of the job, before the
    /// message that says so, with the first failing run as one line and why it failed.
    /// velvane-cli prints them and ends with status 1; the window needs only the message.
    virtual void EncodingFailed(const std::string& /*command*/, const std::string& /*reason*/) {}

    // --- Stops ---
    /// The thread was asked to end (checked by the analysis and the encoder loop).
    virtual bool TestDestroy() = 0;
    /// The Stop button of a slicing job was pressed (checked by the slice writer).
    virtual bool StopRequested() = 0;
    /// Either of the two: a slicing job goes no further.
    bool SlicingStopped() { return StopRequested() || TestDestroy(); }
};
