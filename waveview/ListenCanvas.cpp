#include "waveview/ListenCanvas.h"

#include <wx/dcbuffer.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "slice/RepairedReader.h"
#include "waveview/Envelopes.h"
#include "waveview/MyCanvas.h"
#include "waveview/PixelLines.h"

const char* const kLoadingText = "Loading Audio - Please Wait";
const char* const kCannotOpenText = "The wave file could not be opened!";

namespace {

constexpr int kRight = ListenCanvas::kWidth - 1;    // 619
constexpr int kBottom = ListenCanvas::kHeight - 1;  // 189
constexpr int kHeaderRows = 15;                     // rows 1..15; row 16 closes the header
constexpr int kTextPoints = 8;
const wxColour kHeaderGrey(222, 222, 222);

void Border(PixelLines& lines) {
    lines.SetColour(*wxBLACK);
    lines.Line(0, 0, kRight, 0);
    lines.Line(kRight, 0, kRight, kBottom);
    lines.Line(0, 0, 0, kBottom);
    lines.Line(0, kBottom, kRight, kBottom);
}

// The row of a column's peak: 18 at full scale, 188 for silence.
int PeakRow(std::int16_t peak) {
    const auto scaled = static_cast<float>(static_cast<float>(peak / 32768.0f) * 0.9);
    return ListenCanvas::kHeight - static_cast<int>(std::trunc(scaled * 190.0)) - 2;
}

// The line (x, y0)-(x + 1, y1) without its end point, as the classic line primitive sets
// its pixels: the first half of the rise in column x, the rest in column x + 1.
void ColumnStep(PixelLines& lines, int x, int y0, int y1) {
    if (y0 == y1) {
        lines.Line(x, y0, x + 1, y0);
        return;
    }
    const int n = std::abs(y1 - y0);
    const int dir = y1 > y0 ? 1 : -1;
    const int turn = y0 + dir * ((n + 1) / 2);
    lines.Line(x, y0, x, turn);
    lines.Line(x + 1, turn, x + 1, y1);
}

}  // namespace

ListenCanvas::ListenCanvas(wxWindow* owner, const wxPoint& position, ListenView view)
    : wxScrolledWindow(owner, wxID_ANY, position, wxSize(kWidth, kHeight), 0, "panel"),
      m_view(std::move(view)) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, &ListenCanvas::OnPaint, this);
    for (const auto& type : kMouseEventTypes) Bind(type, &ListenCanvas::OnMouse, this);
}

bool ListenCanvas::Load() {
    if (!m_loaded) {
        m_loaded = true;
        m_loadFailed = !waveview::LoadListenWindow(m_view.path, m_view.startFrame, m_audio,
                                                   slice::RepairStrengthOf(m_view.repairLevel));
    }
    return !m_loadFailed;
}

const ListenAudio& ListenCanvas::Audio() {
    Load();
    return m_audio;
}

void ListenCanvas::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    PaintListen(dc);
}

void ListenCanvas::PaintListen(wxDC& dc) {
    dc.SetBackground(*wxWHITE_BRUSH);
    dc.Clear();
    {
        PixelLines lines(dc);
        Border(lines);
        lines.SetColour(kHeaderGrey);
        for (int y = 1; y <= kHeaderRows; ++y) lines.Line(1, y, kRight, y);
        lines.SetColour(*wxBLACK);
        lines.Line(1, kHeaderRows + 1, kRight, kHeaderRows + 1);
    }

    dc.SetTextForeground(*wxBLACK);
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    dc.SetFont(wxFont(kTextPoints, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL));
    dc.DrawText(wxString::Format("Song %d / %d", m_view.songA, m_view.songB), 5, 2);
    dc.DrawText(kLoadingText, 230, 95);

    const bool ok = Load();
    // The picture's white middle, which also takes the loading text away.
    dc.SetPen(*wxWHITE_PEN);
    dc.SetBrush(*wxWHITE_BRUSH);
    dc.DrawRectangle(30, 30, 560, 130);
    if (!ok) {
        dc.DrawText(kCannotOpenText, 200, 95);
        dc.SetPen(wxNullPen);
        dc.SetBrush(wxNullBrush);
        return;
    }

    PixelLines lines(dc);
    lines.SetColour(m_view.side == Side::One ? kSide1Envelope : kSide2Envelope);
    int previousY = ListenCanvas::kHeight - 2;
    for (int i = 1; i <= kListenColumns - 2; ++i) {
        const int y = PeakRow(m_audio.columnPeaks[i]);
        ColumnStep(lines, i - 1, previousY, y);
        previousY = y;
    }
    lines.SetColour(*wxBLACK);
    lines.Line(m_markerX, kHeaderRows + 1, m_markerX, kBottom);
    Border(lines);
}

void ListenCanvas::MoveMarker(int columns) {
    m_markerX = std::clamp(m_markerX + columns, 0, kRight);
    Refresh(true);
}

void ListenCanvas::OnMouse(wxMouseEvent& event) {
    // A quick second click comes as a double click: it moves the marker all the same.
    if (!event.ButtonDown() && !event.ButtonDClick()) {
        event.Skip();
        return;
    }
    m_markerX = std::clamp(event.GetX(), 0, kRight);
    Refresh(true);
}
