#pragma once
// The listen dialog: ten seconds around the cut nearest a click in a side's listen band,
// where the cut can be heard and moved. Not built yet; the entry point is in place so that
// the waveform panel already calls it. GUI thread only.

/// Shows the dialog modally for `side` (0 = side 1, 1 = side 2) around the place `r` across
/// the canvas (0 = left edge, 1 = right edge; values outside are allowed). Returns true when
/// it closed with OK, so the caller repaints the cuts. For now it shows nothing: false.
bool OpenListenDialog(int side, float r);
