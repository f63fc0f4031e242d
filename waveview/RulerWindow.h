#pragma once
// A time ruler along one side's half of the waveform canvas, as wide as the canvas and
// column for column with it: "m:ss" labels and ticks for the part of the side the view
// shows, each cut's marker with its number, and the playhead. Side 1's hangs above the
// canvas with its ticks down; side 2's lies below it with its ticks up. A left click asks
// for the playhead there. GUI thread only.

#include <wx/window.h>

#include <functional>
#include <optional>

#include "model/Side.h"
#include "model/SideState.h"
#include "waveview/TimeView.h"

class wxDC;
class wxMouseEvent;
class wxPaintEvent;

class RulerWindow : public wxWindow {
  public:
    /// What the ruler shows, asked at each paint.
    struct Content {
        const SideState* side = nullptr;  ///< its length and cuts; null: empty ruler
        TimeView view;
        std::optional<double> playheadSeconds;  ///< on this side
    };
    using ContentSource = std::function<Content()>;
    /// A left click at fraction f of the side (through the view).
    using ClickHandler = std::function<void(double f)>;

    RulerWindow(wxWindow* parent, Side side, ContentSource content, ClickHandler click);

    /// The whole ruler onto `dc` at its origin, `width` x `height` pixels.
    void PaintRuler(wxDC& dc, int width, int height);

  private:
    void OnPaint(wxPaintEvent& event);
    void OnMouse(wxMouseEvent& event);

    Side m_side;
    ContentSource m_content;
    ClickHandler m_click;
};
