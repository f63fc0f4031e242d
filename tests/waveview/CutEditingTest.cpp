// Cut list edits and the click geometry of the waveform canvas.

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include "tests/waveview/CutTestSupport.h"
#include "waveview/CanvasGeometry.h"
#include "waveview/CutEditing.h"
namespace {

struct AddCase {
    const char* name;
    std::uint32_t levelCount;
    std::vector<std::int32_t> before;
    float r;
    bool added;
    std::vector<std::int32_t> after;
};

void PrintTo(const AddCase& c, std::ostream* out) {
    *out << c.name;
}

class AddCutTest : public testing::TestWithParam<AddCase> {};

TEST_P(AddCutTest, InsertsInOrderOrLeavesTheListAlone) {
    const AddCase& c = GetParam();
    SideState side = SideWith(c.levelCount, c.before);
    EXPECT_EQ(waveview::AddCut(side, c.r), c.added);
    EXPECT_EQ(CutsOf(side), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AddCutTest,
    testing::Values(
        AddCase{"IntoEmpty", 1000, {}, 0.25f, true, {250}},
        AddCase{"BeforeFirst", 1000, {300, 600}, 0.1f, true, {100, 300, 600}},
        AddCase{"AfterLast", 1000, {300, 600}, 0.875f, true, {300, 600, 875}},
        AddCase{"Between", 1000, {300, 600}, 0.4f, true, {300, 400, 600}},
        // Half-way: the later cut is the nearest, and the new one goes before it.
        AddCase{"TieHalfWay", 1000, {100, 200}, 0.15f, true, {100, 150, 200}},
        AddCase{"TieHalfWayAtTheEnd", 1000, {100, 200, 300}, 0.25f, true, {100, 200, 250, 300}},
        AddCase{"OnExistingMarker", 1000, {100, 250, 400}, 0.25f, false, {100, 250, 400}},
        AddCase{"AtZero", 1000, {100}, 0.0f, false, {100}},
        AddCase{"TruncatedToZeroOnEmpty", 200, {}, 4.0f / 1080.0f, false, {}},
        AddCase{"LeftEdgeOfALongSide", 1000, {}, 4.0f / 1080.0f, true, {3}},
        AddCase{"NoLevels", 0, {}, 0.5f, false, {}},
        // 10 x (756/1080 as a float) is 6.9999999 exactly; a float product rounds to 7.
        AddCase{"ProductInExtendedPrecision", 10, {}, 756.0f / 1080.0f, true, {6}},
        // Beyond the end (clicks up to 4 pixels right of the canvas): added as it comes.
        AddCase{"BeyondTheEnd", 1000, {500}, 1.00390625f, true, {500, 1003}}),
    [](const testing::TestParamInfo<AddCase>& info) { return std::string(info.param.name); });

TEST(AddCut, RefusesAFullListAndKeepsTheLastSlotFree) {
    SideState side;
    side.levelCount = 65536;  // fractions k / 65536 are exact floats
    for (std::uint32_t i = 0; i < kMaxCutsInUse - 1; ++i) side.cuts[i] = 100 * (i + 1);
    side.cutCount = kMaxCutsInUse - 1;
    // The 511th fits, anywhere in the list.
    ASSERT_TRUE(waveview::AddCut(side, 150.0f / 65536.0f));
    EXPECT_EQ(side.cutCount, kMaxCutsInUse);
    EXPECT_EQ(side.cuts[1], 150);
    EXPECT_EQ(side.cuts[kMaxCutsInUse - 1], 100 * static_cast<std::int32_t>(kMaxCutsInUse - 1));
    // The 512th does not, not even at the end, and nothing moves.
    const SideState full = side;
    EXPECT_FALSE(waveview::AddCut(side, 250.0f / 65536.0f));
    EXPECT_FALSE(waveview::AddCut(side, 65535.0f / 65536.0f));
    EXPECT_EQ(side.cutCount, kMaxCutsInUse);
    EXPECT_EQ(side.cuts, full.cuts);
    EXPECT_EQ(side.cuts[kMaxCuts - 1], 0);
}

struct RemoveCase {
    const char* name;
    std::vector<std::int32_t> before;
    float r;
    int removed;
    std::vector<std::int32_t> after;
};

void PrintTo(const RemoveCase& c, std::ostream* out) {
    *out << c.name;
}

class RemoveNearestCutTest : public testing::TestWithParam<RemoveCase> {};

TEST_P(RemoveNearestCutTest, RemovesTheNearestHoweverFar) {
    const RemoveCase& c = GetParam();
    SideState side = SideWith(1000, c.before);
    EXPECT_EQ(waveview::RemoveNearestCut(side, c.r), c.removed);
    EXPECT_EQ(CutsOf(side), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RemoveNearestCutTest,
    testing::Values(RemoveCase{"Empty", {}, 0.5f, -1, {}},
                    RemoveCase{"OnlyOneFarAway", {50}, 0.99f, 0, {}},
                    RemoveCase{"LastOfManyFarAway", {50, 100, 150}, 0.99f, 2, {50, 100}},
                    RemoveCase{"FirstFromTheLeftEdge", {50, 100, 150}, 0.0f, 0, {100, 150}},
                    RemoveCase{"MiddleShiftsTheRestDown", {100, 400, 700}, 0.45f, 1, {100, 700}},
                    RemoveCase{"TieGoesToTheLater", {100, 200}, 0.15f, 1, {100}}),
    [](const testing::TestParamInfo<RemoveCase>& info) { return std::string(info.param.name); });

TEST(FindNearestCut, TiesGoToTheLaterAndAnEmptyListGivesZero) {
    EXPECT_EQ(waveview::FindNearestCut(SideWith(1000, {}), 0.5f), 0);
    EXPECT_EQ(waveview::FindNearestCut(SideWith(1000, {100, 200, 300}), 0.15f), 1);
    EXPECT_EQ(waveview::FindNearestCut(SideWith(1000, {100, 200, 300}), 0.14f), 0);
    EXPECT_EQ(waveview::FindNearestCut(SideWith(1000, {100, 200, 300}), 2.0f), 2);
    // Cuts moved out of order (the listen dialog does not re-sort) are still all searched.
    EXPECT_EQ(waveview::FindNearestCut(SideWith(1000, {700, 200, 900}), 0.25f), 1);
}

struct ClickCase {
    const char* name;
    int x, y;  // relative to the canvas's top-left corner
    CanvasClick::Area area;
    Side side;
};

void PrintTo(const ClickCase& c, std::ostream* out) {
    *out << c.name;
}

// Canvas of 1080 x 212 pixels at (20, 423), listen bands 34 pixels high.
constexpr CanvasGeometry kGeometry{20, 423, 1080, 212, 106, 34};

class ClassifyClickTest : public testing::TestWithParam<ClickCase> {};

TEST_P(ClassifyClickTest, ListenBandsFirstThenWaveforms) {
    const ClickCase& c = GetParam();
    const CanvasClick click =
        waveview::ClassifyClick(kGeometry, kGeometry.cx + c.x, kGeometry.cy + c.y);
    EXPECT_EQ(click.area, c.area);
    if (c.area != CanvasClick::Area::None) {
        EXPECT_EQ(click.side, c.side);
    }
}

using Area = CanvasClick::Area;
INSTANTIATE_TEST_SUITE_P(
    Cases, ClassifyClickTest,
    testing::Values(ClickCase{"AboveTheCanvas", 100, -1, Area::None, Side::One},
                    ClickCase{"Listen1Top", 100, 0, Area::ListenBand, Side::One},
                    ClickCase{"Listen1Bottom", 100, 33, Area::ListenBand, Side::One},
                    ClickCase{"Listen1LeftOfTheCanvas", -20, 10, Area::ListenBand, Side::One},
                    ClickCase{"Listen1RightOfTheCanvas", 1200, 10, Area::ListenBand, Side::One},
                    ClickCase{"Wave1Top", 100, 34, Area::Waveform, Side::One},
                    ClickCase{"Wave1Bottom", 100, 105, Area::Waveform, Side::One},
                    ClickCase{"Wave1LeftEdge", 0, 60, Area::Waveform, Side::One},
                    ClickCase{"Wave1RightEdgeIncluded", 1080, 60, Area::Waveform, Side::One},
                    ClickCase{"Wave1LeftOfTheCanvas", -1, 60, Area::None, Side::One},
                    ClickCase{"Wave1RightOfTheCanvas", 1081, 60, Area::None, Side::One},
                    ClickCase{"DividerRowIsListen2", 100, 106, Area::ListenBand, Side::Two},
                    ClickCase{"Listen2Bottom", 100, 139, Area::ListenBand, Side::Two},
                    ClickCase{"Wave2Top", 100, 140, Area::Waveform, Side::Two},
                    ClickCase{"Wave2BottomIncluded", 100, 212, Area::Waveform, Side::Two},
                    ClickCase{"BelowTheCanvas", 100, 213, Area::None, Side::One}),
    [](const testing::TestParamInfo<ClickCase>& info) { return std::string(info.param.name); });

}  // namespace
