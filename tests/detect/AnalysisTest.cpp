#include "detect/Analysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>

#include "platform/File.h"
#include "sidefile/WaveFile.h"

#include "tests/support/FakeWorkControl.h"
#include "tests/support/Reference.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestWav.h"

namespace {

// A level list: loud (0.5) everywhere except the given quiet stretches.
struct Gap {
    int start;
    int length;
    float level;
};
std::vector<float> Levels(int count, std::vector<Gap> gaps) {
    std::vector<float> levels(count, 0.5f);
    for (const Gap& g : gaps)
        for (int i = g.start; i < g.start + g.length; ++i) levels[i] = g.level;
    return levels;
}

TEST(CutCountScore, FavoursFourToSixSongs) {
    const int want[] = {0, 1, 2, 0, 5, 5, 5, 4, 3, 3, 3};
    for (int n = 0; n <= 10; ++n) EXPECT_EQ(detect::CutCountScore(n), want[n]) << n;
}

TEST(KeepSpacedCuts, DropsCutsWithinTwentySecondsOfTheLast) {
    EXPECT_EQ(detect::KeepSpacedCuts({150, 1500, 1650, 3000}), (CutList{1500, 3000}));
    // The unsigned difference keeps a cut that lies before the previous one.
    EXPECT_EQ(detect::KeepSpacedCuts({900, 500}), (CutList{900, 500}));
}

TEST(ChooseAutoSenseCuts, FourCutsBeatThreeAtTheLowestThreshold) {
    const auto levels = Levels(
        5000, {{1000, 30, 0.005f}, {2000, 30, 0.005f}, {3000, 30, 0.005f}, {4000, 30, 0.03f}});
    EXPECT_EQ(detect::ChooseAutoSenseCuts(levels, 5000, 20), (CutList{1010, 2010, 3010, 4010}));
}

TEST(ChooseAutoSenseCuts, TieGoesToTheLowerThreshold) {
    // 0.06: four cuts (score 5); 0.11: five (5); 0.16: six (5).
    const auto levels = Levels(7000, {{1000, 30, 0.03f},
                                      {2000, 30, 0.03f},
                                      {3000, 30, 0.03f},
                                      {4000, 30, 0.03f},
                                      {5000, 30, 0.08f},
                                      {6000, 30, 0.13f}});
    EXPECT_EQ(detect::ChooseAutoSenseCuts(levels, 7000, 20), (CutList{1010, 2010, 3010, 4010}));
}

TEST(ChooseAutoSenseCuts, NothingToFind) {
    const std::vector<float> hiss(3000, 0.01f);
    EXPECT_EQ(detect::ChooseAutoSenseCuts(hiss, 3000, 20), CutList{});
    const auto songs = Levels(5000, {{1000, 30, 0.0f}, {2000, 30, 0.0f}});
    EXPECT_EQ(detect::ChooseAutoSenseCuts(songs, 5000, 0), CutList{});    // D = 0
    EXPECT_EQ(detect::ChooseAutoSenseCuts(songs, 5000, -20), CutList{});  // negative silence length
    EXPECT_EQ(detect::ChooseAutoSenseCuts({}, 0, 20), CutList{});
}

// Each rule exactly at its edge, worked out by hand: windows of 20 blocks, sides of 5000.
TEST(AutoSenseBoundaries, EachRuleHoldsExactlyAtItsEdge) {
    // Cuts exactly 200 blocks (20 s) apart are both kept; 199 apart, the second goes.
    EXPECT_EQ(detect::KeepSpacedCuts({1000, 1200}), (CutList{1000, 1200}));
    EXPECT_EQ(detect::KeepSpacedCuts({1000, 1199}), (CutList{1000}));
    // A cut exactly 40 blocks (4 s) before the end stays; one block later it goes.
    CutList ends = {3000, 4960};
    detect::CleanCandidates(ends, 5000, 20);
    EXPECT_EQ(ends, (CutList{3000, 4960}));
    ends = {3000, 4961};
    detect::CleanCandidates(ends, 5000, 20);
    EXPECT_EQ(ends, (CutList{3000}));
    // A gap exactly as long as the window is quiet; one block shorter is not.
    EXPECT_EQ(detect::FindQuietCuts(Levels(5000, {{1000, 20, 0.0f}}), 5000, 20, 0.01f),
              (CutList{1010}));
    EXPECT_EQ(detect::FindQuietCuts(Levels(5000, {{1000, 19, 0.0f}}), 5000, 20, 0.01f), CutList{});
    // Gaps at 0.14 are found by the last threshold (0.16) alone.
    const auto levels =
        Levels(5000, {{1000, 30, 0.14f}, {2000, 30, 0.14f}, {3000, 30, 0.14f}, {4000, 30, 0.14f}});
    EXPECT_EQ(detect::ChooseAutoSenseCuts(levels, 5000, 20), (CutList{1010, 2010, 3010, 4010}));
}

TEST(FindQuietCuts, LeadInScanAndLimits) {
    // Quiet lead-in, then gaps; the scan jumps 101 blocks after a cut.
    auto levels = Levels(3000, {{0, 50, 0.0f}, {500, 130, 0.0f}, {2985, 15, 0.0f}});
    EXPECT_EQ(detect::FindQuietCuts(levels, 3000, 20, 0.01f), (CutList{510, 611}));

    // A quiet tail shorter than the window ends the scan instead of reading past the end.
    EXPECT_EQ(detect::FindQuietCuts(Levels(100, {{90, 10, 0.0f}}), 100, 20, 0.01f), CutList{});

    // Near the end the cut is the window start itself.
    EXPECT_EQ(detect::FindQuietCuts(Levels(100, {{75, 25, 0.0f}}), 84, 20, 0.01f), (CutList{75}));

    // Twelve gaps: the first ten finds are kept.
    std::vector<Gap> gaps;
    for (int g = 0; g < 12; ++g) gaps.push_back({200 + 200 * g, 30, 0.0f});
    EXPECT_EQ(detect::FindQuietCuts(Levels(3000, gaps), 3000, 20, 0.01f),
              (CutList{210, 410, 610, 810, 1010, 1210, 1410, 1610, 1810, 2010}));
}

TEST(CleanCandidates, LongGapsEndAndStart) {
    CutList c = {500, 5000, 5300};
    detect::CleanCandidates(c, 10000, 20);
    EXPECT_EQ(c, (CutList{500, 1720, 5000, 5300}));  // 500 + 61 * 20

    // Each inserted cut is examined against the old next one: inserts until the gap is short.
    CutList gaps = {500, 9000};
    detect::CleanCandidates(gaps, 10000, 20);
    EXPECT_EQ(gaps, (CutList{500, 1720, 2940, 4160, 5380, 6600, 9000}));

    CutList none = {500, 5000};
    detect::CleanCandidates(none, 10000, 0);
    EXPECT_EQ(none, (CutList{500, 5000}));

    CutList ends = {20, 300, 961, 3961};  // 3961 + 40 > 4000; 20 < 30
    detect::CleanCandidates(ends, 4000, 20);
    EXPECT_EQ(ends, (CutList{300, 961}));
}

class AnalyzeSideTest : public ::testing::Test {
  protected:
    TempDir dir;
    FakeWorkControl ctx;
};

TEST_F(AnalyzeSideTest, EntryZeroIsFrameZeroAlone) {
    std::vector<Frame> frames(4409, Frame{3, -3});
    frames[0] = {16384, 0};
    ASSERT_TRUE(WriteWav(dir / "a.wav", frames));
    AnalysisResult r = detect::AnalyzeSide(ctx, ctx.treble, dir / "a.wav", 2, 0, 100);
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.levelCount, 1u);
    EXPECT_EQ(r.levels[0], 16383 / 32768.0f);  // 0.5 * 32767, truncated
    EXPECT_EQ(r.peak, r.levels[0]);

    frames.push_back({-32768, 0});
    frames.push_back({0, 0});
    ASSERT_TRUE(WriteWav(dir / "b.wav", frames));
    r = detect::AnalyzeSide(ctx, ctx.treble, dir / "b.wav", 2, 0, 100);
    ASSERT_EQ(r.levelCount, 2u);
    EXPECT_EQ(r.levels[1], 0.99f);  // frames 1 .. 4410, capped
    EXPECT_EQ(r.cuts, CutList{});
}

TEST_F(AnalyzeSideTest, LevelListStopsAt65535Entries) {
    // 1 h 49 min 15 s of silence, as a sparse file: the list covers the first 6553.5 s.
    const std::uint64_t frames = std::uint64_t{4410} * 65535 + 5000;
    {
        platform::FilePtr out = platform::OpenFile(dir / "long.wav", "wb");
        ASSERT_TRUE(out);
        WaveFile header;
        ASSERT_TRUE(header.WriteHeader(out.get(), static_cast<std::uint32_t>(frames * 4)));
    }
    std::filesystem::resize_file(dir / "long.wav", 44 + frames * 4);
    const AnalysisResult r = detect::AnalyzeSide(ctx, ctx.treble, dir / "long.wav", 2, 0, 100);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.levelCount, 65535u);
    EXPECT_EQ(r.peak, 0.0f);
    EXPECT_EQ(r.cuts, CutList{});
}

TEST_F(AnalyzeSideTest, FailsOnUnreadableFileAndOnStop) {
    EXPECT_FALSE(detect::AnalyzeSide(ctx, ctx.treble, dir / "missing.wav", 2, 0, 100).ok);
    ASSERT_TRUE(WriteWav(dir / "a.wav", NoiseFrames(44100, 0.5)));
    ctx.destroy = true;
    const AnalysisResult r = detect::AnalyzeSide(ctx, ctx.treble, dir / "a.wav", 2, 0, 100);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.levelCount, 0u);
}

TEST_F(AnalyzeSideTest, GaugeCoversItsRangeOncePerBlock) {
    ASSERT_TRUE(WriteWav(dir / "a.wav", NoiseFrames(44100 * 4, 0.5)));
    ASSERT_TRUE(detect::AnalyzeSide(ctx, ctx.treble, dir / "a.wav", 2, 25, 50).ok);
    ASSERT_EQ(ctx.gauges.size(), 40u);
    EXPECT_EQ(ctx.gauges.front().second, 25);
    EXPECT_EQ(ctx.gauges.back().second, 25 + 24);  // 39 / 40 of the way
}

// The optimised analysis against the plain per-frame reference: levels, peak, cuts and
// the filter history it leaves for the slice writer, whichever way the work is shared.
enum class Sharing { OneThread, SecondHalfAhead, AgreesLater, NeverAgrees };

struct AnalysisCase {
    int eqId;
    bool listChunk;
    Sharing sharing;
};

AnalysisSplit SplitFor(Sharing sharing) {
    AnalysisSplit split;
    switch (sharing) {
        case Sharing::OneThread:
            split.minFrames = UINT64_MAX;
            break;
        case Sharing::SecondHalfAhead:
            break;
        // Without a warm-up the second half starts from a cleared history: its state agrees
        // only some blocks later, or (with one checkpoint) never.
        case Sharing::AgreesLater:
            split.warmUpFrames = 0;
            break;
        case Sharing::NeverAgrees:
            split.warmUpFrames = 0;
            split.checkpoints = 1;
            break;
    }
    return split;
}

void PrintTo(const AnalysisCase& c, std::ostream* os) {
    *os << "EQ " << c.eqId << ", sharing " << static_cast<int>(c.sharing)
        << (c.listChunk ? ", LIST chunk" : "");
}

class AnalyzeSideExact : public ::testing::TestWithParam<AnalysisCase> {};

// Five songs and their gaps, 2 min 27 s: long enough to be shared between two threads.
std::vector<Frame> CuttableSide() {
    std::vector<ref::Stretch> stretches = {{1.5, 0.002}};
    for (int song = 0; song < 5; ++song) {
        stretches.push_back({25.0 + song, 0.3 + 0.1 * song});
        stretches.push_back({2.5, 0.002 + 0.02 * song});
    }
    stretches.push_back({0.3, 0.001});
    return ref::MakeSide(stretches, 21);
}

TEST_P(AnalyzeSideExact, MatchesPlainReferenceToTheBit) {
    TempDir dir;
    FakeWorkControl ctx;
    ctx.SetEq(GetParam().eqId);
    const float level = menu::BoostLevelForEqId(GetParam().eqId);
    const std::vector<Frame> side = CuttableSide();
    WavLayout layout;
    if (GetParam().listChunk) layout.chunksBeforeData = {{"LIST", "INFOIART\x03\0\0\0ab\0"}};
    ASSERT_TRUE(WriteWav(dir / "side.wav", side, layout));

    ref::Filter filter;
    ref::Tune(filter, level);
    const ref::Analysis want = ref::Analyze(side, 2, filter, level);
    const AnalysisResult got = detect::AnalyzeSide(ctx, ctx.treble, dir / "side.wav", 2, 0, 100,
                                                   SplitFor(GetParam().sharing));
    ASSERT_TRUE(got.ok);
    ASSERT_EQ(got.levelCount, want.levels.size());
    EXPECT_EQ(got.levels, want.levels);
    EXPECT_EQ(got.finePeaks, want.finePeaks);
    EXPECT_EQ(got.peak, want.peak);
    EXPECT_EQ(std::vector<std::int32_t>(got.cuts.begin(), got.cuts.end()),
              std::vector<std::int32_t>(want.cuts.begin(), want.cuts.end()));
    EXPECT_NE(got.cuts[0], 0);  // the side is built to be cut
    EXPECT_EQ(std::memcmp(ctx.treble.left, filter.hl, sizeof filter.hl), 0);
    EXPECT_EQ(std::memcmp(ctx.treble.right, filter.hr, sizeof filter.hr), 0);
    // One gauge step per level entry, in order.
    ASSERT_EQ(ctx.gauges.size(), got.levelCount);
    EXPECT_TRUE(std::is_sorted(ctx.gauges.begin(), ctx.gauges.end()));
}

std::string AnalysisCaseName(const ::testing::TestParamInfo<AnalysisCase>& info) {
    static const char* const kSharing[] = {"OneThread", "SecondHalfAhead", "AgreesLater",
                                           "NeverAgrees"};
    return "Eq" + std::to_string(info.param.eqId) + (info.param.listChunk ? "List" : "") +
           kSharing[static_cast<int>(info.param.sharing)];
}

INSTANTIATE_TEST_SUITE_P(Settings, AnalyzeSideExact,
                         ::testing::Values(AnalysisCase{708, false, Sharing::OneThread},
                                           AnalysisCase{708, true, Sharing::SecondHalfAhead},
                                           AnalysisCase{712, false, Sharing::SecondHalfAhead},
                                           AnalysisCase{715, true, Sharing::OneThread},
                                           AnalysisCase{715, false, Sharing::AgreesLater},
                                           AnalysisCase{708, false, Sharing::AgreesLater},
                                           AnalysisCase{712, true, Sharing::NeverAgrees}),
                         AnalysisCaseName);

// An EQ change during the analysis takes hold at the next block whichever way the work is
// shared: a re-tune injected at one block (before the split, in the blocks where the
// states are compared, after the second half has taken over, in the last block) gives the
// same levels, peak, cuts and filter left behind, to the bit, as one pass does.
TEST(AnalyzeSideRetune, TakesHoldAtTheSameBlockOnEveryPath) {
    TempDir dir;
    const std::vector<Frame> side = CuttableSide();
    ASSERT_TRUE(WriteWav(dir / "side.wav", side));
    const int blocks = static_cast<int>((side.size() + 4409) / 4410);
    const int split = blocks / 2;
    struct Run {
        AnalysisResult result;
        TrebleFilter filter;
    };
    for (const int at : {100, split + 5, split + 200, blocks - 1}) {
        const auto run = [&](Sharing sharing) {
            FakeWorkControl ctx;
            ctx.SetEq(712);
            int block = 0;
            ctx.onProcessing = [&](FakeWorkControl& c) {
                if (block++ == at) c.eqId = 715;  // boost 12
            };
            Run r{detect::AnalyzeSide(ctx, ctx.treble, dir / "side.wav", 2, 0, 100,
                                      SplitFor(sharing)),
                  ctx.treble};
            EXPECT_EQ(block, blocks);  // asked once per block
            return r;
        };
        const Run one = run(Sharing::OneThread);
        ASSERT_TRUE(one.result.ok);
        for (const Sharing sharing : {Sharing::SecondHalfAhead, Sharing::AgreesLater}) {
            SCOPED_TRACE("re-tune at block " + std::to_string(at) + ", sharing " +
                         std::to_string(static_cast<int>(sharing)));
            const Run two = run(sharing);
            ASSERT_TRUE(two.result.ok);
            EXPECT_EQ(two.result.levels, one.result.levels);
            EXPECT_EQ(two.result.finePeaks, one.result.finePeaks);
            EXPECT_EQ(two.result.peak, one.result.peak);
            EXPECT_EQ(two.result.cuts, one.result.cuts);
            EXPECT_TRUE(slice::SameFilterState(two.filter, one.filter));  // to the bit
        }
    }
}

TEST_F(AnalyzeSideTest, StopWhileTheSecondHalfRuns) {
    ASSERT_TRUE(WriteWav(dir / "a.wav", NoiseFrames(44100 * 70, 0.5)));
    ctx.onGauge = [](FakeWorkControl& c, Gauge, int value) {
        if (value >= 60) c.destroy = true;
    };
    EXPECT_FALSE(detect::AnalyzeSide(ctx, ctx.treble, dir / "a.wav", 2, 0, 100).ok);
}

}  // namespace
