// The cut list's edits by typed time, its rows, the cuts playback steps between, and the
// undo history of the cut tables.

#include <gtest/gtest.h>

#include <vector>

#include "model/Side.h"
#include "tests/waveview/CutTestSupport.h"
#include "waveview/CutHistory.h"
#include "waveview/CutListRows.h"
namespace {

struct EditCase {
    const char* name;
    int index;  // -1: add
    std::int32_t tenths;
    CutListEdit result;
    std::vector<std::int32_t> after;
};

void PrintTo(const EditCase& c, std::ostream* os) {
    *os << c.name;
}

class CutListEditTest : public testing::TestWithParam<EditCase> {};

// A 100-second side cut at 30 s and 60 s.
TEST_P(CutListEditTest, KeepsTheListAscendingInsideTheSide) {
    const EditCase& c = GetParam();
    SideState side = SideWith(1000, {300, 600});
    EXPECT_EQ(c.index < 0 ? waveview::AddCutAt(side, c.tenths)
                          : waveview::MoveCutTo(side, c.index, c.tenths),
              c.result);
    EXPECT_EQ(CutsOf(side), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CutListEditTest,
    testing::Values(EditCase{"Add", -1, 455, CutListEdit::Done, {300, 455, 600}},
                    EditCase{"AddAtStart", -1, 0, CutListEdit::OutsideSide, {300, 600}},
                    EditCase{"AddAtEnd", -1, 1000, CutListEdit::OutsideSide, {300, 600}},
                    EditCase{"AddTwice", -1, 600, CutListEdit::AlreadyACut, {300, 600}},
                    EditCase{"MovePastNeighbour", 0, 700, CutListEdit::Done, {600, 700}},
                    EditCase{"MoveOntoNeighbour", 0, 600, CutListEdit::AlreadyACut, {300, 600}},
                    EditCase{"MoveInPlace", 1, 600, CutListEdit::Done, {300, 600}},
                    EditCase{"MoveOutside", 1, -5, CutListEdit::OutsideSide, {300, 600}},
                    EditCase{"MoveMissing", 2, 800, CutListEdit::NoSuchCut, {300, 600}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CutList, FullListAndRemoval) {
    SideState side;
    for (std::int32_t t = 1; t <= static_cast<std::int32_t>(kMaxCutsInUse); ++t)
        ASSERT_EQ(waveview::AddCutAt(side, t), CutListEdit::Done);
    EXPECT_EQ(waveview::AddCutAt(side, 9999), CutListEdit::Full);
    EXPECT_NE(waveview::CutListEditText(CutListEdit::Full, side).find("511"), std::string::npos);
    side = SideWith(1000, {300, 600, 900});
    EXPECT_TRUE(waveview::RemoveCutAt(side, 1));
    EXPECT_EQ(CutsOf(side), (std::vector<std::int32_t>{300, 900}));
    EXPECT_FALSE(waveview::RemoveCutAt(side, 2));
    EXPECT_EQ(waveview::CutListEditText(CutListEdit::OutsideSide, side),
              "A cut lies after the side's start and before its end (1:40.0).");
}

TEST(CutList, RowsGiveEachCutAndTheSongItEnds) {
    const std::vector<CutRow> rows = waveview::CutRows(SideWith(2455, {1234, 1800}));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].cutIndex, 0);
    EXPECT_EQ(rows[0].name, "Cut 1");
    EXPECT_EQ(rows[0].at, "2:03.4");
    EXPECT_EQ(rows[0].length, "2:03.4");
    EXPECT_EQ(rows[1].at, "3:00.0");
    EXPECT_EQ(rows[1].length, "0:56.6");
    EXPECT_EQ(rows[2].cutIndex, -1);
    EXPECT_EQ(rows[2].name, "End");
    EXPECT_EQ(rows[2].at, "4:05.5");
    EXPECT_EQ(rows[2].length, "1:05.5");
    EXPECT_TRUE(waveview::CutRows(SideWith(0, {})).empty()) << "no end before the side is measured";
}

TEST(CutList, PlaybackStepsBetweenCuts) {
    const SideState side = SideWith(1000, {300, 600});
    EXPECT_EQ(waveview::PreviousCutBefore(side, 650, 10), 600);
    EXPECT_EQ(waveview::PreviousCutBefore(side, 605, 10), 300) << "just past a cut: the one before";
    EXPECT_EQ(waveview::PreviousCutBefore(side, 305, 10), 0) << "the side's start";
    EXPECT_EQ(waveview::NextCutAfter(side, 300), 600);
    EXPECT_EQ(waveview::NextCutAfter(side, 0), 300);
    EXPECT_EQ(waveview::NextCutAfter(side, 600), std::nullopt);
}

TEST(CutHistory, UndoRedoAndTheStepsKept) {
    std::array<SideState, 2> sides = {SideWith(1000, {300}), SideWith(500, {})};
    CutHistory history;
    EXPECT_FALSE(history.Undo(waveview::CutTablesOf(sides)).has_value());

    const auto edit = [&](Side side, std::int32_t cut) {
        history.Record(waveview::CutTablesOf(sides));
        ASSERT_EQ(waveview::AddCutAt(sides[model::Index(side)], cut), CutListEdit::Done);
    };
    edit(Side::One, 600);
    edit(Side::Two, 100);
    waveview::ApplyCutTables(*history.Undo(waveview::CutTablesOf(sides)), sides);
    EXPECT_EQ(CutsOf(sides[1]), std::vector<std::int32_t>{});
    waveview::ApplyCutTables(*history.Undo(waveview::CutTablesOf(sides)), sides);
    EXPECT_EQ(CutsOf(sides[0]), std::vector<std::int32_t>{300});
    EXPECT_FALSE(history.CanUndo());
    waveview::ApplyCutTables(*history.Redo(waveview::CutTablesOf(sides)), sides);
    EXPECT_EQ(CutsOf(sides[0]), (std::vector<std::int32_t>{300, 600}));
    EXPECT_EQ(sides[0].levelCount, 1000u) << "only the cut tables change";
    // A new change forgets what Redo would have brought back.
    edit(Side::One, 900);
    EXPECT_FALSE(history.CanRedo());

    for (std::int32_t t = 1; t <= 300; ++t) edit(Side::Two, t);
    EXPECT_EQ(history.UndoSteps(), CutHistory::kSteps);
    for (std::size_t n = 0; n < CutHistory::kSteps; ++n)
        waveview::ApplyCutTables(*history.Undo(waveview::CutTablesOf(sides)), sides);
    EXPECT_EQ(sides[1].cutCount, 100u) << "the oldest steps went";
    history.Clear();
    EXPECT_FALSE(history.CanUndo());
}

}  // namespace
