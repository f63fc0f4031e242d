#pragma once
// The part of the sides the waveform canvas shows: a window of fractions of a side's length,
// shared by both halves (each side's own length maps onto the canvas's width, as the whole
// sides do when the view is fitted). Zooming around a column, scrolling, fitting, and the
// conversions between canvas columns and fractions of a side. A plain value with pure
// functions; GUI thread in the program.

constexpr double kFinestSecondsPerPixel = 0.01;  ///< the deepest zoom: 10 ms per pixel

struct TimeView {
    double start = 0;  ///< fraction of a side at the canvas's left edge, 0 .. 1 - span
    double span = 1;   ///< fraction of a side across the canvas's width, (0, 1]

    /// The whole of each side fills the width: the picture the window always had.
    bool Fitted() const { return start == 0 && span == 1; }
    bool operator==(const TimeView&) const = default;
};

namespace waveview {

/// The narrowest span: 10 ms per pixel of the longer side (`longestSeconds`) across `width`
/// pixels; 1 when the side is shorter than the width at that zoom, or unknown (0).
double MinimumSpan(double longestSeconds, int width);

/// `view` zoomed by `factor` (above 1 in, below 1 out) so that the fraction under column x
/// of `width` stays under it; the span held to MinimumSpan .. 1 and the view to the side.
TimeView ZoomAround(const TimeView& view, double factor, double x, int width,
                    double longestSeconds);

/// `view` moved by `columns` pixels of `width` (positive: later), held to the side.
TimeView ScrollBy(const TimeView& view, double columns, int width);

/// `view` starting at fraction `start`, held to the side.
TimeView ScrollTo(const TimeView& view, double start);

/// The fraction of a side at canvas fraction r (0 at the left edge, 1 at the right one;
/// beyond either edge allowed). Exactly r when the view is fitted, so that every click of a
/// fitted canvas lands where it always did.
float SideFraction(const TimeView& view, float r);

/// The column of `width` where fraction f of a side is drawn (may lie outside 0 .. width).
double ColumnOf(const TimeView& view, double f, int width);

/// `view` moved so that fraction f shows a tenth of the width from its left edge, when f
/// lies outside it (a playhead running off the picture); else `view` itself.
TimeView Reveal(const TimeView& view, double f);

}  // namespace waveview
