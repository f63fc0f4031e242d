#pragma once
// The window's part in recording a side: the Input menu of stereo inputs, the two Rec
// buttons (OnRecordSide), the levels dialog, the blinking status text and the messages
// of a recording, the automatic slicing after an automatic stop, and stopping a recording
// when the window closes. The recording itself is the front-end-neutral Recorder.
//
// GUI thread only. The recorder's requests from the audio callback are polled by a timer
// of this class, so everything here runs on the GUI thread.

#include <wx/timer.h>

#include <cstdint>
#include <functional>
#include <memory>
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
    FrameRecording(wxFrame& frame, const FrameControls& controls, wxMenu& inputMenu,
                   FrameSides& sides, LastPath& lastPath, FrameJobs& jobs, Prompter& prompts,
                   StopHooks& stopHooks);
    /// Ends a recording still running (its file complete) before the frame goes.
    ~FrameRecording();

    /// The device of the first checked Input item (700, 701, ... 707), else device 0.
    int SelectedInputDevice() const;
    /// m_stereoInputs: every stereo input found at start, the menu showing the first eight.
    const std::vector<StereoInput>& StereoInputs() const { return m_stereoInputs; }
    /// The recording object, made at the first Rec click; null before.
    Recorder* ActiveRecorder() { return m_recorder.get(); }

    /// Whether a job runs at this moment (then the automatic slicing does not start and
    /// the user is told). Default: the window's jobs run one.
    std::function<bool()> jobRunning;
    /// Starts "Slice using auto sense or typed times" (only asked while no job runs).
    /// Default: the window's jobs start it.
    std::function<void()> startSlicing;
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
    void ShowBlink();
    void SetStatus(const std::string& text);
    wxButton* RecButton(Side side) const;
    void StopForClose();

    wxFrame& m_frame;
    const FrameControls& m_controls;
    wxMenu& m_inputMenu;
    FrameSides& m_sides;
    LastPath& m_lastPath;
    Prompter& m_prompts;
    PortAudioSession m_session;  ///< keeps the device indices valid for the whole run
    std::vector<StereoInput> m_stereoInputs;
    PollTimer m_poll{*this};
    Side m_side = Side::One;   ///< side of the recording that runs (or ran last)
    bool m_autoSlice = false;  ///< slice once an automatic stop has ended it
    std::uint32_t m_shownBlinks = 0;
    std::unique_ptr<Recorder> m_recorder;  // last: goes first, while its host is whole
};
