#pragma once
// The main window: builds every control, menu and the status bar, and owns the program's
// state (per-side data, job flags, the last chosen path, the treble filter). Its members
// keep the names other parts of the program use for them.
//
// Thread contexts: everything is GUI thread only, except the settings queries and the
// job flags, which the worker thread and audio callbacks read too (see each).

#include <wx/frame.h>

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Prompter.h"
#include "engine/SettingsFile.h"
#include "engine/SideState.h"
#include "engine/SliceJob.h"
#include "engine/TrebleFilter.h"
#include "waveview/MyCanvas.h"
#include "waveview/PlaybackCallback.h"

class FrameAlbum;
class FrameRecording;
class ListenDialog;
class SmartSenseChoice;
class imgPanel;
class MyWorkerThread;
class wxButton;
class wxCheckBox;
class wxChoice;
class wxDC;
class wxGauge;
class wxMenu;
class wxMenuBar;
class wxTextCtrl;

constexpr const char* kProgramTitle = "Velvane, version 2.0";
constexpr int kTypedTimeFields = 2 * kTypedTimesPerSide;

// Button command ids.
constexpr int kIdLocateSide1 = 726;
constexpr int kIdLocateSide2 = 727;
constexpr int kIdRecordSide1 = 728;
constexpr int kIdRecordSide2 = 729;
constexpr int kIdLocateEncoder = 730;
constexpr int kIdSliceAutoOrTyped = 731;
constexpr int kIdDrawWaveforms = 732;
constexpr int kIdSliceMarkers = 733;

/// One menu group of check items kept exclusive by the frame. The checked id is mirrored
/// into `checked` (0 when nothing is checked) on the GUI thread whenever it changes, so
/// other threads read the setting without touching the menu.
struct CheckGroup {
    int first;
    int last;
    std::atomic<int> checked{0};
    bool Contains(int id) const { return id >= first && id <= last; }
};

class MyFrame : public wxFrame {
  public:
    /// Builds the fixed-size window (hidden; the caller shows it). `prompter` answers every
    /// dialog and message; null uses the real dialogs.
    MyFrame(const wxString& title, const wxPoint& position, const wxSize& size,
            std::unique_ptr<Prompter> prompter = nullptr);
    ~MyFrame() override;

    // --- Settings queries: the checked id of each group, or its fall-back. Any thread. ---
    /// The Rate id (200..206, else 202) into `rateId` when given; returns bit/s.
    int SelectedBitRate(int* rateId = nullptr) const;
    int SelectedFadeId() const;      ///< 300..303, else 300
    int SelectedVolumeId() const;    ///< 500 or 501, else 500
    int SelectedEqId() const;        ///< 708..715, else 708
    float TrebleBoostLevel() const;  ///< 0, 1, 2, 4 ... 12 of the checked EQ item, else 0

    // --- Commands also used at start-up (GUI thread) ---
    /// The values the settings file stores, as the controls and menus hold them now.
    SettingsFields CollectSettings() const;
    /// Puts the values into controls and menus in file order and re-tunes m_treble.
    void ApplySettings(const SettingsFields& fields);
    /// Reads and applies a settings file; on failure shows "Couldn't open!" and changes
    /// nothing. False on failure.
    bool LoadSettingsFile(const std::string& path);
    /// Makes `path` side 1's or 2's file if it is a 44.1 kHz stereo WAV file. Returns the
    /// "Wrong format" message text when it is not (nothing changed then), else nullopt.
    std::optional<wxString> LocateSide(int side, const std::string& path);
    /// Shows the "Wrong format" message box with `text`.
    void ShowWrongFormat(const wxString& text);
    /// Sets the path of the encoder and selects its kind when the path names one.
    void LocateEncoder(const std::string& path);

    /// Registers work to stop before the window goes away (a job, a recording, a
    /// playback). The close handler runs them in registration order, once.
    void AddStopHook(std::function<void()> stop);

    // --- Waveforms and cuts (GUI thread) ---
    /// Draws both sides' envelopes and cut markers onto a canvas of W x H pixels whose
    /// halves meet at row `half`.
    void DrawEnvelopes(wxDC& dc, int W, int H, int half);
    /// Index of the cut of `side` (0 or 1) nearest to the fraction r of its length; a tie
    /// goes to the later cut; 0 when the side has no cuts (or is neither 0 nor 1).
    int FindNearestCut(int side, float r) const;
    /// Shows the listen dialog modally for `side` around the fraction r of the canvas's
    /// width. True when it closed with OK, which may have moved a cut.
    bool OpenListenDialog(int side, float r);

    /// The window's prompter (for dialogs of other parts of the program).
    Prompter& Prompts() { return *m_prompter; }

    // --- Jobs (FrameJobs.cpp), GUI thread ---
    /// The three job buttons: start the job while none runs, else stop it. The recording
    /// calls OnSliceAutoOrTyped too when it was set to slice by itself.
    void OnSliceAutoOrTyped(wxCommandEvent& event);
    void OnDrawWaveforms(wxCommandEvent& event);
    void OnSliceByMarkers(wxCommandEvent& event);
    /// Stops a running job and waits for it; its last updates reach the window, its
    /// messages do not. For closing the window.
    void EndJobAndWait();
    /// The worker's last step, run on the GUI thread: joins it and restores the buttons.
    void JobEnded();
    /// The thread of the running job; null while none runs.
    std::unique_ptr<MyWorkerThread> m_worker;

    // --- Controls, children of the background panel ---
    imgPanel* m_panel = nullptr;
    wxButton* i_button3 = nullptr;      ///< "Rec..." side 1
    wxButton* i_button4 = nullptr;      ///< "Rec..." side 2
    wxTextCtrl* i_textCtrl1 = nullptr;  ///< side 1's WAV path (read-only)
    wxTextCtrl* i_textCtrl2 = nullptr;  ///< side 2's WAV path (read-only)
    wxButton* i_button1 = nullptr;      ///< "Locate..." side 1
    wxButton* i_button2 = nullptr;      ///< "Locate..." side 2
    wxChoice* m_cutsHow = nullptr;      ///< 0 Auto Sense, 1 Typed Times, 2 Smart Sense
    wxTextCtrl* c_textCtrl1 = nullptr;  ///< auto-sense silence length, seconds
    std::array<wxTextCtrl*, kTypedTimeFields> c_textCtrlTime{};  ///< 0..9 side 1, 10..19 side 2
    wxCheckBox* m_checkBox3 = nullptr;  ///< delete wave slices when finished
    wxCheckBox* w_checkBox1 = nullptr;  ///< voice message after slicing
    wxCheckBox* m_checkBox1 = nullptr;  ///< create MP3 (or Ogg) files
    wxButton* m_button1 = nullptr;      ///< "Locate encoder..."
    wxChoice* m_choice1 = nullptr;      ///< encoder kind (EncoderKind order)
    wxTextCtrl* m_textCtrl1 = nullptr;  ///< encoder path (read-only)
    wxCheckBox* m_checkBox2 = nullptr;  ///< voice message after encoding
    wxGauge* p_wxGauge1 = nullptr;      ///< slicing progress, 0..100
    wxGauge* p_wxGauge2 = nullptr;      ///< encoding progress, 0..100
    wxButton* e_button2 = nullptr;      ///< "Draw waveforms"
    wxButton* e_button3 = nullptr;      ///< "Slice using waveform markers"
    wxButton* e_button1 = nullptr;      ///< "Slice using auto sense or typed times"
    /// The waveform canvas (10,199 540x100 DU), a child of the frame over the panel.
    MyCanvas* m_canvas = nullptr;

    // --- Menus ---
    wxMenuBar* m_menuBar = nullptr;
    wxMenu* m_fileMenu = nullptr;
    wxMenu* m_rateMenu = nullptr;
    wxMenu* m_fadesMenu = nullptr;
    wxMenu* m_volumeMenu = nullptr;
    wxMenu* m_inputMenu = nullptr;  ///< filled from the audio devices by the recording part
    wxMenu* m_eqMenu = nullptr;
    wxMenu* m_helpMenu = nullptr;

    // --- Program state ---
    std::array<SideState, 2> m_sides;  ///< side 1, side 2
    /// True when no job runs. Written by the worker and the Stop path, read by the GUI.
    std::atomic<bool> m_idle{true};
    /// True once "Draw waveforms" has finished for the sides now named. Any thread.
    std::atomic<bool> m_wavesDrawn{false};
    /// True while a slicing job runs. Written by the worker, read by the mouse handler.
    std::atomic<bool> m_slicing{false};
    /// Stop pressed on a slicing job. Written by the GUI thread, polled by the worker.
    std::atomic<bool> m_stopRequested{false};
    /// The last path the user chose: default folder of the file dialogs, field 1 of the
    /// settings file. At most kMaxLastPath bytes. GUI thread.
    std::string m_lastPath;
    static constexpr std::size_t kMaxLastPath = 1023;
    /// The treble boost filter, re-tuned on the GUI thread by EQ commands and settings.
    TrebleFilter m_treble;

    CheckGroup m_rateGroup{200, 206};
    CheckGroup m_fadeGroup{300, 303};
    CheckGroup m_volumeGroup{500, 501};
    CheckGroup m_eqGroup{708, 715};

    /// Recording sides: the Input menu, the Rec buttons, m_stereoInputs and m_recorder.
    std::unique_ptr<FrameRecording> m_recording;
    /// Smart Sense's items in m_cutsHow and its song counts.
    std::unique_ptr<SmartSenseChoice> m_smartSense;
    /// Album fields and track titles, and the cut list commands of the File menu.
    std::unique_ptr<FrameAlbum> m_album;

    /// The listen dialog while it is shown, else null. GUI thread.
    ListenDialog* m_listenDialog = nullptr;

  private:
    friend class FrameRecording;  // sets the last path and reads its folder
    friend class FrameAlbum;      // reads the last path's folder
    void BuildMenus();
    void BindJobs();
    void StartOrStopJob(SliceJob job);
    void BuildControls();
    /// Checks `id` in `group` and unchecks the rest; an id outside the group leaves the
    /// whole group unchecked. Updates the group's mirror.
    void CheckInGroup(wxMenu* menu, CheckGroup& group, int id);
    void RetuneTreble();
    void SetLastPath(const std::string& path);
    /// m_lastPath as a folder for a dialog: its folder when it names a file.
    wxString LastFolder() const;

    void OnGroupItem(wxCommandEvent& event);
    void OnExit(wxCommandEvent& event);
    void OnOpenSettings(wxCommandEvent& event);
    void OnSaveSettings(wxCommandEvent& event);
    void OnLocateSide(wxCommandEvent& event);
    void OnLocateEncoder(wxCommandEvent& event);
    void OnAbout(wxCommandEvent& event);
    void OnBasicHelp(wxCommandEvent& event);
    void OnManual(wxCommandEvent& event);
    void OnHomePage(wxCommandEvent& event);
    void OnDownload(wxCommandEvent& event);
    void OnClose(wxCloseEvent& event);

    std::unique_ptr<Prompter> m_prompter;
    std::vector<std::function<void()>> m_stopHooks;
    /// What the listen dialog's playback reads; made with the first dialog.
    std::unique_ptr<PlaybackSettings> m_playbackSettings;
};

/// The one main window; null before it is built and after it is gone.
extern MyFrame* g_frame;
