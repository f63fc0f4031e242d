#include "waveview/TimeView.h"

#include <algorithm>

namespace {

constexpr double kRevealMargin = 0.1;

TimeView Held(TimeView view) {
    view.span = std::clamp(view.span, 0.0, 1.0);
    view.start = std::clamp(view.start, 0.0, 1.0 - view.span);
    return view;
}

}  // namespace

double waveview::MinimumSpan(double longestSeconds, int width) {
    if (!(longestSeconds > 0) || width <= 0) return 1;
    return std::min(1.0, kFinestSecondsPerPixel * width / longestSeconds);
}

TimeView waveview::ZoomAround(const TimeView& view, double factor, double x, int width,
                              double longestSeconds) {
    if (width <= 0 || !(factor > 0)) return view;
    const double anchor = view.start + view.span * x / width;
    TimeView zoomed;
    zoomed.span = std::clamp(view.span / factor, MinimumSpan(longestSeconds, width), 1.0);
    zoomed.start = anchor - zoomed.span * x / width;
    return Held(zoomed);
}

TimeView waveview::ScrollBy(const TimeView& view, double columns, int width) {
    if (width <= 0) return view;
    return ScrollTo(view, view.start + view.span * columns / width);
}

TimeView waveview::ScrollTo(const TimeView& view, double start) {
    return Held({start, view.span});
}

float waveview::SideFraction(const TimeView& view, float r) {
    if (view.Fitted()) return r;
    return static_cast<float>(view.start + view.span * r);
}

double waveview::ColumnOf(const TimeView& view, double f, int width) {
    return (f - view.start) / view.span * width;
}

TimeView waveview::Reveal(const TimeView& view, double f) {
    if (f >= view.start && f < view.start + view.span) return view;
    return ScrollTo(view, f - kRevealMargin * view.span);
}
