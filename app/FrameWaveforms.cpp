// The frame's part of the waveform display: drawing its sides and finding cuts.

#include "app/MyFrame.h"
#include "waveview/CutEditing.h"
#include "waveview/Envelopes.h"

void MyFrame::DrawEnvelopes(wxDC& dc, int W, int H, int half) {
    DrawSideEnvelopes(dc, m_sides, W, H, half);
}

int MyFrame::FindNearestCut(int side, float r) const {
    if (side < 0 || side >= static_cast<int>(m_sides.size())) return 0;
    return ::FindNearestCut(m_sides[side], r);
}
