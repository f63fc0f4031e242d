#pragma once
// The waveform canvas: a strip on the main window showing both sides' loudness envelopes
// and cut markers (the whole sides, or the part a zoomed view shows), each half topped by a
// pale yellow listen band with its caption. It only draws; clicks over it are handed to
// another window (the main panel) to handle.
// GUI thread only.

#include <wx/event.h>
#include <wx/scrolwin.h>

#include <array>
#include <functional>

#include "waveview/CanvasGeometry.h"

class wxDC;
class wxMouseEvent;
class wxPaintEvent;

extern const wxColour kListenBandColour;  ///< 255, 255, 160
/// The captions of the two listen bands.
extern const char* const kListenCaptions[2];

/// Every kind of mouse event: down, up and double click of the three buttons, motion,
/// enter, leave and wheel.
extern const std::array<wxEventTypeTag<wxMouseEvent>, 13> kMouseEventTypes;

namespace waveview {

/// The canvas's place and click geometry on `frame`, from its dialog-unit conversion and
/// its client size now: 10,199 540x100 DU at the default size, wider and taller by what the
/// window grew beyond it.
CanvasGeometry MeasureCanvas(const wxWindow& frame);

}  // namespace waveview

class MyCanvas : public wxScrolledWindow {
  public:
    /// Draws the envelopes and markers of both sides onto a canvas of W x H pixels whose
    /// halves meet at row `half`.
    using EnvelopeDrawer = std::function<void(wxDC& dc, int W, int H, int half)>;

    /// Creates the canvas as a child of `owner` (the main frame) at its fixed place.
    MyCanvas(wxWindow* owner, EnvelopeDrawer drawEnvelopes);

    /// The whole picture onto `dc`, at its origin, with the geometry of the owner's
    /// dialog-unit conversion now (not the canvas's own size).
    void PaintWaveforms(wxDC& dc);

    /// From now on every mouse event over the canvas is handed to `target`'s handlers with
    /// its position in `target`'s client coordinates, as if the canvas were not there.
    void ForwardMouseTo(wxWindow* target);

  private:
    void OnPaint(wxPaintEvent& event);
    void OnMouseOver(wxMouseEvent& event);

    wxWindow* m_owner;
    EnvelopeDrawer m_drawEnvelopes;
    wxWindow* m_mouseTarget = nullptr;
};
