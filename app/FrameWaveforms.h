#pragma once
// The window's waveform view: the canvas that draws both sides, the clicks over it (a cut
// added with the left button, removed with the right, the listen dialog from a side's
// yellow band), and the listen dialog's playback settings. GUI thread only.

#include <memory>

#include "model/Side.h"

class ListenDialog;
class MyCanvas;
class MyFrame;
class PlaybackSettings;
class wxDC;
class wxMouseEvent;

class FrameWaveforms {
  public:
    /// Makes the canvas over the frame's panel (into `canvas`) and takes the panel's clicks.
    FrameWaveforms(MyFrame& frame, MyCanvas*& canvas);
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

    MyFrame& frame_;
    ListenDialog* listenDialog_ = nullptr;
    /// What the listen dialog's playback reads; made with the first dialog.
    std::unique_ptr<PlaybackSettings> playbackSettings_;
};
