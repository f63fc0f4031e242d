#include "waveview/CutEditing.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

// Distances at or beyond this never count as near.
constexpr std::int64_t kFarAway = 999999999;

std::uint32_t InUse(const SideState& side) {
    return std::min(side.cutCount, kMaxCuts);
}

// Index of the cut in use nearest to `position`; later cuts win ties. 0 for an empty list.
int NearestIndex(const SideState& side, std::int32_t position) {
    int index = 0;
    std::int64_t best = kFarAway;
    const std::uint32_t inUse = InUse(side);
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

bool IsCut(const SideState& side, std::int32_t tenths) {
    const auto* first = side.cuts.data();
    return std::find(first, first + InUse(side), tenths) != first + InUse(side);
}

// A typed cut must lie inside the side: after its start and, when its length is known,
// before its end.
bool Inside(const SideState& side, std::int32_t tenths) {
    return tenths > 0 &&
           (side.levelCount == 0 || static_cast<std::uint32_t>(tenths) < side.levelCount);
}

}  // namespace

std::int32_t waveview::CutPositionAt(std::uint32_t levelCount, float r) {
    const long double position = std::trunc(static_cast<long double>(levelCount) * r);
    using Limits = std::numeric_limits<std::int32_t>;
    if (std::isnan(position)) return 0;
    if (position >= Limits::max()) return Limits::max();
    if (position <= Limits::min()) return Limits::min();
    return static_cast<std::int32_t>(position);
}

bool waveview::AddCut(SideState& side, float r) {
    return InsertCut(side, CutPositionAt(side.levelCount, r));
}

bool waveview::InsertCut(SideState& side, std::int32_t position) {
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

int waveview::RemoveNearestCut(SideState& side, float r) {
    if (side.cutCount == 0) return -1;
    const int nearest = NearestIndex(side, CutPositionAt(side.levelCount, r));
    RemoveCutAt(side, nearest);
    return nearest;
}

bool waveview::RemoveCutAt(SideState& side, int index) {
    const std::uint32_t inUse = InUse(side);
    if (index < 0 || static_cast<std::uint32_t>(index) >= inUse) return false;
    for (std::uint32_t i = index; i + 1 < inUse; ++i) side.cuts[i] = side.cuts[i + 1];
    side.cuts[inUse - 1] = 0;
    side.cutCount = inUse - 1;
    return true;
}

int waveview::FindNearestCut(const SideState& side, float r) {
    return NearestIndex(side, CutPositionAt(side.levelCount, r));
}

void waveview::ShiftCut(SideState& side, int index, int shift) {
    const std::uint32_t inUse = InUse(side);
    if (index < 0 || static_cast<std::uint32_t>(index) >= inUse) return;
    std::int64_t moved = std::int64_t{side.cuts[index]} + shift;
    if (side.levelCount > 0) moved = std::min<std::int64_t>(moved, side.levelCount - 1);
    moved = std::max<std::int64_t>(moved, 1);
    side.cuts[index] = static_cast<std::int32_t>(moved);

    // Marker slicing takes the list as it stands: keep it ascending and free of repeats.
    auto* first = side.cuts.data();
    std::sort(first, first + inUse);
    const auto kept = static_cast<std::uint32_t>(std::unique(first, first + inUse) - first);
    std::fill(first + kept, first + inUse, 0);
    side.cutCount = kept;
}

CutListEdit waveview::AddCutAt(SideState& side, std::int32_t tenths) {
    if (!Inside(side, tenths)) return CutListEdit::OutsideSide;
    if (IsCut(side, tenths)) return CutListEdit::AlreadyACut;
    return InsertCut(side, tenths) ? CutListEdit::Done : CutListEdit::Full;
}

CutListEdit waveview::MoveCutTo(SideState& side, int index, std::int32_t tenths) {
    if (index < 0 || static_cast<std::uint32_t>(index) >= InUse(side))
        return CutListEdit::NoSuchCut;
    if (!Inside(side, tenths)) return CutListEdit::OutsideSide;
    if (side.cuts[index] == tenths) return CutListEdit::Done;
    if (IsCut(side, tenths)) return CutListEdit::AlreadyACut;
    ShiftCut(side, index, tenths - side.cuts[index]);
    return CutListEdit::Done;
}

std::int32_t waveview::PreviousCutBefore(const SideState& side, std::int32_t tenths,
                                         std::int32_t slack) {
    std::int32_t previous = 0;
    for (std::uint32_t i = 0; i < InUse(side); ++i)
        if (side.cuts[i] > 0 && std::int64_t{side.cuts[i]} + slack <= tenths)
            previous = std::max(previous, side.cuts[i]);
    return previous;
}

std::optional<std::int32_t> waveview::NextCutAfter(const SideState& side, std::int32_t tenths) {
    std::optional<std::int32_t> next;
    for (std::uint32_t i = 0; i < InUse(side); ++i)
        if (side.cuts[i] > tenths && (!next || side.cuts[i] < *next)) next = side.cuts[i];
    return next;
}
