#include "detect/CutSpacing.h"

#include <gtest/gtest.h>

namespace {

using Cuts = std::vector<std::int64_t>;

// A side of 100 blocks, songs of at least 20: every slice, the first and the last too.
TEST(CutSpacing, EverySliceHoldsAtLeastTheShortestSong) {
    CutSpacing spacing(100, 20, 10, false);
    EXPECT_FALSE(spacing.TryAdd(19));  // the first slice one block short
    EXPECT_TRUE(spacing.TryAdd(20));   // exactly the shortest song
    EXPECT_FALSE(spacing.TryAdd(39));  // one block short of the cut before
    EXPECT_TRUE(spacing.TryAdd(40));
    EXPECT_FALSE(spacing.TryAdd(81));  // the last slice one block short
    EXPECT_TRUE(spacing.TryAdd(80));
    EXPECT_TRUE(spacing.TryAdd(60));
    EXPECT_EQ(spacing.Cuts(), (Cuts{20, 40, 60, 80}));
    EXPECT_EQ(spacing.MostCuts(), 4u);
}

TEST(CutSpacing, StopsAtTheCutsWanted) {
    CutSpacing spacing(100, 10, 2, false);
    EXPECT_TRUE(spacing.TryAdd(50));
    EXPECT_TRUE(spacing.TryAdd(20));
    EXPECT_TRUE(spacing.Full());
    EXPECT_FALSE(spacing.TryAdd(80));
    EXPECT_EQ(spacing.Cuts(), (Cuts{20, 50}));
}

// With room kept for every cut wanted, a cut that would leave too little room is refused,
// whatever order the candidates come in.
TEST(CutSpacing, KeepsRoomForEveryCutWanted) {
    // 100 blocks, songs of 25: three cuts fit only at 25, 50 and 75.
    CutSpacing kept(100, 25, 3, true);
    EXPECT_FALSE(kept.TryAdd(40));  // would leave 40 + 60: room for one more, not two
    EXPECT_TRUE(kept.TryAdd(50));
    EXPECT_FALSE(kept.TryAdd(30));
    EXPECT_TRUE(kept.TryAdd(25));
    EXPECT_TRUE(kept.TryAdd(75));
    EXPECT_EQ(kept.Cuts(), (Cuts{25, 50, 75}));
    CutSpacing greedy(100, 25, 3, false);
    EXPECT_TRUE(greedy.TryAdd(40));
    EXPECT_EQ(greedy.MostCuts(), 3u);
}

}  // namespace
