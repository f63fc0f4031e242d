#pragma once
// The window's part in recording a side: the Input menu of stereo inputs, the two Rec
// buttons (OnRecordSide), the levels dialog, the recording display (the input meters, the
// elapsed time, the file's size and the disk's room left, where the transport is while a
// side records), the status text and the messages of a recording, the automatic slicing
// after an automatic stop, and stopping a recording when the window closes. The recording
// itself is the front-end-neutral Recorder.
//
// GUI thread only. The recorder's requests from the audio callback are polled by a timer
// of this class, so everything here runs on the GUI thread.

#include <wx/timer.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio/InputDevices.h"
#include "audio/PortAudioSession.h"
#include "audio/Recorder.h"
#include "model/Side.h"
#include "sidefile/SideFormat.h"

struct FrameControls;
class FrameJobs;
class FrameSides;
class LastPath;
class Prompter;
class StopHooks;
class wxButton;
class wxCommandEvent;
class wxFrame;
class wxMenu;

class FrameRecording {
  public:
    /// Lists the stereo inputs into `inputMenu` (the first checked), binds the Input
    /// commands and the Rec buttons on `frame`, and registers the close hook. A recorded
    /// side's file goes into its path field, changes `sides` and becomes the last path.
    FrameRecording(wxFrame& frame, FrameControls& controls, wxMenu& inputMenu, FrameSides& sides,
                   LastPath& lastPath, FrameJobs& jobs, Prompter& prompts, StopHooks& stopHooks);
    /// Ends a recording still running (its file complete) before the frame goes.
    ~FrameRecording();

    /// The device of the first checked Input item (700, 701, ... 707), else device 0.
    int SelectedInputDevice() const;
    /// stereoInputs_: every stereo input found at start, the menu showing the first eight.
    const std::vector<StereoInput>& StereoInputs() const { return stereoInputs_; }
    /// The recording object, made at the first Rec click; null before.
    Recorder* ActiveRecorder() { return recorder_.get(); }

    /// Whether a job runs at this moment (then the automatic slicing does not start and
    /// the user is told). Default: the window's jobs run one.
    std::function<bool()> jobRunning;
    /// Starts "Slice using auto sense or typed times" (only asked while no job runs).
    /// Default: the window's jobs start it.
    std::function<void()> startSlicing;
    /// Runs before a side's file is chosen for recording (the window stops playing).
    std::function<void()> beforeRecording;
    /// The recording format to start with, and where a format chosen in the levels dialog
    /// is kept (the frame's menus hold it with the settings); unset: 44.1 kHz 16-bit.
    std::function<SideFormat()> recordingFormat;
    std::function<void(const SideFormat&)> keepFormat;

  private:
    class PollTimer : public wxTimer {
      public:
        explicit PollTimer(FrameRecording& owner) : m_owner(owner) {}
        void Notify() override;

      private:
        FrameRecording& m_owner;
    };

    void BuildInputMenu();
    void OnInput(wxCommandEvent& event);
    void OnRecordSide(wxCommandEvent& event);
    void StartRecording(Side side);
    /// The recording ended (cause in the recorder's summary): buttons, status, message and
    /// the automatic slicing; no message when the window is closing.
    void RecordingFinished(bool closing);
    /// The Rec buttons as they are while no recording runs.
    void RestoreRecButtons();
    void BuildDisplay();
    /// The recording display in place of the transport, or the transport back.
    void ShowDisplay(bool shown);
    /// The meters, the elapsed time, the size and the room left, as the recording is now.
    void ShowProgress();
    void SetStatus(const std::string& text);
    wxButton* RecButton(Side side) const;
    void StopForClose();

    wxFrame& frame_;
    FrameControls& controls_;
    wxMenu& inputMenu_;
    FrameSides& sides_;
    LastPath& lastPath_;
    Prompter& prompts_;
    PortAudioSession session_;  ///< keeps the device indices valid for the whole run
    std::vector<StereoInput> stereoInputs_;
    PollTimer poll_{*this};
    Side side_ = Side::One;               ///< side of the recording that runs (or ran last)
    bool autoSlice_ = false;              ///< slice once an automatic stop has ended it
    std::string folder_;                  ///< where the recording's file is, for the room left
    double roomCheckedAt_ = -1e9;         ///< MeterClock() of the last look at the disk
    std::uint64_t roomLeft_ = 0;          ///< bytes free there then
    std::unique_ptr<Recorder> recorder_;  // last: goes first, while its host is whole
};
