#pragma once
// The height of a side's envelope in each column of a zoomed canvas: a column that spans a
// 0.1 s block or more averages the levels of its blocks, as the fitted picture does; a
// narrower one shows the loudest 10 ms peak under it, so that the deepest zoom (10 ms per
// pixel) still shows the side's shape. Pure functions; GUI thread in the program.

#include <vector>

#include "model/SideState.h"
#include "waveview/TimeView.h"

namespace waveview {

/// Heights 0 .. 0.99 of columns 0 .. width - 1 of `side` shown through `view`; 0 where a
/// column lies past the side's end or the side has no levels. A side without fine peaks
/// shows the level of the block under a narrow column.
std::vector<float> ColumnEnvelope(const SideState& side, const TimeView& view, int width);

/// A fine peak as a level: |sample| / 32768, at most 0.99 as the levels are.
float FinePeakLevel(std::uint16_t peak);

}  // namespace waveview
