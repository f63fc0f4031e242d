#pragma once
// The main window. It builds the controls (FrameControls) and the menu bar (FrameMenus),
// owns the program's state (the two sides' levels and cuts, whether their waveforms are
// drawn, the last chosen path, the treble filter) and the collaborators that carry out its
// commands, each in its own file: the jobs, recording, the waveform view, settings files,
// locating files, help, the album and Smart Sense's choices.
//
// Thread contexts: GUI thread only, except where a member says otherwise. Other threads
// reach the window only through the worker's JobContext (FrameJobContext), which carries
// its reads and updates to the GUI thread, and through the menus' settings queries.

#include <wx/frame.h>

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/FrameControls.h"
#include "app/Prompter.h"
#include "model/Side.h"
#include "model/SideState.h"
#include "slice/TrebleFilter.h"

class FrameAlbum;
class FrameJobs;
class FrameMenus;
class FrameRecording;
class FrameWaveforms;
class HelpCommands;
class LocateCommands;
class SettingsCommands;
class SmartSenseChoice;

constexpr const char* kProgramTitle = "Velvane, version 2.0";

class MyFrame : public wxFrame {
  public:
    /// Builds the fixed-size window (hidden; the caller shows it). `prompter` answers every
    /// dialog and message; null uses the real dialogs.
    MyFrame(const wxString& title, const wxPoint& position, const wxSize& size,
            std::unique_ptr<Prompter> prompter = nullptr);
    ~MyFrame() override;

    /// The controls, by the names the window's layout gives them.
    const FrameControls& Controls() const { return m_controls; }
    FrameMenus& Menus() { return *m_menus; }
    const FrameMenus& Menus() const { return *m_menus; }
    FrameJobs& Jobs() { return *m_jobs; }
    FrameRecording& Recording() { return *m_recording; }
    FrameWaveforms& Waveforms() { return *m_waveforms; }
    SettingsCommands& Settings() { return *m_settings; }
    LocateCommands& Locate() { return *m_locate; }
    FrameAlbum& Album() { return *m_album; }
    SmartSenseChoice& SmartSense() { return *m_smartSense; }
    /// The window's prompter (for the dialogs of every part of the window).
    Prompter& Prompts() { return *m_prompter; }

    /// Registers work to stop before the window goes away (a job, a recording, a
    /// playback). The close handler runs them in registration order, once.
    void AddStopHook(std::function<void()> stop);

    // --- The sides ---
    /// A side's state: levels, cuts and peak.
    SideState& SideAt(Side side) { return m_sides[Index(side)]; }
    const SideState& SideAt(Side side) const { return m_sides[Index(side)]; }
    const std::array<SideState, 2>& Sides() const { return m_sides; }
    /// Replaces a side's state with what a job published, unless the sides were changed
    /// since `generation`: the job's results belong to the files it read.
    void PublishSide(Side side, const SideState& state, unsigned generation);
    /// "Draw waveforms" has finished for the files now named. Read by any thread.
    bool WavesDrawn() const { return m_wavesDrawn.load(); }
    /// Marks the waveforms drawn or not; `generation` as for PublishSide (0: always).
    void SetWavesDrawn(bool drawn, unsigned generation = 0);
    /// A side's file changed (located or recorded): its
    /// waveforms are no longer drawn, and a running job's results are no longer applied.
    void SidesChanged();
    /// Counts the changes of the sides' files; a job takes it at its start.
    unsigned SidesGeneration() const { return m_sidesGeneration; }

    // --- The last chosen path: default folder of the file dialogs, field 1 of the
    // settings file. At most kMaxLastPath bytes. ---
    const std::string& LastPath() const { return m_lastPath; }
    void SetLastPath(const std::string& path);
    /// The last path as a folder for a dialog: its folder when it names a file.
    wxString LastFolder() const;
    static constexpr std::size_t kMaxLastPath = 1023;

    /// The treble boost filter, whose history carries from slice to slice and side to side.
    /// While a job runs it is the worker's (the job makes it follow the EQ choice at each
    /// block); else the GUI thread's.
    TrebleFilter& Treble() { return m_treble; }
    /// Tunes the filter for the checked EQ item when the level changed, unless a job runs
    /// (the job then follows the choice at its next block).
    void FollowEq();

  private:
    void OnClose(wxCloseEvent& event);

    std::unique_ptr<Prompter> m_prompter;
    std::vector<std::function<void()>> m_stopHooks;
    FrameControls m_controls;
    std::array<SideState, 2> m_sides;
    std::atomic<bool> m_wavesDrawn{false};  ///< written by the GUI thread, read by any
    unsigned m_sidesGeneration = 1;
    std::string m_lastPath;
    TrebleFilter m_treble;

    // Collaborators, made in this order and destroyed in the reverse one.
    std::unique_ptr<FrameMenus> m_menus;
    std::unique_ptr<HelpCommands> m_help;
    std::unique_ptr<SettingsCommands> m_settings;
    std::unique_ptr<LocateCommands> m_locate;
    std::unique_ptr<FrameAlbum> m_album;
    std::unique_ptr<FrameWaveforms> m_waveforms;
    std::unique_ptr<FrameJobs> m_jobs;
    std::unique_ptr<SmartSenseChoice> m_smartSense;
    std::unique_ptr<FrameRecording> m_recording;
};

/// The one main window; null before it is built and after it is gone.
extern MyFrame* g_frame;
