// Each of Smart Sense's rules at its edge, on block energies written out by hand: stretches
// of so many seconds at so many dB, music level with its own loud level (the loud level of a
// flat stretch is the stretch), the floor where the side's quiet stretches put it.

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <optional>

#include "detect/SmartSense.h"

namespace {

struct Stretch {
    double seconds;
    double db;
};

std::vector<float> Blocks(std::initializer_list<Stretch> stretches) {
    std::vector<float> blocks;
    for (const Stretch& s : stretches)
        blocks.insert(blocks.end(), static_cast<std::size_t>(std::lround(s.seconds * 10)),
                      static_cast<float>(std::pow(10.0, s.db / 10)));
    return blocks;
}

SmartSenseResult Sense(const std::vector<float>& blocks, std::optional<int> songs = std::nullopt,
                       double minSongSeconds = 20) {
    SmartSenseOptions options;
    options.songs = songs;
    options.minSongSeconds = minSongSeconds;
    return detect::ChooseSmartSense(blocks, options);
}

constexpr double kFloor = -60, kMusic = -20;

// A gap counts within 6 dB of the floor, which the lead-in, the run-out and the first gap
// put at -60 dB.
TEST(SmartSenseRules, AGapLiesWithinSixDecibelsOfTheFloor) {
    for (const auto& [above, cuts] : {std::pair{5.9, 2u}, std::pair{6.1, 1u}}) {
        const auto blocks = Blocks({{3, kFloor},
                                    {40, kMusic},
                                    {2, kFloor},
                                    {40, kMusic},
                                    {2, kFloor + above},
                                    {40, kMusic},
                                    {3, kFloor}});
        EXPECT_EQ(Sense(blocks).cuts.size(), cuts) << above;
    }
}

// ... and 20 dB below the music on both sides, however soft that music is.
TEST(SmartSenseRules, AGapLiesTwentyDecibelsBelowTheMusic) {
    for (const auto& [music, cuts] : {std::pair{kFloor + 20.1, 1u}, std::pair{kFloor + 19.9, 0u}}) {
        const auto blocks =
            Blocks({{3, kFloor}, {40, music}, {2, kFloor}, {40, music}, {3, kFloor}});
        EXPECT_EQ(Sense(blocks).cuts.size(), cuts) << music;
    }
}

// ... and half a second long.
TEST(SmartSenseRules, AGapLastsTheShortestGap) {
    for (const auto& [seconds, cuts] : {std::pair{0.5, 1u}, std::pair{0.4, 0u}}) {
        const auto blocks =
            Blocks({{3, kFloor}, {40, kMusic}, {seconds, kFloor}, {40, kMusic}, {3, kFloor}});
        EXPECT_EQ(Sense(blocks).cuts.size(), cuts) << seconds;
    }
}

// The floor is the lowest quiet level that another one joins within 6 dB; one alone below
// all others (the sound card before the needle drops) is none.
TEST(SmartSenseRules, TheFloorIsTheLowestLevelThatAnotherJoins) {
    for (const auto& [second, cuts] : {std::pair{-64.1, 2u}, std::pair{-63.9, 4u}}) {
        const auto blocks = Blocks({{3, -60},
                                    {40, kMusic},
                                    {2, -70},
                                    {40, kMusic},
                                    {2, second},
                                    {40, kMusic},
                                    {2, -60},
                                    {40, kMusic},
                                    {2, -60},
                                    {40, kMusic},
                                    {3, -60}});
        // -70 and -64.1 agree: the floor is -70 and the gaps at -60 lie 10 dB above it.
        // -63.9 lies 6.1 dB above -70, which stands alone: the floor is -63.9.
        EXPECT_EQ(Sense(blocks).cuts.size(), cuts) << second;
    }
}

// The floor is taken around each gap, within five minutes: surface noise that rises by
// 10 dB toward the centre of a record leaves the gaps near the end near a floor of their own.
TEST(SmartSenseRules, TheFloorFollowsTheSide) {
    std::vector<float> blocks = Blocks({{3, -60}});
    constexpr int kSongs = 14;
    for (int song = 0; song < kSongs; ++song) {
        const auto more = Blocks({{60, kMusic}, {3, -60 + 10.0 * song / (kSongs - 1)}});
        blocks.insert(blocks.end(), more.begin(), more.end());
    }
    EXPECT_EQ(Sense(blocks).cuts.size(), kSongs - 1u);  // the last quiet stretch is the run-out
}

// The clearest gaps first, where two cannot both be taken (here the songs given leave room
// for one): a gap before any other quiet stretch; the longer, up to two seconds; then the
// one further below the music less what it keeps above the floor.
TEST(SmartSenseRules, TheClearestGapIsTakenFirst) {
    struct Case {
        const char* name;
        Stretch first, second;
        double firstMusic, secondMusic;
        int chosen;  // 0: the first, 1: the second
    };
    const Case cases[] = {
        {"AGapBeforeALongerDeeperStretchAboveTheFloor", {1, -60}, {3, -53}, kMusic, -5, 0},
        {"TheLongerBeforeTheDeeper", {1, -60}, {1.5, -60}, kMusic, -25, 1},
        {"TwoSecondsAreLongEnough", {2.5, -60}, {4, -60}, kMusic, -25, 0},
        {"AtTheFloorBeforeDeeperAboveIt", {2, -60}, {2, -56}, kMusic, -14, 0},
    };
    for (const Case& c : cases) {
        const auto blocks = Blocks({{3, kFloor},
                                    {40, c.firstMusic},
                                    c.first,
                                    {40, c.firstMusic},
                                    {40, c.secondMusic},
                                    c.second,
                                    {40, c.secondMusic},
                                    {3, kFloor}});
        const SmartSenseResult r = Sense(blocks, 2);
        ASSERT_EQ(r.cuts.size(), 1u) << c.name;
        const double firstMiddle = 43 + c.first.seconds / 2;
        const double secondMiddle = 43 + c.first.seconds + 80 + c.second.seconds / 2;
        EXPECT_NEAR(r.cuts[0] / 10.0, c.chosen == 0 ? firstMiddle : secondMiddle, 0.1) << c.name;
    }
}

// No slice shorter than the shortest song, to the block: here the cut falls at block 440,
// the middle of the gap's blocks 430 to 449.
TEST(SmartSenseRules, NoSongShorterThanTheShortest) {
    const auto blocks = Blocks({{3, kFloor}, {40, kMusic}, {2, kFloor}, {60, kMusic}, {3, kFloor}});
    EXPECT_EQ(Sense(blocks, std::nullopt, 44.0).cuts, (std::vector<std::int32_t>{440}));
    EXPECT_TRUE(Sense(blocks, std::nullopt, 44.1).cuts.empty());
}

// With the songs given, exactly that many cuts when the side holds them, the quietest places
// taken where no gap is left; else as many as fit and why no more.
TEST(SmartSenseRules, GivenSongsAreDeliveredOrTheShortfallSaid) {
    const auto blocks = Blocks({{3, kFloor}, {40, kMusic}, {2, kFloor}, {40, kMusic}, {3, kFloor}});
    EXPECT_EQ(Sense(blocks, 4, 20).cuts.size(), 3u);  // 88 s hold four songs of 20 s
    EXPECT_EQ(Sense(blocks, 4, 20).message, "");
    const SmartSenseResult short_ = Sense(blocks, 6, 20);
    EXPECT_EQ(short_.cuts.size(), 3u);
    EXPECT_EQ(short_.message,
              "3 of 5 cuts placed: a side of 1:28 holds at most 4 songs of 20 s or more");
    const SmartSenseResult one = Sense(blocks, 1, 20);
    EXPECT_TRUE(one.cuts.empty());
    EXPECT_EQ(one.message, "");
}

// The music runs from where the sound rises more than 3 dB out of the noise before the first
// loud stretch to where it comes back within 3 dB after the last: a soft start counts, the
// needle's drop and the silence around the record do not.
TEST(SmartSenseRules, TheMusicStartsAndEndsWhereItLeavesTheNoise) {
    const auto blocks = Blocks({{3, -90},             // before the needle drops
                                {1.5, kFloor},        // the lead-in groove
                                {0.5, kFloor + 2.9},  // still the groove
                                {1, kFloor + 3.1},    // a soft start
                                {1, -39},
                                {40, kMusic},
                                {2, kFloor},
                                {40, kMusic},
                                {0.5, kFloor + 3.1},  // a soft end
                                {4, kFloor},          // the run-out groove
                                {3, -90}});           // after the needle lifts
    const SmartSenseResult r = Sense(blocks);
    EXPECT_EQ(r.musicStart, 50);
    EXPECT_EQ(r.musicEnd, 50 + 10 + 10 + 400 + 20 + 400 + 5);
}

}  // namespace
