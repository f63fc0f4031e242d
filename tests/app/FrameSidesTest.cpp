// The window's sides and their cuts' history: an edit is a step only when it changed the
// cuts, a job's publications are one step ("Draw waveforms" replacing hand-placed markers
// is undone at once), and a new file forgets the steps.

#include <gtest/gtest.h>

#include "app/FrameSides.h"

namespace {

SideState Drawn(std::uint32_t levels, std::vector<std::int32_t> cuts) {
    SideState side;
    side.levelCount = levels;
    side.levels.assign(levels, 0.25f);
    std::copy(cuts.begin(), cuts.end(), side.cuts.begin());
    side.cutCount = static_cast<std::uint32_t>(cuts.size());
    return side;
}

std::vector<std::int32_t> CutsOf(const SideState& side) {
    return {side.cuts.begin(), side.cuts.begin() + side.cutCount};
}

TEST(FrameSides, AnEditIsAStepOnlyWhenItChangedTheCuts) {
    FrameSides sides;
    int told = 0;
    sides.OnChanged([&] { ++told; });
    { const CutEdit nothing(sides); }
    EXPECT_FALSE(sides.CanUndo());
    EXPECT_EQ(told, 1);
    {
        const CutEdit edit(sides);
        sides.At(Side::Two).cuts[0] = 50;
        sides.At(Side::Two).cutCount = 1;
    }
    EXPECT_EQ(told, 2);
    ASSERT_TRUE(sides.Undo());
    EXPECT_EQ(sides.At(Side::Two).cutCount, 0u);
    EXPECT_FALSE(sides.Undo());
    ASSERT_TRUE(sides.Redo());
    EXPECT_EQ(CutsOf(sides.At(Side::Two)), std::vector<std::int32_t>{50});
    EXPECT_EQ(told, 4);
}

TEST(FrameSides, AJobsPublicationsAreOneStepAndANewFileForgetsTheSteps) {
    FrameSides sides;
    sides.At(Side::One) = Drawn(600, {100, 200});  // placed by hand
    sides.At(Side::Two) = Drawn(500, {300});
    sides.JobStarted();
    sides.Publish(Side::One, Drawn(600, {150, 250, 400}), sides.Generation());
    sides.Publish(Side::Two, Drawn(500, {320}), sides.Generation());
    sides.Publish(Side::Two, Drawn(500, {999}), sides.Generation() - 1);  // another file's
    sides.JobEnded();
    EXPECT_EQ(CutsOf(sides.At(Side::Two)), std::vector<std::int32_t>{320});
    ASSERT_TRUE(sides.Undo());
    EXPECT_EQ(CutsOf(sides.At(Side::One)), (std::vector<std::int32_t>{100, 200}));
    EXPECT_EQ(CutsOf(sides.At(Side::Two)), std::vector<std::int32_t>{300});
    EXPECT_EQ(sides.At(Side::One).levelCount, 600u) << "the levels stay as drawn";
    EXPECT_FALSE(sides.CanUndo()) << "one step for the whole job";
    // A job that changed no cut leaves no step.
    sides.JobStarted();
    sides.JobEnded();
    EXPECT_FALSE(sides.CanUndo());
    EXPECT_TRUE(sides.CanRedo());
    sides.Changed();
    EXPECT_FALSE(sides.CanRedo());
}

}  // namespace
