#include "waveview/CutEditing.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

// Distances at or beyond this never count as near.
constexpr std::int64_t kFarAway = 999999999;

// Index of the cut in use nearest to `position`; later cuts win ties. 0 for an empty list.
int NearestIndex(const SideState& side, std::int32_t position) {
    int index = 0;
    std::int64_t best = kFarAway;
    const std::uint32_t inUse = std::min(side.cutCount, kMaxCuts);
    for (std::uint32_t i = 0; i < inUse; ++i) {
        const std::int64_t distance =
            std::llabs(std::int64_t{position} - std::int64_t{side.cuts[i]});
        if (distance <= best) {
            index = static_cast<int>(i);
            best = distance;
        }
    }
    return index;
}

}  // namespace

std::int32_t CutPositionAt(std::uint32_t levelCount, float r) {
    const long double position = std::trunc(static_cast<long double>(levelCount) * r);
    using Limits = std::numeric_limits<std::int32_t>;
    if (std::isnan(position)) return 0;
    if (position >= Limits::max()) return Limits::max();
    if (position <= Limits::min()) return Limits::min();
    return static_cast<std::int32_t>(position);
}

bool AddCut(SideState& side, float r) {
    const std::int32_t position = CutPositionAt(side.levelCount, r);
    if (position == 0) return false;
    if (side.cutCount == 0) {
        side.cuts[0] = position;
        side.cutCount = 1;
        return true;
    }
    if (side.cutCount >= kMaxCutsInUse) return false;
    const int nearest = NearestIndex(side, position);
    if (position == side.cuts[nearest]) return false;
    const std::uint32_t at = position < side.cuts[nearest] ? nearest : nearest + 1;
    for (std::uint32_t i = side.cutCount; i > at; --i) side.cuts[i] = side.cuts[i - 1];
    side.cuts[at] = position;
    ++side.cutCount;
    return true;
}

int RemoveNearestCut(SideState& side, float r) {
    if (side.cutCount == 0) return -1;
    const int nearest = NearestIndex(side, CutPositionAt(side.levelCount, r));
    const std::uint32_t inUse = std::min(side.cutCount, kMaxCuts);
    for (std::uint32_t i = nearest; i + 1 < inUse; ++i) side.cuts[i] = side.cuts[i + 1];
    side.cuts[inUse - 1] = 0;
    side.cutCount = inUse - 1;
    return nearest;
}

int FindNearestCut(const SideState& side, float r) {
    return NearestIndex(side, CutPositionAt(side.levelCount, r));
}
