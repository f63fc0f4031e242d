#include "waveview/RulerTicks.h"

#include <cmath>
#include <cstdio>

namespace {

struct Step {
    double label;  // seconds between labelled ticks
    double minor;  // seconds between the ticks between them
};

constexpr Step kSteps[] = {{1, 0.1},   {2, 0.5},    {5, 1},     {10, 2},   {15, 5},
                           {30, 5},    {60, 10},    {120, 30},  {300, 60}, {600, 120},
                           {900, 300}, {1800, 300}, {3600, 600}};
constexpr double kMinorPixels = 4;

}  // namespace

std::string waveview::ClockLabel(double seconds) {
    const auto whole = static_cast<long long>(std::floor(seconds + 1e-9));
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
    return text;
}

std::vector<RulerTick> waveview::RulerTicks(const TimeView& view, double sideSeconds, int width,
                                            int labelPixels) {
    std::vector<RulerTick> ticks;
    if (!(sideSeconds > 0) || width <= 0) return ticks;
    const double pixelsPerSecond = width / (view.span * sideSeconds);
    Step step = kSteps[std::size(kSteps) - 1];
    for (const Step& s : kSteps) {
        if (s.label * pixelsPerSecond >= labelPixels) {
            step = s;
            break;
        }
    }
    const double every = step.minor * pixelsPerSecond >= kMinorPixels ? step.minor : step.label;
    const double first = view.start * sideSeconds;
    const double last = std::min(sideSeconds, (view.start + view.span) * sideSeconds);
    const auto perLabel = static_cast<long long>(std::llround(step.label / every));
    for (long long n = static_cast<long long>(std::ceil(first / every - 1e-9));; ++n) {
        const double seconds = static_cast<double>(n) * every;
        if (seconds > last + 1e-9) break;
        RulerTick tick;
        tick.seconds = seconds;
        tick.x = ColumnOf(view, seconds / sideSeconds, width);
        tick.major = n % perLabel == 0;
        if (tick.major) tick.label = ClockLabel(seconds);
        ticks.push_back(std::move(tick));
    }
    return ticks;
}
