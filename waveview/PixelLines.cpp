#include "waveview/PixelLines.h"

#include <wx/brush.h>
#include <wx/dc.h>
#include <wx/pen.h>

#include <cstdlib>

PixelLines::PixelLines(wxDC& dc) : dc_(dc) {
    dc_.SetPen(*wxTRANSPARENT_PEN);
}

PixelLines::~PixelLines() {
    dc_.SetBrush(wxNullBrush);
    dc_.SetPen(wxNullPen);
}

void PixelLines::SetColour(const wxColour& colour) {
    dc_.SetBrush(wxBrush(colour));
}

void PixelLines::Line(int x1, int y1, int x2, int y2) {
    if (y1 == y2 && x1 != x2) {
        // Leaving out the end: x1..x2-1 going right, x2+1..x1 going left.
        const int from = x1 < x2 ? x1 : x2 + 1;
        dc_.DrawRectangle(from, y1, std::abs(x2 - x1), 1);
    } else if (x1 == x2 && y1 != y2) {
        const int from = y1 < y2 ? y1 : y2 + 1;
        dc_.DrawRectangle(x1, from, 1, std::abs(y2 - y1));
    }
}
