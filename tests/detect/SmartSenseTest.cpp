// Smart Sense on small synthetic sides, seconds long: songs of a few notes, and between them
// what transfers leave in the gaps (surface noise with crackle, tape hiss). The shortest song
// is set to 3 s so that a side of half a minute can hold several. Where each gap lies is
// known from how the side is built.

#include "detect/SmartSense.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "detect/Analysis.h"
#include "detect/BandEnergy.h"
#include "tests/jobs/FakeJobContext.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestWav.h"

namespace {

constexpr double kRateHz = 44100;
constexpr double kPi = 3.14159265358979323846;

enum class Noise { Groove, Hiss };

// How a side sounds between and under its songs.
struct Transfer {
    Noise noise = Noise::Groove;
    double floorDb = -55;        // RMS of the noise, dBFS
    double clicksPerSecond = 0;  // crackle, each click up to -6 dBFS
    double gainDb = 0;           // the whole side (a transfer recorded too low)
};

// What plays: a song (music at `db` for `seconds`, its last `fade` seconds fading out, an
// optional soft stretch inside) or a gap (`db` ignored).
struct Part {
    bool song;
    double seconds;
    double fade = 0;
    double softFrom = -1, softSeconds = 0, softDb = 0;  // inside the song
};

struct MadeSide {
    std::vector<Frame> frames;
    std::vector<std::pair<double, double>> gaps;  // seconds
};

class Lcg {
  public:
    double Unit() {
        state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<double>(state_ >> 11) * 0x1.0p-53;
    }

  private:
    std::uint64_t state_ = 12345;
};

MadeSide MakeSide(const std::vector<Part>& parts, const Transfer& t) {
    MadeSide side;
    Lcg random;
    const double noise = std::pow(10.0, t.floorDb / 20) * std::sqrt(3.0);  // uniform: RMS 1/√3
    const double gain = std::pow(10.0, t.gainDb / 20);
    double time = 0, previousWhite = 0, click = 0;
    for (const Part& part : parts) {
        const std::size_t n = static_cast<std::size_t>(part.seconds * kRateHz);
        if (!part.song) side.gaps.emplace_back(time, time + n / kRateHz);
        for (std::size_t i = 0; i < n; ++i) {
            const double s = i / kRateHz;
            double music = 0;
            if (part.song) {
                // A chord struck four times a second over a held note: no rest inside.
                const double strike = std::exp(-std::fmod(s, 0.25) / 0.1);
                music = 0.12 * (0.4 + strike) *
                        (std::sin(2 * kPi * 220 * s) + 0.6 * std::sin(2 * kPi * 330 * s) +
                         0.4 * std::sin(2 * kPi * 550 * s));
                if (part.fade > 0 && s > part.seconds - part.fade)
                    music *= (part.seconds - s) / part.fade;
                if (part.softFrom >= 0 && s >= part.softFrom &&
                    s < part.softFrom + part.softSeconds)
                    music *= std::pow(10.0, -part.softDb / 20);
            }
            const double white = noise * (2 * random.Unit() - 1);
            // Hiss leans to the treble; groove noise is plain.
            double floor =
                t.noise == Noise::Hiss ? 0.5 * white + 0.6 * (white - previousWhite) : white;
            previousWhite = white;
            if (t.clicksPerSecond > 0 && random.Unit() < t.clicksPerSecond / kRateHz)
                click = (random.Unit() < 0.5 ? -0.5 : 0.5) * (0.1 + random.Unit());
            floor += click;
            click *= 0.6;  // a click dies within a few frames
            const double v = std::clamp((music + floor) * gain * 32767, -32768.0, 32767.0);
            side.frames.push_back({static_cast<std::int16_t>(v), static_cast<std::int16_t>(v)});
        }
        time += n / kRateHz;
    }
    return side;
}

std::vector<float> Energies(const std::vector<Frame>& frames) {
    BandEnergy bands;
    bands.Feed(reinterpret_cast<const std::int16_t*>(frames.data()), frames.size());
    return bands.Blocks();
}

std::vector<std::int32_t> SmartCuts(const MadeSide& side, std::optional<int> songs = std::nullopt) {
    SmartSenseOptions options;
    options.minSongSeconds = 3;
    options.songs = songs;
    return ChooseSmartSense(Energies(side.frames), options).cuts;
}

double Middle(const std::pair<double, double>& gap) {
    return (gap.first + gap.second) / 2;
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
    SmartSenseOptions options;
    options.minSongSeconds =
        7.5;  // each slice is 7 s: a song, a second of lead-in or run-out, half the gap
    EXPECT_TRUE(ChooseSmartSense(Energies(side.frames), options).cuts.empty());
    options.minSongSeconds = 6.5;
    EXPECT_EQ(ChooseSmartSense(Energies(side.frames), options).cuts.size(), 1u);
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
        FakeJobContext ctx;
        const AnalysisResult r = AnalyzeSide(ctx, dir / "side.wav", 2, 0, 100, split, options);
        ASSERT_TRUE(r.ok);
        ASSERT_EQ(r.smartCuts.size(), 5u);
        for (std::size_t k = 0; k < 5; ++k)
            EXPECT_NEAR(r.smartCuts[k] / 10.0, Middle(side.gaps[k + 1]), 0.25) << k;
    }
}

}  // namespace
