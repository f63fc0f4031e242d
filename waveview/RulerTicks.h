#pragma once
// The time ruler's marks for one side: where its ticks fall across the canvas for the part
// of the side a view shows, which of them carry an "m:ss" label, and the label texts. Pure
// functions; GUI thread in the program.

#include <string>
#include <vector>

#include "waveview/TimeView.h"

struct RulerTick {
    double x = 0;        ///< column of the canvas, 0 .. width
    double seconds = 0;  ///< time of the side
    bool major = false;  ///< a labelled tick
    std::string label;   ///< "m:ss" on a major tick, else empty
};

namespace waveview {

/// The ticks of a side `sideSeconds` long across `width` pixels showing `view`, in order:
/// labelled ticks every step of 1, 2, 5, 10, 15, 30 s, 1, 2, 5, 10, 15, 30 min or 1 h, the
/// first whose labels stand at least `labelPixels` apart, with unlabelled ticks between
/// them where those stand at least 4 pixels apart. Nothing for a side of no length.
std::vector<RulerTick> RulerTicks(const TimeView& view, double sideSeconds, int width,
                                  int labelPixels);

/// "m:ss" of the whole seconds of `seconds` (minutes go on past 59: "61:05").
std::string ClockLabel(double seconds);

}  // namespace waveview
