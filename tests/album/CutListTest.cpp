// Cut lists: CUE sheets and Audacity label files written and read back, their errors, the
// placement of a list's tracks on a side, and what cuetools reads of Velvane's sheets.

#include <gtest/gtest.h>

#include "album/CueSheet.h"
#include "album/CutListFile.h"
#include "album/LabelFile.h"
#include "platform/Process.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

namespace {

constexpr std::uint32_t kRate = 44100;
constexpr std::uint64_t kTwoHundredSeconds = 200ull * kRate;

std::vector<std::string> Titles(const std::vector<TrackInfo>& tracks) {
    std::vector<std::string> titles;
    for (const TrackInfo& t : tracks) titles.push_back(t.title);
    return titles;
}

// Titles that a careless writer or reader would damage.
const std::vector<TrackInfo> kTracks = {{"Say \"hi\" \\ back", ""},
                                        {"AC/DC", "Guest"},
                                        {"\xC3\x9Cn\xC3\xAF \xE2\x99\xAB", ""},
                                        {"bad \xFF\xFE bytes", ""},
                                        {"", ""}};
const std::vector<std::int32_t> kCuts = {1165, 1, 274, 543};  // as placed, out of order

CutListData ExportedList() {
    CutListData list;
    list.artist = "The \"Band\"";
    list.title = "A/B";
    list.year = "1979";
    list.genre = "Rock";
    list.sides.push_back(MakeCutListSide("side1.wav", kCuts, kTracks, kTwoHundredSeconds, kRate));
    return list;
}

TEST(CutListTest, ExportThenImportGivesTheSameCutsAndTitles) {
    TempDir dir;
    for (const CutListFormat format : {CutListFormat::Cue, CutListFormat::Labels}) {
        const bool cue = format == CutListFormat::Cue;
        SCOPED_TRACE(cue ? "cue" : "labels");
        const std::string path = dir / (cue ? "side1.cue" : "side1.txt");
        ASSERT_EQ(WriteCutListFile(path, ExportedList(), format), "");
        const CutListResult read = ReadCutListFile(path, format);
        ASSERT_EQ(read.error, "");
        ASSERT_EQ(read.list.sides.size(), 1u);
        const PlacedSide placed = PlaceCutListSide(read.list.sides[0], kTwoHundredSeconds, kRate);
        EXPECT_EQ(placed.cuts, (std::vector<std::int32_t>{1, 274, 543, 1165}));
        EXPECT_EQ(Titles(placed.tracks), Titles(kTracks));
        if (!cue) continue;
        EXPECT_EQ(placed.tracks, kTracks);  // the track's own artist too
        EXPECT_EQ(read.list.sides[0].file, "side1.wav");
        EXPECT_EQ(read.list.artist, "The \"Band\"");
        EXPECT_EQ(read.list.title, "A/B");
        EXPECT_EQ(read.list.year, "1979");
        EXPECT_EQ(read.list.genre, "Rock");
    }
}

TEST(CutListTest, LabelFileHasSixDecimalsAndEndsAtTheNextStart) {
    const std::string text = FormatLabels(ExportedList().sides[0]);
    EXPECT_EQ(text.substr(0, text.find('\n', text.find('\n') + 1) + 1),
              "0.000000\t0.100000\tSay \"hi\" \\ back\n0.100000\t27.400000\tAC/DC\n");
    EXPECT_NE(text.find("116.500000\t200.000000\t\n"), std::string::npos);
}

TEST(CutListTest, WhatCannotBeParsedNamesItsLine) {
    const struct {
        bool cue;
        const char* text;
        const char* line;
    } cases[] = {
        {true, "FILE \"a.wav\" WAVE\n  TRACK 01 AUDIO\n    TITLE \"x\"\n    INDX 01 00:00:00\n",
         "line 4: "},
        {true,
         "FILE \"a.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n"
         "    INDEX 01 00:1x:00\n",
         "line 5: "},
        {true,
         "FILE \"a.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n"
         "    TITLE \"no index\"\n",
         "line 4: track 2 has no INDEX 01"},
        {true, "REM DATE 1979\n", "line 1: "},
        {false, "0.000000\t27.400000\tA\n\n27,4\tabc\tB\n", "line 3: \"abc\""},
        {false, "1.5\n12:30\tx\n", "line 2: \"12:30\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const CutListResult result = c.cue ? ParseCueSheet(c.text) : ParseLabels(c.text);
        EXPECT_EQ(result.error.rfind(c.line, 0), 0u) << result.error;
    }
}

TEST(CutListTest, TracksBecomeMarkersAsIfPlacedInTheWaveform) {
    CutListSide side;
    const std::pair<std::int64_t, const char*> starts[] = {
        {200, "B"}, {0, "A"}, {700, "late"}, {200, "again"}, {-5, "early"}, {599, "last"}};
    for (const auto& [start, title] : starts) side.tracks.push_back({start, {title, ""}});
    const PlacedSide placed = PlaceCutListSide(side, 60 * kRate, kRate);  // 600 tenths
    EXPECT_EQ(placed.cuts, (std::vector<std::int32_t>{200, 599}));
    EXPECT_EQ(Titles(placed.tracks), (std::vector<std::string>{"A", "B", "last"}));
    EXPECT_EQ(PlacementNotice(Side::Two, placed),
              "Side 2: the cuts at -0:00.5 and 1:10.0 lie outside the side and were left out.\n"
              "Side 2: the cut at 0:20.0 repeats an earlier track's start and was left out.");

    // A first track after 0: the lead-in before it is an untitled slice.
    const PlacedSide lead = PlaceCutListSide({"", {{100, {"X", ""}}}, 0}, 60 * kRate, kRate);
    EXPECT_EQ(lead.cuts, (std::vector<std::int32_t>{100}));
    EXPECT_EQ(Titles(lead.tracks), (std::vector<std::string>{"", "X"}));

    // A side's table holds 511 cuts: 512 are refused whole, not cut short.
    for (const int count : {511, 512}) {
        CutListSide many;
        for (int k = 1; k <= count; ++k) many.tracks.push_back({k, {}});
        const PlacedSide result = PlaceCutListSide(many, 600 * kRate, kRate);
        EXPECT_EQ(result.cuts.size(), count == 511 ? 511u : 0u);
        EXPECT_EQ(result.error.empty(), count == 511);
    }
}

TEST(CutListTest, CuetoolsReadVelvanesSheet) {
    TempDir dir;
    const std::string path = dir / "side1.cue";
    ASSERT_EQ(WriteCutListFile(path, ExportedList(), CutListFormat::Cue), "");
    // Cuts 0.1 s, 27.4 s, 54.3 s, 116.5 s at 75 frames a second, the nearest frame.
    const ProgramRun breaks =
        RunProgram({platform::FindOnPath("cuebreakpoints"), path}, dir.path());
    EXPECT_EQ(breaks.status, 0) << breaks.err;
    EXPECT_EQ(breaks.out, "0:00.08\n0:27.30\n0:54.23\n1:56.38\n");
    const ProgramRun print = RunProgram(
        {platform::FindOnPath("cueprint"), "-d", "%P|%T\n", "-t", "%n|%t\n", path}, dir.path());
    EXPECT_EQ(print.status, 0) << print.err;
    EXPECT_NE(print.out.find("The \\\"Band\\\"|A/B\n"), std::string::npos) << print.out;
    EXPECT_NE(print.out.find("2|AC/DC\n3|\xC3\x9Cn\xC3\xAF \xE2\x99\xAB\n"), std::string::npos)
        << print.out;
}

}  // namespace
