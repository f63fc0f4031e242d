#pragma once
// What a job needs from its front end (the window, or velvane-cli): the user's choices,
// read at the moment the job reaches them; progress, status texts and messages, shown in
// the order issued; and the two ways a stop reaches the job.
//
// Every member is called on the job's own thread (the worker thread in the window). An
// implementation carries reads and updates to its GUI thread as it needs to; a message
// holds the job until the user has closed it, or until a stop is requested.

#include <optional>
#include <string>

#include "engine/Album.h"
#include "engine/CutMethod.h"
#include "engine/SideState.h"
#include "platform/Process.h"

struct TrebleFilter;

enum class Gauge { Slicing = 0, Encoding = 1 };  ///< p_wxGauge1, p_wxGauge2; 0..100

class JobContext {
  public:
    virtual ~JobContext() = default;

    // --- Menu settings (the checked id of each group, with its fall-back) ---
    virtual int SelectedFadeId() = 0;    ///< 300..303, else 300
    virtual int SelectedVolumeId() = 0;  ///< 500 or 501, else 500
    virtual int SelectedEqId() = 0;      ///< 708..715, else 708
    virtual int SelectedRateId() = 0;    ///< 200..206, else 202

    /// The one treble filter of the program, whose history carries across frames, slices
    /// and sides. The job calls it at each block boundary and uses the result for that
    /// block; a front end may apply a pending re-tune there.
    virtual TrebleFilter& Treble() = 0;

    // --- Controls ---
    virtual std::string SidePath(int side) = 0;  ///< side 1 or 2; "" = not present
    virtual int CutsHow() = 0;  ///< m_cutsHow: 1 Typed Times, 2 Smart Sense, else Auto Sense
    CutMethod Method() { return CutMethodOf(CutsHow()); }
    /// Smart Sense: the number of songs on side 1 or 2 when the user gave it.
    virtual std::optional<int> SongCount(int /*side*/) { return std::nullopt; }
    /// Smart Sense: the shortest song, in seconds.
    virtual double MinSongSeconds() { return kDefaultMinSongSeconds; }
    virtual std::string SilenceText() = 0;  ///< c_textCtrl1
    virtual void SetSilenceText(const std::string& text) = 0;
    virtual std::string TypedTimeText(int field) = 0;  ///< 0..9 side 1, 10..19 side 2
    virtual bool CreateEncodedFiles() = 0;             ///< m_checkBox1
    virtual bool VoiceAfterEncoding() = 0;             ///< m_checkBox2
    virtual bool DeleteWaveSlices() = 0;               ///< m_checkBox3
    virtual bool VoiceAfterSlicing() = 0;              ///< w_checkBox1
    virtual int EncoderKindSelection() = 0;            ///< m_choice1; -1 = none
    virtual std::string EncoderPath() = 0;             ///< m_textCtrl1
    /// Encoder runs a slicing job may have going at once. 1: one after the other, a side's
    /// slices encoded after all of them are written and the next side begun after the last
    /// run. More: each slice's run starts as soon as the slice is complete. Read once per
    /// job; by default the processors this process may use.
    virtual int EncoderRunsAtOnce() { return platform::UsableProcessors(); }

    /// Folder the slices (and encoded files) of a side go to: the side file's folder in
    /// the window; velvane-cli's --out may name another.
    virtual std::string OutputFolder(int side) = 0;

    /// The album fields and track titles as the user has them now; the job reads them once
    /// per side, when it starts writing the side's slices. Empty by default: files are
    /// named and left exactly as without albums.
    virtual AlbumInfo Album() { return {}; }

    // --- Per-side data and job flags ---
    /// A copy of the side's state as the window holds it now.
    virtual SideState Side(int side) = 0;
    /// Replaces the side's levels, peak and cuts in one step (a paint never sees half).
    virtual void PublishSide(int side, const SideState& state) = 0;
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
};
