#pragma once
// The main window. It builds the controls (FrameControls), the menu bar (FrameMenus) and
// the parts that carry out its commands, each in its own file: the jobs, recording, the
// waveform view, the transport, the editing commands, settings files, locating files,
// help, the album and Smart Sense's choices. It owns what the parts share (the sides' state
// and their cuts' history, the playhead, the last chosen path, the album, the prompter, the
// stop hooks) and hands each part what it uses. It may be resized: at its default size
// every control has its place, and the waveform view takes whatever it grows beyond that.
//
// Thread contexts: GUI thread only. Other threads reach the window only through the
// worker's JobContext (FrameJobContext), which carries its reads and updates to the GUI
// thread, and through the menus' settings queries.

#include <wx/frame.h>

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "album/Album.h"
#include "app/FrameControls.h"
#include "app/FrameSides.h"
#include "app/LastPath.h"
#include "app/Playhead.h"
#include "app/Prompter.h"
#include "app/StopHooks.h"
#include "model/Side.h"
#include "model/SideState.h"

class FrameAlbum;
class FrameEditing;
class FrameJobs;
class FrameMenus;
class FrameRecording;
class FrameTransport;
class FrameWaveforms;
class HelpCommands;
class LocateCommands;
class SettingsCommands;
class SmartSenseChoice;
struct TrebleFilter;

constexpr const char* kProgramTitle = "Velvane, version 2.0";

class MyFrame : public wxFrame {
  public:
    /// Builds the window at its default size (hidden; the caller shows it). `prompter`
    /// answers every dialog and message; null uses the real dialogs.
    MyFrame(const wxString& title, const wxPoint& position, const wxSize& size,
            std::unique_ptr<Prompter> prompter = nullptr);
    ~MyFrame() override;

    // --- The parts, for the application object and the tests ---
    /// The controls, by the names the window's layout gives them.
    const FrameControls& Controls() const { return m_controls; }
    FrameMenus& Menus() { return *m_menus; }
    const FrameMenus& Menus() const { return *m_menus; }
    FrameJobs& Jobs() { return *m_jobs; }
    FrameRecording& Recording() { return *m_recording; }
    FrameWaveforms& Waveforms() { return *m_waveforms; }
    FrameTransport& Transport() { return *m_transport; }
    FrameEditing& Editing() { return *m_editing; }
    SettingsCommands& Settings() { return *m_settings; }
    LocateCommands& Locate() { return *m_locate; }
    FrameAlbum& Album() { return *m_album; }

    /// Registers work to stop before the window goes away (a job, a recording, a
    /// playback). The close handler runs them in registration order, once.
    void AddStopHook(std::function<void()> stop) { m_stopHooks.Add(std::move(stop)); }

    // --- What the parts share (see FrameSides, LastPath) ---
    SideState& SideAt(Side side) { return m_sides.At(side); }
    const SideState& SideAt(Side side) const { return m_sides.At(side); }
    const std::array<SideState, 2>& Sides() const { return m_sides.All(); }
    bool WavesDrawn() const { return m_sides.WavesDrawn(); }
    /// The sides with their cuts' history (undo, redo).
    FrameSides& SidesModel() { return m_sides; }
    ::Playhead& Playhead() { return m_playhead; }
    void SetWavesDrawn(bool drawn) { m_sides.SetWavesDrawn(drawn); }
    const std::string& LastPath() const { return m_lastPath.Value(); }
    void SetLastPath(const std::string& path) { m_lastPath.Set(path); }
    /// The treble boost filter, kept by the jobs (FrameJobs::Treble).
    TrebleFilter& Treble();

  private:
    void OnClose(wxCloseEvent& event);
    /// The panel covers the client area; the waveform view takes what it grew.
    void OnSize(wxSizeEvent& event);
    /// While a job or a recording runs: asks whether to stop it and close. True to close.
    bool MayClose();

    // What the parts share; made first, destroyed last.
    std::unique_ptr<Prompter> m_prompter;
    StopHooks m_stopHooks;
    FrameControls m_controls;
    FrameSides m_sides;
    ::LastPath m_lastPath;
    AlbumInfo m_albumInfo;
    ::Playhead m_playhead;

    // The parts, made in this order and destroyed in the reverse one.
    std::unique_ptr<FrameMenus> m_menus;
    std::unique_ptr<HelpCommands> m_help;
    std::unique_ptr<SettingsCommands> m_settings;
    std::unique_ptr<LocateCommands> m_locate;
    std::unique_ptr<SmartSenseChoice> m_smartSense;
    std::unique_ptr<FrameJobs> m_jobs;
    std::unique_ptr<FrameTransport> m_transport;
    std::unique_ptr<FrameWaveforms> m_waveforms;
    std::unique_ptr<FrameAlbum> m_album;
    std::unique_ptr<FrameEditing> m_editing;
    std::unique_ptr<FrameRecording> m_recording;
};

/// The one main window; null before it is built and after it is gone.
extern MyFrame* g_frame;
