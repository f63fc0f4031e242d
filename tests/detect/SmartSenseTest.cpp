// Smart Sense on small synthetic sides, seconds long (SideMaker.h): songs of a few notes, and
// between them what transfers leave in the gaps (surface noise with crackle, tape hiss). The
// shortest song is set to 3 s so that a side of half a minute can hold several.

#include "detect/SmartSense.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <thread>
#include <vector>

#include "detect/Analysis.h"
#include "detect/BandEnergy.h"
#include "detect/BandScan.h"
#include "tests/detect/SideMaker.h"
#include "tests/support/FakeWorkControl.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestWav.h"

namespace {

std::vector<float> Energies(const std::vector<Frame>& frames) {
    BandEnergy bands;
    bands.Feed(reinterpret_cast<const std::int16_t*>(frames.data()), frames.size());
    return bands.Blocks();
}

std::vector<std::int32_t> SmartCuts(const MadeSide& side, std::optional<int> songs = std::nullopt) {
    return Sense(side, songs).cuts;
}

// --- One gap between two songs, in what different transfers leave there ---

struct GapCase {
    const char* name;
    Transfer transfer;
    double gapSeconds;
};

void PrintTo(const GapCase& c, std::ostream* out) {
    *out << c.name;
}

class OneGap : public ::testing::TestWithParam<GapCase> {};

TEST_P(OneGap, IsFoundAndCutNearItsMiddle) {
    const GapCase& c = GetParam();
    const MadeSide side =
        MakeSide({{true, 2}, {false, 1}, {true, 8}, {false, c.gapSeconds}, {true, 8}, {false, 3}},
                 c.transfer);
    const std::vector<std::int32_t> cuts = SmartCuts(side);
    // The lead-in and the run-out are no gaps: they have music on one side only.
    ASSERT_EQ(cuts.size(), 1u);
    EXPECT_NEAR(cuts[0] / 10.0, Middle(side.gaps[1]), 0.25);
}

INSTANTIATE_TEST_SUITE_P(
    Transfers, OneGap,
    ::testing::Values(GapCase{"QuietRecord", {Noise::Groove, -62, 0, 0}, 2},
                      GapCase{"CrackledRecord", {Noise::Groove, -50, 60, 0}, 2},
                      GapCase{"HissyCassette", {Noise::Hiss, -45, 0, 0}, 2},
                      GapCase{"RecordedTwelveDecibelsLow", {Noise::Groove, -55, 5, -12}, 2},
                      GapCase{"SegueOfSevenTenths", {Noise::Groove, -55, 5, 0}, 0.7}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SmartSense, ASoftPassageInsideASongIsNoGap) {
    // 2.5 s at 25 dB down, still well above the floor; then a real gap.
    Part soft{true, 10};
    soft.softFrom = 4;
    soft.softSeconds = 2.5;
    soft.softDb = 25;
    const MadeSide side =
        MakeSide({{false, 1}, soft, {false, 2}, {true, 6}}, {Noise::Groove, -60, 10});
    const std::vector<std::int32_t> cuts = SmartCuts(side);
    ASSERT_EQ(cuts.size(), 1u);
    EXPECT_NEAR(cuts[0] / 10.0, Middle(side.gaps[1]), 0.25);
}

TEST(SmartSense, TheCutLiesInTheGapsQuietMiddleNotInTheFade) {
    // A 3 s fade-out, then a 1.5 s gap: the middle of the silence, not of fade and gap.
    Part fading{true, 8};
    fading.fade = 3;
    const MadeSide side =
        MakeSide({{false, 1}, fading, {false, 1.5}, {true, 6}}, {Noise::Groove, -58, 3});
    const std::vector<std::int32_t> cuts = SmartCuts(side);
    ASSERT_EQ(cuts.size(), 1u);
    EXPECT_NEAR(cuts[0] / 10.0, Middle(side.gaps[1]), 0.25);
}

TEST(SmartSense, AKnownSongCountTakesThatManyMinusOneClearestGaps) {
    const MadeSide side = MakeSide({{false, 1},
                                    {true, 5},
                                    {false, 2.5},
                                    {true, 5},
                                    {false, 0.6},
                                    {true, 5},
                                    {false, 1.5},
                                    {true, 5},
                                    {false, 1}},
                                   {Noise::Groove, -58, 2});
    ASSERT_EQ(side.gaps.size(), 5u);  // lead-in, three gaps, run-out
    EXPECT_EQ(SmartCuts(side).size(), 3u);
    // Three songs: the two longest stretches of silence; two songs: the longest.
    const std::vector<std::int32_t> three = SmartCuts(side, 3);
    ASSERT_EQ(three.size(), 2u);
    EXPECT_NEAR(three[0] / 10.0, Middle(side.gaps[1]), 0.25);
    EXPECT_NEAR(three[1] / 10.0, Middle(side.gaps[3]), 0.25);
    const std::vector<std::int32_t> two = SmartCuts(side, 2);
    ASSERT_EQ(two.size(), 1u);
    EXPECT_NEAR(two[0] / 10.0, Middle(side.gaps[1]), 0.25);
    EXPECT_TRUE(SmartCuts(side, 1).empty());
}

TEST(SmartSense, SongsShorterThanTheMinimumAreNotCutOff) {
    const MadeSide side = MakeSide({{false, 1}, {true, 5}, {false, 2}, {true, 5}, {false, 1}},
                                   {Noise::Groove, -58, 2});
    // Each slice is 7 s: a song, a second of lead-in or run-out, half the gap.
    EXPECT_TRUE(Sense(side, std::nullopt, 7.5).cuts.empty());
    EXPECT_EQ(Sense(side, std::nullopt, 6.5).cuts.size(), 1u);
}

// --- The measurement ---

TEST(BandEnergy, ClicksDoNotRaiseABlock) {
    const MadeSide clean = MakeSide({{false, 3}}, {Noise::Groove, -55, 0});
    const MadeSide crackled = MakeSide({{false, 3}}, {Noise::Groove, -55, 60});
    const std::vector<float> a = Energies(clean.frames), b = Energies(crackled.frames);
    ASSERT_EQ(a.size(), 30u);
    ASSERT_EQ(b.size(), 30u);
    for (std::size_t q = 1; q < a.size(); ++q) EXPECT_NEAR(10 * std::log10(b[q] / a[q]), 0, 3) << q;
}

// Both channels count, whatever their phase: a transfer wired with one channel reversed
// measures as the same one in phase, one with a dead channel as half of it.
TEST(BandEnergy, MeasuresBothChannelsWhateverTheirPhase) {
    const std::vector<Part> parts = {{false, 1}, {true, 2}};
    std::vector<float> wired[3];
    for (const Wiring w : {Wiring::InPhase, Wiring::RightReversed, Wiring::RightDead}) {
        Transfer t;
        t.wiring = w;
        wired[static_cast<int>(w)] = Energies(MakeSide(parts, t).frames);
    }
    EXPECT_EQ(wired[1], wired[0]);
    ASSERT_EQ(wired[2].size(), wired[0].size());
    for (std::size_t q = 1; q < wired[0].size(); ++q)
        EXPECT_NEAR(10 * std::log10(wired[2][q] / wired[0][q]), -3, 0.5) << q;
}

// However the frames come in, one at a time or in pieces that split the groups of three and
// the blocks anywhere, the energies are the same to the bit.
TEST(BandEnergy, DoesNotDependOnHowTheFramesArrive) {
    const MadeSide side = MakeSide({{false, 1}, {true, 1.5}}, {Noise::Groove, -50, 20});
    const std::vector<float> whole = Energies(side.frames);
    for (const std::size_t piece : {1u, 2u, 5u, 4409u, 4411u}) {
        BandEnergy bands;
        for (std::size_t at = 0; at < side.frames.size(); at += piece)
            bands.Feed(reinterpret_cast<const std::int16_t*>(side.frames.data() + at),
                       std::min(piece, side.frames.size() - at));
        EXPECT_EQ(bands.Blocks(), whole) << piece;
    }
}

// A long side is measured in two halves at once, the second primed with the frames before
// it: the same energies as one pass, to the bit.
TEST(BandScan, TwoHalvesMeasureAsOnePass) {
    TempDir dir;
    const MadeSide side =
        MakeSide({{false, 1}, {true, 6.35}, {false, 1}}, {Noise::Groove, -50, 20});
    ASSERT_TRUE(WriteWav(dir / "side.wav", side.frames));
    for (const std::uint64_t split : {UINT64_MAX, std::uint64_t{0}}) {
        BandScan scan(dir / "side.wav", side.frames.size(), split);
        while (!scan.Ended()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_FALSE(scan.Failed());
        EXPECT_EQ(scan.Blocks(), Energies(side.frames)) << split;
    }
}

// The analysis measures in a pass of its own beside however it shares its own work.
TEST(AnalyzeSide, SmartSenseCutsDoNotDependOnHowTheWorkIsShared) {
    TempDir dir;
    std::vector<Part> parts = {{false, 2}};
    for (int song = 0; song < 6; ++song) parts.insert(parts.end(), {{true, 10}, {false, 1.5}});
    const MadeSide side = MakeSide(parts, {Noise::Groove, -55, 20});
    ASSERT_TRUE(WriteWav(dir / "side.wav", side.frames));
    SmartSenseOptions options;
    options.minSongSeconds = 3;
    AnalysisSplit alone, shared, late;
    alone.minFrames = UINT64_MAX;
    shared.minFrames = late.minFrames = 0;
    late.warmUpFrames = 0;  // the second thread starts from nothing at its first block
    for (const AnalysisSplit& split : {alone, shared, late}) {
        FakeWorkControl ctx;
        const AnalysisResult r =
            detect::AnalyzeSide(ctx, ctx.treble, dir / "side.wav", 2, 0, 100, split, options);
        ASSERT_TRUE(r.ok);
        ASSERT_EQ(r.smartCuts.size(), 5u);
        for (std::size_t k = 0; k < 5; ++k)
            EXPECT_NEAR(r.smartCuts[k] / 10.0, Middle(side.gaps[k + 1]), 0.25) << k;
    }
}

}  // namespace
