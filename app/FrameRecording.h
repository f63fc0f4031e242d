#pragma once
// The window's part in recording a side: the Input menu of stereo inputs, the two Rec
// buttons (OnRecordSide), the levels dialog, the blinking status text and the messages
// of a recording, and stopping a recording when the window closes. The recording itself
// is the front-end-neutral Recorder; this class is its host in the window.
//
// GUI thread only. The recorder's requests from the audio callback are polled by a timer
// of this class, so every host call below runs on the GUI thread.

#include <wx/timer.h>

#include <functional>
#include <memory>
#include <vector>

#include "audio/InputDevices.h"
#include "audio/PortAudioSession.h"
#include "audio/Recorder.h"

class MyFrame;
class wxButton;
class wxCommandEvent;

class FrameRecording : public RecorderHost {
  public:
    /// Lists the stereo inputs into the frame's Input menu (the first checked), binds the
    /// Input commands and the Rec buttons, and registers the close hook.
    explicit FrameRecording(MyFrame& frame);
    /// Ends a recording still running (its file complete) before the frame goes.
    ~FrameRecording() override;

    /// The device of the first checked Input item (700, 701, ... 707), else device 0.
    int SelectedInputDevice() const;
    /// m_stereoInputs: every stereo input found at start, the menu showing the first eight.
    const std::vector<StereoInput>& StereoInputs() const { return m_stereoInputs; }
    /// The recording object, made at the first Rec click; null before.
    Recorder* ActiveRecorder() { return m_recorder.get(); }

    /// Whether a job runs (then the automatic slicing does not start). Default: the frame
    /// is not idle.
    std::function<bool()> jobRunning;
    /// Runs "Slice using auto sense or typed times". Default: queues the click of
    /// e_button1 (id 731) to the frame.
    std::function<void()> startSlicing;

    // RecorderHost
    void SetStatus(const std::string& text) override;
    void ShowMessage(const std::string& caption, const std::string& text,
                     MessageIcon icon) override;
    void RecordingEnded(int side) override;
    bool JobRunning() override;
    void StartSlicing() override;

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
    void StartRecording(int side);
    wxButton* RecButton(int side) const;
    void StopForClose();

    MyFrame& m_frame;
    PortAudioSession m_session;  ///< keeps the device indices valid for the whole run
    std::vector<StereoInput> m_stereoInputs;
    PollTimer m_poll{*this};
    std::unique_ptr<Recorder> m_recorder;  // last: goes first, while its host is whole
};
