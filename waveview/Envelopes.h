#pragma once
// The loudness envelopes and cut markers of both sides, as the waveform canvas shows them:
// side 1 in the upper half, side 2 in the lower. GUI thread only (it reads the sides while
// nothing else may write them).

#include <array>

#include "model/SideState.h"

class wxDC;
class wxColour;

extern const wxColour kSide1Envelope;  ///< 97, 148, 221
extern const wxColour kSide2Envelope;  ///< 221, 57, 33

/// Draws each side with levels (side 1, then side 2) into a canvas of W x H pixels whose
/// halves meet at row `half`: the envelope, one column per bucket of levels, then a black
/// marker for every non-zero cut slot. A side whose levelCount is 0 draws nothing.
void DrawSideEnvelopes(wxDC& dc, const std::array<SideState, 2>& sides, int W, int H, int half);
