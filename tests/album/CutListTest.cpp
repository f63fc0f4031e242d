// Cut lists: CUE sheets and Audacity label files written and read back, their errors, the
// placement of a list's tracks on a side, and what cuetools reads of Velvane's sheets.

#include <gtest/gtest.h>

#include <algorithm>

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
// kTracks read back: the bytes that are not UTF-8 are written as U+FFFD, so that every
// file Velvane writes reads back as UTF-8.
std::vector<TrackInfo> ReadBackTracks() {
    std::vector<TrackInfo> tracks = kTracks;
    tracks[3].title = "bad \xEF\xBF\xBD\xEF\xBF\xBD bytes";
    return tracks;
}

CutListData ExportedList() {
    CutListData list;
    list.artist = "The \"Band\"";
    list.title = "A/B";
    list.year = "1979";
    list.genre = "Rock";
    list.sides.push_back(
        album::MakeCutListSide("side1.wav", kCuts, kTracks, kTwoHundredSeconds, kRate));
    return list;
}

TEST(CutListTest, ExportThenImportGivesTheSameCutsAndTitles) {
    TempDir dir;
    for (const CutListFormat format : {CutListFormat::Cue, CutListFormat::Labels}) {
        const bool cue = format == CutListFormat::Cue;
        SCOPED_TRACE(cue ? "cue" : "labels");
        const std::string path = dir / (cue ? "side1.cue" : "side1.txt");
        ASSERT_EQ(album::WriteCutListFile(path, ExportedList(), format), "");
        const CutListResult read = album::ReadCutListFile(path, format);
        ASSERT_EQ(read.error, "");
        ASSERT_EQ(read.list.sides.size(), 1u);
        const PlacedSide placed =
            album::PlaceCutListSide(read.list.sides[0], kTwoHundredSeconds, kRate);
        EXPECT_EQ(placed.cuts, (std::vector<std::int32_t>{1, 274, 543, 1165}));
        EXPECT_EQ(Titles(placed.tracks), Titles(ReadBackTracks()));
        if (!cue) continue;
        EXPECT_EQ(placed.tracks, ReadBackTracks());  // the track's own artist too
        EXPECT_EQ(read.list.sides[0].file, "side1.wav");
        EXPECT_EQ(read.list.artist, "The \"Band\"");
        EXPECT_EQ(read.list.title, "A/B");
        EXPECT_EQ(read.list.year, "1979");
        EXPECT_EQ(read.list.genre, "Rock");
    }
}

TEST(CutListTest, LabelFileHasSixDecimalsAndEndsAtTheNextStart) {
    const std::string text = album::FormatLabels(ExportedList().sides[0]);
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
        const CutListResult result =
            c.cue ? album::ParseCueSheet(c.text) : album::ParseLabels(c.text);
        EXPECT_EQ(result.error.rfind(c.line, 0), 0u) << result.error;
    }
}

TEST(CutListTest, TracksBecomeMarkersAsIfPlacedInTheWaveform) {
    CutListSide side;
    const std::pair<std::int64_t, const char*> starts[] = {
        {200, "B"}, {0, "A"}, {700, "late"}, {200, "again"}, {-5, "early"}, {599, "last"}};
    for (const auto& [start, title] : starts) side.tracks.push_back({start, {title, ""}});
    const PlacedSide placed = album::PlaceCutListSide(side, 60 * kRate, kRate);  // 600 tenths
    EXPECT_EQ(placed.cuts, (std::vector<std::int32_t>{200, 599}));
    EXPECT_EQ(Titles(placed.tracks), (std::vector<std::string>{"A", "B", "last"}));
    EXPECT_EQ(album::PlacementNotice(Side::Two, placed),
              "Side 2: the cuts at -0:00.5 and 1:10.0 lie outside the side and were left out.\n"
              "Side 2: the cut at 0:20.0 repeats an earlier track's start and was left out.");

    // A first track after 0: the lead-in before it is an untitled slice.
    const PlacedSide lead = album::PlaceCutListSide({"", {{100, {"X", ""}}}, 0}, 60 * kRate, kRate);
    EXPECT_EQ(lead.cuts, (std::vector<std::int32_t>{100}));
    EXPECT_EQ(Titles(lead.tracks), (std::vector<std::string>{"", "X"}));

    // A side's table holds 511 cuts: 512 are refused whole, not cut short.
    for (const int count : {511, 512}) {
        CutListSide many;
        for (int k = 1; k <= count; ++k) many.tracks.push_back({k, {}});
        const PlacedSide result = album::PlaceCutListSide(many, 600 * kRate, kRate);
        EXPECT_EQ(result.cuts.size(), count == 511 ? 511u : 0u);
        EXPECT_EQ(result.error.empty(), count == 511);
    }
}

TEST(CutListTest, CuetoolsReadVelvanesSheet) {
    TempDir dir;
    const std::string path = dir / "side1.cue";
    ASSERT_EQ(album::WriteCutListFile(path, ExportedList(), CutListFormat::Cue), "");
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

// A cut list is never written over a recording: a side of the job (however its path is
// spelt) or any file that holds audio. Text files, a UTF-16 one too, are replaced.
TEST(CutListTest, NeverWrittenOverARecording) {
    TempDir dir;
    const std::pair<const char*, std::string> audio[] = {
        {"a.wav", "RIFF\x24\x00\x00\x00WAVEfmt "},     {"b.wav", "RF64\xFF\xFF\xFF\xFFWAVE"},
        {"c.aif", "FORM\x00\x00\x00\x00AIFF"},         {"d.flac", "fLaC\x00\x00\x00\x22"},
        {"e.ogg", std::string("OggS\x00\x02", 6)},     {"f.mp3", "ID3\x04\x00\x00"},
        {"g.mp3", std::string("\xFF\xFB\x90\x00", 4)},
    };
    for (const auto& [name, bytes] : audio) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(WriteFileBytes(dir / name, bytes));
        const std::string error =
            album::WriteCutListFile(dir / name, ExportedList(), CutListFormat::Labels);
        EXPECT_NE(error.find(dir / name), std::string::npos) << error;
        EXPECT_EQ(ReadFileBytes(dir / name), bytes);
    }
    // A side's recording is protected by its path, whatever it holds.
    ASSERT_TRUE(WriteFileBytes(dir / "side.raw", "not yet a header"));
    const std::string sides[] = {dir / "other.wav", dir / "side.raw"};
    EXPECT_NE(album::WriteCutListFile(dir.path() + "/./side.raw", ExportedList(),
                                      CutListFormat::Cue, sides),
              "");
    EXPECT_EQ(ReadFileBytes(dir / "side.raw"), "not yet a header");
    for (const std::string& text : {std::string("FILE \"x\" WAVE\n"), std::string("\xFF\xFE"
                                                                                  "F\0",
                                                                                  4)}) {
        ASSERT_TRUE(WriteFileBytes(dir / "old.cue", text));
        EXPECT_EQ(
            album::WriteCutListFile(dir / "old.cue", ExportedList(), CutListFormat::Cue, sides),
            "");
        EXPECT_EQ(ReadFileBytes(dir / "old.cue"), album::FormatCueSheet(ExportedList()));
    }
}

// Cut lists from Windows tools (Windows-1252) and with a byte order mark are read as text;
// whatever is read holds valid UTF-8 without control characters.
TEST(CutListTest, WindowsTextAndByteOrderMarksAreRead) {
    const std::string cafe = "Caf\xC3\xA9 \xE2\x80\x9CX\xE2\x80\x9D";  // Café “X”
    const struct {
        bool cue;
        std::string text;
        std::string title;
    } cases[] = {
        {false, "0\t1\tCaf\xE9 \x93X\x94\n", cafe},
        {false,
         "\xEF\xBB\xBF"
         "0.000000\t1.000000\t" +
             cafe + "\n",
         cafe},
        {false, std::string("0\t1\tA\0B\tC\n", 10), "A B C"},
        {true,
         "FILE \"a.wav\" WAVE\n  TRACK 01 AUDIO\n    TITLE \"Caf\xE9 \x93X\x94\"\n"
         "    INDEX 01 00:00:00\n",
         cafe},
        {true,
         "\xEF\xBB\xBF"
         "FILE \"a.wav\" WAVE\n  TRACK 01 AUDIO\n    TITLE \"" +
             cafe + "\"\n    INDEX 01 00:00:00\n",
         cafe},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const CutListResult read =
            c.cue ? album::ParseCueSheet(c.text) : album::ParseLabels(c.text);
        ASSERT_EQ(read.error, "");
        ASSERT_EQ(read.list.sides.size(), 1u);
        EXPECT_EQ(read.list.sides[0].tracks.at(0).info.title, c.title);
    }
}

// A CUE sheet holds 99 tracks: Velvane writes no more, says which were left out, and names a
// sheet's track past the 99th when reading. Errors late in a long sheet name their line.
TEST(CutListTest, CueSheetsHoldNinetyNineTracks) {
    TempDir dir;
    CutListData list;
    std::vector<std::int32_t> cuts;
    for (int k = 1; k < 120; ++k) cuts.push_back(10 * k);
    list.sides.push_back(album::MakeCutListSide("side1.wav", cuts, {}, kTwoHundredSeconds, kRate));
    ASSERT_EQ(album::WriteCutListFile(dir / "many.cue", list, CutListFormat::Cue), "");
    EXPECT_EQ(album::TracksLeftOut(list, CutListFormat::Cue),
              "Tracks 100 to 120 (from 1:39.0 on) were left out: a CUE sheet holds at most 99 "
              "tracks.");
    EXPECT_EQ(album::TracksLeftOut(list, CutListFormat::Labels), "");
    const CutListResult read = album::ReadCutListFile(dir / "many.cue", CutListFormat::Cue);
    ASSERT_EQ(read.error, "");
    EXPECT_EQ(read.list.sides.at(0).tracks.size(), 99u);
    const ProgramRun breaks =
        RunProgram({platform::FindOnPath("cuebreakpoints"), dir / "many.cue"}, dir.path());
    EXPECT_EQ(breaks.status, 0);
    EXPECT_EQ(std::count(breaks.out.begin(), breaks.out.end(), '\n'), 98) << breaks.out;
    list.sides[0].tracks.resize(99);
    EXPECT_EQ(album::TracksLeftOut(list, CutListFormat::Cue), "");

    std::string sheet = "FILE \"a.wav\" WAVE\n";
    for (int k = 1; k <= 100; ++k)
        sheet += "  TRACK " + std::to_string(std::min(k, 99)) + " AUDIO\n    INDEX 01 00:0" +
                 std::to_string(k % 10) + ":00\n";
    EXPECT_EQ(album::ParseCueSheet(sheet).error,
              "line 200: a 100th TRACK: a CUE sheet holds at most 99 tracks");
    sheet.replace(sheet.rfind("TRACK 99"), 8, "TRACK 100");
    EXPECT_EQ(album::ParseCueSheet(sheet).error,
              "line 200: TRACK 100: a CUE sheet holds at most 99 tracks");

    std::string late = "FILE \"a.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n";
    for (int k = 0; k < 5000; ++k) late += "    REM COMMENT \"note\"\n";
    late += "    INDX 01 00:01:00\n    REM COMMENT \"after\"\n";
    EXPECT_EQ(album::ParseCueSheet(late).error.rfind("line 5004: ", 0), 0u)
        << album::ParseCueSheet(late).error;
}

// Importing keeps what the format does not carry: a label file's titles leave the typed
// artists alone; a CUE sheet brings titles and performers.
TEST(CutListTest, ImportedTracksKeepWhatTheFormatDoesNotCarry) {
    const std::vector<TrackInfo> typed = {{"Old 1", "Guest"}, {"Old 2", ""}, {"Old 3", "Duo"}};
    const std::vector<TrackInfo> imported = {{"A", ""}, {"B", "Other"}};
    EXPECT_EQ(album::MergeImportedTracks(typed, imported, CutListFormat::Labels),
              (std::vector<TrackInfo>{{"A", "Guest"}, {"B", ""}}));
    EXPECT_EQ(album::MergeImportedTracks(typed, imported, CutListFormat::Cue), imported);
    EXPECT_EQ(album::MergeImportedTracks({}, imported, CutListFormat::Labels),
              (std::vector<TrackInfo>{{"A", ""}, {"B", ""}}));
}

// The "first ten only" notice follows how many markers count.
TEST(CutListTest, TheChosenFormatGivesTheNamesExtension) {
    EXPECT_EQ(album::WithCutListExtension("/a/side.cue", CutListFormat::Labels), "/a/side.txt");
    EXPECT_EQ(album::WithCutListExtension("/a/side.TXT", CutListFormat::Cue), "/a/side.cue");
    EXPECT_EQ(album::WithCutListExtension("/a/side", CutListFormat::Cue), "/a/side.cue");
    EXPECT_EQ(album::WithCutListExtension("/a/side.wav", CutListFormat::Labels), "/a/side.wav.txt");
}

TEST(CutListTest, FirstTenNoticeOnlyWhenTrue) {
    CutListSide side;
    for (int k = 0; k <= 12; ++k) side.tracks.push_back({10 * k, {}});
    const PlacedSide placed = album::PlaceCutListSide(side, 60 * kRate, kRate);
    EXPECT_EQ(album::PlacementNotice(Side::One, placed),
              "Side 1: 12 cuts were placed; slicing cuts a side at its first ten only.");
    EXPECT_EQ(album::PlacementNotice(Side::One, placed, kMaxCuts), "");
}

}  // namespace
