// What the first Smart Sense got wrong on real transfers, each on a side of seconds built to
// show it (SideMaker.h): every test here failed with it.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "detect/Analysis.h"
#include "tests/detect/SideMaker.h"
#include "tests/support/FakeWorkControl.h"
#include "tests/support/TempDir.h"

namespace {

// Three songs between a lead-in and a run-out, gaps of 2 s.
std::vector<Part> ThreeSongs(double leadIn = 2, double runOut = 3, double song = 8) {
    return {{false, leadIn}, {true, song}, {false, 2},     {true, song},
            {false, 2},      {true, song}, {false, runOut}};
}

// Every gap between songs found, cut within a quarter second of its middle, and no other cut.
void ExpectEveryGap(const MadeSide& side, const std::vector<std::int32_t>& cuts) {
    ASSERT_EQ(cuts.size() + 2, side.gaps.size());
    for (std::size_t k = 0; k < cuts.size(); ++k)
        EXPECT_NEAR(cuts[k] / 10.0, Middle(side.gaps[k + 1]), 0.25) << k;
}

struct FaultCase {
    const char* name;
    Transfer transfer;
    std::vector<Part> parts;
};

void PrintTo(const FaultCase& c, std::ostream* out) {
    *out << c.name;
}

class EveryGapFound : public ::testing::TestWithParam<FaultCase> {};

TEST_P(EveryGapFound, AndNothingElse) {
    const FaultCase& c = GetParam();
    const MadeSide side = MakeSide(c.parts, c.transfer);
    ExpectEveryGap(side, Sense(side).cuts);
}

Transfer With(void (*change)(Transfer&)) {
    Transfer t;
    change(t);
    return t;
}

// The sound card's own near-silence before the needle drops (or after it lifts) was taken
// for the side's floor: no gap lay near it. Heavy crackle with pops made cuts in soft
// passages inside songs.
// Digital silence and a transfer 30 dB low fell under a fixed -96 dB and were no gaps. Left
// + right of a transfer wired out of phase is silence everywhere. A gap after a song that
// ends softly lay less than 20 dB below the last ten seconds of music.
INSTANTIATE_TEST_SUITE_P(
    Transfers, EveryGapFound,
    ::testing::Values(FaultCase{"NeedleDroppedAfterTheRecordingStarted",
                                With([](Transfer& t) { t.preNeedleSeconds = 4.5; }), ThreeSongs(6)},
                      FaultCase{"RecordingRanOnAfterTheNeedleLifted",
                                With([](Transfer& t) { t.afterLiftSeconds = 4.5; }),
                                ThreeSongs(2, 7)},
                      FaultCase{"HeavyCrackleWithPops",
                                With([](Transfer& t) {
                                    t.floorDb = -62;
                                    t.clicksPerSecond = 40;
                                    t.loudestClickDb = -20;
                                    t.popsPerSecond = 5;
                                }),
                                // Soft passages 30 and 35 dB down inside the songs.
                                {{false, 2},
                                 {true, 12, 0, 4, 2.5, 30},
                                 {false, 2},
                                 {true, 12, 0, 4, 2.5, 35},
                                 {false, 3}}},
                      FaultCase{"DigitalSilenceBetweenSongs",
                                With([](Transfer& t) { t.silentGaps = true; }), ThreeSongs()},
                      FaultCase{"RecordedThirtyDecibelsLow", With([](Transfer& t) {
                                    t.floorDb = -62;
                                    t.gainDb = -30;
                                }),
                                ThreeSongs()},
                      FaultCase{"WiredOutOfPhase",
                                With([](Transfer& t) { t.wiring = Wiring::RightReversed; }),
                                ThreeSongs()},
                      FaultCase{"SongEndingSoftly",
                                Transfer{},
                                {{false, 2},
                                 {true, 30, 0, 16, 14, 25},  // the last 14 s 25 dB down
                                 {false, 4},
                                 {true, 30},
                                 {false, 3}}}),
    [](const auto& info) { return std::string(info.param.name); });

// With the number of songs known, a side long enough for them gets that many minus one
// cuts, the weak ones included: here one song runs into the next with only a soft moment
// between them.
TEST(SmartSenseFaults, GivenSongsAreAllDelivered) {
    const MadeSide side = MakeSide({{false, 2},
                                    {true, 8},
                                    {false, 2},
                                    {true, 8, 0, 7, 1, 14},  // its last second 14 dB down
                                    {true, 8},
                                    {false, 2},
                                    {true, 8},
                                    {false, 3}},
                                   Transfer{});
    const std::vector<std::int32_t> cuts = Sense(side, 4).cuts;
    ASSERT_EQ(cuts.size(), 3u);
    EXPECT_NEAR(cuts[1] / 10.0, 2 + 8 + 2 + 7.5, 0.6);  // in the soft moment
}

// A side longer than the 65535 levels (109 min 13 s) was searched up to there only.
TEST(SmartSenseFaults, ASideLongerThanTheLevelsIsSearchedToItsEnd) {
    TempDir dir;
    // Songs with half a minute of music around each gap, after 109 min 20 s of digital
    // silence (a sparse file).
    const MadeSide songs = MakeSide(ThreeSongs(2, 3, 35), Transfer{});
    constexpr double kSilentSeconds = 109 * 60 + 20;
    const auto silentFrames = static_cast<std::uint64_t>(kSilentSeconds * 44100);
    const std::string bytes = FramesToBytes(songs.frames);
    WavLayout layout;
    layout.declaredDataBytes = static_cast<std::uint32_t>(silentFrames * 4 + bytes.size());
    std::string file = MakeWavBytes(layout, "");
    const std::string path = dir / "long.wav";
    ASSERT_TRUE(WriteFileBytes(path, file));
    std::filesystem::resize_file(path, file.size() + silentFrames * 4);
    {
        std::FILE* out = std::fopen(path.c_str(), "ab");
        ASSERT_NE(out, nullptr);
        ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), out), bytes.size());
        std::fclose(out);
    }
    FakeWorkControl ctx;
    SmartSenseOptions options;
    options.minSongSeconds = 3;
    const AnalysisResult r =
        detect::AnalyzeSide(ctx, ctx.treble, path, 2, 0, 100, AnalysisSplit{}, options);
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.smartCuts.size(), 2u);
    for (std::size_t k = 0; k < 2; ++k)
        EXPECT_NEAR(r.smartCuts[k] / 10.0, kSilentSeconds + Middle(songs.gaps[k + 1]), 0.25) << k;
}

}  // namespace
