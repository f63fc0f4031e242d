#include "waveview/RulerWindow.h"

#include <wx/dcbuffer.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "waveview/Envelopes.h"
#include "waveview/PixelLines.h"
#include "waveview/RulerTicks.h"

namespace {

const wxColour kRulerBackground(232, 232, 226);
const wxColour kRulerInk(40, 40, 40);
constexpr int kLabelPoints = 7;
constexpr int kLabelGap = 5;   // pixels between a label and the next one, at least
constexpr int kMajorTick = 5;  // tick lengths, pixels
constexpr int kMinorTick = 2;
constexpr int kMarkerWidth = 2;  // a cut's marker and its number's box

wxFont LabelFont() {
    return wxFont(kLabelPoints, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL);
}

}  // namespace

RulerWindow::RulerWindow(wxWindow* parent, Side side, ContentSource content, ClickHandler click)
    : wxWindow(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxFULL_REPAINT_ON_RESIZE,
               side == Side::One ? "ruler1" : "ruler2"),
      m_side(side),
      m_content(std::move(content)),
      m_click(std::move(click)) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, &RulerWindow::OnPaint, this);
    Bind(wxEVT_LEFT_DOWN, &RulerWindow::OnMouse, this);
    Bind(wxEVT_LEFT_DCLICK, &RulerWindow::OnMouse, this);
}

void RulerWindow::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    const wxSize size = GetClientSize();
    PaintRuler(dc, size.x, size.y);
}

void RulerWindow::PaintRuler(wxDC& dc, int width, int height) {
    dc.SetBackground(wxBrush(kRulerBackground));
    dc.Clear();
    const Content content = m_content ? m_content() : Content{};
    if (!content.side || content.side->levelCount == 0 || width <= 0) return;
    const SideState& side = *content.side;
    const double seconds = side.levelCount / 10.0;
    // Ticks grow from the edge that meets the canvas: the bottom above it, the top below.
    const bool down = m_side == Side::One;
    const int edge = down ? height - 1 : 0;
    const auto tickRow = [&](int length) { return down ? edge - length + 1 : edge; };

    dc.SetFont(LabelFont());
    const int labelWidth = dc.GetTextExtent("00:00").x + kLabelGap;
    const std::vector<RulerTick> ticks =
        waveview::RulerTicks(content.view, seconds, width, labelWidth);
    {
        PixelLines lines(dc);
        lines.SetColour(kRulerInk);
        lines.Line(0, edge, width, edge);
        for (const RulerTick& tick : ticks) {
            const int x = static_cast<int>(std::floor(tick.x));
            const int length = tick.major ? kMajorTick : kMinorTick;
            lines.Line(x, tickRow(length), x, tickRow(length) + length);
        }
    }
    // Each cut's number in a box of the side's colour, where its marker meets the ruler; a
    // label that a box would cover is left out.
    std::vector<std::pair<wxRect, wxString>> boxes;
    for (std::uint32_t i = 0; i < std::min(side.cutCount, kMaxCuts); ++i) {
        const double x = std::floor(waveview::ColumnOf(
            content.view, static_cast<double>(side.cuts[i]) / side.levelCount, width));
        if (x < 0 || x >= width) continue;
        const wxString number = wxString::Format("%u", i + 1);
        const wxSize extent = dc.GetTextExtent(number);
        boxes.emplace_back(wxRect(static_cast<int>(x) - kMarkerWidth / 2,
                                  down ? height - extent.y : 0, extent.x + 4, extent.y),
                           number);
    }
    dc.SetTextForeground(kRulerInk);
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    const int textHeight = dc.GetCharHeight();
    const int textY = down ? std::max(0, edge - kMajorTick - textHeight + 2) : kMajorTick - 1;
    for (const RulerTick& tick : ticks) {
        if (!tick.major) continue;
        const wxRect label(wxPoint(static_cast<int>(std::floor(tick.x)) + 2, textY),
                           dc.GetTextExtent(tick.label));
        if (std::none_of(boxes.begin(), boxes.end(),
                         [&](const auto& box) { return box.first.Intersects(label); }))
            dc.DrawText(tick.label, label.GetPosition());
    }
    const wxColour& colour = m_side == Side::One ? kSide1Envelope : kSide2Envelope;
    dc.SetTextForeground(*wxWHITE);
    dc.SetPen(*wxBLACK_PEN);
    dc.SetBrush(wxBrush(colour));
    for (const auto& [box, number] : boxes) {
        dc.DrawRectangle(box);
        dc.DrawText(number, box.x + 2, box.y);
    }
    if (content.playheadSeconds) {
        const double x =
            waveview::ColumnOf(content.view, *content.playheadSeconds / seconds, width);
        if (x >= 0 && x < width) {
            const int at = static_cast<int>(x);
            const wxPoint tip = down ? wxPoint(at, height - 1) : wxPoint(at, 0);
            const int back = down ? -6 : 6;
            const wxPoint triangle[] = {tip, {at - 5, tip.y + back}, {at + 6, tip.y + back}};
            dc.SetPen(*wxTRANSPARENT_PEN);
            dc.SetBrush(wxBrush(kPlayheadColour));
            dc.DrawPolygon(3, triangle);
        }
    }
    dc.SetPen(wxNullPen);
    dc.SetBrush(wxNullBrush);
}

void RulerWindow::OnMouse(wxMouseEvent& event) {
    const int width = GetClientSize().x;
    const Content content = m_content ? m_content() : Content{};
    if (!m_click || width <= 0 || !content.side || content.side->levelCount == 0) return;
    const double r = static_cast<double>(event.GetX()) / width;
    m_click(std::clamp(content.view.start + content.view.span * r, 0.0, 1.0));
}
