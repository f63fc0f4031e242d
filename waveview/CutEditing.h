#pragma once
// The edits made to a side's cut list: with the mouse (add a cut, remove the nearest, find
// the nearest: a position comes as a fraction r of the side's length, 0 = start, 1 = end,
// and becomes trunc(levelCount x r) tenths of a second, computed in extended precision),
// with the listen dialog (shift a cut), with the cut list (a cut at a typed time, moved to
// one, removed), and the cuts before and after a place, for playback.
// Plain functions over SideState; the caller serialises them with any other writer of the
// side (in the window: GUI thread only, never while a job runs).

#include <cstdint>
#include <optional>

#include "model/SideState.h"

/// Why the cut list refused an edit, or Done.
enum class CutListEdit { Done, OutsideSide, AlreadyACut, Full, NoSuchCut };

namespace waveview {

/// trunc(levelCount x r) in tenths of a second; saturated at the int32 range.
std::int32_t CutPositionAt(std::uint32_t levelCount, float r);

/// Inserts the cut at fraction r into the ascending list. Adds nothing (false) when the
/// position is 0, is already a cut, or the list already has kMaxCutsInUse cuts.
bool AddCut(SideState& side, float r);

/// Inserts a cut at `position` tenths into the ascending list, as AddCut does.
bool InsertCut(SideState& side, std::int32_t position);

/// Removes the cut nearest to fraction r, however far away (a tie goes to the later cut).
/// Returns the index removed, or -1 when the list is empty.
int RemoveNearestCut(SideState& side, float r);

/// Removes cut `index` of those in use; false when there is no such cut.
bool RemoveCutAt(SideState& side, int index);

/// Index of the cut nearest to fraction r (a tie goes to the later cut); 0 for an empty
/// list.
int FindNearestCut(const SideState& side, float r);

/// Moves cut `index` by `shift` tenths of a second, held to 1 .. levelCount - 1 (only to 1
/// or more when the side's length is unknown), then keeps the list ascending without
/// duplicates (cutCount shrinks when the moved cut lands on a neighbour).
void ShiftCut(SideState& side, int index, int shift);

/// A cut at `tenths`, which must lie inside the side (after its start, before its end when
/// the length is known) and not be a cut already.
CutListEdit AddCutAt(SideState& side, std::int32_t tenths);
/// Cut `index` moved to `tenths`, with the same conditions; the list stays ascending.
CutListEdit MoveCutTo(SideState& side, int index, std::int32_t tenths);

/// The last cut at least `slack` tenths before `tenths` (so that a second press while
/// playing steps back once more), or 0 (the side's start) when there is none.
std::int32_t PreviousCutBefore(const SideState& side, std::int32_t tenths, std::int32_t slack);
/// The first cut after `tenths`; nullopt when there is none.
std::optional<std::int32_t> NextCutAfter(const SideState& side, std::int32_t tenths);

}  // namespace waveview
