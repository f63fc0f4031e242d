#include "app/MeterBar.h"

#include <wx/dcbuffer.h>

#include <chrono>

#include "app/AccessibleNames.h"

namespace {

const wxColour kTrough(28, 26, 40);
const wxColour kGreen(60, 200, 90);
const wxColour kYellow(235, 210, 60);
const wxColour kRed(230, 50, 40);
const wxColour kHoldColour(255, 255, 255);
const wxColour kLampOff(70, 30, 30);
const wxColour kScaleInk(230, 230, 240);
constexpr float kYellowFromDb = -12.0f;
constexpr float kRedFromDb = -3.0f;
constexpr int kScalePoints = 7;
constexpr int kScaleLabelGap = 8;  // pixels between two of the scale's numbers, at least

int BarWidth(int width) {
    return std::max(1, width - kClipLampWidth);
}

int XOf(float db, int barWidth) {
    return static_cast<int>(audio::MeterFraction(db) * static_cast<float>(barWidth));
}

}  // namespace

double app::MeterClock() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

MeterBar::MeterBar(wxWindow* parent, const wxString& name, const wxString& label, const wxPoint& at,
                   const wxSize& size)
    : wxWindow(parent, wxID_ANY, at, size, wxFULL_REPAINT_ON_RESIZE, name) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    SetMinSize(size);
    SetToolTip("Click to put the clip lamp out");
    app::SetAccessibleName(*this, label);
    Bind(wxEVT_PAINT, &MeterBar::OnPaint, this);
    Bind(wxEVT_LEFT_DOWN, &MeterBar::OnClick, this);
}

void MeterBar::Update(std::int32_t peak, double seconds) {
    const bool wasClipped = m_channel.Clipped();
    const std::int32_t level = m_channel.Level(), hold = m_channel.Hold();
    m_channel.Update(peak, seconds);
    if (m_channel.Level() != level || m_channel.Hold() != hold || m_channel.Clipped() != wasClipped)
        Refresh(false);
}

void MeterBar::ResetClip() {
    m_channel.ResetClip();
    Refresh(false);
}

void MeterBar::OnClick(wxMouseEvent&) {
    ResetClip();
}

void MeterBar::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    const wxSize size = GetClientSize();
    const int bar = BarWidth(size.x);
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(kTrough));
    dc.DrawRectangle(0, 0, size.x, size.y);
    // The lit part in its three colours.
    const int lit = XOf(m_channel.LevelDb(), bar);
    const int yellowAt = XOf(kYellowFromDb, bar), redAt = XOf(kRedFromDb, bar);
    const struct {
        int from, to;
        const wxColour& colour;
    } zones[] = {{0, yellowAt, kGreen}, {yellowAt, redAt, kYellow}, {redAt, bar, kRed}};
    if (m_channel.Level() > 0)
        for (const auto& zone : zones) {
            const int to = std::min(zone.to, lit);
            if (to <= zone.from) continue;
            dc.SetBrush(wxBrush(zone.colour));
            dc.DrawRectangle(zone.from, 1, to - zone.from, size.y - 2);
        }
    if (m_channel.Hold() > 0) {
        dc.SetBrush(wxBrush(kHoldColour));
        dc.DrawRectangle(std::min(XOf(m_channel.HoldDb(), bar), bar - 2), 0, 2, size.y);
    }
    // The clip lamp, with a gap before it.
    dc.SetBrush(wxBrush(m_channel.Clipped() ? kRed : kLampOff));
    dc.DrawRectangle(bar + 3, 0, size.x - bar - 3, size.y);
    dc.SetFont(wxFont(kScalePoints, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL,
                      m_channel.Clipped() ? wxFONTWEIGHT_BOLD : wxFONTWEIGHT_NORMAL));
    dc.SetTextForeground(m_channel.Clipped() ? *wxWHITE : wxColour(150, 110, 110));
    const wxSize text = dc.GetTextExtent("CLIP");
    dc.DrawText("CLIP", bar + 3 + (size.x - bar - 3 - text.x) / 2, (size.y - text.y) / 2);
}

MeterScaleBar::MeterScaleBar(wxWindow* parent, const wxPoint& at, const wxSize& size)
    : wxWindow(parent, wxID_ANY, at, size, wxFULL_REPAINT_ON_RESIZE, "meterScale") {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    SetMinSize(size);
    Bind(wxEVT_PAINT, &MeterScaleBar::OnPaint, this);
}

void MeterScaleBar::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    const wxSize size = GetClientSize();
    const int bar = BarWidth(size.x);
    // On its parent's ground, in whichever of black and white reads on it.
    const wxColour ground = GetParent()->GetBackgroundColour();
    dc.SetBackground(wxBrush(ground));
    dc.Clear();
    const wxColour ink = ground.GetLuminance() < 0.5 ? kScaleInk : *wxBLACK;
    dc.SetFont(wxFont(kScalePoints, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL));
    dc.SetTextForeground(ink);
    dc.SetPen(wxPen(ink));
    int lastRight = bar + 2;
    for (const int mark : kMeterMarks) {  // loudest first: right to left
        const int x = XOf(static_cast<float>(mark), bar);
        const wxString text = wxString::Format("%d", mark);
        const int width = dc.GetTextExtent(text).x;
        const int left = std::max(0, std::min(x - width / 2, lastRight - width - kScaleLabelGap));
        dc.DrawLine(x, 0, x, 3);
        if (left + width + kScaleLabelGap > lastRight) continue;  // no room: the tick alone
        dc.DrawText(text, left, 3);
        lastRight = left;
    }
    const wxString unit = "dBFS";
    dc.DrawText(unit, bar + 3 + (size.x - bar - 3 - dc.GetTextExtent(unit).x) / 2, 3);
}
