#pragma once
// The window's waveform view: the canvas that draws both sides, the rulers along them and
// the scroll bar, the view's zoom (Ctrl and the mouse wheel, the keys and buttons) and
// scrolling (the wheel, the scroll bar), the clicks over the canvas (a cut added with the
// left button, removed with the right, the listen dialog from a side's yellow band, the
// playhead with Shift and the left button, or in a ruler), the listen dialog's playback
// settings, and the places of all of these as the window grows. Every change of the cuts
// is an undo step (FrameSides). GUI thread only.

#include <functional>
#include <memory>

#include "app/Playhead.h"
#include "model/Side.h"
#include "waveview/TimeView.h"

struct FrameControls;
class FrameJobs;
class FrameMenus;
class FrameSides;
class ListenDialog;
class PlaybackSettings;
class StopHooks;
class wxDC;
class wxMouseEvent;
class wxScrollEvent;
class wxWindow;

class FrameWaveforms {
  public:
    /// Makes the canvas, the rulers and the scroll bar on `frame` over the panel (into
    /// `controls`) and takes the panel's clicks. It draws `sides` and `playhead`; no click
    /// counts while `jobs` runs one. The listen dialog plays with the `menus`' settings, and
    /// `stopHooks` end it when the window closes.
    FrameWaveforms(wxWindow& frame, FrameControls& controls, FrameSides& sides,
                   const FrameMenus& menus, const FrameJobs& jobs, Playhead& playhead,
                   StopHooks& stopHooks);
    ~FrameWaveforms();
    FrameWaveforms(const FrameWaveforms&) = delete;
    FrameWaveforms& operator=(const FrameWaveforms&) = delete;

    /// Shows the listen dialog modally for `side` around the fraction r of the side (0 at
    /// its start, 1 at its end). True when it closed with OK, which may have moved a cut.
    bool OpenListenDialog(Side side, float r);
    /// The listen dialog while it is shown, else null.
    ListenDialog* ShownListenDialog() const { return listenDialog_; }
    /// Runs before the listen dialog plays anything (the window stops its own playback).
    std::function<void()> beforeListening;

    // --- The view ---
    const TimeView& View() const { return view_; }
    /// Zooms by `factor` (above 1 in) around the pointer when it is over the canvas, else
    /// around the playhead when it shows, else around the middle.
    void Zoom(double factor);
    /// Zooms by `factor` keeping the place under canvas column x.
    void ZoomAround(double factor, double x);
    void ZoomToFit();
    /// Scrolls by `columns` pixels of the canvas (positive: later).
    void ScrollBy(double columns);

    /// Places the canvas, the rulers and the scroll bar for the frame's client size now.
    void Layout();
    /// Repaints the canvas and the rulers.
    void Refresh();

  private:
    void Draw(wxDC& dc, int W, int H, int half);
    void OnPanelMouse(wxMouseEvent& event);
    void OnWheel(wxMouseEvent& event, double x);
    void OnScroll(wxScrollEvent& event);
    void SetView(const TimeView& view);
    void ShowScrollBar();
    void OnPlayheadMoved(Playhead::Cause cause);
    /// The canvas column of the playhead, when it lies on a side with levels.
    std::optional<double> PlayheadColumn() const;
    /// The longer side's length, seconds (0 before any is drawn).
    double LongestSeconds() const;

    wxWindow& frame_;
    FrameControls& controls_;
    FrameSides& sides_;
    const FrameMenus& menus_;
    const FrameJobs& jobs_;
    Playhead& playhead_;
    StopHooks& stopHooks_;
    TimeView view_;
    ListenDialog* listenDialog_ = nullptr;
    /// What the listen dialog's playback reads; made with the first dialog.
    std::unique_ptr<PlaybackSettings> playbackSettings_;
};
