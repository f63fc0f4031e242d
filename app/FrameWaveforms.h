#pragma once
// The window's waveform view: the canvas that draws both sides, the clicks over it (a cut
// added with the left button, removed with the right, the listen dialog from a side's
// yellow band), and the listen dialog's playback settings. GUI thread only.

#include <memory>

#include "model/Side.h"

struct FrameControls;
class FrameJobs;
class FrameMenus;
class FrameSides;
class ListenDialog;
class PlaybackSettings;
class StopHooks;
class wxDC;
class wxMouseEvent;
class wxWindow;

class FrameWaveforms {
  public:
    /// Makes the canvas on `frame` over the panel (into controls.m_canvas) and takes the
    /// panel's clicks. It draws `sides`; no click counts while `jobs` runs one. The listen
    /// dialog plays with the `menus`' settings, and `stopHooks` end it when the window closes.
    FrameWaveforms(wxWindow& frame, FrameControls& controls, FrameSides& sides,
                   const FrameMenus& menus, const FrameJobs& jobs, StopHooks& stopHooks);
    ~FrameWaveforms();
    FrameWaveforms(const FrameWaveforms&) = delete;
    FrameWaveforms& operator=(const FrameWaveforms&) = delete;

    /// Shows the listen dialog modally for `side` around the fraction r of the canvas's
    /// width. True when it closed with OK, which may have moved a cut.
    bool OpenListenDialog(Side side, float r);
    /// The listen dialog while it is shown, else null.
    ListenDialog* ShownListenDialog() const { return listenDialog_; }

  private:
    void Draw(wxDC& dc, int W, int H, int half);
    void OnPanelMouse(wxMouseEvent& event);

    wxWindow& frame_;
    const FrameControls& controls_;
    FrameSides& sides_;
    const FrameMenus& menus_;
    const FrameJobs& jobs_;
    StopHooks& stopHooks_;
    ListenDialog* listenDialog_ = nullptr;
    /// What the listen dialog's playback reads; made with the first dialog.
    std::unique_ptr<PlaybackSettings> playbackSettings_;
};
