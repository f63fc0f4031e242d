#include "slice/SliceWriter.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/Process.h"

#include "tests/support/FakeWorkControl.h"
#include "tests/support/Reference.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestWav.h"

namespace {

using Cuts = std::vector<std::int32_t>;

SliceResult Slice(FakeWorkControl& ctx, const std::string& side, const Cuts& cuts,
                  const std::string& folder, int first = 1, float peak = 0,
                  bool normalizeAllowed = false) {
    SliceRequest request;
    request.sidePath = side;
    request.cuts = cuts;
    request.folder = folder;
    request.firstNumber = first;
    request.peakLevel = peak;
    request.normalizeAllowed = normalizeAllowed;
    return slice::WriteSlices(ctx, ctx.treble, request);
}

// Frames whose value tells where they came from: boundaries show at once.
std::vector<Frame> Ramp(std::size_t count) {
    std::vector<Frame> frames(count);
    for (std::size_t i = 0; i < count; ++i) {
        frames[i].left = static_cast<std::int16_t>(i % 30000);
        frames[i].right = static_cast<std::int16_t>(-static_cast<int>(i / 30000));
    }
    return frames;
}

struct BoundaryCase {
    Cuts cuts;
    std::uint64_t frames;
    std::vector<std::uint64_t> positions;
};

void PrintTo(const BoundaryCase& c, std::ostream* os) {
    *os << ::testing::PrintToString(c.cuts) << " over " << c.frames << " frames";
}

class SliceBoundaryCases : public ::testing::TestWithParam<BoundaryCase> {};

TEST_P(SliceBoundaryCases, CleanListOfFramePositions) {
    const BoundaryCase& c = GetParam();
    EXPECT_EQ(slice::SliceBoundaries(c.cuts, 44100, c.frames), c.positions);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, SliceBoundaryCases,
    ::testing::Values(BoundaryCase{{600, 1200}, 7938000, {2646000, 5292000}},
                      BoundaryCase{{600, 0, 1800}, 8000000, {2646000, 7938000}},
                      BoundaryCase{{0, 600}, 7938000, {2646000}},
                      BoundaryCase{{1200, 600, 1200, -5}, 7938000, {2646000, 5292000}},
                      // At or beyond the end of the data: no slice for them.
                      BoundaryCase{{1800, 5000, 600}, 7938000, {2646000}},
                      // Only entries 0 to 9 count; 64-bit arithmetic for long sides.
                      BoundaryCase{{10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 20}, 100000, {44100}},
                      BoundaryCase{{2000000000}, 9000000000000ull, {8820000000000ull}},
                      BoundaryCase{{0, 0, 0}, 1000, {}}));

class SliceWriterTest : public ::testing::Test {
  protected:
    TempDir dir;
    FakeWorkControl ctx;
};

TEST_F(SliceWriterTest, ThreeMinuteSideCutAtOneAndTwoMinutes) {
    const std::vector<Frame> side = Ramp(7938000 + 123);
    ASSERT_TRUE(WriteWav(dir / "side.wav", side));
    const SliceResult r = Slice(ctx, dir / "side.wav", {600, 1200}, dir.path());
    EXPECT_EQ(r.outcome, SliceOutcome::Written);
    ASSERT_EQ(r.written, 3u);
    const std::size_t starts[] = {0, 2646000, 5292000, side.size()};
    for (int n = 1; n <= 3; ++n) {
        const auto frames = ref::ReadSlice(dir / (std::to_string(n) + ".wav"));
        ASSERT_TRUE(frames);
        ASSERT_EQ(frames->size(), starts[n] - starts[n - 1]) << n;
        EXPECT_TRUE(std::equal(frames->begin(), frames->end(), side.begin() + starts[n - 1]));
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "4.wav"));
    EXPECT_EQ(ctx.gauges.back(), std::make_pair(Gauge::Slicing, 100));
}

TEST_F(SliceWriterTest, NumbersFromTheFirstNumberAndSkipsZeroEntries) {
    ASSERT_TRUE(WriteWav(dir / "side.wav", Ramp(44100 * 20)));
    const SliceResult r = Slice(ctx, dir / "side.wav", {60, 0, 180}, dir.path(), 6);
    EXPECT_EQ(r.written, 3u);
    for (const char* name : {"6.wav", "7.wav", "8.wav"})
        EXPECT_TRUE(ref::ReadSlice(dir / name)) << name;
    EXPECT_FALSE(std::filesystem::exists(dir / "9.wav"));
}

TEST_F(SliceWriterTest, NoSliceWithoutCutsOrReadableSide) {
    ASSERT_TRUE(WriteWav(dir / "side.wav", Ramp(44100)));
    WavLayout eightBit;
    eightBit.bitsPerSample = 8;
    ASSERT_TRUE(WriteWav(dir / "eight.wav", Ramp(100), eightBit));
    EXPECT_EQ(Slice(ctx, dir / "side.wav", Cuts(10, 0), dir.path()).outcome, SliceOutcome::NoCuts);
    EXPECT_EQ(Slice(ctx, dir / "missing.wav", {5}, dir.path()).outcome, SliceOutcome::Unreadable);
    EXPECT_EQ(Slice(ctx, dir / "eight.wav", {5}, dir.path()).outcome, SliceOutcome::Unreadable);
    EXPECT_FALSE(std::filesystem::exists(dir / "1.wav"));
}

TEST_F(SliceWriterTest, CutsBeyondTheEndLeaveOneWholeSlice) {
    const std::vector<Frame> side = Ramp(44100);
    ASSERT_TRUE(WriteWav(dir / "side.wav", side));
    EXPECT_EQ(Slice(ctx, dir / "side.wav", {10, 10, 50}, dir.path()).written, 1u);
    EXPECT_EQ(ref::ReadSlice(dir / "1.wav"), side);
}

// A lead-in and a run-out left out go into no file; cuts in them count for nothing; a side
// of one song gives one slice without any cut.
TEST_F(SliceWriterTest, TheSpanLeavesLeadInAndRunOutOut) {
    const std::vector<Frame> side = Ramp(44100 * 10);
    ASSERT_TRUE(WriteWav(dir / "side.wav", side));
    SliceRequest request;
    request.sidePath = dir / "side.wav";
    request.folder = dir.path();
    const Cuts cuts = {5, 40, 95};
    request.cuts = cuts;
    request.firstFrame = 44100 + 7;  // not at a block's start
    request.endFrame = 44100 * 9;
    EXPECT_EQ(slice::WriteSlices(ctx, ctx.treble, request).written, 2u);
    const auto begin = [&side](std::size_t frame) {
        return side.begin() + static_cast<long>(frame);
    };
    EXPECT_EQ(ref::ReadSlice(dir / "1.wav"), std::vector<Frame>(begin(44107), begin(176400)));
    EXPECT_EQ(ref::ReadSlice(dir / "2.wav"), std::vector<Frame>(begin(176400), begin(396900)));
    EXPECT_FALSE(std::filesystem::exists(dir / "3.wav"));

    const Cuts none(10, 0);
    request.cuts = none;
    request.firstNumber = 3;
    EXPECT_EQ(slice::WriteSlices(ctx, ctx.treble, request).outcome, SliceOutcome::NoCuts);
    request.oneSliceWithoutCuts = true;
    EXPECT_EQ(slice::WriteSlices(ctx, ctx.treble, request).written, 1u);
    EXPECT_EQ(ref::ReadSlice(dir / "3.wav"), std::vector<Frame>(begin(44107), begin(396900)));
}

TEST_F(SliceWriterTest, NormalizeDoublesAtPeakHalfAndSaturates) {
    const std::vector<Frame> side = {{1000, -1000}, {20000, -20000}, {0, 3}};
    ASSERT_TRUE(WriteWav(dir / "side.wav", side));
    ctx.volumeId = menu::kVolumeNormalize;
    Slice(ctx, dir / "side.wav", {5000}, dir.path(), 1, 0.5f, true);
    EXPECT_EQ(ref::ReadSlice(dir / "1.wav"),
              (std::vector<Frame>{{1999, -1999}, {32767, -32768}, {0, 5}}));
    // Not allowed before the waves are drawn, and a peak of 0 changes nothing.
    Slice(ctx, dir / "side.wav", {5000}, dir.path(), 2, 0.5f, false);
    Slice(ctx, dir / "side.wav", {5000}, dir.path(), 3, 0.0f, true);
    EXPECT_EQ(ref::ReadSlice(dir / "2.wav"), side);
    EXPECT_EQ(ref::ReadSlice(dir / "3.wav"), side);
}

TEST_F(SliceWriterTest, TwoSecondFadesAndAShortSlice) {
    std::vector<Frame> side(44100 * 6, Frame{10000, -10000});
    ASSERT_TRUE(WriteWav(dir / "side.wav", side));
    ctx.fadeId = 303;
    // Slice 1 is 5 s long; slice 2 (1 s) is shorter than the fade.
    Slice(ctx, dir / "side.wav", {50}, dir.path());
    const auto one = ref::ReadSlice(dir / "1.wav");
    const auto two = ref::ReadSlice(dir / "2.wav");
    ASSERT_TRUE(one && two);
    EXPECT_EQ((*one)[0], (Frame{0, 0}));
    EXPECT_EQ((*one)[44100].left, 5000);
    EXPECT_EQ((*one)[88200], (Frame{10000, -10000}));
    EXPECT_EQ(one->back().left, 0);  // 10000 / 88200, truncated
    EXPECT_EQ((*one)[one->size() - 88200], (Frame{10000, -10000}));
    EXPECT_EQ((*one)[one->size() - 44100].left, 5000);
    EXPECT_EQ(two->back().left, static_cast<std::int16_t>(10000.0f * (44099.0f / 88200.0f)));
}

TEST_F(SliceWriterTest, StopClosesTheSliceWithItsHeaderPatched) {
    const std::vector<Frame> side = Ramp(44100 * 10);
    ASSERT_TRUE(WriteWav(dir / "side.wav", side));
    ctx.onGauge = [](FakeWorkControl& c, Gauge, int) { c.stopRequested = true; };
    const SliceResult r = Slice(ctx, dir / "side.wav", {50}, dir.path());
    EXPECT_EQ(r.outcome, SliceOutcome::Stopped);
    EXPECT_EQ(r.written, 0u);
    const auto frames = ref::ReadSlice(dir / "1.wav");
    ASSERT_TRUE(frames);
    EXPECT_EQ(frames->size(), 2 * 4410u);  // the gauge moved at 4410, the stop seen at 8820
    EXPECT_TRUE(std::equal(frames->begin(), frames->end(), side.begin()));
    EXPECT_FALSE(std::filesystem::exists(dir / "2.wav"));
}

// A front end that is going away answers reads with fallbacks: once a stop is asked no
// slice file is begun, and an empty folder is no folder (never the root).
TEST_F(SliceWriterTest, NoSliceFileIsBegunAfterAStopNorWithoutAFolder) {
    ASSERT_TRUE(WriteWav(dir / "side.wav", Ramp(44100 * 3)));
    ctx.destroy = true;
    EXPECT_EQ(Slice(ctx, dir / "side.wav", {10}, dir.path()).outcome, SliceOutcome::Stopped);
    EXPECT_FALSE(std::filesystem::exists(dir / "1.wav"));

    ctx.destroy = false;
    const SliceResult r = Slice(ctx, dir / "side.wav", {10}, "");
    EXPECT_EQ(r.outcome, SliceOutcome::CannotWrite);
    EXPECT_EQ(r.written, 0u);
}

TEST_F(SliceWriterTest, UncreatableSliceEndsTheSideWithItsName) {
    ASSERT_TRUE(WriteWav(dir / "side.wav", Ramp(44100 * 3)));
    std::filesystem::create_directory(dir / "2.wav");
    const SliceResult r = Slice(ctx, dir / "side.wav", {10, 20}, dir.path());
    EXPECT_EQ(r.outcome, SliceOutcome::CannotWrite);
    EXPECT_EQ(r.written, 1u);
    EXPECT_NE(r.message.find(dir / "2.wav"), std::string::npos) << r.message;
    EXPECT_TRUE(ref::ReadSlice(dir / "1.wav"));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "2.wav"));
    EXPECT_FALSE(std::filesystem::exists(dir / "3.wav"));

    const SliceResult missing = Slice(ctx, dir / "side.wav", {10}, dir / "no-such-folder");
    EXPECT_EQ(missing.outcome, SliceOutcome::CannotWrite);
    EXPECT_NE(missing.message.find("no-such-folder"), std::string::npos);
}

TEST_F(SliceWriterTest, NeverReplacesASideRecording) {
    const std::vector<Frame> other = Ramp(500);
    ASSERT_TRUE(WriteWav(dir / "side.wav", Ramp(44100 * 3)));
    ASSERT_TRUE(WriteWav(dir / "2.wav", other));
    SliceRequest request;
    const Cuts cuts = {10, 20};
    request.sidePath = dir / "side.wav";
    request.cuts = cuts;
    request.folder = dir.path();
    request.protectedPaths = {dir / "2.wav"};
    const SliceResult r = slice::WriteSlices(ctx, ctx.treble, request);
    EXPECT_EQ(r.outcome, SliceOutcome::WouldOverwriteSide);
    EXPECT_NE(r.message.find(dir / "2.wav"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir / "1.wav"));
    EXPECT_EQ(ReadWavFrames(dir / "2.wav"), other);

    // The side being sliced is protected too.
    ASSERT_TRUE(WriteWav(dir / "1.wav", other));
    EXPECT_EQ(Slice(ctx, dir / "1.wav", {10}, dir.path()).outcome,
              SliceOutcome::WouldOverwriteSide);
    EXPECT_EQ(ReadWavFrames(dir / "1.wav"), other);
}

// The writer's optimised path against the plain per-frame reference, with the filter's
// history carried from slice to slice and from one side to the next.
struct ExactCase {
    int eqId;
    int fadeId;
    float peak;  ///< normalize when above 0
    bool listChunk;
};

void PrintTo(const ExactCase& c, std::ostream* os) {
    *os << "EQ " << c.eqId << ", fade " << c.fadeId << ", peak " << c.peak
        << (c.listChunk ? ", LIST chunk" : "");
}

class SliceWriterExact : public ::testing::TestWithParam<ExactCase> {};

TEST_P(SliceWriterExact, MatchesPlainReferenceToTheBit) {
    const ExactCase& c = GetParam();
    TempDir dir;
    FakeWorkControl ctx;
    ctx.SetEq(c.eqId);
    ctx.fadeId = c.fadeId;
    ctx.volumeId = c.peak > 0 ? menu::kVolumeNormalize : menu::kVolumeKeep;
    WavLayout layout;
    if (c.listChunk) layout.chunksBeforeData = {{"LIST", "INFOISFT\x05\0\0\0Test\0"}};
    const std::vector<Frame> sides[2] = {ref::MakeSide({{4.3, 0.6}, {0.7, 0.003}, {3.1, 0.9}}, 11),
                                         ref::MakeSide({{2.05, 1.0}, {1.0, 0.2}}, 12)};
    const Cuts cuts[2] = {{43, 0, 50, 12, 50}, {1, 20}};

    ref::Filter filter;
    ref::Tune(filter, menu::BoostLevelForEqId(c.eqId));
    // Fades 300..303: none, 0.1 s, 1 s, 2 s.
    constexpr std::uint32_t kFadeFrames[] = {0, 4410, 44100, 88200};
    ref::SliceSettings settings{menu::BoostLevelForEqId(c.eqId),
                                kFadeFrames[c.fadeId - menu::kFadeFirst], c.peak > 0, c.peak};
    int number = 1;
    for (int s = 0; s < 2; ++s) {
        const std::string path = dir / ("side" + std::to_string(s) + ".wav");
        ASSERT_TRUE(WriteWav(path, sides[s], layout));
        const SliceResult r = Slice(ctx, path, cuts[s], dir.path(), number, c.peak, true);
        const std::vector<std::uint64_t> positions =
            slice::SliceBoundaries(cuts[s], 44100, sides[s].size());
        const auto want = ref::Slices(sides[s], positions, settings, filter);
        ASSERT_EQ(r.written, want.size());
        for (const auto& slice : want) {
            const auto got = ref::ReadSlice(dir / (std::to_string(number++) + ".wav"));
            ASSERT_TRUE(got);
            ASSERT_EQ(*got, slice) << "slice " << number - 1;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Settings, SliceWriterExact,
    ::testing::Values(ExactCase{708, 300, 0, false}, ExactCase{712, 300, 0, true},
                      ExactCase{715, 301, 0, false}, ExactCase{708, 302, 0.37f, true},
                      ExactCase{715, 303, 0.5f, false}, ExactCase{712, 302, 0.9f, true}),
    [](const ::testing::TestParamInfo<ExactCase>& info) {
        const ExactCase& c = info.param;
        return "Eq" + std::to_string(c.eqId) + "Fade" + std::to_string(c.fadeId) +
               (c.peak > 0 ? "Normalize" : "") + (c.listChunk ? "List" : "");
    });

}  // namespace

// The second thread's share of the treble filter: taken over where its state agrees, given
// up where it does not (a fresh start without warm-up, an EQ change or re-tune mid-side), and
// every byte as the one-thread writer makes it, at a rate other than 44.1 kHz (blocks of
// 4800 frames).
enum class MidSide { Nothing, OtherLevel, Retuned, EqOffAndOn };

struct AheadCase {
    const char* name;
    std::uint32_t warmUpBlocks;
    MidSide change;                    ///< after the 30th block
    int minBlocksHere, maxBlocksHere;  ///< of the side's 131 blocks, not taken over
};

void PrintTo(const AheadCase& c, std::ostream* os) {
    *os << c.name;
}

class SliceWriterAhead : public ::testing::TestWithParam<AheadCase> {};

TEST_P(SliceWriterAhead, SameBytesAsOneThread) {
    if (platform::UsableProcessors() < 2) GTEST_SKIP() << "one processor: no second thread";
    const AheadCase& c = GetParam();
    TempDir dir;
    const std::vector<Frame> side =
        ref::MakeSide({{5.2, 0.6}, {0.8, 0.003}, {4.4, 0.9}, {0.5, 0.003}, {3.3, 0.7}}, 13);
    WavLayout layout;
    layout.sampleRate = 48000;
    ASSERT_TRUE(WriteWav(dir / "side.wav", side, layout));
    const Cuts cuts = {23, 61, 95};

    std::uint64_t ahead[2] = {};
    TrebleFilter after[2];
    for (int run = 0; run < 2; ++run) {
        FakeWorkControl ctx;
        ctx.SetEq(712);
        int blocks = 0;  // the gauge moves once per block
        ctx.onGauge = [&c, &blocks](FakeWorkControl& x, Gauge, int) {
            ++blocks;
            if (blocks == 30 && c.change == MidSide::OtherLevel) x.SetEq(714);
            if (blocks == 30 && c.change == MidSide::Retuned) x.SetEq(712);
            if (blocks == 30 && c.change == MidSide::EqOffAndOn) x.eqId = 708;
            if (blocks == 60 && c.change == MidSide::EqOffAndOn) x.eqId = 712;
        };
        SliceRequest request;
        request.sidePath = dir / "side.wav";
        request.cuts = cuts;
        request.folder = dir / std::to_string(run);
        std::filesystem::create_directory(request.folder);
        request.filterAhead.minFrames = run == 0 ? UINT64_MAX : 0;  // run 0: one thread
        request.filterAhead.segmentBlocks = 8;
        request.filterAhead.warmUpBlocks = c.warmUpBlocks;
        const SliceResult r = slice::WriteSlices(ctx, ctx.treble, request);
        ASSERT_EQ(r.written, 4u);
        ahead[run] = r.framesFilteredAhead;
        after[run] = ctx.treble;
    }
    for (int n = 1; n <= 4; ++n) {
        const std::string name = std::to_string(n) + ".wav";
        EXPECT_EQ(ReadFileBytes(dir / ("1/" + name)), ReadFileBytes(dir / ("0/" + name))) << name;
    }
    EXPECT_TRUE(slice::SameFilterState(after[1], after[0]));  // side 2 would go on from here
    EXPECT_EQ(ahead[0], 0u);
    ASSERT_EQ(side.size(), 142u * 4410);
    const std::uint64_t here = (side.size() - ahead[1]) / 4800;
    EXPECT_GE(here, static_cast<std::uint64_t>(c.minBlocksHere));
    EXPECT_LE(here, static_cast<std::uint64_t>(c.maxBlocksHere));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, SliceWriterAhead,
    ::testing::Values(AheadCase{"TakenOver", 4, MidSide::Nothing, 0, 0},
                      // From a cleared history at a segment's first frame: agreement comes
                      // some blocks in, so the start of each of the 16 later segments of 8
                      // blocks is filtered here.
                      AheadCase{"AgreesLater", 0, MidSide::Nothing, 16, 16 * 7},
                      // The thread's level is no longer the writer's: the rest is here.
                      AheadCase{"OtherLevel", 4, MidSide::OtherLevel, 100, 100},
                      // A cleared history mid-side: here until the states meet again.
                      AheadCase{"Retuned", 4, MidSide::Retuned, 1, 8},
                      // 30 blocks unfiltered, then here until the states meet again.
                      AheadCase{"EqOffAndOn", 4, MidSide::EqOffAndOn, 31, 38}),
    [](const ::testing::TestParamInfo<AheadCase>& info) { return info.param.name; });
