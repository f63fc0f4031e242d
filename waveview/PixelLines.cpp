#include "waveview/PixelLines.h"

#include <wx/brush.h>
#include <wx/dc.h>
#include <wx/pen.h>

#include <cstdlib>

PixelLines::PixelLines(wxDC& dc) : m_dc(dc) {
    m_dc.SetPen(*wxTRANSPARENT_PEN);
}

PixelLines::~PixelLines() {
    m_dc.SetBrush(wxNullBrush);
    m_dc.SetPen(wxNullPen);
}

void PixelLines::SetColour(const wxColour& colour) {
    m_dc.SetBrush(wxBrush(colour));
}

void PixelLines::Line(int x1, int y1, int x2, int y2) {
    if (y1 == y2 && x1 != x2) {
        // Leaving out the end: x1..x2-1 going right, x2+1..x1 going left.
        const int from = x1 < x2 ? x1 : x2 + 1;
        m_dc.DrawRectangle(from, y1, std::abs(x2 - x1), 1);
    } else if (x1 == x2 && y1 != y2) {
        const int from = y1 < y2 ? y1 : y2 + 1;
        m_dc.DrawRectangle(x1, from, 1, std::abs(y2 - y1));
    }
}
