#pragma once
// A side with given cuts, and the cuts in use of a side, for the cut list tests.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "model/SideState.h"

inline SideState SideWith(std::uint32_t levelCount, const std::vector<std::int32_t>& cuts) {
    SideState side;
    side.levelCount = levelCount;
    for (std::size_t i = 0; i < cuts.size(); ++i) side.cuts[i] = cuts[i];
    side.cutCount = static_cast<std::uint32_t>(cuts.size());
    return side;
}

/// The cuts in use, after checking that every slot beyond them is free.
inline std::vector<std::int32_t> CutsOf(const SideState& side) {
    for (std::size_t i = side.cutCount; i < kMaxCuts; ++i)
        EXPECT_EQ(side.cuts[i], 0) << "slot " << i << " beyond the cuts in use";
    return {side.cuts.begin(), side.cuts.begin() + side.cutCount};
}
