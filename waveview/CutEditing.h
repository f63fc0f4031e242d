#pragma once
// The edits the mouse makes to a side's cut list: add a cut, remove the nearest, find the
// nearest. A position comes as a fraction r of the side's length (0 = start, 1 = end) and
// becomes trunc(levelCount x r) tenths of a second, computed in extended precision.
// Plain functions over SideState; the caller serialises them with any other writer of the
// side (in the window: GUI thread only, never while a job runs).

#include <cstdint>

#include "model/SideState.h"

/// trunc(levelCount x r) in tenths of a second; saturated at the int32 range.
std::int32_t CutPositionAt(std::uint32_t levelCount, float r);

/// Inserts the cut at fraction r into the ascending list. Adds nothing (false) when the
/// position is 0, is already a cut, or the list already has kMaxCutsInUse cuts.
bool AddCut(SideState& side, float r);

/// Removes the cut nearest to fraction r, however far away (a tie goes to the later cut).
/// Returns the index removed, or -1 when the list is empty.
int RemoveNearestCut(SideState& side, float r);

/// Index of the cut nearest to fraction r (a tie goes to the later cut); 0 for an empty
/// list.
int FindNearestCut(const SideState& side, float r);
