#include "waveview/ColumnEnvelope.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kLevelCap = 0.99f;
// Column edges are sums of fractions: a hair's error must not take in a neighbour.
constexpr double kEdge = 1e-6;

// A stored level as the fitted picture reads it: 0 when not a number, bounded.
float LevelAt(const SideState& side, std::uint64_t index) {
    if (index >= side.levels.size()) return 0;
    const float level = side.levels[index];
    return std::isfinite(level) ? std::clamp(std::fabs(level), 0.0f, kLevelCap) : 0.0f;
}

// The column over tenths [from, to) of a side: see ColumnEnvelope.
float ColumnHeight(const SideState& side, double from, double to) {
    const std::uint64_t count = side.levelCount;
    if (from >= static_cast<double>(count) || to <= 0) return 0;
    from = std::max(from, 0.0);
    to = std::min(to, static_cast<double>(count));
    if (to - from >= 1 - kEdge) {
        const auto first = static_cast<std::uint64_t>(from + kEdge);
        const auto last = std::max(first + 1, static_cast<std::uint64_t>(std::ceil(to - kEdge)));
        float sum = 0;
        for (std::uint64_t i = first; i < last; ++i) sum += LevelAt(side, i);
        return sum / static_cast<float>(last - first);
    }
    const auto firstFine = static_cast<std::uint64_t>(from * kFinePeaksPerBlock + kEdge);
    const auto lastFine = std::max(
        firstFine + 1, static_cast<std::uint64_t>(std::ceil(to * kFinePeaksPerBlock - kEdge)));
    if (lastFine > side.finePeaks.size())
        return LevelAt(side, static_cast<std::uint64_t>(from + kEdge));
    std::uint16_t peak = 0;
    for (std::uint64_t i = firstFine; i < lastFine; ++i) peak = std::max(peak, side.finePeaks[i]);
    return waveview::FinePeakLevel(peak);
}

}  // namespace

float waveview::FinePeakLevel(std::uint16_t peak) {
    return std::min(static_cast<float>(peak) / 32768.0f, kLevelCap);
}

std::vector<float> waveview::ColumnEnvelope(const SideState& side, const TimeView& view,
                                            int width) {
    std::vector<float> heights(static_cast<std::size_t>(std::max(width, 0)), 0.0f);
    if (side.levelCount == 0) return heights;
    const double tenthsPerColumn = view.span * side.levelCount / width;
    const double first = view.start * side.levelCount;
    for (int x = 0; x < width; ++x)
        heights[x] =
            ColumnHeight(side, first + x * tenthsPerColumn, first + (x + 1) * tenthsPerColumn);
    return heights;
}
