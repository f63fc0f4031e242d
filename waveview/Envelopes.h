#pragma once
// The loudness envelopes and cut markers of both sides, as the waveform canvas shows them:
// side 1 in the upper half, side 2 in the lower; the whole sides, or the part of them a
// zoomed view shows; and the playhead. GUI thread only (it reads the sides while nothing
// else may write them).

#include <array>

#include "model/Side.h"
#include "model/SideState.h"
#include "waveview/TimeView.h"

class wxDC;
class wxColour;

extern const wxColour kSide1Envelope;   ///< 97, 148, 221
extern const wxColour kSide2Envelope;   ///< 221, 57, 33
extern const wxColour kPlayheadColour;  ///< 0, 170, 60

namespace waveview {

/// Draws each side with levels (side 1, then side 2) into a canvas of W x H pixels whose
/// halves meet at row `half`: the envelope, one column per bucket of levels, then a black
/// marker for every non-zero cut slot. A side whose levelCount is 0 draws nothing.
void DrawSideEnvelopes(wxDC& dc, const std::array<SideState, 2>& sides, int W, int H, int half);

/// The same through a zoomed `view`: each column the height ColumnEnvelope gives it (a
/// 10 ms peak where a column is narrower than a level's block), each cut's marker at its
/// column when that lies on the canvas.
void DrawZoomedSides(wxDC& dc, const std::array<SideState, 2>& sides, const TimeView& view, int W,
                     int H, int half);

/// The playhead: a two-pixel line down the waveform band of `side` at column x.
void DrawPlayhead(wxDC& dc, Side side, int x, int H, int half);

}  // namespace waveview
