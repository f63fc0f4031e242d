#pragma once
// The main window's menu bar: its menus (File, Edit, View, Play, then the settings' Rate,
// Fades, Volume, Input, EQ and Repair, then Help), the exclusive check groups (Rate, Fades,
// Volume, EQ, Repair) kept exclusive here, and the settings queries that read them.
//
// Thread contexts: everything on the GUI thread, except the queries, which any thread may
// call (the worker, the preview's audio callback): each group's checked id is mirrored into
// an atomic whenever it changes.

#include <atomic>
#include <functional>

#include "settings/MenuSettings.h"
#include "settings/ProcessingSettings.h"
#include "sidefile/SideFormat.h"

class wxCommandEvent;
class wxFrame;
class wxMenu;
class wxMenuBar;

// The File and Help menus' items (the check groups' ids are in engine/MenuSettings.h).
constexpr int kIdAbout = 100;
constexpr int kIdOpenSettings = 101;
constexpr int kIdSaveSettings = 102;
constexpr int kIdExit = 103;
constexpr int kIdHomePage = 400;
constexpr int kIdBasicHelp = 401;
constexpr int kIdManual = 402;
constexpr int kIdDownloadEncoder = 404;
// The Edit, View and Play menus' items (handled by FrameEditing).
constexpr int kIdUndo = 110;
constexpr int kIdRedo = 111;
constexpr int kIdCutList = 112;
constexpr int kIdZoomIn = 120;
constexpr int kIdZoomOut = 121;
constexpr int kIdZoomToFit = 122;
constexpr int kIdPlayPause = 130;
constexpr int kIdStopPlaying = 131;
constexpr int kIdPlayPreviousCut = 132;
constexpr int kIdPlayNextCut = 133;
constexpr int kIdCdAudio = 510;  ///< Volume: "Write slices as CD audio (44.1 kHz 16-bit)"

/// One menu group of check items; the checked id is mirrored into `checked` (0 when
/// nothing is checked).
struct CheckGroup {
    int first;
    int last;
    std::atomic<int> checked{0};
    bool Contains(int id) const { return id >= first && id <= last; }
};

class FrameMenus {
  public:
    /// Builds the menu bar on `frame` with the groups' defaults checked. `eqChanged` runs
    /// after every EQ choice (the frame re-tunes its filter).
    FrameMenus(wxFrame& frame, std::function<void()> eqChanged);

    wxMenuBar* m_menuBar = nullptr;
    wxMenu* m_fileMenu = nullptr;  ///< About, Open, Save, (album commands), Exit
    wxMenu* m_editMenu = nullptr;  ///< Undo, Redo, Cut list...
    wxMenu* m_viewMenu = nullptr;  ///< Zoom in, Zoom out, Zoom to fit
    wxMenu* m_playMenu = nullptr;  ///< Play / Pause, Stop, from the previous or next cut
    wxMenu* m_rateMenu = nullptr;
    wxMenu* m_fadesMenu = nullptr;
    wxMenu* m_volumeMenu = nullptr;
    wxMenu* m_inputMenu = nullptr;  ///< filled from the audio devices by the recording part
    wxMenu* m_eqMenu = nullptr;
    wxMenu* m_repairMenu = nullptr;  ///< click repair: Off, Light, Medium, Strong
    wxMenu* m_helpMenu = nullptr;

    // --- Settings queries: the checked id of each group, or its fall-back. Any thread. ---
    /// The Rate id (200..206, else 202) into `rateId` when given; returns bit/s.
    int SelectedBitRate(int* rateId = nullptr) const;
    int SelectedFadeId() const;      ///< 300..303, else 300
    int SelectedVolumeId() const;    ///< 500 or 501, else 500
    int SelectedEqId() const;        ///< 708..715, else 708
    int SelectedRepairId() const;    ///< 800..803, else 800 (Off)
    float TrebleBoostLevel() const;  ///< 0, 1, 2, 4 ... 12 of the checked EQ item, else 0
    bool Normalize() const;          ///< the Volume menu's "Normalize" is checked
    bool CdAudio() const;            ///< "Write slices as CD audio" is checked
    /// The groups' settings in one value, as the jobs and the preview read them.
    ProcessingSettings Processing() const;

    /// Checks these ids in their groups (a settings file's fields); an id outside its group
    /// leaves the whole group unchecked. Does not call eqChanged. GUI thread.
    void CheckIds(int rateId, int fadeId, int volumeId, int eqId);
    /// Checks the Repair item of `id` (800..803; any other id checks Off). GUI thread.
    void CheckRepair(int id);
    /// Checks or clears "Write slices as CD audio". GUI thread.
    void CheckCdAudio(bool checked);

    /// The format recordings are made in: chosen in the levels dialog, kept with the
    /// settings. GUI thread.
    SideFormat recordingFormat;

  private:
    void OnGroupItem(wxCommandEvent& event);
    static void Check(wxMenu* menu, CheckGroup& group, int id);

    std::function<void()> eqChanged_;
    CheckGroup rate_{menu::kRateFirst, menu::kRateLast};
    CheckGroup fade_{menu::kFadeFirst, menu::kFadeLast};
    CheckGroup volume_{menu::kVolumeKeep, menu::kVolumeNormalize};
    CheckGroup eq_{menu::kEqFirst, menu::kEqLast};
    CheckGroup repair_{menu::kRepairFirst, menu::kRepairLast};
    std::atomic<bool> cdAudio_{false};
};
