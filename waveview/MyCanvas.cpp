#include "waveview/MyCanvas.h"

#include <wx/dcbuffer.h>

#include <algorithm>

#include "waveview/PixelLines.h"

const wxColour kListenBandColour(255, 255, 160);
const char* const kListenCaptions[2] = {
    "Side 1 - Click on a horisontal position in this box (the yellow area) to listen and make "
    "fine adjustments - Click on the waveform below to add and remove cuts",
    "Side 2 - Click on a horisontal position in this box (the yellow area) to listen and make "
    "fine adjustments - Click on the waveform below to add and remove cuts",
};

namespace {

constexpr int kYellowRows = 15;  // rows 1..15 of each half; row 16 closes the band
constexpr int kCaptionPoints = 8;
constexpr int kCaptionX = 5;
constexpr int kCaptionY = 2;

}  // namespace

const std::array<wxEventTypeTag<wxMouseEvent>, 13> kMouseEventTypes = {
    wxEVT_LEFT_DOWN,     wxEVT_LEFT_UP,      wxEVT_LEFT_DCLICK, wxEVT_MIDDLE_DOWN,  wxEVT_MIDDLE_UP,
    wxEVT_MIDDLE_DCLICK, wxEVT_RIGHT_DOWN,   wxEVT_RIGHT_UP,    wxEVT_RIGHT_DCLICK, wxEVT_MOTION,
    wxEVT_ENTER_WINDOW,  wxEVT_LEAVE_WINDOW, wxEVT_MOUSEWHEEL,
};

CanvasGeometry waveview::MeasureCanvas(const wxWindow& frame) {
    CanvasGeometry g;
    const wxPoint corner = frame.ConvertDialogToPixels(wxPoint(canvas_du::kLeft, canvas_du::kTop));
    wxSize size = frame.ConvertDialogToPixels(wxSize(canvas_du::kWidth, canvas_du::kHeight));
    const wxSize window =
        frame.ConvertDialogToPixels(wxSize(canvas_du::kWindowWidth, canvas_du::kWindowHeight));
    const wxSize client = frame.GetClientSize();
    size.x += std::max(0, client.x - window.x);
    size.y += std::max(0, client.y - window.y);
    g.cx = corner.x;
    g.cy = corner.y;
    g.width = size.x;
    g.height = size.y;
    g.half = size.y / 2;
    g.band = frame.ConvertDialogToPixels(wxSize(canvas_du::kListenBand, canvas_du::kListenBand)).y;
    return g;
}

MyCanvas::MyCanvas(wxWindow* owner, EnvelopeDrawer drawEnvelopes)
    : wxScrolledWindow(
          owner, wxID_ANY, owner->ConvertDialogToPixels(wxPoint(canvas_du::kLeft, canvas_du::kTop)),
          owner->ConvertDialogToPixels(wxSize(canvas_du::kWidth, canvas_du::kHeight)), 0, "panel"),
      m_owner(owner),
      m_drawEnvelopes(std::move(drawEnvelopes)) {
    // Every paint covers the whole canvas: no separate erase, so nothing flickers.
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, &MyCanvas::OnPaint, this);
}

void MyCanvas::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    PaintWaveforms(dc);
}

void MyCanvas::PaintWaveforms(wxDC& dc) {
    const CanvasGeometry g = waveview::MeasureCanvas(*m_owner);
    const int W = g.width;
    const int H = g.height;
    const int half = g.half;

    dc.SetBackground(*wxWHITE_BRUSH);
    dc.Clear();
    {
        PixelLines lines(dc);
        lines.SetColour(*wxBLACK);
        lines.Line(0, 0, W - 1, 0);
        lines.Line(W - 1, 0, W - 1, H);
        lines.Line(0, 0, 0, H - 1);
        lines.Line(0, H - 1, W - 1, H - 1);

        // Each half darkest just below its top, nearly white at its bottom.
        for (int y = 1; y <= H - 2; ++y) {
            const float v = y <= half ? static_cast<float>(y) / static_cast<float>(half)
                                      : static_cast<float>(y - half) / static_cast<float>(half);
            const int grey = 100 - static_cast<int>(v * -154.0);
            lines.SetColour(wxColour(grey, grey, grey));
            lines.Line(1, y, W - 1, y);
        }

        lines.SetColour(kListenBandColour);
        for (int k = 1; k <= kYellowRows; ++k) {
            lines.Line(1, k, W - 1, k);
            lines.Line(1, half + k, W - 1, half + k);
        }
        lines.SetColour(*wxBLACK);
        lines.Line(1, kYellowRows + 1, W - 1, kYellowRows + 1);
        lines.Line(1, half + kYellowRows + 1, W - 1, half + kYellowRows + 1);
    }

    if (m_drawEnvelopes) m_drawEnvelopes(dc, W, H, half);

    dc.SetTextForeground(*wxBLACK);
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    dc.SetFont(wxFont(kCaptionPoints, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL,
                      false, wxEmptyString));
    dc.DrawText(kListenCaptions[0], kCaptionX, kCaptionY);
    dc.DrawText(kListenCaptions[1], kCaptionX, half + kCaptionY);

    PixelLines lines(dc);
    lines.SetColour(*wxBLACK);
    lines.Line(1, half, W - 1, half);
}

void MyCanvas::ForwardMouseTo(wxWindow* target) {
    if (!m_mouseTarget)
        for (const auto& type : kMouseEventTypes) Bind(type, &MyCanvas::OnMouseOver, this);
    m_mouseTarget = target;
}

void MyCanvas::OnMouseOver(wxMouseEvent& event) {
    if (!m_mouseTarget) {
        event.Skip();
        return;
    }
    wxMouseEvent forwarded(event);
    forwarded.SetPosition(m_mouseTarget->ScreenToClient(ClientToScreen(event.GetPosition())));
    forwarded.SetEventObject(m_mouseTarget);
    forwarded.SetId(m_mouseTarget->GetId());
    m_mouseTarget->GetEventHandler()->ProcessEvent(forwarded);
}
