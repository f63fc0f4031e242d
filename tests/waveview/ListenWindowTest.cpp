// The listen dialog's window without the toolkit: which cut, where the window starts,
// loading with column peaks (odd headers, short and unreadable files), the stretches the
// listen buttons play and the cut shift of OK.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>

#include "tests/support/TempDir.h"
#include "tests/support/TestWav.h"
#include "waveview/ListenWindow.h"

namespace {

SideState SideWith(std::uint32_t levelCount, std::vector<std::int32_t> cuts) {
    SideState side;
    side.levelCount = levelCount;
    side.levels.assign(levelCount, 0.5f);
    std::copy(cuts.begin(), cuts.end(), side.cuts.begin());
    side.cutCount = static_cast<std::uint32_t>(cuts.size());
    return side;
}

std::vector<std::int32_t> Cuts(const SideState& side) {
    return {side.cuts.begin(), side.cuts.begin() + side.cutCount};
}

// Frame i of a side: a ramp in each channel that tells every frame apart.
Frame SideFrame(std::uint32_t i) {
    return {static_cast<std::int16_t>(i * 7 % 30000),
            static_cast<std::int16_t>(-static_cast<int>(i * 3 % 20000))};
}

std::vector<Frame> SideFrames(std::uint32_t count) {
    std::vector<Frame> frames(count);
    for (std::uint32_t i = 0; i < count; ++i) frames[i] = SideFrame(i);
    return frames;
}

TEST(ListenWindow, TheNearestCutIsSoughtAtLeastFiveSecondsFromEitherEnd) {
    // 60 s side; cuts at 2 s, 30 s and 58 s.
    const SideState side = SideWith(600, {20, 300, 580});
    struct Case {
        float r;
        int index;
    };
    // r = 0 looks at 5 s: nearer 2 s than 30 s. r = 1 looks at 55 s: nearer 58 s.
    for (const Case c : {Case{0.0f, 0}, Case{-3.0f, 0}, Case{0.3f, 1}, Case{0.5f, 1}, Case{1.0f, 2},
                         Case{7.0f, 2}}) {
        EXPECT_EQ(waveview::ListenCutIndex(side, c.r), c.index) << c.r;
    }
    // A side shorter than 10 s: the clamp ends at T - 5, below 5 s; a cut is still found.
    EXPECT_EQ(waveview::ListenCutIndex(SideWith(80, {10, 70}), 0.9f), 0);
    EXPECT_EQ(waveview::ListenCutIndex(SideWith(0, {10, 70}), 0.5f), 0);
}

TEST(ListenWindow, TheWindowStartsFiveSecondsBeforeTheCutButNotBeforeTheFile) {
    struct Case {
        std::int32_t cut;
        std::uint32_t start;
    };
    for (const Case c : {Case{0, 0}, Case{-7, 0}, Case{30, 0}, Case{50, 0}, Case{51, 4410},
                         Case{300, 1102500}, Case{65534, 288784440}}) {
        EXPECT_EQ(waveview::ListenStartFrame(c.cut), c.start) << c.cut;
    }
}

class ListenLoadTest : public testing::Test {
  protected:
    TempDir dir;
    ListenAudio audio;
};

TEST_F(ListenLoadTest, LoadsTheWindowFromTheDataChunkWhateverTheHeaderHolds) {
    const auto frames = SideFrames(700000);
    WavLayout list;
    list.chunksBeforeData = {{"LIST", std::string(37, 'x')}};  // odd: a pad byte follows
    WavLayout extensible;
    extensible.formatTag = 0xFFFE;
    extensible.formatChunkBytes = 40;
    for (const WavLayout& layout : {WavLayout{}, list, extensible}) {
        const std::string path = dir / "side.wav";
        ASSERT_TRUE(WriteWav(path, frames, layout));
        const std::uint32_t start = waveview::ListenStartFrame(100);  // 10 s: frame 220500
        ASSERT_TRUE(waveview::LoadListenWindow(path, start, audio));
        ASSERT_EQ(audio.left.size(), kListenFrames);
        for (std::uint32_t i = 0; i < kListenFrames; i += 997) {
            ASSERT_EQ(audio.left[i], SideFrame(start + i).left) << i;
            ASSERT_EQ(audio.right[i], SideFrame(start + i).right) << i;
        }
    }
}

TEST_F(ListenLoadTest, ColumnPeaksAreTheLargestMidValueOfEach711Frames) {
    std::vector<Frame> frames(kListenFrames, Frame{0, 0});
    // Column 0: a positive mid value, (7 + -1) / 2 = 3.
    frames[5] = {7, -1};
    // Column 1: the negative side wins: (-9 + -2) / 2 = -5 (toward zero).
    frames[711 + 10] = {-9, -2};
    frames[711 + 11] = {4, 4};
    // Column 2: -32768 on both channels: a peak of 32768, held to 32767.
    frames[2 * 711] = {-32768, -32768};
    // Column 619: its last frame, 711 * 620 - 1; the 180 frames after it belong to no column.
    frames[kColumnFrames * 620 - 1] = {1000, 3000};
    frames[kListenFrames - 1] = {20000, 20000};
    const std::string path = dir / "peaks.wav";
    ASSERT_TRUE(WriteWav(path, frames));
    ASSERT_TRUE(waveview::LoadListenWindow(path, 0, audio));
    EXPECT_EQ(audio.columnPeaks[0], 3);
    EXPECT_EQ(audio.columnPeaks[1], 5);
    EXPECT_EQ(audio.columnPeaks[2], 32767);
    EXPECT_EQ(audio.columnPeaks[3], 0);
    EXPECT_EQ(audio.columnPeaks[619], 2000);
}

TEST_F(ListenLoadTest, AShortSideFillsTheWindowWithSilenceAfterItsEnd) {
    // 3 s of audio, then a trailing chunk the reader must not take for samples.
    const auto frames = SideFrames(3 * 44100 + 5);
    const std::string bytes = MakeWavBytes({}, FramesToBytes(frames)) + "junk" +
                              std::string("\x08\0\0\0", 4) + std::string(8, '\x7f');
    const std::string path = dir / "short.wav";
    ASSERT_TRUE(WriteFileBytes(path, bytes));
    ASSERT_TRUE(waveview::LoadListenWindow(path, 0, audio));
    const std::uint32_t n = static_cast<std::uint32_t>(frames.size());
    for (std::uint32_t i = 0; i < n; ++i) ASSERT_EQ(audio.left[i], frames[i].left) << i;
    for (std::uint32_t i = n; i < kListenFrames; ++i) {
        ASSERT_EQ(audio.left[i], 0) << i;
        ASSERT_EQ(audio.right[i], 0) << i;
    }
    // Columns after the end of the file stay at 0.
    EXPECT_GT(audio.columnPeaks[n / kColumnFrames - 1], 0);
    for (int c = n / kColumnFrames + 1; c < kListenColumns; ++c) EXPECT_EQ(audio.columnPeaks[c], 0);

    // A window that starts after the end of the file holds silence only.
    ASSERT_TRUE(waveview::LoadListenWindow(path, 10 * 44100, audio));
    EXPECT_TRUE(std::all_of(audio.left.begin(), audio.left.end(), [](int s) { return s == 0; }));
}

TEST_F(ListenLoadTest, UnreadableFilesFailAndLeaveSilence) {
    const std::string notWav = dir / "text.wav";
    ASSERT_TRUE(WriteFileBytes(notWav, "this is not a wave file at all, not even close"));
    WavLayout eightBit;
    eightBit.bitsPerSample = 8;
    const std::string eightBitPath = dir / "eight.wav";
    ASSERT_TRUE(WriteWav(eightBitPath, SideFrames(1000), eightBit));
    for (const std::string& path : {dir / "missing.wav", notWav, eightBitPath, dir.path()}) {
        EXPECT_FALSE(waveview::LoadListenWindow(path, 0, audio)) << path;
        ASSERT_EQ(audio.left.size(), kListenFrames);
        EXPECT_TRUE(std::all_of(audio.right.begin(), audio.right.end(), [](int s) { return !s; }));
    }
}

// With Repair on the window holds, and the listen buttons play, the side as its slices
// will: the click repaired, the music around it as it is.
TEST_F(ListenLoadTest, WithRepairTheWindowHoldsTheRepairedSide) {
    constexpr std::uint32_t kStart = 44100, kClickAt = 2 * 44100 + 200;
    const std::vector<Frame> side = ClickedSineFrames(4 * 44100, kClickAt);
    const std::string path = dir / "clicked.wav";
    ASSERT_TRUE(WriteWav(path, side));
    ASSERT_TRUE(waveview::LoadListenWindow(path, kStart, audio, repair::RepairStrength::Medium));
    const std::uint32_t click = kClickAt - kStart;
    EXPECT_LT(*std::max_element(audio.left.begin() + click - 20, audio.left.begin() + click + 20),
              kClickedSineAmplitude * 1.05);
    for (const std::uint32_t i : {0u, click - 100, click + 100, 3u * 44100 - 1})
        EXPECT_EQ(audio.left[i], side[kStart + i].left) << i;
    EXPECT_LT(audio.columnPeaks[click / kColumnFrames], kClickedSineAmplitude * 1.05);
}

TEST(ListenWindow, ListenButtonsPlayUpToOrFromTheMarker) {
    struct Case {
        int markerX;
        std::uint32_t endFrames;  // also where the beginning stretch starts
    };
    for (const Case c : {Case{0, 0}, Case{1, 711}, Case{310, 220500}, Case{619, 440288},
                         Case{-40, 0}, Case{5000, 440288}}) {
        const ListenStretch end = waveview::EndOfSongStretch(c.markerX);
        EXPECT_EQ(end.first, 0u);
        EXPECT_EQ(end.frames, c.endFrames) << c.markerX;
        const ListenStretch begin = waveview::BeginningOfSongStretch(c.markerX);
        EXPECT_EQ(begin.first, c.endFrames) << c.markerX;
        EXPECT_EQ(begin.first + begin.frames, kListenFrames) << c.markerX;
    }
}

TEST(ListenWindow, OkShiftsTheCutByTheMarkersDistanceFromTheCentre) {
    struct Case {
        int markerX;
        int shift;
    };
    for (const Case c : {Case{310, 0}, Case{316, 0}, Case{317, 1}, Case{304, 0}, Case{303, -1},
                         Case{0, -50}, Case{619, 49}, Case{155, -25}, Case{465, 25}}) {
        EXPECT_EQ(waveview::CutShiftForMarker(c.markerX), c.shift) << c.markerX;
    }
}

TEST(ListenWindow, AShiftedCutStaysInsideTheSideAndTheListAscending) {
    struct Case {
        std::vector<std::int32_t> cuts;
        std::uint32_t levelCount;
        int index;
        int shift;
        std::vector<std::int32_t> after;
    };
    const Case cases[] = {
        {{100, 200, 300}, 600, 1, 7, {100, 207, 300}},
        {{100, 200, 300}, 600, 1, -50, {100, 150, 300}},
        {{100, 130, 300}, 600, 1, -40, {90, 100, 300}},  // past its neighbour: re-sorted
        {{100, 130, 300}, 600, 1, -30, {100, 300}},      // onto its neighbour: one cut
        {{30, 200}, 600, 0, -50, {1, 200}},              // never at 0 or below
        {{100, 580}, 600, 1, 49, {100, 599}},            // never past the end
        {{1, 200}, 600, 0, -50, {1, 200}},
        {{100, 580}, 0, 1, 49, {100, 629}},  // length unknown: only the start
    };
    for (const Case& c : cases) {
        SideState side = SideWith(c.levelCount, c.cuts);
        waveview::ShiftCut(side, c.index, c.shift);
        EXPECT_EQ(Cuts(side), c.after) << c.cuts[c.index] << " by " << c.shift;
        EXPECT_EQ(side.cuts[side.cutCount], 0);
        EXPECT_EQ(std::accumulate(side.cuts.begin() + side.cutCount, side.cuts.end(), 0), 0);
    }
}

// OK moves the cut the dialog was opened on, or nothing when a job replaced the cuts.
TEST(ListenWindow, OkMovesNothingWhenTheCutChangedMeanwhile) {
    SideState side = SideWith(600, {100, 200, 300});
    EXPECT_FALSE(waveview::ShiftCutIfStill(side, 1, 250, 7));  // the job put 200 where 250 was
    EXPECT_FALSE(waveview::ShiftCutIfStill(side, 3, 0, 7));    // fewer cuts now
    EXPECT_EQ(Cuts(side), (std::vector<std::int32_t>{100, 200, 300}));
    EXPECT_TRUE(waveview::ShiftCutIfStill(side, 1, 200, 7));
    EXPECT_EQ(Cuts(side), (std::vector<std::int32_t>{100, 207, 300}));
}

}  // namespace
