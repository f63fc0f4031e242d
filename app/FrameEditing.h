#pragma once
// The window's editing commands: the Edit menu (Undo, Redo, the cut list), the View menu
// (zoom) and the Play menu (the transport), with their shortcuts; and the plain keys of the
// waveform view: the space bar plays or pauses, + and - zoom around the pointer, 0 fits the
// sides, [ and ] play from the previous or next cut. A plain key is the view's unless the
// focused control needs it itself (a text field, a choice, the space bar on another button).
// GUI thread only.

class CutListDialog;
struct FrameControls;
class FrameJobs;
class FrameMenus;
class FrameSides;
class FrameTransport;
class FrameWaveforms;
class Playhead;
class wxCommandEvent;
class wxFrame;
class wxKeyEvent;
class wxUpdateUIEvent;
class wxWindow;

class FrameEditing {
  public:
    /// Binds the Edit, View and Play menus' commands and the keys on `frame`.
    FrameEditing(wxFrame& frame, const FrameControls& controls, FrameSides& sides,
                 const FrameJobs& jobs, FrameWaveforms& waveforms, FrameTransport& transport,
                 Playhead& playhead);

    /// Undo and Redo of the cuts; nothing while a job runs (it may be rewriting them).
    void Undo();
    void Redo();
    /// Shows the cut list (made at the first call), for the side of the playhead.
    void ShowCutList();
    /// The cut list once shown, else null.
    CutListDialog* CutList() const { return cutList_; }

    /// True when the plain key `key` belongs to the focused control `focus`.
    bool FocusTakes(const wxWindow* focus, int key) const;

  private:
    void OnCommand(wxCommandEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void OnUpdate(wxUpdateUIEvent& event);

    wxFrame& frame_;
    const FrameControls& controls_;
    FrameSides& sides_;
    const FrameJobs& jobs_;
    FrameWaveforms& waveforms_;
    FrameTransport& transport_;
    Playhead& playhead_;
    CutListDialog* cutList_ = nullptr;  ///< owned by the frame
};
